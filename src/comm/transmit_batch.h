#pragma once
// The transmit batch: outgoing bytes collected so that one write to the line carries a
// whole command or text line, at most 2,000 bytes at a time. Pure: the connection passes
// in the function that writes to the line.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace morvaline {

class TransmitBatch {
public:
    static constexpr std::size_t kCapacity = 2000;
    // Writes bytes to the line; false when the write failed.
    using Writer = std::function<bool(std::string_view)>;

    // Appends bytes, handing a full batch to the writer first; false when a write failed
    // (the batch is empty afterwards).
    bool append(std::string_view bytes, const Writer& writer);
    // Hands what the batch holds to the writer and empties it, whether or not the write
    // succeeded. True when there was nothing to write or the write succeeded.
    bool flush(const Writer& writer);
    // Drops what the batch holds.
    void clear() { bytes_.clear(); }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string bytes_;
};

}  // namespace morvaline
