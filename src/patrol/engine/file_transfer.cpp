#include "patrol/engine/file_transfer.h"

#include "link/result_codes.h"
#include "store/texts.h"

namespace morvaline {
namespace {

// A run that has ended aborts its transfer, which then ends at once; its outcome is
// waited for this long at most, in slices.
constexpr int kOutcomeAfterEndMs = 10'000;
constexpr int kSliceMs = 500;

// CAN, the byte by which either side of a Rapidox transfer gives it up.
constexpr char kCan[] = "\x18";

FileTransferOutcome notTransferred() {
    FileTransferOutcome outcome;
    outcome.result = FileTransferOutcome::kTimedOut;
    outcome.text = textSjis(texts::kTransferAborting);
    return outcome;
}

}  // namespace

FileTransferOutcome TransferFile(CPatrolEngine& engine, const TransferRequest& request) {
    CommBlock& block = engine.block();
    if (engine.result() != result::Ok) return notTransferred();

    block.clearTransferOutcome();
    const int timeout = block.waitTimeout();
    engine.setWaitTimeout(-1);
    if (!engine.line().startTransfer(request)) {
        engine.setWaitTimeout(timeout);
        engine.events().report(texts::kTransferAborting);
        // The host's side waits for ours; a lone CAN ends it, and its text follows.
        engine.Send(kCan);
        return notTransferred();
    }

    // Transitions: the outcome is recorded -> done; the run ends -> wait a little more
    // for the aborted transfer's outcome. DataArrived is reset before each look, so a
    // transfer that ends after the look still wakes the wait; unread text stays in the
    // CommBlock for the waits that follow.
    int waitedAfterEnd = 0;
    for (;;) {
        block.dataArrived.reset();
        if (std::optional<FileTransferOutcome> outcome = block.transferOutcome()) {
            engine.setWaitTimeout(timeout);
            return *outcome;
        }
        if (engine.result() == result::Ok) {
            engine.clock().waitFor(block.dataArrived, -1);
        } else if (waitedAfterEnd < kOutcomeAfterEndMs) {
            engine.clock().waitFor(block.dataArrived, kSliceMs);
            waitedAfterEnd += kSliceMs;
        } else {
            engine.setWaitTimeout(timeout);
            return notTransferred();
        }
    }
}

}  // namespace morvaline
