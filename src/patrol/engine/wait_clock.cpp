#include "patrol/engine/wait_clock.h"

#include <thread>

namespace morvaline {

bool SystemWaitClock::waitFor(Event& event, int timeoutMs) {
    if (timeoutMs < 0) {
        event.wait();
        return true;
    }
    return event.waitFor(std::chrono::milliseconds(timeoutMs));
}

void SystemWaitClock::sleepFor(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace morvaline
