#pragma once
// Long tool runs on the command line: the work runs on a worker thread at lowered priority
// while the main thread waits for Ctrl+C, which sets the run's cancel event; progress goes
// to a terminal as a percentage; questions are asked on the terminal (or answered by an
// option when there is none).

#include <functional>

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

class CancelOnSignal {
public:
    Event& event() { return cancel_; }
    // Runs work on a worker thread and returns when it ended; Ctrl+C meanwhile sets the event.
    void whileRunning(const std::function<void()>& work);

private:
    Event cancel_;
};

// A run that prints its progress when standard error is a terminal.
ToolRun terminalRun(ToolQuestions& questions, Event& cancel);
// Ends the progress line.
void finishProgress();

}  // namespace morvaline::cli
