#pragma once
// Two transfer engines joined by a simulated line, on a fake clock that jumps to the next
// deadline whenever nothing moves, so time-outs of minutes run in microseconds. Faults
// are placed at byte offsets of one direction of the line.

#include <array>
#include <string>
#include <vector>

#include "comm/rapidox/transfer_engine.h"

namespace morvaline::rapidox::test {

struct LineFault {
    enum class Kind {
        Drop,     // `count` bytes vanish
        Corrupt,  // one byte is flipped
        Insert,   // `bytes` appear after this byte
        Stall,    // from this byte on the line is silent for `stall`
        Cut,      // the line drops here: both sides see an abort
    };
    Kind kind = Kind::Drop;
    bool fromSender = true;  // direction: sender -> receiver, or receiver -> sender
    std::size_t at = 0;      // offset in that direction's byte stream
    std::size_t count = 1;
    std::string bytes;
    Duration stall{};

    static LineFault drop(bool fromSender, std::size_t at, std::size_t count) {
        return {Kind::Drop, fromSender, at, count, {}, {}};
    }
    static LineFault corrupt(bool fromSender, std::size_t at) {
        return {Kind::Corrupt, fromSender, at, 1, {}, {}};
    }
    static LineFault insert(bool fromSender, std::size_t at, std::string bytes) {
        return {Kind::Insert, fromSender, at, 1, std::move(bytes), {}};
    }
    static LineFault silence(bool fromSender, std::size_t at, Duration stall) {
        return {Kind::Stall, fromSender, at, 1, {}, stall};
    }
    static LineFault cut(bool fromSender, std::size_t at) {
        return {Kind::Cut, fromSender, at, 1, {}, {}};
    }
};

class SimLink {
public:
    SimLink(TransferEngine& sender, TransferEngine& receiver) : ends_{End(sender), End(receiver)} {}

    void addFault(LineFault fault) { faults_.push_back(std::move(fault)); }
    // Runs both engines until both have finished (or nothing can move any more).
    void run();
    TimePoint now() const { return now_; }

private:
    // Bytes on their way that may arrive from a time on. The line keeps its order: a
    // stretch never arrives before the one ahead of it.
    struct Stretch {
        TimePoint from;
        std::string bytes;
    };
    struct End {
        explicit End(TransferEngine& e) : engine(e) {}
        TransferEngine& engine;
        std::vector<Stretch> inbox;  // bytes on their way to this end
        std::size_t offset = 0;      // bytes this end has put on the line
    };

    void transmit(End& from, End& to, bool fromSender);
    bool deliver(End& to);

    std::array<End, 2> ends_;
    std::vector<LineFault> faults_;
    TimePoint now_{};
    bool cut_ = false;
};

}  // namespace morvaline::rapidox::test
