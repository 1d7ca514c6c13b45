#include "store/listing_merge.h"

namespace morvaline {

void ListedItems::add(const std::string& key, Ref ref) {
    slots_[key].push_back({ref, false});
}

std::vector<std::optional<ListedItems::Ref>> ListedItems::match(const std::vector<Entry>& entries) {
    std::vector<std::optional<Ref>> found(entries.size());
    // First the items that keep their numbers, then the others in order.
    for (const bool sameNumber : {true, false}) {
        for (std::size_t e = 0; e < entries.size(); ++e) {
            if (found[e]) continue;
            const auto it = slots_.find(entries[e].key);
            if (it == slots_.end()) continue;
            for (Slot& slot : it->second) {
                if (slot.taken || (sameNumber && slot.ref.number != entries[e].number)) continue;
                slot.taken = true;
                found[e] = slot.ref;
                break;
            }
        }
    }
    return found;
}

ListingMatch matchListing(std::span<CItemArray* const> lists, const StoredKey& storedKey,
                          const std::vector<ListedItems::Entry>& entries) {
    ListedItems stored;
    ListingMatch match;
    match.named.resize(lists.size());
    for (std::size_t l = 0; l < lists.size(); ++l) {
        lists[l]->read([&](const std::vector<std::unique_ptr<CItem>>& items) {
            match.named[l].assign(items.size(), 0);
            for (std::size_t i = 1; i < items.size(); ++i)
                if (const std::optional<std::string> key = storedKey(*items[i]))
                    stored.add(*key, {static_cast<int>(l), static_cast<int>(i), items[i]->m_nNumber});
        });
    }
    match.found = stored.match(entries);
    for (const std::optional<ListedItems::Ref>& ref : match.found)
        if (ref) match.named[static_cast<std::size_t>(ref->list)][static_cast<std::size_t>(ref->index)] = 1;
    return match;
}

}  // namespace morvaline
