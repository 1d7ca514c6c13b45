#pragma once
// The byte channel a transfer runs over: the open line to the host. The connection
// implements it over its socket or serial port; FdChannel implements it over file
// descriptors. One channel object serves one transfer.

#include <string>
#include <string_view>

#include "comm/rapidox/transfer_clock.h"

namespace morvaline::rapidox {

class TransferChannel {
public:
    enum class ReadResult {
        Data,      // bytes were appended
        TimedOut,  // the deadline passed without a byte
        Aborted,   // abort() was called, or the line is gone
    };

    virtual ~TransferChannel() = default;

    // Appends the bytes that have arrived, waiting for the first one until `deadline`
    // (kAtOnce: do not wait). Transfer thread.
    virtual ReadResult read(std::string& into, TimePoint deadline) = 0;
    // Writes all of `bytes`; false when the line is gone or the transfer was aborted.
    // Transfer thread.
    virtual bool write(std::string_view bytes) = 0;
    // Writes the last bytes of a transfer that is already over (the receiver's CAN after
    // a failure) even after abort(), so that a host still on the line stops sending.
    // False when the line is gone. Transfer thread.
    virtual bool writeFinal(std::string_view bytes) = 0;
    // Ends the transfer: a waiting read returns Aborted, later writes fail. For line loss,
    // hang-up and the user's abort; any thread.
    virtual void abort() = 0;
};

}  // namespace morvaline::rapidox
