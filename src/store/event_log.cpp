#include "store/event_log.h"

namespace morvaline {

EventLogHint EventLog::add(std::string text, int icon, FileTime time) {
    bool removed = false;
    while (!entries_.empty() && static_cast<int>(entries_.size()) >= max_) {
        entries_.pop_front();
        removed = true;
    }
    entries_.push_back({std::move(text), time, icon});
    return removed ? EventLogHint::OldestRemovedAndAppended : EventLogHint::Appended;
}

EventLogHint EventLog::setMax(int max) {
    if (max < 1) max = 1;
    max_ = max;
    if (static_cast<int>(entries_.size()) <= max) return EventLogHint::Redraw;
    while (static_cast<int>(entries_.size()) > max) entries_.pop_front();
    return EventLogHint::Rebuilt;
}

EventLogHint EventLog::clear() {
    entries_.clear();
    return EventLogHint::Cleared;
}

void EventLog::assign(std::deque<EventEntry> entries) {
    entries_ = std::move(entries);
    while (static_cast<int>(entries_.size()) > max_) entries_.pop_front();
}

}  // namespace morvaline
