#pragma once
// The engine's connection steps carried out on a real line: each request of the engine
// (patrol thread) is performed on the Connection on the main thread through the
// dispatcher, and its answer returned. The dialling plan chooses the access point of each
// attempt: its Telnet target and dial-up entry, or the serial port and commands of its
// modem.

#include "comm/connection.h"
#include "comm/dialling_plan.h"
#include "link/line_requests.h"
#include "platform/main_dispatcher.h"

namespace morvaline {

class PatrolLink final : public LineRequests {
public:
    PatrolLink(Connection& connection, DialUp& dialUp, MainDispatcher& dispatcher)
        : connection_(connection), dialUp_(dialUp), dispatcher_(dispatcher) {}

    // Main thread, before a run: the plan of the run's attempts, already started; its
    // current access point becomes the connection's Telnet target.
    void setDiallingPlan(DiallingPlan* plan);

    // Patrol thread.
    bool writeText(std::string_view text, Secrecy secrecy) override;
    bool openModemPort() override;
    void modemDialled() override;
    void modemConnected() override;
    bool placeTapiCall() override;
    bool telnetConnect() override;
    int nextAccessPoint() override;
    std::optional<AttemptTarget> currentAttempt() override;
    bool telnetResolve() override;
    void telnetClose() override;
    void hangUp() override;
    bool rasDial() override;
    bool startTransfer(const TransferRequest& request) override;

private:
    void aimAtCurrent();  // main thread

    Connection& connection_;
    DialUp& dialUp_;
    MainDispatcher& dispatcher_;
    DiallingPlan* plan_ = nullptr;  // used on the main thread only
};

}  // namespace morvaline
