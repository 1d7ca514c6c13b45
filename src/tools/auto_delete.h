#pragma once
// Auto-deletion: each place's deletion rule moves its messages older than a number of days
// to the trash or deletes them, optionally sparing marked messages and their comments. The
// bulk operation that carries a rule out also serves the user's delete, move-to-trash,
// restore and export commands.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "store/delete_rule.h"
#include "store/tool_run.h"

namespace morvaline {

class ChangeNotices;
class CItem;
class CItemArray;
class CTolDoc;

// The default rule slot of a place kind, -1 for none.
int deleteSlotOfKind(int kind);
// The rule that applies to a place: none (null) when auto-deletion is off, the place is
// hidden, or its own rule (or, for 0, its kind's default) is negative, unknown or has a
// negative day count.
const CDelete* ruleOfPlace(CTolDoc& doc, const CItem& place);
// "%d日後、削除 (マーク以外)" and so on (Shift_JIS).
std::string describe(const CDelete& rule);

// The items a bulk operation takes.
enum class Selection {
    All = 0,
    Marked = 1,
    One = 2,
    Older = 3,                // dated before the age limit
    OlderSparingMarked = 4,   // the same, marked items (and with subItems, their comments) spared
};

namespace bulk {
inline constexpr unsigned kExport = 0x1;
inline constexpr unsigned kTrash = 0x2;
inline constexpr unsigned kDelete = 0x4;
inline constexpr unsigned kRestore = 0x8;
}  // namespace bulk

struct BulkRequest {
    Selection selection = Selection::All;
    bool subItems = false;  // the items below the selected (or, with OlderSparingMarked, the spared) ones
    int index = 0;          // Selection::One
    FileTime ageLimit = 0;  // Selection::Older...
    unsigned actions = 0;
    // Age selections leave alone what a patrol still needs: reserved items and items being
    // written.
    bool keepPending = false;
    std::filesystem::path exportFile;
    bool appendExport = false;
};

struct BulkOutcome {
    int selected = 0;
    int done = 0;      // exported, moved or deleted
    int failed = 0;    // left where they were (a list could not be written, no former place)
    bool cancelled = false;
};

// The indices of a list that a request selects, in list order.
std::vector<int> selectItems(const CItemArray& list, const BulkRequest& request);

// Runs a bulk operation over the list of place (held open by the caller).
BulkOutcome runBulk(CTolDoc& doc, int place, CItemArray& list, const BulkRequest& request,
                    const ToolRun& run, ChangeNotices* notices = nullptr);

// Whether moving a place's messages to the trash deletes them instead: the document's
// switch says so, or the place is the trash itself or hidden.
bool trashCommandsDelete(CTolDoc& doc, int place);

// Moves items of place's list (held open) to the trash (held open), each remembering the
// place it came from; shortcuts, which cannot lie in the trash, are deleted. Counts what it
// moved or deleted as done, what stayed as failed.
void trashItems(CTolDoc& doc, int place, CItemArray& list, CItemArray& trash, std::vector<int> items,
                BulkOutcome& outcome, ChangeNotices* notices = nullptr);

// The age limit of a rule at time now: now minus the rule's days.
FileTime ageLimit(const CDelete& rule, FileTime now);

struct ExpiryOutcome {
    BulkOutcome items;
    bool stopped = false;  // the user said no to the question, or the run was cancelled
};

// Applies the rule of one place (dryRun: only counts what it would take).
ExpiryOutcome applyDeleteRule(CTolDoc& doc, int place, bool firstPlace, bool silent, FileTime now,
                              const ToolRun& run, ChangeNotices* notices = nullptr, bool dryRun = false);

// Runs every place's rule over the whole tree (rooms numbered above 20 are skipped),
// reporting progress per place; asks first when the document says so.
ExpiryOutcome runAutoDeletion(CTolDoc& doc, FileTime now, const ToolRun& run,
                              ChangeNotices* notices = nullptr, bool dryRun = false);

// The place that an item in the trash came from (a serial of the place tree, 0: unknown):
// kept in the item's last spare value while it lies in the trash.
inline constexpr int kFormerPlaceSpare = 4;

}  // namespace morvaline
