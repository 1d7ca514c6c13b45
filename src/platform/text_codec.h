#pragma once
// Conversion between the Shift_JIS bytes of the core and UTF-8 at the edges
// (terminal and CLI output, local file names, texts written in the sources).

#include <string>
#include <string_view>

namespace morvaline {

// Shift_JIS to UTF-8 for display. Never fails: bytes that do not form a character
// (a lone lead byte, 0x80, 0xA0, 0xFD ... 0xFF, unassigned codes) become U+FFFD.
std::string sjisToUtf8(std::string_view sjis);

// UTF-8 to Shift_JIS. Characters without a Shift_JIS code become "?"; invalid UTF-8
// bytes are dropped.
std::string utf8ToSjis(std::string_view utf8);

// The Shift_JIS bytes of a text written in UTF-8 in the sources, such as a host prompt
// or a message of the string table.
inline std::string sj(std::string_view utf8) { return utf8ToSjis(utf8); }

}  // namespace morvaline
