#pragma once
// One attempt to reach the host through a modem on a serial port, from the engine's side:
// open the port, send the set-up commands, dial, and read the modem's answer. Part of the
// connection loop over the access points.

#include "patrol/engine/patrol_engine.h"

namespace morvaline {

// 0 when the modem answered CONNECT and the line is up; otherwise the result code that
// ended the attempt:
//   ModemError    the port could not be opened, or the modem answered ERROR
//   Busy          the number was busy
//   NoConnection  "NO ..." (NO CARRIER, NO DIALTONE, NO ANSWER), FORBIDDEN, DELAYED, or
//                 the modem said nothing for two minutes
//   other         what ended a wait (cancel, skip, line lost)
[[nodiscard]] int attemptModem(CPatrolEngine& engine, const ModemDial& dial);

}  // namespace morvaline
