#pragma once
// Writing one post at the host's text entry, shared by the rooms of forums, boards, clubs,
// circles and posting places. The caller has opened the entry (the host waits for the title
// line); the writer sends the title, the text and "..", answers "G" to the question that
// follows (or "C" when the host offers only the cancel), and waits for the prompt the
// place shows after a post.
//
// A post counts as posted only when "G" was answered by that prompt: the item then becomes
// a message of the place without a number, holding the text that was sent, and its own
// text file goes once the list that records it was saved. A post the host cancelled, or one
// cut off by a lost line, stays reserved, and the text recorded for it is taken back.
// Patrol thread.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "patrol/engine/patrol_engine.h"

namespace morvaline {

class CItemArray;
class CTolDoc;

enum class PostEnd {
    Posted,     // registered by the host, recorded in the place's list
    Cancelled,  // the host took it back; the item stays reserved
    Stopped,    // the run is over
};

// The reserved items of a kind in a list, from its first pending index; skip-once items
// lose their flag and are passed over.
std::vector<int> reservedItems(CItemArray& list, int kind, std::initializer_list<int> reservations);

// The title line of the item as it goes to the host.
std::string postTitle(const CItemArray& list, int index);

// Sends the item index of the place's list (place: its index in the tree). after is the
// prompt that follows a post.
PostEnd WritePost(CPatrolEngine& engine, CTolDoc& doc, CItemArray& list, int place, int index,
                  std::string_view after);

}  // namespace morvaline
