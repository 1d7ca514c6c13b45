#pragma once
// The worker thread of a tool (query, export): one job at a time at below-normal priority,
// stopped cooperatively by a manual-reset event that the job polls between items.

#include <atomic>
#include <functional>
#include <thread>

#include "platform/event.h"

namespace morvaline {

class ToolWorker {
public:
    ToolWorker() = default;
    ~ToolWorker();  // stops a running job and waits for it
    ToolWorker(const ToolWorker&) = delete;
    ToolWorker& operator=(const ToolWorker&) = delete;

    // Resets the stop event and runs job on a new thread, then done (on that thread, after
    // running() turned false: it may post to the main thread, never wait for it); false
    // while a job still runs.
    bool start(std::function<void()> job, std::function<void()> done = {});
    // Sets the stop event and lowers the thread's priority further, so that the user's
    // window gets the processor until the job has seen the event.
    void stop();
    bool stopRequested() const { return stop_.isSet(); }
    bool running() const { return running_; }
    // Waits for the job to end (no-op when none was started).
    void wait();

private:
    Event stop_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> threadId_{0};
};

}  // namespace morvaline
