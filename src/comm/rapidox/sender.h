#pragma once
// The sending side of a Rapidox batch (an upload): waits for the receiver's NAK, offers
// the parameters, then sends each file as a header and a stream of blocks inside a
// sliding window, and ends the batch with EOT.

#include <cstdint>
#include <optional>
#include <string>

#include "comm/rapidox/file_header.h"
#include "comm/rapidox/packet_reader.h"
#include "comm/rapidox/transfer_engine.h"
#include "comm/rapidox/upload_source.h"

namespace morvaline::rapidox {

class RapidoxSender : public TransferEngine {
public:
    enum class State {
        WaitNak,      // waiting for the receiver's first NAK
        Parameters,   // parameter header sent; waiting for "R"
        Header,       // file header sent; waiting for "P" (or "S")
        Sending,      // the window is open: the next block goes out at once
        WaitAck,      // window full or end of file sent; waiting for packets
        CancelPause,  // CAN received and EOT sent; pausing before the end
        EndOfBatch,   // EOT sent; waiting for ACK
        Finished,     // the result is set
    };
    static const char* toString(State state);

    // maxWindow: the RapidoxSendSize setting (clamped to 1 ... 25 here).
    RapidoxSender(UploadSource& source, int maxWindow);

    void start(TimePoint now) override;
    void advance(TimePoint now) override;
    TimePoint deadline() const override;
    State state() const { return state_; }

private:
    void onBytes(std::string_view& bytes, TimePoint now) override;
    void onByte(unsigned char byte, TimePoint now);
    void onFinish(bool aborted) override;

    void onPacket(const Packet& packet, TimePoint now);
    void onParametersPacket(const Packet& packet, TimePoint now);
    void onHeaderPacket(const Packet& packet, TimePoint now);
    void onDataPacket(const Packet& packet, TimePoint now);
    void onEndOfBatchByte(unsigned char byte, TimePoint now);

    void nextFile(TimePoint now);
    // The current file is done or skipped: on to the next one.
    void leaveFile(TimePoint now);
    void enterData(std::int64_t startBlock, TimePoint now);
    void continueData(TimePoint now);
    void sendNextBlock(TimePoint now);
    void onAck(unsigned char number);
    void onNak(unsigned char number);
    void onRepeatedStart();
    bool seekToBlock(std::int64_t block);
    void countRepeat();

    void enter(State state, TimePoint now);
    void retry(TimePoint now);
    void sendAttempt(TimePoint now);
    void fileError();

    UploadSource& source_;
    const int maxWindow_;
    PacketReader reader_;
    State state_ = State::WaitNak;
    int attempts_ = 0;
    TimePoint rawDeadline_{};  // the wait of the states that read single bytes

    int window_ = 1;
    int sequence_ = 0;
    std::size_t fileIndex_ = 0;

    // The file in progress.
    FileHeader file_;
    bool fileOpen_ = false;
    std::string headerBlock_;
    std::int64_t startBlock_ = 0;
    std::int64_t sent_ = 0;   // blocks sent in this run
    std::int64_t acked_ = 0;  // blocks acknowledged; may lag one behind after "N"
    bool endOfFileSent_ = false;
    std::optional<std::int64_t> lastNak_;
    int repeats_ = 1;  // requests of the same block in a row
    std::string block_;
};

}  // namespace morvaline::rapidox
