#pragma once
// Character code arithmetic between Shift_JIS (code page 932) and JIS X 0208, and the
// half-width to full-width katakana mapping. Codes are held as 16-bit values, first
// byte in the high half.

#include <cstdint>

namespace morvaline {

// JIS X 0208 row/cell code to Shift_JIS; 0 when either byte lies outside 0x21-0x7E.
std::uint16_t jisToSjisCode(std::uint16_t jis);

// Shift_JIS double-byte code to JIS X 0208; 0 when the first byte is not a lead byte, the
// second not a trail byte, or the result falls outside the JIS X 0208 rows (user-defined
// and vendor areas).
std::uint16_t sjisToJisCode(std::uint16_t sjis);

// The full-width Shift_JIS code of a half-width katakana byte (0xA1-0xDF), one character
// at a time: the voiced-sound marks become the separate full-width marks. 0 for any
// other byte.
std::uint16_t fullWidthKatakana(unsigned char halfWidth);

}  // namespace morvaline
