#include "models/collation.h"

#include "platform/text_codec.h"

namespace morvaline {

TextCollator::TextCollator() : collator_(QLocale()) { collator_.setCaseSensitivity(Qt::CaseSensitive); }

int TextCollator::compare(std::string_view sjisA, std::string_view sjisB) const {
    return collator_.compare(displayText(sjisA), displayText(sjisB));
}

QCollatorSortKey TextCollator::sortKey(std::string_view sjis) const {
    return collator_.sortKey(displayText(sjis));
}

QString displayText(std::string_view sjis) { return QString::fromStdString(sjisToUtf8(sjis)); }

}  // namespace morvaline
