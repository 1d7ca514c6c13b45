#pragma once
// What the text of a received mail tells about it, as the mail reader shows it: the real
// sender of an internet mail from its "From:" line, and whether the text holds a uuencoded
// file or is MIME multipart. Pure functions over Shift_JIS bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "message/uu_block.h"

namespace morvaline {

struct MailFrom {
    std::string address;
    std::string name;  // at most 39 bytes, encoded words decoded
};

// A "From:" line: a name and an address in angle brackets, or an address and a name in
// round brackets, or else the whole value as both. Empty when the line is no "From:" line
// or has no value.
std::optional<MailFrom> parseFromLine(std::string_view line);

// Follows the stored lines of a mail (the host's header block, an empty line, the text)
// and collects the flags the text earns: ITEM_FLAG_UUENCODED once a uuencoded file was
// closed by its "end" line; for an internet mail ITEM_FLAG_MIME when its message (after
// the empty line that ends the host's header block) has a "Content-Type: multipart" line.
class MailTextScan {
public:
    explicit MailTextScan(bool internet) : internet_(internet) {}
    void addLine(std::string_view line);
    std::uint32_t flags() const;

private:
    bool internet_;
    int emptyLines_ = 0;
    UuPartScan uu_;
    bool multipart_ = false;
};

}  // namespace morvaline
