// Feeds arbitrary bytes to the loaders of message lists and documents: they must refuse
// damage with an error, never crash, overrun or hang.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry.h"
#include "store/archive.h"
#include "store/document.h"
#include "store/item_array.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvaline;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.empty() && bytes[0] == 'L') {
        CItemArray list;
        try {
            ArchiveReader ar(bytes.substr(1));
            list.deserialize(ar);
            if (list.linksValid() && list.size() > 0) {
                list.nextInReadingOrder(0);
                list.displayPath(list.size() - 1);
            }
        } catch (const ArchiveError&) {
        }
    } else {
        static Registry registry("/dev/null");
        auto result = CTolDoc::readDocumentBytes(bytes.substr(bytes.empty() ? 0 : 1), registry);
        if (result.doc) result.doc->serializeToBytes();
    }
    return 0;
}
