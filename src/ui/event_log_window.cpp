#include "ui/event_log_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>

#include "models/collation.h"
#include "ui/screen_units.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {

EventLogWindow::EventLogWindow(const EventLog& log, QWidget* parent) : QTreeWidget(parent), log_(log) {
    setColumnCount(2);
    setHeaderLabels({QString::fromUtf8(kEventLogTime), QString::fromUtf8(kEventLogEvent)});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->resizeSection(0, screenUnits(*this, 148));
    header()->resizeSection(1, screenUnits(*this, 640));
    rebuild();
}

void EventLogWindow::appendRow(const EventEntry& entry) {
    auto* row = new QTreeWidgetItem(this);
    const bool warning = entry.icon == static_cast<int>(EventKind::Warning);
    row->setIcon(0, QApplication::style()->standardIcon(warning ? QStyle::SP_MessageBoxWarning
                                                                : QStyle::SP_MessageBoxInformation));
    row->setText(0, QString::fromStdString(formatDateTime(entry.time)));
    row->setText(1, displayText(entry.text));
}

void EventLogWindow::rebuild() {
    clear();
    for (const EventEntry& entry : log_.entries()) appendRow(entry);
    scrollToBottom();
}

void EventLogWindow::apply(EventLogHint hint) {
    switch (hint) {
        case EventLogHint::Redraw:
            viewport()->update();
            break;
        case EventLogHint::OldestRemovedAndAppended:
            delete takeTopLevelItem(0);
            [[fallthrough]];
        case EventLogHint::Appended:
            if (!log_.entries().empty()) appendRow(log_.entries().back());
            scrollToBottom();
            break;
        case EventLogHint::Cleared:
            clear();
            break;
        case EventLogHint::Rebuilt:
            rebuild();
            break;
    }
}

}  // namespace morvaline::ui
