#pragma once
// The check of a tree laid over an array by index links: the place tree, the message
// lists and the address book. Loaders run it before anything follows a link, since a
// damaged file may hold any numbers: every link is range-checked first, then the chains
// are walked with marks, so that a loop through siblings or parents is found, never
// followed.

#include <vector>

namespace morvaline {

struct TreeLinks {
    int parent = -1, next = -1, prev = -1, child = -1;
};

// The first link fault of entry i, its number as the file check reports it, 0 when none:
// 100 parent, 101 next sibling, 102 first child out of range; 103 a first child that names
// another parent; 104 a next sibling, 105 a previous sibling that does not link back (or
// lies out of range); 106 its own next, 107 its own previous sibling. Every link of the
// entry is range-checked before one is followed.
template <class LinksOf>
int entryLinkError(int count, LinksOf&& linksOf, int i) {
    const TreeLinks l = linksOf(i);
    if (l.parent >= count) return 100;
    if (l.next >= count) return 101;
    if (l.child >= count) return 102;
    if (l.prev >= count) return 105;
    if (l.child >= 0 && linksOf(l.child).parent != i) return 103;
    if (l.next == i) return 106;
    if (l.prev == i) return 107;
    if (l.next >= 0 && linksOf(l.next).prev != i) return 104;
    if (l.prev >= 0 && linksOf(l.prev).next != i) return 105;
    return 0;
}

// True when the links of count entries (linksOf(i) gives entry i's) form a forest: each
// chain of children links back and names its parent, every entry with a parent is in that
// parent's chain exactly once, an entry without a parent has no siblings, and every entry
// is reached from an entry without a parent.
template <class LinksOf>
bool treeLinksValid(int count, LinksOf&& linksOf) {
    std::vector<TreeLinks> links;
    links.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const TreeLinks l = linksOf(i);
        for (const int link : {l.parent, l.next, l.prev, l.child})
            if (link < -1 || link >= count) return false;
        links.push_back(l);
    }
    auto at = [&links](int i) -> const TreeLinks& { return links[static_cast<std::size_t>(i)]; };
    std::vector<bool> inChain(links.size(), false);
    for (int i = 0; i < count; ++i) {
        int prev = -1;
        for (int c = at(i).child; c >= 0; c = at(c).next) {
            if (inChain[static_cast<std::size_t>(c)] || at(c).parent != i || at(c).prev != prev)
                return false;
            inChain[static_cast<std::size_t>(c)] = true;
            prev = c;
        }
    }
    std::vector<int> pending;
    for (int i = 0; i < count; ++i) {
        const TreeLinks& l = at(i);
        if (l.parent >= 0 && !inChain[static_cast<std::size_t>(i)]) return false;
        if (l.parent < 0) {
            if (l.next != -1 || l.prev != -1) return false;
            pending.push_back(i);
        }
    }
    // Entries whose parents form a loop are in chains but never reached from the top.
    int reached = 0;
    while (!pending.empty()) {
        const int i = pending.back();
        pending.pop_back();
        ++reached;
        for (int c = at(i).child; c >= 0; c = at(c).next) pending.push_back(c);
    }
    return reached == count;
}

}  // namespace morvaline
