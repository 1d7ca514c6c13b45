#include "app/cli_tool_run.h"

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "app/cli_support.h"

namespace morvaline::cli {

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

TerminalProgress::TerminalProgress(std::string label)
    : label_(std::move(label)), shown_(::isatty(STDERR_FILENO)) {}

void TerminalProgress::show(int percent) {
    if (!shown_ || percent == last_) return;
    last_ = percent;
    std::fprintf(stderr, "\r%s %3d%%", label_.c_str(), percent);
    std::fflush(stderr);
}

void TerminalProgress::end() {
    if (shown_ && last_ >= 0) std::fprintf(stderr, "\n");
    last_ = -1;
}

WorkerWait::WorkerWait() {
    if (::pipe(fds_) != 0) throw CommandError{"cannot create a pipe"};
}

WorkerWait::~WorkerWait() {
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void WorkerWait::done() { (void)!::write(fds_[1], "x", 1); }

void WorkerWait::wait(const std::function<void()>& stop) {
    for (;;) {
        pollfd fds[2] = {{fds_[0], POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
        if (::poll(fds, signals_.fd() >= 0 ? 2 : 1, -1) < 0) continue;
        if (fds[0].revents) return;
        if (fds[1].revents) {
            signals_.drain();
            stop();
        }
    }
}

void runOnWorker(Event& cancel, const std::function<void()>& work) {
    WorkerWait waiter;
    std::thread worker([&] {
        // A tool worker yields to the user's other work.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
        work();
        waiter.done();
    });
    waiter.wait([&] { cancel.set(); });
    worker.join();
}

ToolRun terminalRun(ToolQuestions& questions, Event& cancel, TerminalProgress& progress) {
    ToolRun run;
    run.cancel = &cancel;
    run.questions = &questions;
    run.progress = [&progress](int percent) { progress.show(percent); };
    return run;
}

}  // namespace morvaline::cli
