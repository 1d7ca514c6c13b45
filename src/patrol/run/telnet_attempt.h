#pragma once
// One attempt to reach the host over Telnet, from the engine's side: look the host up,
// then connect, each step waited for at most two minutes. Part of the connection loop
// over the access points, which dials an access point's dial-up entry before it.

#include "patrol/engine/patrol_engine.h"

namespace morvaline {

// 0 when the line is up; otherwise the result code that ended the attempt (a step that
// failed or ran out of time sets LineLost unless another code was set first).
[[nodiscard]] int attemptTelnet(CPatrolEngine& engine);

}  // namespace morvaline
