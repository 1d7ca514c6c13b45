#pragma once
// MIME encoded words ("=?ISO-2022-JP?B?...?=") in header values.

#include <cstddef>
#include <string>
#include <string_view>

namespace morvaline {

struct EncodedHeaderLine {
    std::string text;    // what goes on this header line
    std::size_t resume;  // input position where the next line continues (input size when done)
};

// Encodes as much of a Shift_JIS header text as fits into room characters: ASCII is
// copied, each run of Japanese characters becomes one encoded word. An address in angle
// brackets is never split: when text remains, the line is cut before the last "<" and
// the next line resumes there. Every call consumes at least one character of a non-empty
// input, even with too little room, so a writer that loops until resume reaches the end
// always finishes.
EncodedHeaderLine EncodeHeaderWords(std::string_view sjis, int room);

// Replaces ISO-2022-JP encoded words by their Shift_JIS text; the text around them,
// white space included, is kept. Of a word in any other form only its leading "=?" is
// removed. The result is never longer than the input.
std::string DecodeHeaderWords(std::string_view header);

}  // namespace morvaline
