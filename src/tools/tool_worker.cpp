#include "tools/tool_worker.h"

#include <sys/resource.h>
#include <unistd.h>

namespace morvaline {
namespace {

// Nice values of a tool's thread: below normal while it works, lower still once stopped.
constexpr int kBelowNormal = 5;
constexpr int kStopping = 10;

void setNice(int threadId, int nice) {
    // Raising a thread's nice value needs no privilege; failing to is harmless.
    if (threadId != 0) (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice);
}

}  // namespace

ToolWorker::~ToolWorker() {
    stop();
    wait();
}

bool ToolWorker::start(std::function<void()> job, std::function<void()> done) {
    if (running_) return false;
    wait();
    stop_.reset();
    running_ = true;
    threadId_ = 0;
    thread_ = std::thread([this, job = std::move(job), done = std::move(done)] {
        const int id = static_cast<int>(::gettid());
        setNice(id, stop_.isSet() ? kStopping : kBelowNormal);
        threadId_ = id;
        job();
        running_ = false;
        if (done) done();
    });
    return true;
}

void ToolWorker::stop() {
    stop_.set();
    setNice(threadId_, kStopping);
}

void ToolWorker::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace morvaline
