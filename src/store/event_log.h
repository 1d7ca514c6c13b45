#pragma once
// The event log: a bounded, time-stamped list of what the program did, oldest first,
// saved with the document.

#include <cstddef>
#include <deque>
#include <string>

#include "platform/file_time.h"

namespace morvaline {

// Kinds of entry; the values are the icon indices kept in the document file.
enum class EventKind : int { Information = 14, Warning = 15 };

struct EventEntry {
    std::string text;  // Shift_JIS
    FileTime time = 0;
    int icon = static_cast<int>(EventKind::Information);
};

// What changed, for the views that show the log.
enum class EventLogHint : int {
    Redraw = 0,
    Appended = 100,
    Cleared = 101,
    Rebuilt = 102,
    OldestRemovedAndAppended = 103,
};

class EventLog {
public:
    static constexpr int kDefaultMax = 100;

    EventLogHint add(std::string text, int icon, FileTime time);
    // Drops the oldest entries beyond the new maximum (Rebuilt) or changes nothing (Redraw).
    EventLogHint setMax(int max);
    EventLogHint clear();
    // Replaces the entries with those read from a document, keeping the newest that fit.
    void assign(std::deque<EventEntry> entries);

    int max() const { return max_; }
    const std::deque<EventEntry>& entries() const { return entries_; }

private:
    std::deque<EventEntry> entries_;
    int max_ = kDefaultMax;
};

}  // namespace morvaline
