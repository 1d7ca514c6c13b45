#pragma once
// What the views are told when items or places change: the patrol, the tools and the
// commands all tell it the same way. Changes name items and places by serial number, never
// by index: a notice may wait for the main thread while the lists go on changing, and a
// deletion shifts the indices of every later item. A view keeps its own rows and, in its
// main-thread handler, finds the row of the serial (CItemArray::findSerial).

namespace morvaline {

class CItemArray;

// What happened to an item or a place; the values are the numbers of the notifications,
// kept for the logs.
enum class ItemChange : int { Added = 9, Changed = 15, FileTransferred = 38 };
enum class PlaceChange : int { Added = 33, Changed = 34, ReservationChanged = 44 };

struct ItemNotice {
    ItemChange change = ItemChange::Changed;
    int placeSerial = 0;  // the serial of the item's place in the place tree
    int serial = 0;       // the item's serial in the place's message list

    // The notice of item index of a place's list, made right after the change.
    static ItemNotice of(ItemChange change, const CItemArray& list, int index);
    bool operator==(const ItemNotice&) const = default;
};

struct PlaceNotice {
    PlaceChange change = PlaceChange::Changed;
    int serial = 0;  // the place's serial in the place tree

    // The notice of place index of the tree, made right after the change.
    static PlaceNotice of(PlaceChange change, const CItemArray& tree, int index);
    bool operator==(const PlaceNotice&) const = default;
};

// Where notices go. A place whose list lost items (moved or deleted) gets PlaceChange::
// Changed: its view reads the list again.
class ChangeNotices {
public:
    virtual ~ChangeNotices() = default;
    // An item of a place's list was added or changed, or its file was transferred and its
    // path recorded.
    virtual void itemNotice(const ItemNotice& /*notice*/) {}
    // A place was added to the tree, or its properties, reservation, name or contents changed.
    virtual void placeNotice(const PlaceNotice& /*notice*/) {}
};

}  // namespace morvaline
