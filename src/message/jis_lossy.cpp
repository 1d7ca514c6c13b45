#include "message/jis_lossy.h"

#include <algorithm>

#include "message/jis_code.h"
#include "platform/sjis.h"

namespace morvaline {
namespace {

// JIS X 0208 assigns rows 1 to 8 and 16 to 84; the others hold vendor characters.
bool inAssignedRow(std::uint16_t jis) {
    const int row = (jis >> 8) - 0x20;
    return (row >= 1 && row <= 8) || (row >= 16 && row <= 84);
}

bool carried(std::string_view character) {
    const auto first = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) return first < 0x80 || isHalfWidthKatakana(first);
    const auto code =
        static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(character[1]));
    const std::uint16_t jis = sjisToJisCode(code);
    return jis != 0 && inAssignedRow(jis);
}

}  // namespace

std::vector<std::string> LostInIso2022Jp(std::string_view sjis) {
    std::vector<std::string> lost;
    for (std::size_t i = 0; i < sjis.size();) {
        const std::size_t width = sjisCharWidth(sjis, i);
        const std::string character(sjis.substr(i, width));
        i += width;
        if (!carried(character) && std::find(lost.begin(), lost.end(), character) == lost.end())
            lost.push_back(character);
    }
    return lost;
}

}  // namespace morvaline
