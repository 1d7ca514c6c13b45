#include "comm/rapidox/sender.h"

#include <algorithm>
#include <chrono>

#include "comm/rapidox/frame_builder.h"
#include "comm/rapidox/packet_fields.h"
#include "platform/text_codec.h"
#include "store/texts.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;

constexpr Duration kReply = 500s;          // first NAK, "R", the answer to a header
constexpr Duration kWindowWait = 3000s;    // window full or end of file sent
constexpr Duration kQuickLook = 100ms;     // a packet arriving while blocks go out
constexpr Duration kQuiet = 1000ms;        // after a lone control byte
constexpr Duration kAfterEot = 1000s;      // ACK after the end of the batch
constexpr Duration kCancelPause = 1500ms;  // after answering CAN with EOT
constexpr int kMaxRepeats = 11;            // the same block asked for this often: give up

// How far the 7-bit block number `number` lies ahead of the full count `from` (0 ... 127).
// "A" and "N" carry 7 bits; with at most 25 blocks in flight this is unambiguous.
std::int64_t ahead(std::int64_t from, unsigned char number) {
    return (static_cast<std::int64_t>(number) - from) & 0x7F;
}

bool isControl(const Packet& packet, unsigned char byte) {
    return packet.kind == Packet::Kind::Control && packet.letter == byte;
}
bool isCommand(const Packet& packet, char letter) {
    return packet.kind == Packet::Kind::Command &&
           packet.letter == static_cast<unsigned char>(letter);
}

}  // namespace

const char* RapidoxSender::toString(State state) {
    switch (state) {
        case State::WaitNak:
            return "wait for NAK";
        case State::Parameters:
            return "parameters";
        case State::Header:
            return "header";
        case State::Sending:
            return "sending";
        case State::WaitAck:
            return "wait for acknowledgement";
        case State::CancelPause:
            return "cancel pause";
        case State::EndOfBatch:
            return "end of batch";
        case State::Finished:
            return "finished";
    }
    return "?";
}

RapidoxSender::RapidoxSender(UploadSource& source, int maxWindow)
    : source_(source), maxWindow_(clampWindow(maxWindow)), reader_(kQuiet) {}

// Transitions:
//   start                                   -> WaitNak
//   WaitNak    --NAK-->                        Parameters, parameter header sent
//   Parameters --"R"-->                        Header of the first file, or EndOfBatch
//   Header     --"P" with the first block-->   Sending
//   Header     --"S" with this file's number-->  Header of the next file, or EndOfBatch
//   Sending    --block sent, window full or end of file sent--> WaitAck
//   WaitAck    --"A", "N" or "P" opening the window--> Sending
//   Sending, WaitAck --"T" after the end of file-->  Header of the next file, or EndOfBatch
//   Sending, WaitAck --lone CAN-->          CancelPause, EOT sent; after 1.5 s Finished Cancelled
//   EndOfBatch --ACK-->                        Finished Ok
//   any waiting state --silence-->             Finished TimedOut
// Every end except an abort sends one CR.

void RapidoxSender::start(TimePoint now) {
    announceStart();
    state_ = State::WaitNak;
    rawDeadline_ = now + kReply;
}

TimePoint RapidoxSender::deadline() const {
    switch (state_) {
        case State::Finished:
            return kNever;
        case State::WaitNak:
        case State::CancelPause:
        case State::EndOfBatch:
            return rawDeadline_;
        case State::Sending:
            if (reader_.idle()) return kAtOnce;
            break;
        case State::Parameters:
        case State::Header:
        case State::WaitAck:
            break;
    }
    return reader_.deadline();
}

void RapidoxSender::advance(TimePoint now) {
    switch (state_) {
        case State::Finished:
            return;
        case State::WaitNak:
        case State::EndOfBatch:
            if (now >= rawDeadline_) finish(TransferResult::TimedOut);
            return;
        case State::CancelPause:
            if (now >= rawDeadline_) finish(TransferResult::Cancelled);
            return;
        case State::Parameters:
        case State::Header:
        case State::Sending:
        case State::WaitAck:
            break;
    }
    if (const auto packet = reader_.expire(now)) onPacket(*packet, now);
    // Block after block until the window is full: the open window goes out as one write.
    while (state_ == State::Sending && reader_.idle()) sendNextBlock(now);
}

// Packets are short: the sender reads its input a byte at a time.
void RapidoxSender::onBytes(std::string_view& bytes, TimePoint now) {
    const auto byte = static_cast<unsigned char>(bytes.front());
    bytes.remove_prefix(1);
    onByte(byte, now);
}

