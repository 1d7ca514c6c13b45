#pragma once
// The engine's connection steps carried out on a real line: each request of the engine
// (patrol thread) is performed on the Connection on the main thread through the
// dispatcher, and its answer returned. This build has Telnet lines: a modem port or a
// telephony call cannot be opened, there is no dial-up entry to dial, and there is no
// dialling plan to move on in.

#include "comm/connection.h"
#include "patrol/line_requests.h"
#include "platform/main_dispatcher.h"

namespace morvaline {

class PatrolLink final : public LineRequests {
public:
    PatrolLink(Connection& connection, MainDispatcher& dispatcher)
        : connection_(connection), dispatcher_(dispatcher) {}

    // Patrol thread.
    bool writeText(std::string_view text) override;
    bool openModemPort() override { return false; }
    bool placeTapiCall() override { return false; }
    bool telnetConnect() override;
    int nextAccessPoint() override { return 0; }
    bool telnetResolve() override;
    void telnetClose() override;
    void hangUp() override;
    bool rasDial() override { return true; }
    bool telnetReconnect() override;
    bool startTransfer(TransferDirection direction) override;

private:
    Connection& connection_;
    MainDispatcher& dispatcher_;
};

}  // namespace morvaline
