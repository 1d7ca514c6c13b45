#pragma once
// The main-loop dispatcher: how worker threads (the patrol engine, the transfer, the
// serial reader) hand work to the main thread, which alone touches the transport and the
// windows. post() queues a call and returns; send() queues a call and waits until the
// main thread has run it. Both run in the order they were queued.
//
// The dispatcher is created on the main thread, and that thread must run its Qt event
// loop for queued calls to run. Before the main thread waits for a worker to end, it
// shuts the dispatcher down (or lets the worker finish first): a worker waiting in send()
// is then released instead of waiting for a main thread that no longer listens.

#include <functional>
#include <memory>
#include <thread>

namespace morvaline {

class MainDispatcher {
public:
    // main thread
    MainDispatcher();
    ~MainDispatcher();  // shuts down
    MainDispatcher(const MainDispatcher&) = delete;
    MainDispatcher& operator=(const MainDispatcher&) = delete;

    // Any thread: queues fn for the main thread. Dropped once the dispatcher is shut down.
    void post(std::function<void()> fn);

    // A function that posts like post() and may be kept by a thread that outlives the
    // dispatcher: once the dispatcher is gone its calls are dropped.
    using Poster = std::function<void(std::function<void()>)>;
    Poster poster() const;

    // Any thread: runs fn on the main thread and returns when it has run. Called on the
    // main thread, fn runs at once. False when fn never ran because the dispatcher was shut
    // down first.
    bool send(const std::function<void()>& fn);

    // Any thread: send() for a call with a value; fallback when it could not run.
    template <class R, class F>
    R call(F&& fn, R fallback) {
        R result = fallback;
        send([&] { result = fn(); });
        return result;
    }

    // Main thread: refuses further calls and releases every sender still waiting (their
    // send() returns false without running its call).
    void shutdown();

    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }

private:
    struct PendingSend;
    struct Queue;  // shared with the queued calls, which may outlive the dispatcher
    static void postTo(const std::shared_ptr<Queue>& queue, std::function<void()> fn);

    const std::thread::id mainThread_;
    std::shared_ptr<Queue> queue_;
};

}  // namespace morvaline