void RapidoxSender::onByte(unsigned char byte, TimePoint now) {
    switch (state_) {
        case State::WaitNak:
            if (byte == kNak)
                enter(State::Parameters, now);
            else if (byte == kCan)
                finish(TransferResult::Cancelled);
            else
                rawDeadline_ = now + kReply;
            return;
        case State::EndOfBatch:
            return onEndOfBatchByte(byte, now);
        case State::CancelPause:
            return keepUnused(byte);
        case State::Finished:
            return;
        case State::Parameters:
        case State::Header:
        case State::Sending:
        case State::WaitAck:
            if (const auto packet = reader_.feed(byte, now)) onPacket(*packet, now);
            return;
    }
}

void RapidoxSender::onPacket(const Packet& packet, TimePoint now) {
    // A CAN ends the upload in every state; the other side's text after it is kept.
    if (isControl(packet, kCan)) keepUnused(reader_.takeAfterCan());
    switch (state_) {
        case State::Parameters:
            return onParametersPacket(packet, now);
        case State::Header:
            return onHeaderPacket(packet, now);
        case State::Sending:
        case State::WaitAck:
            return onDataPacket(packet, now);
        default:
            return;
    }
}

void RapidoxSender::onParametersPacket(const Packet& packet, TimePoint now) {
    if (packet.kind == Packet::Kind::Timeout) {
        finish(TransferResult::TimedOut);
    } else if (isControl(packet, kCan)) {
        finish(TransferResult::Cancelled);
    } else if (isControl(packet, kNak)) {
        retry(now);
    } else if (isCommand(packet, 'R')) {
        const auto accepted = parseReplyFields(packet.fields);
        if (!accepted) return finish(TransferResult::ProtocolError);
        window_ = std::min(accepted->window, maxWindow_);
        nextFile(now);
    }
}

void RapidoxSender::onHeaderPacket(const Packet& packet, TimePoint now) {
    if (packet.kind == Packet::Kind::Timeout) {
        finish(TransferResult::TimedOut);
    } else if (isControl(packet, kCan)) {
        finish(TransferResult::Cancelled);
    } else if (isCommand(packet, 'P')) {
        const auto startBlock = parseNumberFields(packet.fields);
        if (!startBlock || *startBlock > file_.blockCount())
            return finish(TransferResult::ProtocolError);
        enterData(*startBlock, now);
    } else if (isCommand(packet, 'R')) {
        retry(now);  // the receiver did not see the header yet
    } else if (isCommand(packet, 'S')) {
        const auto sequence = parseNumberFields(packet.fields);
        if (sequence == sequence_)
            leaveFile(now);  // skipped
        else if (sequence == (sequence_ + 99) % 100)
            retry(now);
        else
            finish(TransferResult::ProtocolError);
    }
}

void RapidoxSender::onDataPacket(const Packet& packet, TimePoint now) {
    if (packet.kind == Packet::Kind::Timeout) {
        // Silence while blocks go out only ends the quick look; with the window full it
        // ends the transfer.
        if (state_ == State::WaitAck) finish(TransferResult::TimedOut);
        return;
    }
    announceProgress(acked_ * static_cast<std::int64_t>(kBlockData));
    if (isControl(packet, kCan)) {
        sendByte(kEot);
        state_ = State::CancelPause;
        rawDeadline_ = now + kCancelPause;
        return;
    }
    if (packet.kind == Packet::Kind::Command && !packet.fields.empty()) {
        const auto first = static_cast<unsigned char>(packet.fields[0]);
        switch (packet.letter) {
            case 'A':
                onAck(first);
                break;
            case 'N':
                onNak(first);
                break;
            case 'P':
                onRepeatedStart();
                break;
            case 'T':
                if (endOfFileSent_ && packet.fields.size() >= 2 && packet.fields[1] == '0') {
                    // The receiver has the whole file, also the blocks it never acknowledged.
                    announceProgress(sent_ * static_cast<std::int64_t>(kBlockData));
                    return leaveFile(now);
                }
                break;
            default:
                break;
        }
    }
    if (!finished()) continueData(now);
}

void RapidoxSender::onEndOfBatchByte(unsigned char byte, TimePoint now) {
    if (byte == kAck)
        finish(TransferResult::Ok);
    else if (byte == kCan)
        finish(TransferResult::Cancelled);
    else
        retry(now);
}

