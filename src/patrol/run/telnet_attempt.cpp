#include "patrol/run/telnet_attempt.h"

#include "link/result_codes.h"

namespace morvaline {

// Steps: host lookup -> HostFound; connect -> DataArrived with the line up. A result code
// set meanwhile (cancel, skip, lookup failure) ends the attempt.
int attemptTelnet(CPatrolEngine& engine) {
    CommBlock& block = engine.block();
    LineRequests& line = engine.line();
    WaitClock& clock = engine.clock();
    const auto failed = [&block] {
        block.setResultIfOk(result::LineLost);
        return block.result();
    };

    block.hostFound.reset();
    if (!line.telnetResolve()) return failed();
    if (!clock.waitFor(block.hostFound, kConnectStepLimitMs)) {
        block.setResultIfOk(result::LineLost);
        line.telnetClose();
        return block.result();
    }
    if (block.result() != result::Ok) return block.result();

    block.dataArrived.reset();
    if (!line.telnetConnect()) return failed();
    if (!clock.waitFor(block.dataArrived, kConnectStepLimitMs)) return failed();
    if (block.result() != result::Ok) return block.result();
    return block.lineUp() ? result::Ok : failed();
}

}  // namespace morvaline
