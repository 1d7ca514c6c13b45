#pragma once
// The file header block (type "1"): sequence number, name, size and modification time of
// one file of a batch, in 128 bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "comm/rapidox/rapidox_bytes.h"

namespace morvaline::rapidox {

struct FileHeader {
    int sequence = 1;  // 0 ... 99; "01" for the first file of a batch
    std::string name;  // Shift_JIS, as the sender wrote it
    std::int64_t size = 0;
    // The sender's local modification time; -1 where the header leaves a part out.
    int year = -1, month = -1, day = -1;
    int hour = -1, minute = -1, second = -1;

    std::int64_t blockCount() const { return blockCountOf(size); }
};

// The 128 data bytes: "%02d" sequence, name, NUL, size "%ld", NUL, the 14 digits of the
// time, NUL, zeros. Empty when the name is too long to fit.
std::optional<std::string> fileHeaderData(const FileHeader& header);

// Strict reading of the 128 data bytes: two digits, a name and a size each ended by a NUL
// inside the block, a size of digits only up to kMaxFileSize, and when present eight date
// digits and six time digits. Empty on any violation (a protocol error).
std::optional<FileHeader> parseFileHeaderData(std::string_view data);

}  // namespace morvaline::rapidox
