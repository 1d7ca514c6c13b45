#include "app/cli_tool_run.h"

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <thread>

#include "app/cli_support.h"
#include "app/stop_signals.h"

namespace morvaline::cli {
namespace {

std::atomic<bool> progressShown{false};

}  // namespace

Answer TerminalQuestions::ask(const Text&, const std::string& sjisText, bool withCancel) {
    if (assumeYes_) return Answer::Yes;
    std::cerr << utf8(sjisText) << (withCancel ? " [y/n/C] " : " [y/N] ") << std::flush;
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << (withCancel ? "c" : "n") << '\n';
        return withCancel ? Answer::Cancel : Answer::No;
    }
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && (line[0] == 'y' || line[0] == 'Y')) return Answer::Yes;
    if (withCancel && (line.empty() || line[0] == 'c' || line[0] == 'C')) return Answer::Cancel;
    return Answer::No;
}

void TerminalQuestions::tell(const Text&, const std::string& sjisText) { std::cerr << utf8(sjisText) << '\n'; }

void CancelOnSignal::whileRunning(const std::function<void()>& work) {
    StopSignals stop;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        work();
        return;
    }
    std::thread worker([&] {
        // A tool worker yields to the user's other work.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
        work();
        const char done = 1;
        if (::write(pipeFds[1], &done, 1) != 1) {}
    });
    pollfd fds[2] = {{pipeFds[0], POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds, stop.fd() >= 0 ? 2 : 1, -1) < 0) continue;
        if (fds[0].revents) break;
        if (stop.fd() >= 0 && fds[1].revents) {
            stop.drain();
            cancel_.set();
        }
    }
    worker.join();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

ToolRun terminalRun(ToolQuestions& questions, Event& cancel) {
    ToolRun run;
    run.cancel = &cancel;
    run.questions = &questions;
    if (::isatty(STDERR_FILENO)) {
        run.progress = [last = -1](int percent) mutable {
            if (percent == last) return;
            last = percent;
            progressShown = true;
            std::cerr << "\r" << percent << "% " << std::flush;
        };
    }
    return run;
}

void finishProgress() {
    if (progressShown.exchange(false)) std::cerr << '\n';
}

}  // namespace morvaline::cli
