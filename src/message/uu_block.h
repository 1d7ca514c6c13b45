#pragma once
// uuencoded and xxencoded files inside plain text: a "begin" line with a mode and a
// file name, data lines, and a line "end".

#include "message/attachment.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

// True for a "begin" line: "begin ", an octal mode, a space and a non-empty name. The
// line may carry its line end.
bool IsBeginLine(std::string_view line);

// Follows the lines of a text as they arrive and tells whether it holds a uuencoded part:
// a "begin" line (longer than nine bytes), later closed by a line "end".
class UuPartScan {
public:
    void addLine(std::string_view line);
    bool closed() const { return closed_; }

private:
    bool open_ = false;
    bool closed_ = false;
};

struct UuBlock {
    std::string_view data;  // the lines after the "begin" line through "\r\nend", in the text
    std::string name;       // the name of the "begin" line, converted from ISO-2022-JP (unchecked)
    std::size_t start;      // where the block begins: the CR before "begin", or the text start
};

// Finds the next block at or after pos and moves pos just past its "end". A block ends at
// the first line that is exactly "end" (followed by CR, LF or the end of the text). A
// "begin" line without such a line after it is no block; neither is a line that only
// starts like one (the search goes on past it).
std::optional<UuBlock> ExtractUuBlock(std::string_view text, std::size_t& pos);

// The text without its blocks. Each block is appended to list (when given) as a
// uuencoded attachment named by its "begin" line, made safe.
std::string SplitUuBlocks(std::string_view text, AttachmentList* list);

// The bytes of a block. Lines end in CR, CR LF or LF. The first line that yields bytes
// fixes the alphabet (uuencode is tried before xxencode) and the first data line fixes
// how lines end (a checksum character, a lower-case letter, or nothing). nullopt when a
// line fails to decode, the forms are mixed, or the "end" line is missing.
std::optional<std::string> DecodeUuBlock(std::string_view block);

// The same, handing the bytes to emit in pieces of at most kUuPiece bytes as they are decoded,
// so that a large file never lies in memory whole. False when decoding fails (after some
// pieces may have gone out) or emit returns false.
inline constexpr std::size_t kUuPiece = 16384;
bool DecodeUuBlock(std::string_view block, const std::function<bool(std::string_view)>& emit);

}  // namespace morvaline
