#pragma once
// The order of the places under each node of the place tree, and which places it leaves
// out. Siblings are ordered as follows: the e-mail folder (index 1) first when "mail
// first" is on; the favourites place keeps its position among its siblings by registration,
// and the entries below it keep the order in which they were added; with "number first"
// the places without a number come before the numbered ones, which follow in number order;
// otherwise by title, by ID or by registration; ties keep registration order.
//
// The order is computed by keys, never by a pairwise rule that mixes registration and
// number order (such a rule is not transitive, and a sort that relies on it may fail).

#include <vector>

#include "models/place_snapshot.h"

namespace morvaline {

class TextCollator;

enum class PlaceOrder : int { Registration = 0, Title = 1, Abbreviation = 2 };

struct PlaceTreeOptions {
    PlaceOrder order = PlaceOrder::Title;
    bool numberFirst = true;
    bool mailFirst = true;
    bool showNumber = false;
    bool showAbbreviation = false;
    bool showHidden = false;
};

// The place is shown when it is not hidden, or hidden places are shown.
bool placeShown(const PlaceSnapshot& places, int index, const PlaceTreeOptions& options);

// The shown children of a place, in the tree's order.
std::vector<int> sortedPlaceChildren(const PlaceSnapshot& places, int parent,
                                     const PlaceTreeOptions& options, const TextCollator& collator);

// Every shown place below the root in the order in which the tree shows them (depth
// first), the root first.
std::vector<int> placeTreeOrder(const PlaceSnapshot& places, const PlaceTreeOptions& options,
                                const TextCollator& collator);

// The hidden place nearest the root on the way from the root to index (the place itself
// included), or -1 when the way is open.
int firstHiddenOnPath(const PlaceSnapshot& places, int index, const PlaceTreeOptions& options);

}  // namespace morvaline
