#pragma once
// The patrol worker thread. It creates the run's CPatrolEngine on itself, runs the patrol
// with it, destroys it and reports the run's exit code. The thread that started it joins
// it after hearing of the end, never before: the engine may be waiting for that thread
// (a connection step) until the very end of the run.

#include <functional>
#include <thread>

#include "patrol/engine/patrol_engine.h"

namespace morvaline {

class PatrolThread {
public:
    // The run: returns the exit code of the run (its result code).
    using Run = std::function<int(CPatrolEngine&)>;
    // Called on the worker thread after the engine is gone, with the exit code. The
    // owner forwards it to its own thread (the patrol-ended notification) and joins there.
    using Ended = std::function<void(int exitCode)>;

    PatrolThread() = default;
    ~PatrolThread();  // joins a worker that was not joined
    PatrolThread(const PatrolThread&) = delete;
    PatrolThread& operator=(const PatrolThread&) = delete;

    // Starts the worker; false when one exists already (started and not yet joined).
    bool start(EngineLinks links, DialogueSettings settings, Run run, Ended ended);
    // A worker exists: started and not yet joined.
    bool exists() const { return worker_.joinable(); }
    // Waits for the worker to end and returns its exit code.
    int join();

private:
    std::thread worker_;
    int exitCode_ = 0;
};

}  // namespace morvaline
