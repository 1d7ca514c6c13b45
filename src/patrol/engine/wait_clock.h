#pragma once
// How the engine waits and pauses. Passed in, so that tests can run the time limits of a
// dialogue in virtual time: a test clock answers a wait at once, either by delivering the
// next part of a scripted host or by declaring the time run out.

#include "platform/event.h"

namespace morvaline {

class WaitClock {
public:
    virtual ~WaitClock() = default;
    // Waits until the event is set or timeoutMs have passed; -1 waits without limit.
    // True when the event was set.
    virtual bool waitFor(Event& event, int timeoutMs) = 0;
    virtual void sleepFor(int ms) = 0;
};

// The real clock.
class SystemWaitClock final : public WaitClock {
public:
    bool waitFor(Event& event, int timeoutMs) override;
    void sleepFor(int ms) override;
};

}  // namespace morvaline
