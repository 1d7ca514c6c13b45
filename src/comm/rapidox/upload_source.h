#pragma once
// Where the sender takes the files of a batch from. UploadFiles reads local files; the
// interface keeps the protocol engine free of paths.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "comm/rapidox/file_header.h"

namespace morvaline::rapidox {

class UploadSource {
public:
    virtual ~UploadSource() = default;

    virtual std::size_t fileCount() const = 0;
    // Opens file `index` and describes it for its header (name, size, time; the sender
    // sets the sequence number). Empty when it cannot be opened.
    virtual std::optional<FileHeader> open(std::size_t index) = 0;
    virtual bool seek(std::int64_t offset) = 0;
    // Reads the next block into `block`: 128 bytes, fewer only at the end of the file,
    // none after it. False on a read error.
    virtual bool read(std::string& block) = 0;
    virtual void close() = 0;
    // A Shift_JIS line about the last failure (the file concerned).
    virtual std::string error() const = 0;
};

}  // namespace morvaline::rapidox
