#include "comm/transfer_link.h"

#include <chrono>

namespace morvaline {

rapidox::TransferChannel::ReadResult TransferLink::read(std::string& into,
                                                        rapidox::TimePoint deadline) {
    for (;;) {
        // RxRead is reset before the flag and the buffer are looked at, so an abort or
        // bytes that come after the look still wake the wait below.
        rx_.rxRead.reset();
        if (rx_.transferAbort) {
            // The bytes that arrived before the line was lost are handed out once: they
            // may complete blocks that the next download then need not fetch again.
            if (!drainedAfterAbort_ && rx_.takeRaw(into) > 0) {
                drainedAfterAbort_ = true;
                return ReadResult::Data;
            }
            return ReadResult::Aborted;
        }
        if (rx_.takeRaw(into) > 0) return ReadResult::Data;
        if (deadline == rapidox::kAtOnce) return ReadResult::TimedOut;
        if (deadline == rapidox::kNever) {
            rx_.rxRead.wait();
            continue;
        }
        const auto left = deadline - rapidox::Clock::now();
        if (left <= rapidox::Duration::zero()) return ReadResult::TimedOut;
        rx_.rxRead.waitFor(std::chrono::ceil<std::chrono::milliseconds>(left));
    }
}

bool TransferLink::write(std::string_view bytes) {
    return dispatcher_.call([&] { return connection_.writeTransferBytes(bytes, false); }, false);
}

bool TransferLink::writeFinal(std::string_view bytes) {
    return dispatcher_.call([&] { return connection_.writeTransferBytes(bytes, true); }, false);
}

void TransferLink::abort() {
    rx_.transferAbort = true;
    rx_.rxRead.set();  // a waiting read returns Aborted
}

void TransferLink::finished(const std::string& unusedBytes) {
    dispatcher_.send([&] { connection_.endTransfer(unusedBytes); });
}

}  // namespace morvaline
