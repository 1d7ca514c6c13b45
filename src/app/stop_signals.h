#pragma once
// Ctrl+C and termination as an event for the Qt loop: the signals are blocked and read
// from a signalfd, so no handler runs at an arbitrary point of the program.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace morvaline::cli {

class StopSignals {
public:
    StopSignals() {
        sigemptyset(&mask_);
        sigaddset(&mask_, SIGINT);
        sigaddset(&mask_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &mask_, &previous_);
        fd_ = ::signalfd(-1, &mask_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~StopSignals() {
        if (fd_ >= 0) ::close(fd_);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // -1 when signals cannot be read this way (they then act as usual).
    int fd() const { return fd_; }
    void drain() {
        signalfd_siginfo info;
        while (::read(fd_, &info, sizeof info) == sizeof info) {
        }
    }

private:
    sigset_t mask_{};
    sigset_t previous_{};
    int fd_ = -1;
};

}  // namespace morvaline::cli
