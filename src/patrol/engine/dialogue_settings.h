#pragma once
// The configured time limits and pacing of the host dialogue.

namespace morvaline {

struct DialogueSettings {
    int timeoutMs = 120'000;  // silence limit of a wait once connected
    int idleTimeMs = 800;     // quiet period after a prompt that must end the host's output
    int delayAfterCrMs = 0;   // pause after each line of a posted text
    int sendAhead = 0;        // lines of a posted text sent before their echo is awaited
};

}  // namespace morvaline
