#pragma once
// Reports: everything the system tells the user while it works. A report shows its
// text in the status line, appends an entry to the event log, plays the event sound that
// belongs to it, and adds a line to the patrol status window.

#include <array>
#include <mutex>
#include <string>
#include <string_view>

#include "store/event_log.h"
#include "store/texts.h"

namespace morvaline {

// Number of event sound slots: 15 event messages and the warnings.
inline constexpr int kSoundSlots = 16;
inline constexpr int kWarningSoundSlot = 15;

EventKind reportKind(int id);
// True for the warnings that report a step of a run that failed (not for those that
// inform about the text or the host while the step did its work).
bool isFailedStepReport(int id);
// The sound slot of a report, or -1 when it plays none.
int reportSoundSlot(int id);

// Where reports go: implemented by the main window, the command line program and tests.
// Called on the thread that reports, under the reporter's lock.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void showStatus(const std::string& sjisText) = 0;
    virtual void addPatrolLine(const std::string& sjisText) = 0;
    // Every report with the ID of its text, for sinks that keep count of failures.
    virtual void reported(int /*id*/, const std::string& /*sjisText*/) {}
    virtual void eventLogChanged(EventLogHint) {}
    virtual void playSound(const std::string& /*waveFile*/) {}
};

struct SoundSettings {
    bool enabled = false;
    std::array<std::string, kSoundSlots> files;  // wave file per slot; empty = silent
};

class Reporter {
public:
    Reporter(EventLog& log, const SoundSettings& sounds) : log_(log), sounds_(sounds) {}

    void setSink(ReportSink* sink);
    // Reports a text of the string table, with "%1" and "%2" filled in.
    void report(const Text& text, std::string_view arg1 = {}, std::string_view arg2 = {});
    // Reports a text that the caller formatted from the string table text with this ID.
    void report(const std::string& sjisText, int id);
    // A new connection attempt lifts the suppression of patrol lines set by "skipping".
    void connectionAttemptStarted();

private:
    EventLog& log_;
    const SoundSettings& sounds_;
    ReportSink* sink_ = nullptr;
    bool patrolLinesSuppressed_ = false;
    std::mutex mutex_;
};

// A reporter with an event log of its own and no sounds, for programs that talk to a host
// without a user's data set (the terminal, benchmarks, tests).
struct StandaloneReporter {
    EventLog log;
    SoundSettings sounds;
    Reporter reporter{log, sounds};
};

}  // namespace morvaline
