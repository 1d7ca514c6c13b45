#pragma once
// A copy of a place's message list taken on the main thread: what the subject list model
// and the navigation read. Row i is index i of the list at the time of the copy; the list
// root (index 0) is row 0.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "store/item.h"

namespace morvaline {

class CItemArray;

struct MessageRow {
    int parent = -1;
    int child = -1;
    int next = -1;
    int kind = 0;
    int number = 0;
    int body = 0;
    int reserve = -1;
    int size = 0;
    int refCount = -1;
    int generation = 0;
    int serial = 0;
    std::uint32_t flags = 0;
    FileTime date = 0;
    // Shift_JIS; fixed fields, so that copying a long list allocates little.
    FixedText<kIdSize> id;
    FixedText<kTitleSize> title;
    FixedText<kNameSize> name;
    std::string sender;  // the long text of a mail: what the list shows as sender

    static MessageRow of(const CItem& item);
    bool unread() const;
    bool marked() const;
    bool outgoing() const;
    bool reserved() const { return reserve != 0 && reserve != -1; }
};

class MessageSnapshot {
public:
    MessageSnapshot() = default;
    // placeKind: the kind of the place that owns the list.
    static MessageSnapshot of(const CItemArray& list, int placeKind);

    int size() const { return static_cast<int>(rows_.size()); }
    bool valid(int index) const { return index >= 0 && index < size(); }
    const MessageRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    int placeKind() const { return placeKind_; }
    // The list threads comments under their messages.
    bool threaded() const;
    int indexOfSerial(int serial) const;  // -1 when none

    // For the model's incremental updates: replaces a row, or appends one at the end.
    void replace(int index, MessageRow row);
    void append(MessageRow row);

private:
    std::vector<MessageRow> rows_;
    // (serial, index) sorted by serial, made at the first lookup: opening a long list needs
    // none, and serials mostly grow with the index, so that appending keeps the order.
    mutable std::vector<std::pair<int, int>> bySerial_;
    mutable bool bySerialMade_ = false;
    int placeKind_ = 0;
};

}  // namespace morvaline
