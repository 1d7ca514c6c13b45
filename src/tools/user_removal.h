#pragma once
// The user's delete, move-to-trash and restore commands: which of them a command becomes,
// the question it asks first, and the bulk operation that carries it out.

#include "tools/auto_delete.h"

namespace morvaline {

enum class UserAction { Trash, Delete, Restore };

// What a command takes: one message (with or without what lies below it, as the answer
// says), the marked messages, or the whole list.
struct UserSelection {
    enum class Kind { One, Marked, All } kind = Kind::One;
    int index = 0;  // Kind::One
};

struct UserRemovalOutcome {
    UserAction done = UserAction::Trash;  // what the command became
    BulkOutcome items;
    bool declined = false;  // the user answered No or Cancel
};

// Moving to the trash deletes instead when the document says so, in the trash itself and
// in hidden places; a shortcut cannot lie in the trash and is deleted after asking.
// Restoring works in the trash only (each message goes back to the place it came from).
UserRemovalOutcome removeByUser(CTolDoc& doc, int place, CItemArray& list, UserAction action,
                                const UserSelection& what, const ToolRun& run,
                                ChangeNotices* notices = nullptr);

}  // namespace morvaline
