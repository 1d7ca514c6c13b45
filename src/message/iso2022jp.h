#pragma once
// Conversion between Shift_JIS and ISO-2022-JP, the 7-bit form of Japanese text in
// internet mail (JIS X 0208 between escape sequences).

#include <cstddef>
#include <string>
#include <string_view>

namespace morvaline {

// Shift_JIS to ISO-2022-JP. Half-width katakana become their full-width counterparts;
// codes without a JIS X 0208 form, lone lead bytes and bytes that start no character
// (0x80, 0xA0, 0xFD-0xFF) are dropped. A text that ends in two-byte mode is closed with
// ESC ( B. The whole input is always converted: at most 4.5 output bytes per input byte,
// plus 4.
std::string SjisToJis(std::string_view sjis);

// ISO-2022-JP to Shift_JIS, appended to out. 8-bit Shift_JIS bytes outside two-byte mode
// pass unchanged, so mail that arrives in Shift_JIS still reads. With stopAtQuote the
// conversion stops before the first double quote met in single-byte mode. Returns the
// input position where conversion stopped (the input size when it ran to the end). The
// output is never longer than the input.
std::size_t JisToSjis(std::string_view jis, std::string& out, bool stopAtQuote);

// The whole input converted (no stop at quotes).
std::string JisToSjis(std::string_view jis);

}  // namespace morvaline
