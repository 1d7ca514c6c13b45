#pragma once
// The line as a file transfer sees it: the transfer channel over the Connection.
//
// While the connection is in transfer mode (Connection::startTransfer), the bytes it
// receives collect in RxShare's raw buffer with the Telnet commands already taken out
// (and answered), and what the transfer writes has 0xFF doubled on a Telnet line. So the
// link is a channel of plain protocol bytes on every kind of line: run the transfer over
// it as over any line (rapidox::TransferThread).
//
// Reads and writes run on the transfer thread; writes reach the socket through the
// dispatcher. abort() may be called on any thread.

#include <string>
#include <string_view>

#include "comm/connection.h"
#include "comm/rapidox/transfer_channel.h"
#include "comm/rx_share.h"
#include "platform/main_dispatcher.h"

namespace morvaline {

class TransferLink final : public rapidox::TransferChannel {
public:
    TransferLink(Connection& connection, MainDispatcher& dispatcher)
        : connection_(connection), rx_(connection.rxShare()), dispatcher_(dispatcher) {}

    ReadResult read(std::string& into, rapidox::TimePoint deadline) override;
    bool write(std::string_view bytes) override;
    bool writeFinal(std::string_view bytes) override;
    void abort() override;

    // Transfer thread, at its very end: the bytes it received and did not use go back to
    // the text stream, ahead of anything still in the raw buffer, and the connection
    // leaves transfer mode; the engine's wait resumes.
    void finished(const std::string& unusedBytes);

private:
    Connection& connection_;
    RxShare& rx_;
    MainDispatcher& dispatcher_;
    bool drainedAfterAbort_ = false;  // transfer thread
};

}  // namespace morvaline
