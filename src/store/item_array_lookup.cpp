// Lookups and tree walks of CItemArray.

#include "store/item_array.h"


namespace morvaline {

using Lock = std::lock_guard<std::recursive_mutex>;

int CItemArray::lastChild(int index) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    if (!p) return -1;
    if (const auto hint = lastChildHint_.find(index); hint != lastChildHint_.end()) {
        const CItem* h = at(hint->second);
        if (h && h->m_nParent == index && h->m_nNext == -1) return hint->second;
    }
    int child = p->m_nChild;
    for (std::size_t steps = 0; child >= 0 && steps < items_.size(); ++steps) {
        const CItem* c = at(child);
        if (!c || c->m_nNext < 0) break;
        child = c->m_nNext;
    }
    if (child >= 0) lastChildHint_[index] = child;
    return child;
}

template <typename Pred>
int CItemArray::findInSubtree(int root, Pred pred) const {
    const CItem* r = at(root);
    if (!r) return -1;
    int i = r->m_nChild;
    for (std::size_t steps = 0; i >= 0 && steps <= items_.size(); ++steps) {
        const CItem* p = at(i);
        if (!p) return -1;
        if (pred(*p)) return i;
        if (p->m_nChild >= 0) {
            i = p->m_nChild;
            continue;
        }
        // Up to the nearest ancestor (below root) that has a next sibling.
        while (i != root && at(i) && at(i)->m_nNext < 0) i = at(i)->m_nParent;
        if (i == root || !at(i)) return -1;
        i = at(i)->m_nNext;
    }
    return -1;
}

int CItemArray::findNumberInSubtree(int root, int number) const {
    Lock lock(itemLock_);
    return findInSubtree(root, [number](const CItem& c) { return c.m_nNumber == number; });
}

int CItemArray::findTargetInSubtree(int root, int target) const {
    Lock lock(itemLock_);
    return findInSubtree(root, [target](const CItem& c) { return c.m_nTarget == target; });
}

int CItemArray::findIdKindInSubtree(int root, std::string_view id, int kind) const {
    Lock lock(itemLock_);
    return findInSubtree(root,
                         [&](const CItem& c) { return c.m_nKind == kind && c.m_szID == id; });
}

namespace {

// Applies pred to the children of parent, or to all items when parent is -1.
template <typename Items, typename Pred>
int findAmongChildren(const Items& items, int parent, Pred pred) {
    const int n = static_cast<int>(items.size());
    if (parent < 0) {
        for (int i = 0; i < n; ++i)
            if (pred(*items[i])) return i;
        return -1;
    }
    if (parent >= n) return -1;
    int i = items[parent]->m_nChild;
    for (int steps = 0; i >= 0 && i < n && steps < n; ++steps) {
        if (pred(*items[i])) return i;
        i = items[i]->m_nNext;
    }
    return -1;
}

}  // namespace

int CItemArray::findChildKind(int parent, int kind) const {
    Lock lock(itemLock_);
    return findAmongChildren(items_, parent, [kind](const CItem& c) { return c.m_nKind == kind; });
}

int CItemArray::findChildKinds(int parent, int kind1, int kind2) const {
    Lock lock(itemLock_);
    return findAmongChildren(items_, parent, [=](const CItem& c) {
        return c.m_nKind == kind1 || c.m_nKind == kind2;
    });
}

int CItemArray::findChild(int parent, std::string_view id, int kind, int number) const {
    Lock lock(itemLock_);
    return findAmongChildren(items_, parent, [&](const CItem& c) {
        return c.m_nKind == kind && c.m_nNumber == number && c.m_szID == id;
    });
}

int CItemArray::findId(std::string_view id) const {
    Lock lock(itemLock_);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        if (!items_[i]->hasFlag(ITEM_FLAG_HIDDEN) && items_[i]->m_szID == id) return i;
    return -1;
}

int CItemArray::findKind(int kind) const {
    Lock lock(itemLock_);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        if (items_[i]->m_nKind == kind) return i;
    return -1;
}

int CItemArray::findTitleKind(std::string_view title, int kind) const {
    Lock lock(itemLock_);
    for (int i = 1; i < static_cast<int>(items_.size()); ++i)
        if (items_[i]->m_nKind == kind && items_[i]->m_szTitle == title) return i;
    return -1;
}

template <typename Pred>
int CItemArray::findBackward(Pred pred) const {
    for (int i = static_cast<int>(items_.size()) - 1; i >= 1; --i)
        if (pred(*items_[i])) return i;
    return -1;
}

