#include "comm/rapidox/frame_reader.h"

#include <algorithm>
#include <cstring>

namespace morvaline::rapidox {

void FrameReader::wait(Duration timeout, bool dataAllowed, TimePoint now) {
    timeout_ = timeout;
    dataAllowed_ = dataAllowed;
    lastByte_ = now;
    state_ = State::Lead;
    afterCan_.clear();
}

TimePoint FrameReader::deadline() const {
    return lastByte_ + (state_ == State::Control ? quietPeriod_ : timeout_);
}

std::optional<Frame> FrameReader::expire(TimePoint now) {
    if (now < deadline()) return std::nullopt;
    Frame frame;
    if (state_ == State::Control) {
        frame.kind = Frame::Kind::Control;
        frame.number = control_;
    }
    state_ = State::Lead;
    lastByte_ = now;
    return frame;
}

std::optional<Frame> FrameReader::lead(unsigned char byte) {
    if (byte == kSoh) {
        state_ = State::Number;
    } else if (isLoneControlCandidate(byte)) {
        control_ = byte;
        state_ = State::Control;
    }
    return std::nullopt;  // anything else is noise between frames
}

std::optional<Frame> FrameReader::feed(unsigned char byte, TimePoint now) {
    if (state_ == State::Control && control_ == kCan && byte != kSoh &&
        !isLoneControlCandidate(byte)) {
        // Text after the other side's CAN: the CAN's quiet period runs on from the CAN.
        if (afterCan_.size() < kMaxAfterCan) afterCan_ += static_cast<char>(byte);
        return std::nullopt;
    }
    lastByte_ = now;
    switch (state_) {
        case State::Lead:
        case State::Control:
            // A byte within the quiet period cancels the control byte and leads anew.
            state_ = State::Lead;
            afterCan_.clear();
            return lead(byte);
        case State::Number:
            number_ = byte;
            state_ = State::Complement;
            return std::nullopt;
        case State::Complement:
            if (number_ == 0 && byte >= kParameterHeader && byte <= kEndOfFileHeader) {
                isHeader_ = true;
                number_ = byte;
                sum_ = static_cast<unsigned char>(kSoh + byte);
            } else if (dataAllowed_ && number_ + byte == 0xFF) {
                isHeader_ = false;
                sum_ = 0;
            } else {
                state_ = State::Lead;
                return std::nullopt;
            }
            filled_ = 0;
            state_ = State::Payload;
            return std::nullopt;
        case State::Payload:
            payload_[filled_++] = static_cast<char>(byte);
            sum_ = static_cast<unsigned char>(sum_ + byte);
            if (filled_ == kBlockData) state_ = State::Checksum;
            return std::nullopt;
        case State::Checksum: {
            state_ = State::Lead;
            Frame frame;
            if (byte != sum_) {
                frame.kind = Frame::Kind::Bad;
                return frame;
            }
            frame.kind = isHeader_ ? Frame::Kind::Header : Frame::Kind::Data;
            frame.number = number_;
            frame.payload = std::string_view(payload_.data(), payload_.size());
            return frame;
        }
    }
    return std::nullopt;
}

std::optional<Frame> FrameReader::feed(std::string_view& bytes, TimePoint now) {
    while (!bytes.empty()) {
        if (state_ == State::Payload) {
            const std::size_t take = std::min(bytes.size(), kBlockData - filled_);
            std::memcpy(payload_.data() + filled_, bytes.data(), take);
            unsigned sum = sum_;
            for (std::size_t i = 0; i < take; ++i) sum += static_cast<unsigned char>(bytes[i]);
            sum_ = static_cast<unsigned char>(sum);
            filled_ += take;
            if (filled_ == kBlockData) state_ = State::Checksum;
            lastByte_ = now;
            bytes.remove_prefix(take);
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes.front());
        bytes.remove_prefix(1);
        if (auto frame = feed(byte, now)) return frame;
    }
    return std::nullopt;
}

}  // namespace morvaline::rapidox
