#pragma once
// A place's message list kept open for the length of one operation: opened from the
// document, closed again (and saved when it changed and nobody else has it open) when the
// object goes. Without create, a place whose list file is missing has no list.

#include "store/document.h"

namespace morvaline {

class OpenedList {
public:
    OpenedList(CTolDoc& doc, int place, bool create = true)
        : doc_(doc),
          list_(create ? doc.openList(place) : doc.openExistingList(place, false, &outcome_)) {}
    ~OpenedList() { doc_.closeList(list_); }
    OpenedList(const OpenedList&) = delete;
    OpenedList& operator=(const OpenedList&) = delete;

    explicit operator bool() const { return list_ != nullptr; }
    // Why a list opened without create is missing: Missing, Damaged or Lost.
    ListLoad outcome() const { return outcome_; }
    CItemArray* operator->() const { return list_; }
    CItemArray& operator*() const { return *list_; }

private:
    CTolDoc& doc_;
    ListLoad outcome_ = ListLoad::Loaded;
    CItemArray* list_;
};

}  // namespace morvaline
