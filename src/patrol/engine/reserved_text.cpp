#include "patrol/engine/reserved_text.h"

#include "patrol/engine/outgoing_text.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"

namespace morvaline {

ReservedTextSender::ReservedTextSender(CTolDoc& doc, WriteLine write)
    : doc_(doc), write_(std::move(write)) {}

void ReservedTextSender::close() {
    place_ = -1;
    lines_.clear();
    next_ = 0;
}

bool ReservedTextSender::open(const ReservedText& item) {
    close();
    OpenedList list(doc_, item.arrayId, false);
    if (!list || !list->valid(item.itemIndex)) return false;
    std::string failedFile;
    std::optional<OutgoingText> text =
        loadOutgoingText(doc_.dataDirectory(), list->item(item.itemIndex), &failedFile);
    if (!text) {
        doc_.reporter().report(texts::kCannotOpenFile, utf8ToSjis(failedFile));
        return false;
    }
    place_ = item.arrayId;
    lines_ = std::move(text->lines);
    return true;
}

int ReservedTextSender::next() {
    if (place_ < 0 || next_ == lines_.size()) {
        close();
        return 0;
    }
    const std::string& line = lines_[next_++];
    OpenedList list(doc_, place_, false);
    // Recorded first: a line that reached the host is always in the sent item's text.
    if (!list || !list->appendText(line + "\r\n")) {
        if (list)
            doc_.reporter().report(texts::kListWriteFailed, list->textFile().filename().string());
        close();
        return 0;
    }
    if (!write_(line + "\r")) {
        close();
        return 0;
    }
    return static_cast<int>(line.size() + 2);
}

}  // namespace morvaline
