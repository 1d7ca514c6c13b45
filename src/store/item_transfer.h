#pragma once
// Moving and copying messages between the message lists of two places, each with its text,
// its flags and (when asked) the comments and shortcuts below it. The trash, the way back
// out of it, the mail assistant, auto-deletion and the move commands all go through here.
//
// The target is written first: its texts are appended and its list saved before the source
// loses anything, and the source then drops the items in one crash-safe change of its two
// files (CItemArray::remove). An interruption leaves an item in the source, at worst in
// both lists, never in neither.

#include <vector>

namespace morvaline {

class CItem;
class CItemArray;
class CTolDoc;

// Items whose text is a numbered file of its own ("~C%06d.MSG", "~T%06d.MSG") rather than
// a part of their place's text file: templates and items waiting to be sent.
bool keepsOwnText(const CItem& item);

// The items of `from` at the given indices (each with everything below it when
// withSubtrees; an item below another chosen one goes with that one), in their order and
// with their own tree, for a transfer.
std::vector<int> transferSelection(const CItemArray& from, const std::vector<int>& indices,
                                   bool withSubtrees);

// Copies the selection (transferSelection) under item `parent` of `to`; a copy keeps every
// field but its links and serial, an item with its own text file gets a copy of that file
// under a new number. `to` is saved. The indices of the copies in `to`, in the order of the
// selection, or empty when a text could not be read or written or the list not be saved
// (then `to` is as it was).
std::vector<int> copyItems(CTolDoc& doc, CItemArray& from, const std::vector<int>& selection,
                           CItemArray& to, int parent = 0);

// Copies the selection as copyItems does (an own text file moves with its item instead of
// being copied), then removes it from `from`. The indices of the moved items in `to`, or
// empty when nothing moved. When the source could not be rewritten, the items stay in both
// lists and *inBoth is set.
std::vector<int> moveItems(CTolDoc& doc, CItemArray& from, const std::vector<int>& selection,
                           CItemArray& to, int parent = 0, bool* inBoth = nullptr);

}  // namespace morvaline
