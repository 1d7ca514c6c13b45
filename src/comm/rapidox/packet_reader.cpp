#include "comm/rapidox/packet_reader.h"

#include "comm/rapidox/frame_builder.h"

namespace morvaline::rapidox {

void PacketReader::wait(Duration timeout, TimePoint now) {
    timeout_ = timeout;
    lastByte_ = now;
    state_ = State::Lead;
    afterCan_.clear();
}

TimePoint PacketReader::deadline() const {
    return lastByte_ + (state_ == State::Control ? quietPeriod_ : timeout_);
}

std::optional<Packet> PacketReader::expire(TimePoint now) {
    if (now < deadline()) return std::nullopt;
    Packet packet;
    if (state_ == State::Control) {
        packet.kind = Packet::Kind::Control;
        packet.letter = control_;
    }
    state_ = State::Lead;
    lastByte_ = now;
    return packet;
}

std::optional<Packet> PacketReader::feed(unsigned char byte, TimePoint now) {
    if (state_ == State::Control && control_ == kCan && byte != kStx &&
        !isLoneControlCandidate(byte)) {
        // Text after the other side's CAN: the CAN's quiet period runs on from the CAN.
        if (afterCan_.size() < kMaxAfterCan) afterCan_ += static_cast<char>(byte);
        return std::nullopt;
    }
    lastByte_ = now;
    if (state_ == State::Body) {
        if (byte == kCr) {
            state_ = State::Lead;
            return finishBody();
        }
        if (filled_ == body_.size()) {
            state_ = State::Lead;  // no CR in reach: start over with the next byte
            return std::nullopt;
        }
        body_[filled_++] = static_cast<char>(byte);
        return std::nullopt;
    }
    // Lead, or a byte inside the quiet period, which cancels the control byte.
    state_ = State::Lead;
    afterCan_.clear();
    if (byte == kStx) {
        filled_ = 0;
        state_ = State::Body;
    } else if (isLoneControlCandidate(byte)) {
        control_ = byte;
        state_ = State::Control;
    }
    return std::nullopt;
}

std::optional<Packet> PacketReader::finishBody() {
    Packet packet;
    packet.kind = Packet::Kind::Bad;
    if (filled_ < 2) return packet;  // not even a letter and a check byte
    const std::string_view body(body_.data(), filled_);
    const unsigned char check = static_cast<unsigned char>(body.back());
    if (check != static_cast<unsigned char>(byteSum(body.substr(0, filled_ - 1), kStx) | 0x80))
        return packet;
    packet.kind = Packet::Kind::Command;
    packet.letter = static_cast<unsigned char>(body[0]);
    packet.fields = body.substr(1, filled_ - 2);
    return packet;
}

}  // namespace morvaline::rapidox
