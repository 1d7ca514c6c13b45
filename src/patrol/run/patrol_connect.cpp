// The connection loop of a patrol: each enabled access point in turn, then again after the
// redial pause, until the line is up, the user cancels or the attempts run out.

#include "link/result_codes.h"
#include "patrol/run/modem_attempt.h"
#include "patrol/run/patrol_run.h"
#include "patrol/run/telnet_attempt.h"

namespace morvaline {

int PatrolRun::connect() {
    CommBlock& block = engine_.block();
    LineRequests& line = engine_.line();
    if (block.lineUp()) {
        // The user connected in the terminal: log in on that line.
        if (const auto current = line.currentAttempt()) attempt_ = *current;
        attempt_.loginMode = LoginMode::AlreadyAtHost;
        return result::Ok;
    }
    block.setInConnect(true);
    engine_.events().activity(Animation::Connecting);
    // Until the line is up a wait ends only with a match or a result code.
    engine_.setWaitTimeout(-1);
    for (;;) {
        engine_.setResult(result::Ok);
        const auto current = line.currentAttempt();
        if (!current) break;
        attempt_ = *current;
        engine_.events().report(texts::kConnectingAccessPoint, attempt_.name);
        switch (attempt_.lineType) {
            case LineType::Tapi:
                // The line device dials and hands its port over: DataArrived says when the
                // call is up or has failed. A call that never finished is dropped.
                block.dataArrived.reset();
                if (!line.placeTapiCall() ||
                    !engine_.clock().waitFor(block.dataArrived, kConnectStepLimitMs) ||
                    !block.lineUp()) {
                    block.setResultIfOk(result::LineLost);
                    line.hangUp();
                }
                break;
            case LineType::Modem:
                // A failed dial leaves the port open: closed before the next attempt.
                if (attemptModem(engine_, attempt_.modem) != result::Ok) line.hangUp();
                break;
            default:
                // The dial-up first, when the access point names one: DataArrived says
                // when it is up, failed or not needed.
                block.dataArrived.reset();
                if (!line.rasDial() ||
                    !engine_.clock().waitFor(block.dataArrived, kConnectStepLimitMs))
                    block.setResultIfOk(result::LineLost);
                if (block.result() == result::Ok) (void)attemptTelnet(engine_);
                break;
        }
        const int code = block.result();
        if (code == result::Ok || code == result::Cancelled) break;
        const int pause = line.nextAccessPoint();
        if (pause <= 0) break;
        block.redialCancel.reset();
        if (engine_.clock().waitFor(block.redialCancel, pause * 1000)) {
            // Cancelled during the pause.
            block.redialCancel.reset();
            block.setResult(result::Cancelled);
            break;
        }
    }
    block.setInConnect(false);
    if (block.result() == result::Cancelled) engine_.events().report(texts::kConnectCancelled);
    return block.result();
}

}  // namespace morvaline
