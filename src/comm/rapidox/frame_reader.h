#pragma once
// The receiver's reader of what the sender sends: data blocks, header blocks and lone
// control bytes, fed one byte at a time with the time it arrived.
//
// A wait has a silence limit: when no byte comes for that long, the read times out
// (also in the middle of a block, which is then dropped). EOT, ACK, NAK and CAN as lead
// bytes are signals only when nothing follows them for the quiet period; a byte that
// follows earlier is taken as the next lead byte and the control byte is dropped. A CAN
// is only dropped by a byte that can start something (SOH or another control byte): the
// other side that cancels may go on with its own text at once, and that text neither
// keeps the CAN from counting nor gets lost (takeAfterCan()).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "comm/rapidox/rapidox_bytes.h"
#include "comm/rapidox/transfer_clock.h"

namespace morvaline::rapidox {

struct Frame {
    enum class Kind {
        Data,     // a data block with a good checksum; number = block number
        Header,   // a header block with a good checksum; number = type '0', '1' or '2'
        Bad,      // a block whose checksum did not match
        Control,  // a lone EOT, ACK, NAK or CAN; number = the byte
        Timeout,  // nothing came for the silence limit
    };
    Kind kind = Kind::Timeout;
    unsigned char number = 0;
    std::string_view payload;  // the 128 data bytes of Data and Header, valid until the next feed
};

class FrameReader {
public:
    explicit FrameReader(Duration quietPeriod) : quietPeriod_(quietPeriod) {}

    // Starts a new read: silence limit `timeout` from now; data blocks are taken only when
    // dataAllowed (otherwise their first three bytes are skipped like noise).
    void wait(Duration timeout, bool dataAllowed, TimePoint now);
    // One received byte; a frame when it completes one.
    std::optional<Frame> feed(unsigned char byte, TimePoint now);
    // Received bytes, taken from the front of `bytes` up to the end of the first frame
    // they complete (returned), or all of them. The data of a block is taken in one step.
    std::optional<Frame> feed(std::string_view& bytes, TimePoint now);
    // When expire() has something to say if no byte comes first.
    TimePoint deadline() const;
    // A timeout or a lone control byte once the deadline has passed.
    std::optional<Frame> expire(TimePoint now);
    // The bytes that came after a CAN that counted; the caller hands them to the text
    // stream.
    std::string takeAfterCan() { return std::exchange(afterCan_, {}); }

private:
    enum class State {
        Lead,        // looking for SOH or a control byte
        Number,      // SOH read; next the block number or 0x00 of a header
        Complement,  // next the complement or the header type
        Payload,     // reading the 128 data bytes
        Checksum,    // next the checksum byte
        Control,     // a control byte read; waiting out the quiet period
    };

    std::optional<Frame> lead(unsigned char byte);

    const Duration quietPeriod_;
    Duration timeout_{};
    bool dataAllowed_ = false;
    TimePoint lastByte_{};
    State state_ = State::Lead;
    bool isHeader_ = false;
    unsigned char number_ = 0;
    unsigned char sum_ = 0;
    unsigned char control_ = 0;
    std::size_t filled_ = 0;
    std::array<char, kBlockData> payload_{};
    std::string afterCan_;  // bytes after a pending CAN that started nothing
};

}  // namespace morvaline::rapidox
