#include "models/place_snapshot.h"

#include "store/item_array.h"

namespace morvaline {

PlaceSnapshot PlaceSnapshot::of(const CItemArray& tree) {
    PlaceSnapshot s;
    tree.read([&s](const std::vector<std::unique_ptr<CItem>>& items) {
        s.rows_.reserve(items.size());
        for (const auto& item : items) {
            PlaceRow r;
            r.parent = item->m_nParent;
            r.child = item->m_nChild;
            r.next = item->m_nNext;
            r.kind = item->m_nKind;
            r.number = item->m_nNumber;
            r.reserve = item->m_nReserve;
            r.generation = item->m_nGeneration;
            r.serial = item->m_nSerial;
            r.flags = item->m_dwFlags;
            r.id = std::string(item->m_szID.view());
            r.title = std::string(item->m_szTitle.view());
            s.rows_.push_back(std::move(r));
        }
    });
    for (int i = 0; i < s.size(); ++i) s.bySerial_.emplace(s.rows_[static_cast<std::size_t>(i)].serial, i);
    return s;
}

int PlaceSnapshot::indexOfSerial(int serial) const {
    const auto it = bySerial_.find(serial);
    return it == bySerial_.end() ? -1 : it->second;
}

std::vector<int> PlaceSnapshot::children(int index) const {
    std::vector<int> out;
    if (!valid(index)) return out;
    // A damaged chain that loops is cut after as many steps as there are rows.
    for (int c = row(index).child; valid(c) && out.size() < rows_.size(); c = row(c).next) out.push_back(c);
    return out;
}

bool PlaceSnapshot::inFavourites(int index) const {
    for (std::size_t steps = 0; valid(index) && steps < rows_.size(); ++steps) {
        if (row(index).kind == kind::kFavourites) return true;
        index = row(index).parent;
    }
    return false;
}

}  // namespace morvaline
