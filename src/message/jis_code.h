#pragma once
// Character code arithmetic between Shift_JIS (code page 932) and JIS X 0208, and the
// half-width to full-width katakana mapping. Codes are held as 16-bit values, first
// byte in the high half. Inline: the converters call them once a character.

#include "platform/sjis.h"

#include <array>
#include <cstdint>

namespace morvaline {

inline bool isJisByte(unsigned c) {
    return c - 0x21 <= 0x7E - 0x21;
}

// JIS X 0208 row/cell code to Shift_JIS; 0 when either byte lies outside 0x21-0x7E.
inline std::uint16_t jisToSjisCode(std::uint16_t jis) {
    const unsigned j1 = jis >> 8, j2 = jis & 0xFF;
    if (!isJisByte(j1) || !isJisByte(j2)) return 0;
    // Two JIS rows share one Shift_JIS lead byte: odd rows take the low trail range, which
    // skips the trail value 0x7F. Written without branches: the row's parity is as good as
    // random in Japanese text.
    const unsigned s1 = ((j1 + 1) >> 1) + 0x70 + (static_cast<unsigned>(j1 > 0x5E) << 6);
    const unsigned odd = j1 & 1;
    const unsigned s2 = j2 + 0x7E - odd * (0x5F - static_cast<unsigned>(j2 > 0x5F));
    return static_cast<std::uint16_t>((s1 << 8) | s2);
}

// Shift_JIS double-byte code to JIS X 0208; 0 when the first byte is not a lead byte, the
// second not a trail byte, or the result falls outside the JIS X 0208 rows (user-defined
// and vendor areas).
inline std::uint16_t sjisToJisCode(std::uint16_t sjis) {
    const unsigned s1 = sjis >> 8;
    unsigned s2 = sjis & 0xFF;
    if (!isSjisLeadByte(static_cast<unsigned char>(s1)) ||
        !isSjisTrailByte(static_cast<unsigned char>(s2)))
        return 0;
    // The inverse of jisToSjisCode, without branches for the same reason.
    s2 -= static_cast<unsigned>(s2 > 0x7F);
    const unsigned evenRow = s2 >= 0x9E;
    const unsigned j1 = (s1 - 0x71 - (static_cast<unsigned>(s1 > 0x9F) << 6)) * 2 + 1 + evenRow;
    const unsigned j2 = s2 - 0x1F - evenRow * 0x5E;
    if (!isJisByte(j1) || !isJisByte(j2)) return 0;
    return static_cast<std::uint16_t>((j1 << 8) | j2);
}

// The full-width Shift_JIS code of a half-width katakana byte (0xA1-0xDF), one character
// at a time: the voiced-sound marks become the separate full-width marks. 0 for any
// other byte.
inline std::uint16_t fullWidthKatakana(unsigned char halfWidth) {
    // Full-width codes for the half-width bytes 0xA1 ... 0xDF, in byte order.
    static constexpr std::array<std::uint16_t, 63> kFullWidth = {
        0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1-A8
        0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9-B0
        0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1-B8
        0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9-C0
        0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1-C8
        0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9-D0
        0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1-D8
        0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9-DF
    };
    if (!isHalfWidthKatakana(halfWidth)) return 0;
    return kFullWidth[halfWidth - 0xA1];
}

}  // namespace morvaline
