#pragma once
// Merging a host's listing (of mails, messages, files or notices) into the stored lists:
// which stored item each listed entry is, so that an entry already stored is never stored
// twice, and which stored items the listing named (a complete listing that leaves one out
// means it has left the host). The caller keys its items (a day, a party and a subject for
// a mail, say) and updates or adds them.
//
// Each stored item answers at most one entry of a listing, so two entries with the same
// key stay two items.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/item.h"
#include "store/item_array.h"

namespace morvaline {

// Stored items by key, each given to at most one listed entry.
class ListedItems {
public:
    struct Ref {
        int list = 0;    // which of the caller's lists
        int index = 0;   // the item's index there
        int number = 0;  // the item's host number before the listing
    };
    struct Entry {
        std::string key;
        int number = 0;  // the number the host lists it under
    };
    void add(const std::string& key, Ref ref);
    // The stored item of each listed entry, or none for an entry not stored yet. An entry
    // gets an item of its key that had its number if there is one, else the first one left
    // in the order they were added.
    std::vector<std::optional<Ref>> match(const std::vector<Entry>& entries);

private:
    struct Slot {
        Ref ref;
        bool taken = false;
    };
    std::unordered_map<std::string, std::vector<Slot>> slots_;
};

struct ListingMatch {
    std::vector<std::optional<ListedItems::Ref>> found;  // per listed entry
    std::vector<std::vector<char>> named;                // per list and item: named by an entry
    bool isNamed(int list, int index) const {
        return named[static_cast<std::size_t>(list)][static_cast<std::size_t>(index)] != 0;
    }
};

// The key of a stored item that a listing may name; none for an item it cannot (another
// kind, or one known to have left the host).
using StoredKey = std::function<std::optional<std::string>(const CItem&)>;

// Matches the listed entries with the items of the lists (from index 1; each list is read
// under its lock).
ListingMatch matchListing(std::span<CItemArray* const> lists, const StoredKey& storedKey,
                          const std::vector<ListedItems::Entry>& entries);

}  // namespace morvaline
