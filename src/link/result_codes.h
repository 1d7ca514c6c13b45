#pragma once
// The result code of a patrol run. It is 0 while the run may go on; any other value ends
// every wait and send of the engine at once. Dialogue steps return either the index of
// the prompt that matched (0 or more) or one of these negative codes.

#include "store/texts.h"

namespace morvaline::result {

enum Code : int {
    Ok = 0,               // no failure: the run goes on
    Cancelled = -1,       // the user cancelled
    Silence = -2,         // nothing was received for the wait timeout
    LineLost = -4,        // the connection could not be made or was lost
    OutOfStep = -5,       // the host showed a prompt the step did not expect
    Busy = -10,           // the modem dial found the number busy
    NoConnection = -11,   // the modem dial did not connect
    ModemError = -12,     // the modem refused its set-up commands
    WrongPassword = -13,  // the host refused the password
    DoubleLogin = -14,    // the user ID is already logged in
    Congested = -15,      // the host is too busy to take the login
    PlaceFailed = -20,    // this place could not be reached; the walk goes on
    Skipped = -21,        // the current dial attempt was skipped; try the next access point
};

// A short name for logs and test output, such as "Silence"; "unknown" for other values.
const char* toString(int code);

// The text the event log shows for a code that ends a run, or null when there is none.
// (Cancelled has its text only when the user cancelled while connecting.)
const Text* failureText(int code);

}  // namespace morvaline::result
