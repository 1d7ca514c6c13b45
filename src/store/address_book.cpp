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
