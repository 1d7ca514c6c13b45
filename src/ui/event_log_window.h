#pragma once
// A window that shows the data set's event log ("ｲﾍﾞﾝﾄ ﾛｸﾞ"): the time with the entry's
// icon, and the text. It follows the log's hints row by row: one entry appended, the
// oldest dropped and one appended, all removed, all rebuilt.

#include <QTreeWidget>

#include "store/event_log.h"

namespace morvaline::ui {

class EventLogWindow final : public QTreeWidget {
public:
    // main thread; the log belongs to the open data set and outlives the window.
    explicit EventLogWindow(const EventLog& log, QWidget* parent = nullptr);
    void apply(EventLogHint hint);

private:
    void appendRow(const EventEntry& entry);
    void rebuild();

    const EventLog& log_;
};

}  // namespace morvaline::ui
