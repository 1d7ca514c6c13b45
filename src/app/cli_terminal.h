#pragma once
// morvaline-cli terminal: a terminal on the host for people without a display.
//
//     morvaline-cli terminal HOST[:PORT] | --ap N  [--log FILE] [--trace] [--transcript FILE]
//                            [--down DIR]
//
// Connects over Telnet (PORT is a number or a service name, default "telnet"), or opens
// the serial port of access point N for the user to dial with the modem's commands
// (ATDT...); the session then ends when the device reports the line gone. It shows the
// received text on stdout as UTF-8, and sends each line read from stdin with CR. --log
// captures the received text into FILE (appended, as the host sent it), --trace shows
// the Telnet negotiation, --transcript records the session (what the host showed, what
// was sent, where the line dropped) in the dialogue transcript form of the tests. The
// session ends when the host closes the line, or with Ctrl+C.
//
// Lines that begin with "~" are commands of the terminal, not sent to the host (the
// manual Rapidox transfers of the terminal window):
//     ~d       download: receive the files the host sends, into DIR (--down; default
//              the current folder)
//     ~u FILE  upload: send FILE
//     ~a       abort the running transfer
//     ~~TEXT   send "~TEXT"
// A transfer shows its progress on stderr; lines typed while it runs are not sent.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comm/serial_port.h"

namespace morvaline {

// args: the words after "terminal" (without --ap); port: the serial port to open instead
// of a Telnet host. Runs the event loop of the QCoreApplication that the
// caller has constructed. Returns 0 when the session ended, 1 when no connection could be
// made or the transcript file could not be created, 2 for a usage error. A log file that
// cannot be opened is reported and the session goes on without it.
int runTerminalCommand(const std::vector<std::string>& args,
                       std::optional<SerialSettings> port = std::nullopt);

class ConnectionObserver;
class LineStack;

// Shows what the host sends, as the terminal does, while a run drives the line.
std::unique_ptr<ConnectionObserver> makeHostTextPrinter();

// The same terminal on a line that is already connected (after a login-only run); returns
// when the line is closed (by the host, or by Ctrl+C, which hangs up).
void runTerminalOnLine(LineStack& line);

}  // namespace morvaline
