#include "session/patrol_thread.h"

namespace morvaline {

PatrolThread::~PatrolThread() {
    if (worker_.joinable()) worker_.join();
}

bool PatrolThread::start(EngineLinks links, DialogueSettings settings, Run run, Ended ended) {
    if (worker_.joinable()) return false;
    worker_ = std::thread([this, links, settings, run = std::move(run), ended = std::move(ended)] {
        int exitCode;
        {
            CPatrolEngine engine(links, settings);
            exitCode = run(engine);
        }
        exitCode_ = exitCode;
        if (ended) ended(exitCode);
    });
    return true;
}

int PatrolThread::join() {
    if (worker_.joinable()) worker_.join();
    return exitCode_;
}

}  // namespace morvaline
