#pragma once
// Reservation menus (one per place kind) and named reservation patterns.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

// One menu entry: what the patrol is to do at a place that names the entry's ID.
struct CReserve {
    std::string name;
    std::int32_t picture = 0;      // list picture index = picture + 2
    std::int32_t priority = 2;     // 0 ... 4, shown as "A" ... "E"
    std::int32_t actionFlags = 0;  // what the patrol handler does
    std::int32_t id = 0;           // unique within its menu

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

// The menu of one place kind.
class CReserveArray {
public:
    // Adds an entry with the next ID (the last ID + 1; 1 after -1 or -2); returns the ID.
    int add(std::string_view name, int picture, int priority, int actionFlags);
    const CReserve* find(int id) const;
    int indexOf(int id) const;   // -1 when not found; IDs 0 and -1 find nothing
    int idAfter(int id) const;   // ID of the entry after the given one, 0 after the last
    int idAt(int index) const;   // 0 outside the menu
    bool remove(int id);
    void clear();
    const std::vector<CReserve>& entries() const { return entries_; }
    int lastId() const { return lastId_; }

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);

private:
    std::vector<CReserve> entries_;
    std::int32_t lastId_ = 256;
};

// One remembered reservation: a place of the tree (by serial) and its reservation ID.
struct CRsrvInfo {
    std::int32_t serial = 0;
    std::int32_t reserve = 0;
};

// A named snapshot of the reservations of the whole place tree.
struct CRsrvPat {
    std::string name;
    std::vector<CRsrvInfo> entries;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

// The next ID of a menu or rule list whose last ID is given.
inline int nextListId(int lastId) { return lastId == -1 || lastId == -2 ? 1 : lastId + 1; }

}  // namespace morvaline
