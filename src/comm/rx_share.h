#pragma once
// RxShare: the part of the connection that the worker threads of the line (the file
// transfer, later the serial reader) see. It holds the raw receive buffer with its lock
// and event, and the flags of a file transfer. (The transfer's own settings, such as its
// folders and window sizes, are given to the transfer when it is made.)
//
// During a file transfer the connection puts the received bytes (Telnet commands already
// taken out) into the raw buffer, and the transfer thread takes them from there. When the
// buffer is full the connection stops reading the line until the transfer has taken them.

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "link/transfer_request.h"
#include "platform/event.h"

namespace morvaline {

class RxShare {
public:
    static constexpr std::size_t kRawCapacity = 12'800;

    // --- Raw receive buffer ---

    // Connection (main thread): free room in the raw buffer.
    std::size_t rawRoom() const;
    // Connection: appends at most the free room, sets RxRead; returns how much it took.
    std::size_t putRaw(std::string_view bytes);
    // Transfer thread: moves every raw byte to the end of out and returns how many. A
    // connection that stopped reading because the buffer was full is told (drained
    // listener) that it may read again.
    std::size_t takeRaw(std::string& out);
    // Any thread: bytes in the raw buffer.
    std::size_t rawCount() const;
    // Drops the raw bytes (start of a transfer).
    void clearRaw();
    // Set by the connection; called on the thread that took the bytes.
    void setDrainedListener(std::function<void()> listener);

    // Set whenever bytes were put into the raw buffer; the transfer resets it before it
    // waits.
    Event rxRead{true, false};

    // --- Transfer flags: written by the connection, read by the transfer ---

    std::atomic<bool> transferMode{false};  // a transfer owns the received bytes
    // Set when the line is lost, the connection closed or the user aborts; every read and
    // write of the transfer checks it.
    std::atomic<bool> transferAbort{false};
    std::atomic<bool> telnet{false};  // the transfer runs over Telnet
    std::atomic<TransferDirection> direction{TransferDirection::None};

private:
    mutable std::mutex rawLock_;
    std::string raw_;          // guarded by rawLock_
    bool roomWanted_ = false;  // guarded by rawLock_: the connection waits for room
    std::function<void()> drainedListener_;
};

}  // namespace morvaline
