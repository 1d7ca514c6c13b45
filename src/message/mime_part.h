#pragma once
// The tree of a MIME message: each part knows its range of the message text, its media
// type, transfer encoding and parameters, and its children (multipart) or the message it
// encloses (message/rfc822).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// Parts nested deeper than this are leaves: one crafted mail cannot exhaust the stack.
inline constexpr int kMaxMimeDepth = 32;
// Parts beyond this many are not split off (the multipart keeps the ones found first).
inline constexpr std::size_t kMaxMimeParts = 1000;

struct MimeParam {
    std::string name;
    std::string value;
};

struct MimePart {
    std::string_view text;  // the whole message, shared by every part of the tree
    std::size_t start = 0;  // the part's first header line
    std::size_t end = std::string_view::npos;  // just past the part; npos: the end of the text
    std::size_t cursor = 0;  // parse position; after the header the offset of the body
    int depth = 0;           // nesting level: multipart children and enclosed messages
    // Absent where the header did not say (or a failing line stopped the header parse).
    std::optional<std::string> type, subtype, encoding;
    // Parameters of Content-Type and Content-Disposition in the order met.
    std::vector<MimeParam> params;
    std::vector<MimePart> children;

    // The value of the last parameter of that name (any case); null when there is none.
    const std::string* param(std::string_view name) const;
    // True when the type (and the subtype, when given) equal these, in any case.
    bool isType(std::string_view wantedType, std::string_view wantedSubtype = {}) const;
    // The text after the first empty line of the part's range; empty without one.
    std::string_view body() const;
};

// Reads the part's header and, for a multipart, splits it into children and parses them.
// An enclosed message (message/rfc822) replaces the part by the message's own header.
// False when a split failed (no boundary, a missing delimiter); the parts found so far stay
// in the tree and are parsed. partsLeft bounds the parts the whole tree may still create.
bool ParseMimePart(MimePart& part, std::size_t& partsLeft);

}  // namespace morvaline