int CItemArray::findLastNumber(int number) const {
    Lock lock(itemLock_);
    return findBackward([=](const CItem& c) { return c.m_nNumber == number; });
}

int CItemArray::findLastNumberKind(int number, int kind) const {
    Lock lock(itemLock_);
    return findBackward([=](const CItem& c) { return c.m_nNumber == number && c.m_nKind == kind; });
}

int CItemArray::findLastNumberKindDate(int number, int kind, FileTime date) const {
    Lock lock(itemLock_);
    return findBackward([=](const CItem& c) {
        return c.m_nNumber == number && c.m_nKind == kind && c.m_ftDate == date;
    });
}

int CItemArray::findLastTitleDate(std::string_view title, FileTime date) const {
    Lock lock(itemLock_);
    return findBackward([&](const CItem& c) {
        return !c.hasFlag(ITEM_FLAG_DELETED) && c.m_ftDate == date && c.m_szTitle == title;
    });
}

int CItemArray::findSerial(int serial) const {
    Lock lock(itemLock_);
    // The root is not part of the backward scan but may be asked for by serial.
    const int found = findBackward([=](const CItem& c) { return c.m_nSerial == serial; });
    if (found < 0 && !items_.empty() && items_[0]->m_nSerial == serial) return 0;
    return found;
}

int CItemArray::findEqual(const CItem& probe, std::uint32_t mask) const {
    Lock lock(itemLock_);
    return findBackward([&](const CItem& c) { return c.equals(probe, mask); });
}

int CItemArray::findSameDay(FileTime date, std::string_view senderId, std::string_view text) const {
    Lock lock(itemLock_);
    const LocalTimeFields day = fieldsFromFileTime(date);
    return findBackward([&](const CItem& c) {
        const LocalTimeFields other = fieldsFromFileTime(c.m_ftDate);
        if (other.year != day.year || other.month != day.month || other.day != day.day)
            return false;
        if (senderId.empty()) return c.m_strText == text;
        return c.m_szID == senderId &&
               std::string_view(c.m_strText).substr(0, 45) == text.substr(0, 45);
    });
}

bool CItemArray::isBelow(int index, int ancestor) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    for (std::size_t steps = 0; p && steps < items_.size(); ++steps) {
        if (p->m_nParent == ancestor) return true;
        p = at(p->m_nParent);
    }
    return false;
}

bool CItemArray::hasMarkedAncestor(int index) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    for (std::size_t steps = 0; p && steps < items_.size(); ++steps) {
        p = at(p->m_nParent);
        if (p && p->hasFlag(ITEM_FLAG_MARKED)) return true;
    }
    return false;
}

int CItemArray::nextInReadingOrder(int index) const {
    Lock lock(itemLock_);
    int i = index;
    for (std::size_t steps = 0; steps < items_.size(); ++steps) {
        const CItem* p = at(i);
        if (!p) return -1;
        int next = p->m_nChild;
        if (next < 0) {
            while (p && p->m_nNext < 0) p = at(p->m_nParent);
            if (!p) return -1;
            next = p->m_nNext;
        }
        const CItem* n = at(next);
        if (!n) return -1;
        const bool passedOver =
            (n->m_nKind == kind::kComment || n->m_nKind == kind::kShortcut) && n->m_nParent != 0;
        if (!passedOver) return next;
        i = next;
    }
    return -1;
}

int CItemArray::nextCommentOrShortcut(int index) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    for (std::size_t steps = 0; p && steps < items_.size(); ++steps) {
        const int next = p->m_nNext;
        p = at(next);
        if (p && (p->m_nKind == kind::kComment || p->m_nKind == kind::kShortcut)) return next;
    }
    return -1;
}

std::string CItemArray::displayPath(int index) const {
    Lock lock(itemLock_);
    static const std::string kSeparator = " / ";
    std::vector<std::string_view> titles;
    const CItem* p = at(index);
    for (std::size_t steps = 0; p && steps < items_.size(); ++steps) {
        p = at(p->m_nParent);
        if (!p || p->m_nParent < 0 || p->m_nKind == kind::kFolder) break;
        titles.push_back(p->m_szTitle.view());
    }
    std::string path;
    for (auto it = titles.rbegin(); it != titles.rend(); ++it) {
        if (!path.empty()) path += kSeparator;
        path += *it;
    }
    return path;
}

}  // namespace morvaline
