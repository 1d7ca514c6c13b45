#pragma once
// Shift_JIS (code page 932) byte classes and double-byte-safe cutting.

#include <cstddef>
#include <string>
#include <string_view>

namespace morvaline {

inline bool isSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool isSjisTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
inline bool isHalfWidthKatakana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Width of the character at i: 2 for a lead byte followed by a valid trail byte, else 1
// (a lone lead byte counts as a character of its own, so a walk always advances).
inline std::size_t sjisCharWidth(std::string_view text, std::size_t i) {
    return isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                   isSjisTrailByte(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}

// True when needle occurs in text beginning at a character boundary: a match never starts
// on the trail byte of a double-byte character. An empty needle occurs in every text.
inline bool sjisContains(std::string_view text, std::string_view needle) {
    if (needle.empty()) return true;
    for (std::size_t i = 0; i + needle.size() <= text.size(); i += sjisCharWidth(text, i))
        if (text.compare(i, needle.size(), needle) == 0) return true;
    return false;
}

// Length of the longest prefix of text that is at most maxBytes long and, when the text had
// to be cut, does not end inside a double-byte character.
std::size_t sjisCutLength(std::string_view text, std::size_t maxBytes);

// The prefix of text that fits into maxBytes without splitting a double-byte character.
inline std::string sjisBoundedCopy(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, sjisCutLength(text, maxBytes)));
}

}  // namespace morvaline
