#include "models/place_order.h"

#include <algorithm>

#include "models/collation.h"
#include "store/item.h"

namespace morvaline {

bool placeShown(const PlaceSnapshot& places, int index, const PlaceTreeOptions& options) {
    return options.showHidden || !(places.row(index).flags & ITEM_FLAG_HIDDEN_PLACE);
}

std::vector<int> sortedPlaceChildren(const PlaceSnapshot& places, int parent,
                                     const PlaceTreeOptions& options, const TextCollator& collator) {
    std::vector<int> shown;
    for (const int c : places.children(parent))
        if (placeShown(places, c, options)) shown.push_back(c);
    // Under the favourites place, registration order alone.
    if (places.inFavourites(parent)) {
        std::sort(shown.begin(), shown.end());
        return shown;
    }
    std::vector<int> registration = shown;
    std::sort(registration.begin(), registration.end());

    std::vector<int> pinnedFirst, favourites, sorted;
    for (const int c : shown) {
        if (options.mailFirst && c == 1) pinnedFirst.push_back(c);
        else if (places.row(c).kind == kind::kFavourites) favourites.push_back(c);
        else sorted.push_back(c);
    }

    struct Key {
        int index;
        bool numbered;
        int number;
        QCollatorSortKey text;
    };
    std::vector<Key> keys;
    keys.reserve(sorted.size());
    for (const int c : sorted) {
        const PlaceRow& r = places.row(c);
        const bool numbered = options.numberFirst && r.number > 0;
        std::string_view text;
        if (!numbered && options.order == PlaceOrder::Title) text = r.title;
        if (!numbered && options.order == PlaceOrder::Abbreviation) text = r.id;
        keys.push_back(Key{c, numbered, r.number, collator.sortKey(text)});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.numbered != b.numbered) return !a.numbered;
        if (a.numbered && a.number != b.number) return a.number < b.number;
        if (!a.numbered) {
            const int c = a.text.compare(b.text);
            if (c != 0) return c < 0;
        }
        return a.index < b.index;
    });

    std::vector<int> out = pinnedFirst;
    for (const Key& k : keys) out.push_back(k.index);
    // The favourites place stands where registration order puts it among its siblings.
    for (const int f : favourites) {
        const auto rank = std::lower_bound(registration.begin(), registration.end(), f) - registration.begin();
        out.insert(out.begin() + std::min<std::ptrdiff_t>(rank, static_cast<std::ptrdiff_t>(out.size())), f);
    }
    return out;
}

std::vector<int> placeTreeOrder(const PlaceSnapshot& places, const PlaceTreeOptions& options,
                                const TextCollator& collator) {
    std::vector<int> order;
    if (places.size() == 0) return order;
    std::vector<int> stack{0};
    while (!stack.empty() && order.size() < static_cast<std::size_t>(places.size())) {
        const int p = stack.back();
        stack.pop_back();
        order.push_back(p);
        const std::vector<int> children = sortedPlaceChildren(places, p, options, collator);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return order;
}

int firstHiddenOnPath(const PlaceSnapshot& places, int index, const PlaceTreeOptions& options) {
    int hidden = -1;
    for (std::size_t steps = 0; places.valid(index) && steps < static_cast<std::size_t>(places.size()); ++steps) {
        if (!placeShown(places, index, options)) hidden = index;
        index = places.row(index).parent;
    }
    return hidden;
}

}  // namespace morvaline
