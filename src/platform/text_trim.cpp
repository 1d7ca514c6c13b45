#include "platform/text_trim.h"

#include "platform/sjis.h"

namespace morvaline {
namespace {

// The full-width blank in Shift_JIS.
constexpr std::string_view kWideBlank = "\x81\x40";

}  // namespace

std::string_view trimFront(std::string_view text, std::string_view bytes) {
    const std::size_t first = text.find_first_not_of(bytes);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view trimBack(std::string_view text, std::string_view bytes) {
    const std::size_t last = text.find_last_not_of(bytes);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// The end of the last other character is found from the start, so that a trail byte never
// counts as a character.
std::string_view trimHostTextEnd(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isSjisLeadByte(c) && i + 1 < text.size()) {
            if (text.substr(i, 2) != kWideBlank) end = i + 2;
            i += 2;
        } else {
            if (c != ' ' && c != '\r' && c != '\n') end = i + 1;
            ++i;
        }
    }
    return text.substr(0, end);
}

std::string_view trimHostText(std::string_view text) {
    return trimHostTextEnd(trimFront(text, " "));
}

std::string_view trimBlanks(std::string_view text) {
    for (;;) {
        if (text.starts_with(' '))
            text.remove_prefix(1);
        else if (text.starts_with(kWideBlank))
            text.remove_prefix(kWideBlank.size());
        else
            break;
    }
    return trimHostTextEnd(text);
}

}  // namespace morvaline
