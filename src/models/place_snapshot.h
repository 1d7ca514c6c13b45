#pragma once
// A copy of the place tree taken on the main thread: what the place tree model and the
// navigation read, so that a patrol changing the tree meanwhile never changes rows under
// a view. Row i is place index i of the tree at the time of the copy.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace morvaline {

class CItemArray;

struct PlaceRow {
    int parent = -1;
    int child = -1;
    int next = -1;
    int kind = 0;
    int number = 0;
    int reserve = -1;
    int generation = 0;
    int serial = 0;
    std::uint32_t flags = 0;
    std::string id;     // Shift_JIS
    std::string title;  // Shift_JIS
};

class PlaceSnapshot {
public:
    PlaceSnapshot() = default;
    static PlaceSnapshot of(const CItemArray& tree);

    int size() const { return static_cast<int>(rows_.size()); }
    bool valid(int index) const { return index >= 0 && index < size(); }
    const PlaceRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // The index of a serial, or -1.
    int indexOfSerial(int serial) const;
    // The children of a place in the tree's own order (first child, then next siblings).
    std::vector<int> children(int index) const;
    // The place is the favourites place or lies below it.
    bool inFavourites(int index) const;

private:
    std::vector<PlaceRow> rows_;
    std::unordered_map<int, int> bySerial_;
};

}  // namespace morvaline
