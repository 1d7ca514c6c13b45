#include "store/texts.h"

#include "platform/text_codec.h"

namespace morvaline {
namespace {

#define MORVALINE_TEXT_ENTRY(name, id, text) &texts::name,
constexpr const Text* kAllTexts[] = {
    MORVALINE_TEXTS_EVENTS(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_STORE(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_TRANSFER(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_CONNECTION(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_PATROL(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_PATROL_RUN(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_RAPIDOX(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_MAIL(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_FORUM(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_TOOLS(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_PLACES(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_LIBRARY(MORVALINE_TEXT_ENTRY)
    MORVALINE_TEXTS_FILE_CHECK(MORVALINE_TEXT_ENTRY)
};
#undef MORVALINE_TEXT_ENTRY

}  // namespace

const Text* findText(int id) {
    for (const Text* text : kAllTexts)
        if (text->id == id) return text;
    return nullptr;
}

std::string textSjis(const Text& text) { return sj(text.utf8); }

std::string formatText(const Text& text, std::string_view arg1, std::string_view arg2) {
    const std::string pattern = textSjis(text);
    std::string out;
    out.reserve(pattern.size() + arg1.size() + arg2.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            out += pattern[i + 1] == '1' ? arg1 : arg2;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace morvaline
