#include "models/navigation.h"

#include <algorithm>

#include "models/browser_texts.h"
#include "models/collation.h"
#include "models/questions.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/place_files.h"

namespace morvaline {

Navigator::Navigator(CTolDoc& doc, const PlaceTreeOptions& places, const SubjectOptions& subjects,
                     Questions& questions, NavigationReports& reports)
    : doc_(doc),
      placeOptions_(places),
      subjectOptions_(subjects),
      questions_(questions),
      reports_(reports),
      places_(PlaceSnapshot::of(doc.tree())),
      order_(placeTreeOrder(places_, placeOptions_, TextCollator())) {}

bool Navigator::placeHas(int p, Want want) const {
    const PlaceRow& r = places_.row(p);
    if (!placeHoldsList(r.kind)) return false;
    switch (want) {
        case Want::Any:
            return true;
        case Want::Unread:
            return (r.flags & ITEM_FLAG_HAS_UNREAD) != 0;
        case Want::New:
            return r.generation > 0 && CItemArray::isNewGeneration(r.generation, doc_.generation(), doc_.newWindow());
        case Want::Marked:
            return (r.flags & ITEM_FLAG_HAS_MARKED) != 0;
        case Want::Composing:
            return (r.flags & ITEM_FLAG_HAS_OUTGOING) != 0;
    }
    return false;
}

bool Navigator::messageIs(const MessageRow& row, int index, Want want) const {
    if (index <= 0) return false;
    switch (want) {
        case Want::Any:
            return true;
        case Want::Unread:
            return row.unread();
        case Want::New:
            return CItemArray::isNewGeneration(row.generation, doc_.generation(), doc_.newWindow());
        case Want::Marked:
            return row.marked();
        case Want::Composing:
            return row.outgoing();
    }
    return false;
}

int Navigator::nextPlace(int from, Direction direction, Want want) const {
    const auto at = std::find(order_.begin(), order_.end(), from);
    if (at == order_.end()) return -1;
    if (direction == Direction::Down) {
        for (auto it = at + 1; it != order_.end(); ++it)
            if (placeHas(*it, want)) return *it;
    } else {
        for (auto it = std::make_reverse_iterator(at); it != order_.rend(); ++it)
            if (placeHas(*it, want)) return *it;
    }
    return -1;
}

std::optional<int> Navigator::searchPlace(int p, int afterSerial, Direction direction, Want want,
                                         bool shownOnly) const {
    if (!places_.valid(p) || !placeHoldsList(places_.row(p).kind)) return std::nullopt;
    OpenedList list(doc_, p, false);
    if (!list) return std::nullopt;
    const MessageSnapshot messages = MessageSnapshot::of(*list, places_.row(p).kind);
    SubjectOptions options = subjectOptions_;
    if (!shownOnly) options.limitOn = false;
    const std::vector<int> order = SubjectLayout(messages, options).displayOrder();
    const int after = afterSerial < 0 ? -1 : messages.indexOfSerial(afterSerial);
    auto start = after > 0 ? std::find(order.begin(), order.end(), after) : order.end();
    if (direction == Direction::Down) {
        for (auto it = start == order.end() ? order.begin() : start + 1; it != order.end(); ++it)
            if (messageIs(messages.row(*it), *it, want)) return messages.row(*it).serial;
    } else {
        for (auto it = std::make_reverse_iterator(start); it != order.rend(); ++it)
            if (messageIs(messages.row(*it), *it, want)) return messages.row(*it).serial;
    }
    return -1;
}

std::optional<Selection> Navigator::message(Selection from, Direction direction) {
    int p = places_.indexOfSerial(from.place);
    if (p < 0) return std::nullopt;
    for (int after = from.message; p >= 0; p = nextPlace(p, direction, Want::Any), after = -1) {
        const int found = searchPlace(p, after, direction, Want::Any, true).value_or(-1);
        if (found >= 0) return Selection{places_.row(p).serial, found};
    }
    reports_.beep();
    reports_.report(direction == Direction::Down ? texts::kNoMessageBelow : texts::kNoMessageAbove);
    return std::nullopt;
}

std::optional<Selection> Navigator::unread(Selection from) {
    bool any = false;
    for (int p = 0; p < places_.size() && !any; ++p) any = placeHas(p, Want::Unread);
    if (!any) {
        reports_.beep();
        reports_.report(texts::kNoUnreadBelow);
        return std::nullopt;
    }
    int p = places_.indexOfSerial(from.place);
    if (p < 0) p = 0;
    int after = from.message;
    bool wrapped = false;
    // Each pass moves on by at least one place; the wrap happens once.
    for (std::size_t guard = 0; guard <= 2 * order_.size() + 2; ++guard) {
        const std::optional<int> found = searchPlace(p, after, Direction::Down, Want::Unread, false);
        if (found.value_or(-1) >= 0) return Selection{places_.row(p).serial, *found};
        if (found && confirmUnread_ && !questions_.ask(texts::kNoUnreadHereQuestion)) return std::nullopt;
        after = -1;
        const int next = nextPlace(p, Direction::Down, Want::Unread);
        if (next >= 0) {
            p = next;
            continue;
        }
        if (wrapped || order_.empty()) break;
        reports_.report(texts::kNoUnreadBelow);
        wrapped = true;
        p = order_.front();
    }
    reports_.beep();
    reports_.report(texts::kNoUnreadAnywhere);
    return std::nullopt;
}

std::optional<Selection> Navigator::searchOnward(Selection from, Direction direction, Want want,
                                                 const Text& question, bool confirm, const Text& notFound) {
    int p = places_.indexOfSerial(from.place);
    if (p < 0) return std::nullopt;
    for (int after = from.message; p >= 0; after = -1) {
        const std::optional<int> found = searchPlace(p, after, direction, want, false);
        if (found.value_or(-1) >= 0) return Selection{places_.row(p).serial, *found};
        if (found && confirm && !questions_.ask(question)) return std::nullopt;
        p = nextPlace(p, direction, want);
    }
    reports_.beep();
    reports_.report(notFound);
    return std::nullopt;
}

std::optional<Selection> Navigator::newMessage(Selection from, Direction direction) {
    return searchOnward(from, direction, Want::New, texts::kNoNewHereQuestion, confirmMove_,
                        direction == Direction::Down ? texts::kNoNewBelow : texts::kNoNewAbove);
}

std::optional<Selection> Navigator::marked(Selection from, Direction direction) {
    return searchOnward(from, direction, Want::Marked, texts::kNoMarkedHereQuestion, confirmMove_,
                        direction == Direction::Down ? texts::kNoMessageBelow : texts::kNoMessageAbove);
}

std::optional<Selection> Navigator::composing(Selection from, Direction direction) {
    return searchOnward(from, direction, Want::Composing, texts::kNoComposingHereQuestion, confirmMove_,
                        direction == Direction::Down ? texts::kNoMessageBelow : texts::kNoMessageAbove);
}

std::optional<Selection> Navigator::reservedPlace(Selection from, Direction direction) {
    const auto at = std::find(order_.begin(), order_.end(), places_.indexOfSerial(from.place));
    auto reserved = [this](int p) {
        const int r = places_.row(p).reserve;
        return r != 0 && r != -1;
    };
    if (at != order_.end()) {
        if (direction == Direction::Down) {
            const auto it = std::find_if(at + 1, order_.end(), reserved);
            if (it != order_.end()) return Selection{places_.row(*it).serial, -1};
        } else {
            const auto it = std::find_if(std::make_reverse_iterator(at), order_.rend(), reserved);
            if (it != order_.rend()) return Selection{places_.row(*it).serial, -1};
        }
    }
    reports_.beep();
    reports_.report(direction == Direction::Down ? texts::kNoMessageBelow : texts::kNoMessageAbove);
    return std::nullopt;
}

JumpResult jumpToNumber(CTolDoc& doc, int placeSerial, int number, Questions& questions,
                        bool reserveWithoutAsking, Selection& selection) {
    const int p = doc.tree().findSerial(placeSerial);
    if (p < 0 || number <= 0) return JumpResult::NotFound;
    const int placeKind = doc.tree().item(p).m_nKind;
    const bool byNumber = placeKind == kind::kRoom || placeKind == kind::kBoard ||
                          placeKind == kind::kReceivedMail || placeKind == kind::kLibrary;
    OpenedList list(doc, p, byNumber);
    if (!list) return JumpResult::NotFound;
    const int found = list->findLastNumber(number);
    if (found > 0) {
        selection = Selection{placeSerial, list->item(found).m_nSerial};
        return JumpResult::Found;
    }
    if (!byNumber) return JumpResult::NotFound;
    const bool library = placeKind == kind::kLibrary;
    if (!reserveWithoutAsking &&
        !questions.ask(library ? texts::kReserveDownloadQuestion : texts::kReserveReadQuestion))
        return JumpResult::Declined;
    // What a patrol fetches by number: read the message (2), download the file (4).
    const int itemKind = library                          ? kind::kLibraryFileLast
                         : placeKind == kind::kReceivedMail ? kind::kReceivedMailMessage
                                                            : kind::kForumMessage;
    const int added = list->add(0, number, 0, "", "", itemKind, 0, fileTimeNow());
    list->setReserve(added, library ? 4 : 2);
    selection = Selection{placeSerial, list->item(added).m_nSerial};
    return JumpResult::Reserved;
}

}  // namespace morvaline
