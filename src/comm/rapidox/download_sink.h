#pragma once
// Where the receiver puts the files of a batch. DownloadFolder writes them into the
// download folder; the interface keeps the protocol engine free of file names and paths.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "comm/rapidox/file_header.h"

namespace morvaline::rapidox {

class DownloadSink {
public:
    virtual ~DownloadSink() = default;

    // Opens the local file for a header and returns the block to start from: a shorter
    // local file is resumed at its last whole block, anything else starts at 0. Empty when
    // the file cannot be opened.
    virtual std::optional<std::int64_t> open(const FileHeader& header) = 0;
    // Appends one 128-byte block at the current position. It may be gathered with the
    // following ones into one write until flush(), complete() or keepPartial().
    virtual bool write(std::string_view block) = 0;
    // Writes the blocks gathered so far.
    virtual bool flush() = 0;
    // Cuts the file to the header's size, gives it the header's time and closes it.
    virtual bool complete(const FileHeader& header) = 0;
    // Closes the file as it is, so that the next download resumes it.
    virtual void keepPartial() = 0;
    // A Shift_JIS line about the last failure (the file concerned).
    virtual std::string error() const = 0;
};

}  // namespace morvaline::rapidox
