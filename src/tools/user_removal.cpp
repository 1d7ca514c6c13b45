#include "tools/user_removal.h"

#include "store/document.h"
#include "store/item_transfer.h"

namespace morvaline {
namespace {

// Yes: with what lies below; No: without it; Cancel: nothing.
enum class Scope { WithSubItems, Alone, Declined };

Scope scopeOf(Answer answer) {
    switch (answer) {
        case Answer::Yes: return Scope::WithSubItems;
        case Answer::No: return Scope::Alone;
        case Answer::Cancel: break;
    }
    return Scope::Declined;
}

Scope yesOrNothing(bool yes) { return yes ? Scope::WithSubItems : Scope::Declined; }

// Marked items that a deletion takes with them and that no trash keeps: shortcuts and
// texts being written.
bool marksHoldUnkept(const CItemArray& list) {
    bool found = false;
    list.read([&](const std::vector<std::unique_ptr<CItem>>& items) {
        for (std::size_t i = 1; i < items.size() && !found; ++i) {
            const CItem& item = *items[i];
            found = item.hasFlag(ITEM_FLAG_MARKED) && (item.m_nKind == kind::kShortcut || keepsOwnText(item));
        }
    });
    return found;
}

Scope ask(CTolDoc& doc, const CItemArray& list, const std::string& placeTitle, UserAction& action,
          const UserSelection& what, const ToolRun& run) {
    using K = UserSelection::Kind;
    if (what.kind == K::All) {
        if (action == UserAction::Delete) return yesOrNothing(run.yes(texts::kDeletePlaceQuestion, placeTitle));
        if (action == UserAction::Trash && doc.integer(docint::kMoveAsks))
            return yesOrNothing(run.yes(texts::kTrashPlaceQuestion, placeTitle));
        return Scope::WithSubItems;
    }
    if (what.kind == K::Marked) {
        switch (action) {
            case UserAction::Delete: {
                const Scope scope = scopeOf(run.ask(texts::kDeleteMarkedQuestion, {}, {}, true));
                if (scope != Scope::Declined && marksHoldUnkept(list) && !run.yes(texts::kDeleteShortcutsQuestion))
                    return Scope::Declined;
                return scope;
            }
            case UserAction::Trash: return scopeOf(run.ask(texts::kTrashMarkedQuestion, {}, {}, true));
            case UserAction::Restore: return scopeOf(run.ask(texts::kRestoreMarkedQuestion));
        }
    }
    const CItem item = list.item(what.index);
    const bool hasSubItems = item.m_nChild >= 0;
    const std::string_view title = item.m_szTitle.view();
    if (action == UserAction::Trash && item.m_nKind == kind::kShortcut) {
        if (!run.yes(texts::kShortcutToTrashQuestion)) return Scope::Declined;
        action = UserAction::Delete;
        return Scope::Alone;
    }
    switch (action) {
        case UserAction::Delete:
            return hasSubItems ? scopeOf(run.ask(texts::kDeleteOneWithSubItemsQuestion, title, {}, true))
                               : yesOrNothing(run.yes(texts::kDeleteOneQuestion, title));
        case UserAction::Trash:
            if (!doc.integer(docint::kMoveAsks)) return Scope::WithSubItems;
            return hasSubItems ? scopeOf(run.ask(texts::kTrashOneWithCommentsQuestion, title, {}, true))
                               : yesOrNothing(run.yes(texts::kTrashOneQuestion, title));
        case UserAction::Restore:
            return hasSubItems ? scopeOf(run.ask(texts::kRestoreOneQuestion, title)) : Scope::WithSubItems;
    }
    return Scope::Declined;
}

}  // namespace

UserRemovalOutcome removeByUser(CTolDoc& doc, int place, CItemArray& list, UserAction action,
                                const UserSelection& what, const ToolRun& run, ChangeNotices* notices) {
    UserRemovalOutcome outcome;
    const CItem placeItem = doc.tree().item(place);
    const bool inTrash = placeItem.m_nKind == kind::kTrash;
    if (action == UserAction::Trash && trashCommandsDelete(doc, place)) action = UserAction::Delete;
    if (action == UserAction::Restore && !inTrash) {
        outcome.done = action;
        outcome.declined = true;
        return outcome;
    }
    const Scope scope = ask(doc, list, std::string(placeItem.m_szTitle.view()), action, what, run);
    outcome.done = action;
    if (scope == Scope::Declined) {
        outcome.declined = true;
        return outcome;
    }
    BulkRequest request;
    request.selection = what.kind == UserSelection::Kind::All      ? Selection::All
                        : what.kind == UserSelection::Kind::Marked ? Selection::Marked
                                                                   : Selection::One;
    request.index = what.index;
    request.subItems = scope == Scope::WithSubItems;
    request.actions = action == UserAction::Delete  ? bulk::kDelete
                      : action == UserAction::Trash ? bulk::kTrash
                                                    : bulk::kRestore;
    outcome.items = runBulk(doc, place, list, request, run, notices);
    return outcome;
}

}  // namespace morvaline
