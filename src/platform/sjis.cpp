#include "platform/sjis.h"

#include <algorithm>

namespace morvaline {

std::size_t sjisCutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    // A lead byte whose trail byte would fall outside the limit is left out with it.
    const std::size_t limit = maxBytes;
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t width = isSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return i;
}

}  // namespace morvaline
