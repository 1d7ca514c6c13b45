#pragma once
// The locale-aware, case-sensitive comparison of Shift_JIS texts that the place tree and
// the subject list sort by. Sort keys are made once per text, so that sorting many items
// does not convert and collate every text again for each comparison.

#include <QCollator>
#include <QCollatorSortKey>

#include <string_view>

namespace morvaline {

class TextCollator {
public:
    TextCollator();
    // <0, 0 or >0.
    int compare(std::string_view sjisA, std::string_view sjisB) const;
    QCollatorSortKey sortKey(std::string_view sjis) const;

private:
    QCollator collator_;
};

// The text as a QString, for display.
QString displayText(std::string_view sjis);

}  // namespace morvaline
