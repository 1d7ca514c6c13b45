#pragma once
// Long tool runs on the command line: the work runs on a worker thread while the main thread
// waits for it and turns Ctrl+C into the tool's stop; progress goes to a terminal as a
// percentage; questions are asked on the terminal (or answered by an option when there is
// none).

#include <functional>
#include <string>

#include "app/stop_signals.h"
#include "store/tool_run.h"

namespace morvaline::cli {

class TerminalQuestions final : public ToolQuestions {
public:
    // assumeYes: every question is answered Yes; else a terminal is asked and, without one,
    // every question is answered No.
    explicit TerminalQuestions(bool assumeYes = false) : assumeYes_(assumeYes) {}
    Answer ask(const Text& question, const std::string& sjisText, bool withCancel) override;
    void tell(const Text& message, const std::string& sjisText) override;

private:
    bool assumeYes_;
};

// A labelled percentage on the terminal's last line, rewritten in place; nothing when
// standard error is not a terminal. show() is called from the worker thread.
class TerminalProgress {
public:
    explicit TerminalProgress(std::string label);
    ~TerminalProgress() { end(); }
    void show(int percent);
    // Ends the line, once something was shown.
    void end();

private:
    std::string label_;
    bool shown_;
    int last_ = -1;
};

// Waits until a worker calls done(); each Ctrl+C meanwhile calls stop. Signals are taken
// from the moment it is made, so make it before the worker thread starts.
class WorkerWait {
public:
    WorkerWait();
    ~WorkerWait();
    WorkerWait(const WorkerWait&) = delete;
    WorkerWait& operator=(const WorkerWait&) = delete;
    void done();                                   // worker thread
    void wait(const std::function<void()>& stop);  // main thread

private:
    StopSignals signals_;
    int fds_[2] = {-1, -1};
};

// Runs work on a worker thread at lowered priority and returns when it ended; Ctrl+C
// meanwhile sets cancel.
void runOnWorker(Event& cancel, const std::function<void()>& work);

// A run with this cancel event, these questions and this progress line.
ToolRun terminalRun(ToolQuestions& questions, Event& cancel, TerminalProgress& progress);

}  // namespace morvaline::cli
