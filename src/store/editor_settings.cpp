#include "store/editor_settings.h"

#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {

EditorSettings EditorSettings::defaults() {
    EditorSettings s;
    s.lineStartForbidden = sj("、。，．・：；！？」』）｝〕］】!?%)],.:;､｡");
    s.lineEndForbidden = sj("「『（｛〔［【([");
    return s;
}

EditorSettings EditorSettings::checked() const {
    const EditorSettings fallback;
    EditorSettings s = *this;
    auto inRange = [](int value, int low, int high, int otherwise) {
        return value >= low && value <= high ? value : otherwise;
    };
    s.normalWidth = inRange(normalWidth, kMinWidth, kMaxWidth, fallback.normalWidth);
    s.quotedWidth = inRange(quotedWidth, kMinWidth, kMaxWidth, fallback.quotedWidth);
    s.tabWidth = inRange(tabWidth, kMinTab, kMaxTab, fallback.tabWidth);
    s.quoteMark = sjisBoundedCopy(quoteMark, kMaxQuoteMark);
    s.words.clear();
    for (const UnsplittableWord& w : words) {
        if (w.word.empty()) continue;
        s.words.push_back({sjisBoundedCopy(w.word, kMaxWord), w.checked});
    }
    return s;
}

bool inCharacterSet(std::string_view set, std::string_view character) {
    if (character.empty()) return false;
    const std::string_view wanted = character.substr(0, sjisCharWidth(character, 0));
    for (std::size_t i = 0; i < set.size();) {
        const std::size_t width = sjisCharWidth(set, i);
        if (set.substr(i, width) == wanted) return true;
        i += width;
    }
    return false;
}

}  // namespace morvaline