void RapidoxSender::nextFile(TimePoint now) {
    if (fileIndex_ >= source_.fileCount()) return enter(State::EndOfBatch, now);
    auto header = source_.open(fileIndex_);
    if (!header) return fileError();
    fileOpen_ = true;
    // One sequence number per file: a header sent again keeps its number.
    sequence_ = (sequence_ + 1) % 100;
    header->sequence = sequence_;
    const auto data = fileHeaderData(*header);
    if (!data) {
        setFailureMessage(formatText(texts::kUploadNameTooLong, header->name));
        return finish(TransferResult::FileError);
    }
    file_ = *header;
    headerBlock_ = headerBlock(kFileHeader, *data);
    announceSize(file_.size, 0);
    enter(State::Header, now);
}

void RapidoxSender::leaveFile(TimePoint now) {
    source_.close();
    fileOpen_ = false;
    ++fileIndex_;
    nextFile(now);
}

void RapidoxSender::enterData(std::int64_t startBlock, TimePoint now) {
    startBlock_ = startBlock;
    if (!seekToBlock(0)) return;
    sent_ = 0;
    acked_ = 0;
    endOfFileSent_ = false;
    lastNak_.reset();
    repeats_ = 1;
    setStartOffset(startBlock_ * static_cast<std::int64_t>(kBlockData));
    continueData(now);
}

void RapidoxSender::continueData(TimePoint now) {
    if (endOfFileSent_ || sent_ - acked_ >= window_) {
        state_ = State::WaitAck;
        reader_.wait(kWindowWait, now);
    } else {
        state_ = State::Sending;
        reader_.wait(kQuickLook, now);
    }
}

void RapidoxSender::sendNextBlock(TimePoint now) {
    if (!source_.read(block_)) return fileError();
    if (block_.empty()) {
        send(endOfFileBlock(static_cast<unsigned char>(sent_)));
        endOfFileSent_ = true;
    } else {
        ++sent_;
        send(dataBlock(static_cast<unsigned char>(sent_), block_));
    }
    continueData(now);
}

void RapidoxSender::onAck(unsigned char number) {
    const std::int64_t distance = ahead(acked_, number);
    if (distance < 1 || distance > sent_ - acked_) return;  // stale or repeated
    acked_ += distance;
    lastNak_.reset();
    repeats_ = 1;
}

void RapidoxSender::onNak(unsigned char number) {
    // The full block number is rebuilt from the acknowledged count, so that a late "N"
    // after block 128 rewinds to the right block.
    const std::int64_t distance = ahead(acked_, number);
    if (distance < 1 || distance > sent_ + 1 - acked_) return;
    const std::int64_t requested = acked_ + distance;
    sent_ = requested - 1;
    acked_ = requested - 2;
    endOfFileSent_ = false;
    if (!seekToBlock(sent_)) return;
    if (lastNak_ == requested) {
        countRepeat();
    } else {
        lastNak_ = requested;
        repeats_ = 1;
    }
}

void RapidoxSender::onRepeatedStart() {
    if (acked_ > 0) return;
    // The receiver never saw block 1: start the file over, numbering from 1 again.
    sent_ = 0;
    acked_ = 0;
    endOfFileSent_ = false;
    if (!seekToBlock(0)) return;
    countRepeat();
}

bool RapidoxSender::seekToBlock(std::int64_t block) {
    if (source_.seek((startBlock_ + block) * static_cast<std::int64_t>(kBlockData))) return true;
    fileError();
    return false;
}

void RapidoxSender::countRepeat() {
    if (++repeats_ >= kMaxRepeats) finish(TransferResult::RetriesExhausted);
}

void RapidoxSender::enter(State state, TimePoint now) {
    state_ = state;
    attempts_ = 1;
    sendAttempt(now);
}

void RapidoxSender::retry(TimePoint now) {
    if (attempts_ >= kMaxAttempts) return finish(TransferResult::RetriesExhausted);
    ++attempts_;
    sendAttempt(now);
}

void RapidoxSender::sendAttempt(TimePoint now) {
    switch (state_) {
        case State::Parameters:
            send(headerBlock(kParameterHeader, parameterData(maxWindow_)));
            reader_.wait(kReply, now);
            return;
        case State::Header:
            send(headerBlock_);
            reader_.wait(kReply, now);
            return;
        case State::EndOfBatch:
            sendByte(kEot);
            rawDeadline_ = now + kAfterEot;
            return;
        default:
            return;
    }
}

void RapidoxSender::fileError() {
    setFailureMessage(source_.error());
    finish(TransferResult::FileError);
}

void RapidoxSender::onFinish(bool aborted) {
    if (fileOpen_) {
        source_.close();
        fileOpen_ = false;
    }
    state_ = State::Finished;
    if (!aborted) sendByte(kCr);
}

}  // namespace morvaline::rapidox
