#pragma once
// The receiving side of a Rapidox batch (a download): asks for the transfer with NAK,
// accepts the parameters, then takes one file after the other until the sender ends the
// batch with EOT. A shorter local file is resumed at its last whole block.

#include <chrono>
#include <cstdint>
#include <string>

#include "comm/rapidox/download_sink.h"
#include "comm/rapidox/file_header.h"
#include "comm/rapidox/frame_reader.h"
#include "comm/rapidox/transfer_engine.h"

namespace morvaline::rapidox {

class RapidoxReceiver : public TransferEngine {
public:
    enum class State {
        Handshake,  // NAK sent; waiting for the parameter header
        FileLoop,   // "R" or "T" sent; waiting for a file header or the end of the batch
        Start,      // "P" sent; waiting for the file's first block
        Data,       // taking blocks in order, acknowledging every interval
        Nak,        // "N" sent; waiting for the block that went missing
        Finished,   // the result is set
    };
    static const char* toString(State state);

    // How long a lone control byte must stand alone to count (above all the EOT that ends
    // the batch, so that every download ends this long after its last file).
    static constexpr Duration kDefaultQuietPeriod = std::chrono::seconds(10);

    // maxWindow: the RapidoxReceiveSize setting (clamped to 1 ... 25 here); quietPeriod:
    // the RapidoxQuietTime setting.
    RapidoxReceiver(DownloadSink& sink, int maxWindow, Duration quietPeriod = kDefaultQuietPeriod);

    void start(TimePoint now) override;
    void advance(TimePoint now) override;
    TimePoint deadline() const override;
    State state() const { return state_; }

private:
    void onBytes(std::string_view& bytes, TimePoint now) override;
    void onArrivalTaken() override;
    void onFinish(bool aborted) override;

    void onFrame(const Frame& frame, TimePoint now);
    void onHandshakeFrame(const Frame& frame, TimePoint now);
    void onFileLoopFrame(const Frame& frame, TimePoint now);
    void onStartFrame(const Frame& frame, TimePoint now);
    void onDataFrame(const Frame& frame, TimePoint now);
    void onNakFrame(const Frame& frame, TimePoint now);

    void acceptParameters(std::string_view data, TimePoint now);
    void openFile(std::string_view data, TimePoint now);
    void acceptBlock(std::string_view data, TimePoint now);
    void endOfFile(std::string_view data, TimePoint now);
    void completeFile(TimePoint now);

    // Sends the prepared packet (or NAK) as attempt 1 of a new exchange in `state`.
    void enter(State state, TimePoint now);
    // The next attempt of the current exchange, or RetriesExhausted after the tenth.
    void retry(TimePoint now);
    void sendAttempt(TimePoint now);
    void enterNak(TimePoint now);

    DownloadSink& sink_;
    const int maxWindow_;
    FrameReader reader_;
    State state_ = State::Handshake;
    int attempts_ = 0;
    std::string prepared_;  // the packet that the current exchange sends and repeats

    int window_ = 1;
    int ackInterval_ = 1;
    int ackCountdown_ = 1;
    int expectedSequence_ = 1;

    // The file in progress.
    FileHeader file_;
    bool fileOpen_ = false;
    std::int64_t startBlock_ = 0;
    std::int64_t written_ = 0;  // blocks written in this run
    unsigned char expectedBlock_ = 1;
};

}  // namespace morvaline::rapidox
