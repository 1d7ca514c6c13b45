// Feeds damaged message lists and documents to their loaders: they must refuse damage
// with an error, never crash, overrun or hang, and what they accept must be a tree that
// every walk over it can follow. fuzz/store-seeds fills the corpus with the files of a
// data set that patrolled ludrix-host, so the mutations start from real lists.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry.h"
#include "store/archive.h"
#include "store/document.h"
#include "store/item_array.h"

namespace {

using namespace morvaline;

// Follows every kind of link from every item; a walk longer than the list is a loop.
void walk(const CItemArray& list) {
    const int n = list.size();
    int steps = 0;
    for (int i = 0; i >= 0; i = list.nextInReadingOrder(i))
        if (++steps > n) __builtin_trap();
    for (int i = 0; i < n; ++i) {
        list.displayPath(i);
        list.lastChild(i);
        list.nextCommentOrShortcut(i);
        list.hasMarkedAncestor(i);
        if (i > 0 && !list.isBelow(i, 0)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.empty() && bytes[0] == 'L') {
        CItemArray list;
        if (list.load(bytes.substr(1)) != ListLoad::Loaded || list.size() == 0) return 0;
        walk(list);
        // Deleting keeps the links whole.
        list.remove(list.size() / 2);
        if (!list.linksValid()) __builtin_trap();
        walk(list);
    } else {
        static Registry registry("/dev/null");
        auto result = CTolDoc::readDocumentBytes(bytes.substr(bytes.empty() ? 0 : 1), registry);
        if (!result.doc) return 0;
        walk(result.doc->tree());
        result.doc->serializeToBytes();
    }
    return 0;
}
