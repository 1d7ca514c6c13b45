#pragma once
// What the receiver and the sender have in common: a byte pump. The caller hands in the
// bytes that arrived and the time, calls advance() when the deadline comes, and sends
// what takeOutput() returns. The engine has no thread, socket or clock of its own.

#include <string>
#include <string_view>
#include <vector>

#include "comm/rapidox/transfer_clock.h"
#include "comm/rapidox/transfer_result.h"
#include "comm/rapidox/transfer_status.h"

namespace morvaline::rapidox {

class TransferEngine {
public:
    virtual ~TransferEngine() = default;
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Begins the exchange (the receiver's first NAK, the sender's wait for it).
    virtual void start(TimePoint now) = 0;
    // Bytes that arrived at `now`. Bytes after the end of the transfer are not used; they
    // are kept in unusedInput() for the text stream.
    void receive(std::string_view bytes, TimePoint now);
    // Acts on the passing of time: expired waits, and the sender's next block.
    virtual void advance(TimePoint now) = 0;
    // When advance() must run at the latest: kAtOnce when there is work now, kNever when
    // only bytes can move the engine on.
    virtual TimePoint deadline() const = 0;
    // Line lost, hung up or aborted by the user: ends the transfer with TimedOut.
    void abort();

    bool finished() const { return finished_; }
    TransferResult result() const { return result_; }
    // A Shift_JIS line that says more about a failure (the file concerned); may be empty.
    const std::string& failureMessage() const { return failureMessage_; }
    // Bytes to send, in order; the engine forgets them.
    std::string takeOutput();
    // Progress since the last call (Started, SizeKnown, Progress; Ended is the runner's).
    std::vector<TransferStatus> takeStatus();
    // Received bytes the transfer did not use: they belong to the host's text that follows.
    const std::string& unusedInput() const { return unused_; }

protected:
    TransferEngine() = default;

    // Takes bytes from the front of `bytes` (at least one; as many as it can use at once).
    virtual void onBytes(std::string_view& bytes, TimePoint now) = 0;
    // Called when the bytes of one arrival have been taken.
    virtual void onArrivalTaken() {}
    // Closes what the transfer has open when it ends; `aborted` tells an abort apart.
    virtual void onFinish(bool aborted) = 0;

    void send(std::string_view bytes) { output_.append(bytes); }
    void sendByte(unsigned char byte) { output_ += static_cast<char>(byte); }
    void finish(TransferResult result, bool aborted = false);
    void setFailureMessage(std::string message) { failureMessage_ = std::move(message); }
    // Received bytes kept for the text stream while the engine is not reading (the
    // sender's pause after CAN).
    void keepUnused(unsigned char byte);
    void keepUnused(std::string_view bytes);

    // Progress of the current file.
    void announceStart();
    void announceSize(std::int64_t size, std::int64_t startOffset);
    // The sender learns the start offset after it announced the size.
    void setStartOffset(std::int64_t startOffset);
    void announceProgress(std::int64_t bytesDone);

private:
    std::string output_;
    std::string unused_;
    std::vector<TransferStatus> status_;
    TransferStatus current_;
    TransferResult result_ = TransferResult::Ok;
    std::string failureMessage_;
    bool finished_ = false;
};

}  // namespace morvaline::rapidox
