#include "store/change_notices.h"

#include "store/item_array.h"

namespace morvaline {

ItemNotice ItemNotice::of(ItemChange change, const CItemArray& list, int index) {
    return {change, list.ownerSerial(), list.item(index).m_nSerial};
}

PlaceNotice PlaceNotice::of(PlaceChange change, const CItemArray& tree, int index) {
    return {change, tree.item(index).m_nSerial};
}

}  // namespace morvaline
