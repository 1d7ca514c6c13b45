#pragma once
// Walking Shift_JIS text character by character.

#include "platform/sjis.h"

#include <cstddef>
#include <string_view>

namespace morvaline {

// Width of the character at i: 2 for a lead byte followed by a valid trail byte, else 1
// (a lone lead byte counts as a character of its own, so a walk always advances).
inline std::size_t sjisCharWidth(std::string_view text, std::size_t i) {
    return isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                   isSjisTrailByte(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}

}  // namespace morvaline
