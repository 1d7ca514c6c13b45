#pragma once
// The connection steps that the patrol engine asks the main thread to perform. The engine
// never touches the transport: each call is carried over to the main thread, performed
// there on the connection, and its answer comes back. Steps that finish later (a call
// placed, a host looked up, a connect) signal DataArrived or HostFound in the CommBlock
// when they finish.
//
// Called on the patrol thread. The comment of each method gives its request code.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/transfer_request.h"

namespace morvaline {

// Milliseconds each step of a connection attempt may take (a lookup, a connect, a modem's
// answer, a call placed).
inline constexpr int kConnectStepLimitMs = 120'000;

// The kinds of line of an access point; the values are the stored ones.
enum class LineType : int {
    Tapi = 0,    // a call placed by the telephony stand-in
    Modem = 1,   // a modem on a serial port, dialled by the engine
    Telnet = 2,  // Telnet over TCP, optionally after a dial-up connection
};

// How the login begins.
enum class LoginMode : int {
    Wait = 0,           // wait 3 s, then send "LUDRIX"
    AfterBrace = 1,     // wait for the host's "}", then 1 s, then send "LUDRIX"
    Script = 2,         // run the access point's login script, then as Wait
    AlreadyAtHost = 4,  // the line is at the host already: go to the main menu, change the ID
};
// The login mode of an access point's stored value ("route"): 2 and 3 both run the
// script; any value not listed is Wait.
LoginMode loginModeOf(int route);

// What the engine sends to a modem: the set-up commands in order (empty ones left out,
// each with its CR), then the dial command.
struct ModemDial {
    std::vector<std::string> initCommands;
    std::string dialCommand;
};

// The access point of the current connection attempt, as the engine needs it.
struct AttemptTarget {
    LineType lineType = LineType::Telnet;
    std::string name;      // shown in "%1 に接続します。..." (Shift_JIS)
    std::string hostName;  // the Telnet host
    LoginMode loginMode = LoginMode::Wait;
    std::string loginScript;  // run in login mode Script
    bool hangUpAfterLogout = true;
    ModemDial modem;  // a modem line's dialogue
};

// Whether a text written to the line is a secret (a password): transcripts and capture
// logs show a secret as "****".
enum class Secrecy { Plain, Secret };

class LineRequests {
public:
    virtual ~LineRequests() = default;

    // 100: writes the Shift_JIS text to the line as it is; an empty text writes nothing.
    // False when it could not be written.
    virtual bool writeText(std::string_view text, Secrecy secrecy) = 0;
    // 101: opens the serial port of a modem line (the reasons of a failure are reported).
    // Carrier changes count for nothing until modemDialled().
    virtual bool openModemPort() = 0;
    // The dial command has gone out: carrier changes count from now on.
    virtual void modemDialled() = 0;
    // The modem answered CONNECT: a line that cannot rely on carrier detect (the access
    // point says so, or the port has no such line) is up now.
    virtual void modemConnected() = 0;
    // 102: places a telephony call; DataArrived is set when it is up or failed.
    virtual bool placeTapiCall() = 0;
    // 103: creates the Telnet socket and starts the connect; DataArrived is set when the
    // line is up or the connect failed.
    virtual bool telnetConnect() = 0;
    // 104: moves on to the next access point; the pause in seconds before trying it, 0 when
    // there is no further attempt.
    virtual int nextAccessPoint() = 0;
    // The access point of the current attempt; empty once the attempts are exhausted.
    virtual std::optional<AttemptTarget> currentAttempt() = 0;
    // 105: starts looking up the Telnet host and port; HostFound is set when done.
    virtual bool telnetResolve() = 0;
    // 106: closes the Telnet socket.
    virtual void telnetClose() = 0;
    // 107: hangs up. Not waited for.
    virtual void hangUp() = 0;
    // 108: dials the dial-up entry of the access point if it has one; false to stop.
    virtual bool rasDial() = 0;
    // The host has asked for a file transfer: starts it on the line. False when no
    // transfer can run. The outcome is recorded in the CommBlock when the transfer has
    // ended, and DataArrived is set then (see patrol/engine/file_transfer.h).
    virtual bool startTransfer(const TransferRequest& request) = 0;
};

}  // namespace morvaline
