#include "store/address_book.h"

#include "store/record_groups.h"
#include "store/tree_links.h"

namespace morvaline {

void CAddr::serialize(ArchiveWriter& ar) const {
    ar.writeInt32(1);
    writeIntGroup(ar, {parent, next, prev, firstChild, type, reserved});
    writeStringGroup(ar, {address, name, affiliation, department, memo});
}

void CAddr::deserialize(ArchiveReader& ar) {
    ar.readInt32();
    readIntGroup(ar, {&parent, &next, &prev, &firstChild, &type, &reserved});
    readStringGroup(ar, {&address, &name, &affiliation, &department, &memo});
}

int CAddrArray::findByName(std::string_view name) const {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].name == name) return static_cast<int>(i);
    return -1;
}

int CAddrArray::addNode(int parent, int type, int reserved, std::string_view address,
                        std::string_view name, std::string_view affiliation,
                        std::string_view department, std::string_view memo) {
    std::string unique(name);
    for (int n = 1; findByName(unique) >= 0; ++n) unique = std::string(name) + "~" + std::to_string(n);
    CAddr node{parent, -1, -1, -1, type, reserved, std::string(address), unique,
               std::string(affiliation), std::string(department), std::string(memo)};
    const int index = static_cast<int>(nodes_.size());
    if (parent >= 0 && parent < index) {
        CAddr& p = nodes_[static_cast<std::size_t>(parent)];
        if (p.firstChild < 0) {
            p.firstChild = index;
        } else {
            int last = p.firstChild;
            while (nodes_[static_cast<std::size_t>(last)].next >= 0)
                last = nodes_[static_cast<std::size_t>(last)].next;
            nodes_[static_cast<std::size_t>(last)].next = index;
            node.prev = last;
        }
    } else {
        node.parent = -1;
    }
    nodes_.push_back(std::move(node));
    return index;
}

bool CAddrArray::deleteNode(int index) {
    const int n = static_cast<int>(nodes_.size());
    if (index <= 0 || index >= n) return false;
    auto at = [this](int i) -> CAddr& { return nodes_[static_cast<std::size_t>(i)]; };
    // The node and its subtree, found by walking down from it (bounded by the node count).
    std::vector<bool> removed(nodes_.size(), false);
    std::vector<int> pending{index};
    while (!pending.empty()) {
        const int i = pending.back();
        pending.pop_back();
        if (removed[static_cast<std::size_t>(i)]) continue;
        removed[static_cast<std::size_t>(i)] = true;
        for (int c = at(i).firstChild; c >= 0 && !removed[static_cast<std::size_t>(c)]; c = at(c).next)
            pending.push_back(c);
    }
    CAddr& node = at(index);
    if (node.prev >= 0) at(node.prev).next = node.next;
    else if (node.parent >= 0) at(node.parent).firstChild = node.next;
    if (node.next >= 0) at(node.next).prev = node.prev;

    std::vector<int> moved(nodes_.size(), -1);
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (!removed[static_cast<std::size_t>(i)]) moved[static_cast<std::size_t>(i)] = kept++;
    auto follow = [&moved](std::int32_t link) { return link < 0 ? -1 : moved[static_cast<std::size_t>(link)]; };
    std::vector<CAddr> rest;
    rest.reserve(static_cast<std::size_t>(kept));
    for (int i = 0; i < n; ++i) {
        if (removed[static_cast<std::size_t>(i)]) continue;
        CAddr a = std::move(at(i));
        a.parent = follow(a.parent);
        a.next = follow(a.next);
        a.prev = follow(a.prev);
        a.firstChild = follow(a.firstChild);
        rest.push_back(std::move(a));
    }
    nodes_ = std::move(rest);
    return true;
}

void CAddrArray::collectNames(int index, std::string& list) const {
    std::vector<bool> seen(nodes_.size(), false);
    std::vector<int> pending{index};
    // Depth first, children in order: the stack takes each folder's children reversed.
    while (!pending.empty()) {
        const int i = pending.back();
        pending.pop_back();
        if (i < 0 || i >= static_cast<int>(nodes_.size()) || seen[static_cast<std::size_t>(i)])
            continue;
        seen[static_cast<std::size_t>(i)] = true;
        const CAddr& node = nodes_[static_cast<std::size_t>(i)];
        if (node.type != CAddr::kFolder) {
            if (!list.empty()) list += ',';
            list += node.name;
            continue;
        }
        std::vector<int> children;
        for (int c = node.firstChild; c >= 0 && c < static_cast<int>(nodes_.size()) &&
                                      children.size() < nodes_.size();
             c = nodes_[static_cast<std::size_t>(c)].next)
            children.push_back(c);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

bool CAddrArray::linksValid() const {
    return treeLinksValid(static_cast<int>(nodes_.size()), [this](int i) {
        const CAddr& node = nodes_[static_cast<std::size_t>(i)];
        return TreeLinks{node.parent, node.next, node.prev, node.firstChild};
    });
}

void CAddrArray::serialize(ArchiveWriter& ar) const { writeObjectArray(ar, "CAddr", nodes_); }

void CAddrArray::deserialize(ArchiveReader& ar) {
    readObjectArray(ar, "CAddr", nodes_);
    if (!linksValid()) throw ArchiveError("damaged address book");
}

}  // namespace morvaline
