#include "sim_link.h"

#include <algorithm>
#include <utility>

namespace morvaline::rapidox::test {

void SimLink::transmit(End& from, End& to, bool fromSender) {
    const std::string out = from.engine.takeOutput();
    // Bytes put on the line now arrive now, or after the stretch ahead of them.
    const auto stretchFrom = [&](TimePoint from) -> std::string& {
        if (!to.inbox.empty()) from = std::max(from, to.inbox.back().from);
        if (to.inbox.empty() || to.inbox.back().from != from) to.inbox.push_back({from, {}});
        return to.inbox.back().bytes;
    };
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
                    if (here) stretchFrom(now_ + f.stall);  // this byte and all after it
                    break;
                case LineFault::Kind::Cut:
                    if (here) cut_ = true;
                    break;
            }
        }
        if (cut_) continue;
        std::string& bytes = stretchFrom(now_);
        if (keep) bytes += byte;
        bytes += after;
    }
}

bool SimLink::deliver(End& to) {
    std::string bytes;
    std::size_t arrived = 0;
    for (; arrived < to.inbox.size() && to.inbox[arrived].from <= now_; ++arrived)
        bytes += to.inbox[arrived].bytes;
    to.inbox.erase(to.inbox.begin(), to.inbox.begin() + static_cast<std::ptrdiff_t>(arrived));
    if (bytes.empty()) return false;
    to.engine.receive(bytes, now_);
    return true;
}

void SimLink::run() {
    for (End& end : ends_) end.engine.start(now_);
    for (int step = 0; step < 10'000'000; ++step) {
        transmit(ends_[0], ends_[1], true);
        transmit(ends_[1], ends_[0], false);
        if (cut_) {
            // What was on the line before the cut arrives; then the connection sets the
            // abort flag of both sides.
            for (End& end : ends_) deliver(end);
            for (End& end : ends_) end.engine.abort();
            for (End& end : ends_) end.engine.takeOutput();
        }
        bool moved = false;
        for (End& end : ends_) moved = deliver(end) || moved;
        if (ends_[0].engine.finished() && ends_[1].engine.finished()) return;
        TimePoint next = kNever;
        for (End& end : ends_) {
            if (!end.engine.finished()) next = std::min(next, end.engine.deadline());
            if (!end.inbox.empty()) next = std::min(next, end.inbox.front().from);
        }
        if (next == kNever && !moved) return;  // stuck: the test's checks will say so
        if (!moved && next > now_) now_ = next;
        for (End& end : ends_)
            if (!end.engine.finished() && end.engine.deadline() <= now_) end.engine.advance(now_);
    }
}

}  // namespace morvaline::rapidox::test
