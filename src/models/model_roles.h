#pragma once
// The data roles that the place tree and the subject list models offer beside the text.

#include <Qt>

namespace morvaline {

enum ModelRole : int {
    SerialRole = Qt::UserRole + 1,  // the item's serial (stable across deletions)
    IndexRole,                      // the item's index in its array at the last snapshot
    KindRole,                       // the item's kind code
    StateRole,                      // itemstate bits (models/item_state.h)
};

}  // namespace morvaline
