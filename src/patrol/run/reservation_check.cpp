#include "patrol/run/reservation_check.h"

namespace morvaline {

DueCheck checkReservation(CItemArray& tree, int index, const CReserveArray* menu, PatrolLevel level,
                          bool peek) {
    DueCheck check;
    const CItem place = tree.item(index);
    if (!place.isReserved()) return check;
    // On a forum room the bit says "read from the stored last-read number" instead; the
    // room's read clears it, so it must not make the room skip a patrol.
    if (place.hasFlag(ITEM_FLAG_SKIP_ONCE) && place.m_nKind != kind::kRoom) {
        if (!peek) tree.setFlags(index, ITEM_FLAG_SKIP_ONCE, 0);
        return check;
    }
    const CReserve* entry = menu ? menu->find(place.m_nReserve) : nullptr;
    if (!entry) return check;
    check.flags = entry->actionFlags;
    check.priority = entry->priority;
    if ((entry->actionFlags & kOneShotReservation) && !peek) {
        tree.setReserve(index, -1);
        check.reservationCleared = true;
    }
    check.due = static_cast<int>(level) >= entry->priority;
    return check;
}

}  // namespace morvaline
