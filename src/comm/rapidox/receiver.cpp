#include "comm/rapidox/receiver.h"

#include <algorithm>
#include <chrono>

#include "comm/rapidox/frame_builder.h"
#include "comm/rapidox/packet_fields.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;

constexpr Duration kBetweenFiles = 20s;  // handshake and between files
constexpr Duration kInData = 40s;        // data phase

constexpr std::int64_t kProgressEvery = 8;  // blocks between progress reports

bool isControl(const Frame& frame, unsigned char byte) {
    return frame.kind == Frame::Kind::Control && frame.number == byte;
}
bool isHeader(const Frame& frame, unsigned char type) {
    return frame.kind == Frame::Kind::Header && frame.number == type;
}

}  // namespace

const char* RapidoxReceiver::toString(State state) {
    switch (state) {
        case State::Handshake:
            return "handshake";
        case State::FileLoop:
            return "file loop";
        case State::Start:
            return "start";
        case State::Data:
            return "data";
        case State::Nak:
            return "nak";
        case State::Finished:
            return "finished";
    }
    return "?";
}

RapidoxReceiver::RapidoxReceiver(DownloadSink& sink, int maxWindow, Duration quietPeriod)
    : sink_(sink), maxWindow_(clampWindow(maxWindow)), reader_(quietPeriod) {}

// Transitions:
//   start                                   -> Handshake, NAK sent
//   Handshake --parameter header-->            FileLoop, "R" sent
//   FileLoop  --file header-->                 Start, "P" sent with the first block
//   FileLoop  --lone EOT-->                    Finished Ok, ACK sent
//   Start     --block 1-->                     Data
//   Data      --next block-->                  Data ("A" every ackInterval blocks)
//   Start, Data --bad block, gap, silence-->   Nak, "N" sent with the missing block
//   Nak       --the missing block-->           Data
//   Start, Data, Nak --end of file, counts match--> FileLoop, file closed, "T" sent
//   any       --lone CAN-->                    Finished Cancelled
//   any       --tenth attempt unanswered-->    Finished RetriesExhausted
// Every failure except Cancelled sends one CAN.

void RapidoxReceiver::start(TimePoint now) {
    announceStart();
    enter(State::Handshake, now);
}

void RapidoxReceiver::advance(TimePoint now) {
    if (state_ == State::Finished) return;
    if (const auto frame = reader_.expire(now)) onFrame(*frame, now);
}

TimePoint RapidoxReceiver::deadline() const {
    return state_ == State::Finished ? kNever : reader_.deadline();
}

void RapidoxReceiver::onBytes(std::string_view& bytes, TimePoint now) {
    if (const auto frame = reader_.feed(bytes, now)) onFrame(*frame, now);
}

// The blocks of one arrival reach the file in one write.
void RapidoxReceiver::onArrivalTaken() {
    if (fileOpen_ && !sink_.flush()) {
        setFailureMessage(sink_.error());
        finish(TransferResult::FileError);
    }
}

void RapidoxReceiver::onFrame(const Frame& frame, TimePoint now) {
    if (isControl(frame, kCan)) {
        keepUnused(reader_.takeAfterCan());
        return finish(TransferResult::Cancelled);
    }
    switch (state_) {
        case State::Handshake:
            return onHandshakeFrame(frame, now);
        case State::FileLoop:
            return onFileLoopFrame(frame, now);
        case State::Start:
            return onStartFrame(frame, now);
        case State::Data:
            return onDataFrame(frame, now);
        case State::Nak:
            return onNakFrame(frame, now);
        case State::Finished:
            return;
    }
}

void RapidoxReceiver::onHandshakeFrame(const Frame& frame, TimePoint now) {
    if (frame.kind == Frame::Kind::Timeout)
        retry(now);
    else if (isHeader(frame, kParameterHeader))
        acceptParameters(frame.payload, now);
}

void RapidoxReceiver::onFileLoopFrame(const Frame& frame, TimePoint now) {
    if (frame.kind == Frame::Kind::Timeout) {
        retry(now);
    } else if (isControl(frame, kEot)) {
        sendByte(kAck);
        finish(TransferResult::Ok);
    } else if (isHeader(frame, kFileHeader)) {
        openFile(frame.payload, now);
    }
}

void RapidoxReceiver::onStartFrame(const Frame& frame, TimePoint now) {
    if (frame.kind == Frame::Kind::Timeout)
        retry(now);
    else if (frame.kind == Frame::Kind::Bad)
        enterNak(now);
    else if (frame.kind == Frame::Kind::Data && frame.number == expectedBlock_)
        acceptBlock(frame.payload, now);
    else if (isHeader(frame, kEndOfFileHeader))
        endOfFile(frame.payload, now);
}

void RapidoxReceiver::onDataFrame(const Frame& frame, TimePoint now) {
    if (frame.kind == Frame::Kind::Timeout || frame.kind == Frame::Kind::Bad) {
        announceProgress(written_ * kBlockData);
        enterNak(now);
    } else if (frame.kind == Frame::Kind::Data) {
        const int behind = static_cast<unsigned char>(expectedBlock_ - frame.number);
        if (behind == 0) {
            acceptBlock(frame.payload, now);
        } else if (behind > window_) {
            // A block ahead of the expected one: something went missing.
            announceProgress(written_ * kBlockData);
            enterNak(now);
        } else {
            // A repeat of a block already written: tell the sender how far we are.
            send(controlPacket('A', blockFields(static_cast<unsigned char>(written_))));
        }
    } else if (isHeader(frame, kEndOfFileHeader)) {
        endOfFile(frame.payload, now);
    }
}

