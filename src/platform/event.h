#pragma once
// A waitable event with manual or automatic reset, shared between threads.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace morvaline {

class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set() {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        if (manualReset_) cond_.notify_all();
        else cond_.notify_one();
    }
    void reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool isSet() const {
        std::lock_guard lock(mutex_);
        return set_;
    }
    void wait() {
        std::unique_lock lock(mutex_);
        cond_.wait(lock, [this] { return set_; });
        if (!manualReset_) set_ = false;
    }
    // Returns false when the time ran out before the event was set.
    bool waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!cond_.wait_for(lock, timeout, [this] { return set_; })) return false;
        if (!manualReset_) set_ = false;
        return true;
    }

private:
    const bool manualReset_;
    bool set_;
    mutable std::mutex mutex_;
    std::condition_variable cond_;
};

}  // namespace morvaline
