#include "sim_link.h"

#include <algorithm>
#include <utility>

namespace morvaline::rapidox::test {

void SimLink::transmit(End& from, End& to, bool fromSender) {
    const std::string out = from.engine.takeOutput();
    for (std::size_t i = 0; i < out.size(); ++i, ++from.offset) {
        char byte = out[i];
        bool keep = true;
        std::string after;
        for (const LineFault& f : faults_) {
            if (f.fromSender != fromSender) continue;
            const bool here = f.at == from.offset;
            switch (f.kind) {
                case LineFault::Kind::Drop:
                    if (from.offset >= f.at && from.offset < f.at + f.count) keep = false;
                    break;
                case LineFault::Kind::Corrupt:
                    if (here) byte = static_cast<char>(byte ^ 0x5A);
                    break;
                case LineFault::Kind::Insert:
                    if (here) after += f.bytes;
                    break;
                case LineFault::Kind::Stall:
                    if (here) to.heldUntil = now_ + f.stall;
                    break;
                case LineFault::Kind::Cut:
                    if (here) cut_ = true;
                    break;
            }
        }
        if (cut_) continue;
        if (keep) to.inbox += byte;
        to.inbox += after;
    }
}

bool SimLink::deliver(End& to) {
    if (to.inbox.empty() || now_ < to.heldUntil) return false;
    const std::string bytes = std::exchange(to.inbox, {});
    to.engine.receive(bytes, now_);
    return true;
}

void SimLink::run() {
    for (End& end : ends_) end.engine.start(now_);
    for (int step = 0; step < 10'000'000; ++step) {
        transmit(ends_[0], ends_[1], true);
        transmit(ends_[1], ends_[0], false);
        if (cut_) {
            // The connection sets the abort flag of both sides when the line drops.
            for (End& end : ends_) end.engine.abort();
            for (End& end : ends_) end.engine.takeOutput();
        }
        bool moved = false;
        for (End& end : ends_) moved = deliver(end) || moved;
        if (ends_[0].engine.finished() && ends_[1].engine.finished()) return;
        TimePoint next = kNever;
        for (End& end : ends_) {
            if (!end.engine.finished()) next = std::min(next, end.engine.deadline());
            if (!end.inbox.empty()) next = std::min(next, end.heldUntil);
        }
        if (next == kNever && !moved) return;  // stuck: the test's checks will say so
        if (!moved && next > now_) now_ = next;
        for (End& end : ends_)
            if (!end.engine.finished() && end.engine.deadline() <= now_) end.engine.advance(now_);
    }
}

}  // namespace morvaline::rapidox::test
