#include "patrol/run/modem_attempt.h"

#include "link/modem_answers.h"
#include "link/result_codes.h"
#include "patrol/run/telnet_attempt.h"

namespace morvaline {

namespace {

// The modem's answers count as connection steps: one that does not come within the step
// limit ends the attempt as an unanswered dial, so an unattended patrol never hangs.
template <std::size_t N>
Waited<int> waitForModem(CPatrolEngine& engine, const std::array<std::string_view, N>& answers) {
    std::array<Prompt, N> prompts;
    for (std::size_t i = 0; i < N; ++i) prompts[i] = {answers[i], false};
    engine.setWaitTimeout(kConnectStepLimitMs);
    const Waited<int> got = engine.WaitForPrompts(prompts);
    engine.setWaitTimeout(-1);
    if (!got && got.code() == result::Silence) engine.block().setResult(result::NoConnection);
    return got;
}

int fail(CPatrolEngine& engine, result::Code code) {
    engine.block().setResultIfOk(code);
    if (const Text* text = result::failureText(code)) engine.events().report(*text);
    return engine.block().result();
}

}  // namespace

// Steps: open the port -> each set-up command answered "OK" -> dial -> one second ->
// carrier changes count again -> the answer. CONNECT brings the line up at once when the
// carrier cannot be relied on, else when the carrier comes.
int attemptModem(CPatrolEngine& engine, const ModemDial& dial) {
    CommBlock& block = engine.block();
    LineRequests& line = engine.line();
    if (!line.openModemPort()) {
        // The port has reported why.
        block.setResultIfOk(result::ModemError);
        return block.result();
    }

    for (const std::string& command : dial.initCommands) {
        engine.Send(command);
        const Waited<int> ok = waitForModem(engine, kSetupAnswers);
        if (!ok) {
            line.modemDialled();
            return block.result() == result::NoConnection ? fail(engine, result::NoConnection)
                                                          : block.result();
        }
        if (static_cast<SetupAnswer>(ok.which()) == SetupAnswer::Error) {
            line.modemDialled();
            return fail(engine, result::ModemError);
        }
    }

    engine.Send(dial.dialCommand);
    engine.clock().sleepFor(1000);
    line.modemDialled();
    const Waited<int> answer = waitForModem(engine, kDialAnswers);
    if (!answer)
        return block.result() == result::NoConnection ? fail(engine, result::NoConnection)
                                                      : block.result();
    switch (static_cast<DialAnswer>(answer.which())) {
        case DialAnswer::Connect:
            break;
        case DialAnswer::Busy:
            return fail(engine, result::Busy);
        case DialAnswer::Error:
            return fail(engine, result::ModemError);
        default:
            return fail(engine, result::NoConnection);
    }

    line.modemConnected();
    if (!block.lineUp()) {
        block.dataArrived.reset();
        if (!block.lineUp() && !engine.clock().waitFor(block.dataArrived, kConnectStepLimitMs))
            return fail(engine, result::NoConnection);
    }
    if (block.result() != result::Ok) return block.result();
    return block.lineUp() ? result::Ok : fail(engine, result::NoConnection);
}

}  // namespace morvaline