void RapidoxReceiver::onNakFrame(const Frame& frame, TimePoint now) {
    if (frame.kind == Frame::Kind::Timeout || frame.kind == Frame::Kind::Bad) {
        retry(now);
    } else if (frame.kind == Frame::Kind::Data && frame.number == expectedBlock_) {
        acceptBlock(frame.payload, now);
    } else if (isHeader(frame, kEndOfFileHeader)) {
        if (frame.payload[1] != '0') return finish(TransferResult::ProtocolError);
        if (static_cast<unsigned char>(frame.payload[0]) == static_cast<unsigned char>(written_))
            completeFile(now);
        else
            retry(now);
    }
}

void RapidoxReceiver::acceptParameters(std::string_view data, TimePoint now) {
    const auto offered = parseParameterData(data);
    if (!offered) return finish(TransferResult::ProtocolError);
    window_ = std::min(offered->window, maxWindow_);
    ackInterval_ = std::max(1, window_ / 2);
    Parameters accepted = *offered;
    accepted.window = window_;
    prepared_ = controlPacket('R', replyFields(accepted));
    enter(State::FileLoop, now);
}

void RapidoxReceiver::openFile(std::string_view data, TimePoint now) {
    const auto header = parseFileHeaderData(data);
    if (!header || header->sequence != expectedSequence_)
        return finish(TransferResult::ProtocolError);
    expectedSequence_ = (header->sequence + 1) % 100;
    const auto startBlock = sink_.open(*header);
    if (!startBlock) {
        setFailureMessage(sink_.error());
        return finish(TransferResult::FileError);
    }
    file_ = *header;
    fileOpen_ = true;
    startBlock_ = *startBlock;
    written_ = 0;
    expectedBlock_ = 1;
    ackCountdown_ = ackInterval_;
    announceSize(file_.size, startBlock_ * kBlockData);
    prepared_ = controlPacket('P', numberFields(startBlock_));
    enter(State::Start, now);
}

void RapidoxReceiver::acceptBlock(std::string_view data, TimePoint now) {
    // More blocks than the header announced would grow the file without bound.
    if (startBlock_ + written_ >= file_.blockCount()) return finish(TransferResult::ProtocolError);
    if (!sink_.write(data)) {
        setFailureMessage(sink_.error());
        return finish(TransferResult::FileError);
    }
    ++written_;
    if (written_ % kProgressEvery == 0) announceProgress(written_ * kBlockData);
    if (--ackCountdown_ == 0) {
        ackCountdown_ = ackInterval_;
        send(controlPacket('A', blockFields(static_cast<unsigned char>(written_))));
    }
    expectedBlock_ = static_cast<unsigned char>(written_ + 1);
    state_ = State::Data;
    reader_.wait(kInData, true, now);
}

void RapidoxReceiver::endOfFile(std::string_view data, TimePoint now) {
    if (data[1] != '0') return finish(TransferResult::ProtocolError);
    if (static_cast<unsigned char>(data[0]) == static_cast<unsigned char>(written_))
        completeFile(now);
    else
        enterNak(now);
}

void RapidoxReceiver::completeFile(TimePoint now) {
    // The counts agreeing modulo 256 is not enough: the whole file must be here. A short
    // file stays as it is for the next download to resume.
    if (startBlock_ + written_ != file_.blockCount()) return finish(TransferResult::ProtocolError);
    fileOpen_ = false;
    if (!sink_.complete(file_)) {
        setFailureMessage(sink_.error());
        return finish(TransferResult::FileError);
    }
    announceProgress(written_ * kBlockData);
    prepared_ = controlPacket('T', doneFields(static_cast<unsigned char>(written_)));
    enter(State::FileLoop, now);
}

void RapidoxReceiver::enter(State state, TimePoint now) {
    state_ = state;
    attempts_ = 1;
    sendAttempt(now);
}

void RapidoxReceiver::retry(TimePoint now) {
    if (attempts_ >= kMaxAttempts) return finish(TransferResult::RetriesExhausted);
    ++attempts_;
    sendAttempt(now);
}

void RapidoxReceiver::sendAttempt(TimePoint now) {
    if (state_ == State::Handshake)
        sendByte(kNak);
    else
        send(prepared_);
    const bool inData = state_ == State::Start || state_ == State::Nak;
    reader_.wait(inData ? kInData : kBetweenFiles, inData, now);
}

void RapidoxReceiver::enterNak(TimePoint now) {
    prepared_ = controlPacket('N', blockFields(expectedBlock_));
    enter(State::Nak, now);
}

void RapidoxReceiver::onFinish(bool) {
    if (fileOpen_) {
        sink_.keepPartial();
        fileOpen_ = false;
    }
    state_ = State::Finished;
    if (result() != TransferResult::Ok && result() != TransferResult::Cancelled) sendByte(kCan);
}

}  // namespace morvaline::rapidox
