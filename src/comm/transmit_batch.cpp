#include "comm/transmit_batch.h"

#include <algorithm>

namespace morvaline {

bool TransmitBatch::append(std::string_view bytes, const Writer& writer) {
    while (!bytes.empty()) {
        if (bytes_.size() == kCapacity && !flush(writer)) return false;
        const std::size_t room = std::min(kCapacity - bytes_.size(), bytes.size());
        bytes_.append(bytes.substr(0, room));
        bytes.remove_prefix(room);
    }
    return true;
}

bool TransmitBatch::flush(const Writer& writer) {
    if (bytes_.empty()) return true;
    const bool written = writer(bytes_);
    bytes_.clear();
    return written;
}

}  // namespace morvaline
