#pragma once
// Whether a place's reservation is due in a patrol run at the chosen priority level.

#include "store/item_array.h"
#include "store/reserve.h"

namespace morvaline {

// Priority levels of a run: which reservation priorities (A = 0 ... E = 4) it carries out.
enum class PatrolLevel : int {
    OnlyA = 0,  // "Aのみ"
    AAndB = 1,  // "AとB"
    AToC = 2,   // "AとBとC"
    AToD = 3,   // "AからD"
    All = 4,    // "すべて"
};

// A menu entry flag: the reservation is carried out once and then cleared.
inline constexpr int kOneShotReservation = 0x200;

struct DueCheck {
    bool due = false;
    int flags = 0;                    // the action flags of the place's menu entry
    int priority = 999;               // its priority; 999 when the place has none
    bool reservationCleared = false;  // a one-shot reservation was used up
};

// Checks place index of the tree against the menu of its kind. Unless peeking, a skip-once
// flag is cleared (and the place is not due; not on a forum room, where the bit means
// something else) and a one-shot reservation is cleared.
DueCheck checkReservation(CItemArray& tree, int index, const CReserveArray* menu, PatrolLevel level,
                          bool peek);

}  // namespace morvaline
