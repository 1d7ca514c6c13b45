#include "comm/rapidox/download_name.h"

#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline::rapidox {
namespace {

// NAME_MAX of Linux file systems, with room for the suffix of a part being received.
constexpr std::size_t kMaxNameBytes = 255 - kPartSuffix.size();

bool hasControlByte(std::string_view name) {
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return true;
    }
    return false;
}

// The longest prefix of UTF-8 text within maxBytes that does not end inside a character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::string_view lastNameComponent(std::string_view sjisName) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < sjisName.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjisName[i]);
        if (isSjisLeadByte(b) && i + 1 < sjisName.size() &&
            isSjisTrailByte(static_cast<unsigned char>(sjisName[i + 1]))) {
            ++i;  // a trail byte may be 0x5C without being a separator
        } else if (b == '/' || b == '\\') {
            start = i + 1;
        }
    }
    return sjisName.substr(start);
}

std::string downloadFileName(std::string_view sjisName) {
    const std::string_view name = lastNameComponent(sjisName);
    if (name.empty() || name == "." || name == ".." || hasControlByte(name)) return {};
    return std::string(utf8Prefix(sjisToUtf8(name), kMaxNameBytes));
}

}  // namespace morvaline::rapidox
