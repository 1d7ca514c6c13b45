#pragma once
// The file check ("ﾌｧｲﾙのﾁｪｯｸ"): walks the place tree and every message list, reports each
// inconsistency with its error number, asks before each repair, and rebuilds damaged lists
// (RepairList). It never follows a link before it has range-checked it, so damaged files
// are reported, never crash or hang it.
//
// Error numbers: 1 a list that cannot be read; 100 ... 107 link faults of an entry
// (tree_links.h) and 108 links that loop or leave an entry unreachable; 200 ... 221, 300,
// 301, 400, 611 item validation; 500, 501, 504, 505 the place tree; 600 ... 607 kinds that
// do not belong in their list; 609 a text reaching beyond the end of the text file.

#include <filesystem>
#include <string>

#include "store/tool_run.h"

namespace morvaline {

class CItemArray;
class CTolDoc;

inline constexpr int kUnreadableList = 1;
inline constexpr int kLinksLoop = 108;

struct CheckOutcome {
    int problems = 0;
    int repaired = 0;
    bool stopped = false;  // cancelled, or the user chose not to go on
};

// Runs the check; with writeLog, "CHKFILE.LOG" (0600) in the data folder records it.
CheckOutcome CheckFiles(CTolDoc& doc, bool writeLog, const ToolRun& run);

// What RepairList did.
enum class Repair {
    Rebuilt = 0,       // the list was rebuilt from the old text
    NotRebuilt = -1,   // the list starts anew; the old text is kept
    NoText = -2,       // the list starts anew; there was no old text
};

// Rebuilds the list of a place: the damaged list is kept under a name of its own, the old
// text file moves to a kept name in the data folder (*keptText), and a board, club or
// circle gets its messages back from it through the log capture.
Repair RepairList(CTolDoc& doc, int place, std::filesystem::path* keptText);

// "再構成": asks first, repairs, and tells the outcome; false when the user said no.
bool RebuildPlace(CTolDoc& doc, int place, const ToolRun& run);

// The first error number of a list's items and links (0: none), checked as the file check
// does; used on lists read from damaged files too.
int listLinkError(const CItemArray& list);

}  // namespace morvaline
