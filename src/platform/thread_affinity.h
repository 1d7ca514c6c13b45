#pragma once
// Which thread a piece of code belongs to. An object that must only be used on one
// thread (the main thread, the patrol thread) keeps a ThreadAffinity and checks it at the
// top of each method, so that a call from the wrong thread fails loudly in debug builds
// instead of racing silently.

#include <atomic>
#include <cassert>
#include <thread>

namespace morvaline {

class ThreadAffinity {
public:
    // Bound to the thread that creates it.
    ThreadAffinity() : owner_(std::this_thread::get_id()) {}

    // Moves the binding to the calling thread (an object created on one thread and handed
    // to the thread that will use it).
    void bindToCurrentThread() { owner_.store(std::this_thread::get_id()); }
    bool isCurrent() const { return owner_.load() == std::this_thread::get_id(); }

private:
    std::atomic<std::thread::id> owner_;
};

}  // namespace morvaline

// Asserts that the calling thread is the one the affinity is bound to.
#define MORVALINE_ASSERT_THREAD(affinity) \
    assert((affinity).isCurrent() && "called on the wrong thread")
