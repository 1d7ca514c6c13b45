#pragma once
// The sender's reader of what the receiver sends: control packets STX letter fields check
// CR, and lone control bytes, fed one byte at a time with the time it arrived.
//
// Silence longer than the wait's limit times the read out (a packet cut short is
// dropped). A lead EOT, ACK, NAK or CAN is a signal only when nothing follows it for the
// quiet period; a CAN is dropped only by a byte that can start something (STX or another
// control byte), as the FrameReader does. A packet body without CR within 127 bytes is
// dropped.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "comm/rapidox/rapidox_bytes.h"
#include "comm/rapidox/transfer_clock.h"

namespace morvaline::rapidox {

struct Packet {
    enum class Kind {
        Command,  // a packet with a good check byte; letter and fields are set
        Bad,      // a packet whose check byte did not match
        Control,  // a lone EOT, ACK, NAK or CAN; letter = the byte
        Timeout,  // nothing came for the silence limit
    };
    Kind kind = Kind::Timeout;
    unsigned char letter = 0;
    std::string_view fields;  // bytes between letter and check byte, valid until the next feed
};

class PacketReader {
public:
    explicit PacketReader(Duration quietPeriod) : quietPeriod_(quietPeriod) {}

    // Starts a new read with the silence limit `timeout` from now.
    void wait(Duration timeout, TimePoint now);
    std::optional<Packet> feed(unsigned char byte, TimePoint now);
    TimePoint deadline() const;
    std::optional<Packet> expire(TimePoint now);
    // True between packets: no packet body or control byte is pending.
    bool idle() const { return state_ == State::Lead; }
    // The bytes that came after a CAN that counted, for the text stream.
    std::string takeAfterCan() { return std::exchange(afterCan_, {}); }

private:
    enum class State {
        Lead,     // looking for STX or a control byte
        Body,     // collecting the bytes after STX up to CR
        Control,  // a control byte read; waiting out the quiet period
    };

    std::optional<Packet> finishBody();

    const Duration quietPeriod_;
    Duration timeout_{};
    TimePoint lastByte_{};
    State state_ = State::Lead;
    unsigned char control_ = 0;
    std::size_t filled_ = 0;
    std::array<char, kMaxPacketBody> body_{};
    std::string afterCan_;  // bytes after a pending CAN that started nothing
};

}  // namespace morvaline::rapidox
