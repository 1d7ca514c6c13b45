#pragma once
// A copy of a place's message list taken on the main thread: what the subject list model
// and the navigation read. Row i is index i of the list at the time of the copy; the list
// root (index 0) is row 0. The texts of all rows lie in one buffer, so that copying a long
// list makes few allocations and little memory.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_time.h"

namespace morvaline {

class CItemArray;
class CItem;

// A text of a row: where it lies in the snapshot's text buffer.
struct TextRef {
    std::uint32_t at = 0;
    std::uint32_t size = 0;
};

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
    TextRef id, title, name;  // Shift_JIS
    TextRef sender;           // the long text of a mail: what the list shows as sender

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
    explicit MessageSnapshot(int placeKind) : placeKind_(placeKind) {}

    int size() const { return static_cast<int>(rows_.size()); }
    bool valid(int index) const { return index >= 0 && index < size(); }
    const MessageRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    std::string_view text(TextRef ref) const { return std::string_view(texts_).substr(ref.at, ref.size); }
    int placeKind() const { return placeKind_; }
    // The list threads comments under their messages.
    bool threaded() const;
    int indexOfSerial(int serial) const;  // -1 when none

    // For the model's incremental updates: replaces a row, or appends one at the end.
    void replace(int index, const CItem& item);
    void append(const CItem& item);

private:
    MessageRow rowOf(const CItem& item);
    TextRef keep(std::string_view text);

    std::vector<MessageRow> rows_;
    std::string texts_;
    // (serial, index) sorted by serial, made at the first lookup: opening a long list needs
    // none, and serials mostly grow with the index, so that appending keeps the order.
    mutable std::vector<std::pair<int, int>> bySerial_;
    mutable bool bySerialMade_ = false;
    int placeKind_ = 0;
};

}  // namespace morvaline
