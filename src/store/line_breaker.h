#pragma once
// Breaking a paragraph of Shift_JIS text into display lines at fixed column widths, the
// way the host expects lines to be written: a double-byte character takes two columns, a
// tab moves to the next tab stop, the field markers 0x01 and 0x02 take none and the text
// between them (a template field) is never broken; alphanumeric words move whole to the
// next line, the kinsoku characters neither begin nor end a line, and listed words are not
// split. Every display line holds at least one character.

#include <cstddef>
#include <string_view>
#include <vector>

#include "store/editor_settings.h"

namespace morvaline {

// Where the text from lineStart on first exceeds width columns: the position of the
// character that crosses the width or, when that character lies inside a field span, the
// span's 0x01. npos when the rest of the text fits.
std::size_t widthBreak(std::string_view text, std::size_t lineStart, int width, int tabWidth);

// The byte offsets at which the paragraph's second, third ... display lines begin.
std::vector<std::size_t> breakParagraph(std::string_view text, const EditorSettings& settings);

// The width that applies to a paragraph: the quoted width when it begins with the quote
// mark and is longer than it, else the normal width.
int lineWidthOf(std::string_view text, const EditorSettings& settings);

// The byte offset within [lineStart, lineEnd) of the character at column `column` (the end
// when the line is shorter).
std::size_t offsetAtColumn(std::string_view text, std::size_t lineStart, std::size_t lineEnd,
                           int column, int tabWidth);

}  // namespace morvaline
