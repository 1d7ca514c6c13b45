#pragma once
// The main window: the open data set with its browser and event log windows, the menus
// and tool bar of the commands, the status line, and where reports, questions and event
// sounds of the data set arrive. Main thread.

#include <QMainWindow>
#include <QMdiArea>

#include <memory>

#include "platform/instance_socket.h"
#include "platform/sound_player.h"
#include "store/report.h"
#include "ui/browser_window.h"
#include "ui/event_log_window.h"
#include "ui/patrol_control.h"

class QActionGroup;
class QMdiSubWindow;
class QMenu;

namespace morvaline {
class CTolDoc;
class Registry;
}  // namespace morvaline

namespace morvaline::ui {

class Startup;

class MainWindow final : public QMainWindow, public ReportSink, public BrowserHost {
public:
    MainWindow(Registry& registry, bool resetBarState, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The "他のIDで開く" command runs the login dialog of this start-up.
    void setStartup(Startup* startup) { startup_ = startup; }

    CTolDoc* document() const { return doc_.get(); }
    // Shows a data set: its windows as it stored them, or one browser window. password:
    // the one entered (Shift_JIS), for the patrols of this data set.
    void setDocument(std::unique_ptr<CTolDoc> doc, std::string password);
    // The start-up patrol: once the window is idle, a patrol (mode 1), and closing the
    // program when it has ended and nothing else is going on (mode 2).
    void startPatrolWhenIdle(int mode);
    PatrolControl& patrolControl() { return patrol_; }
    // Stores the window layouts, saves and closes the data set; false when saving failed
    // and the user chose to keep it open.
    bool closeDocument();
    void reportFileCheckQuestion();

    BrowserWindow* browser() const;  // the active browser window, if any
    BrowserWindow* newBrowser(const BrowserLayout& layout);
    EventLogWindow* newEventLog();
    QList<BrowserWindow*> browsers() const;
    QList<EventLogWindow*> eventLogs() const;

    // The store changed (main thread): places, and items of a place, by serial.
    void placesChanged();
    void itemChanged(int placeSerial, int itemSerial);

    // ReportSink
    void showStatus(const std::string& sjisText) override;
    void addPatrolLine(const std::string& sjisText) override;
    void eventLogChanged(EventLogHint hint) override;
    void playSound(const std::string& waveFile) override;
    // Questions, NavigationReports, BrowserHost
    bool ask(const Text& question) override;
    void report(const Text& text) override;
    void beep() override;
    void writeMailTo(const std::string& recipient) override;
    void tell(const QString& text) override;

private:
    void buildMenus();
    QAction* command(QMenu* menu, const char* label, const QKeySequence& key, std::function<void(BrowserWindow&)> run);
    // A command that changes the data set: refused while a patrol runs.
    QAction* change(QMenu* menu, const char* label, const QKeySequence& key, std::function<void(BrowserWindow&)> run);
    QAction* disabled(QMenu* menu, const char* label);
    void closeWhenIdle();
    void updateCommands();
    void updateTitles();
    void retitleWhenGone(QMdiSubWindow* sub);
    // The reservation menu of the place selected in b; reserving is refused while a patrol runs.
    void placeMenu(BrowserWindow& b, const QPoint& at);
    void reserve(BrowserWindow& b, int reservation);
    void closeEvent(QCloseEvent* event) override;

    Registry& registry_;
    std::unique_ptr<CTolDoc> doc_;
    std::string password_;
    QMdiArea* area_;
    PatrolControl patrol_;
    bool closeAfterPatrol_ = false;
    Startup* startup_ = nullptr;
    SoundPlayer sound_;
    InstanceServer instance_;
    QList<QAction*> documentActions_;
    QAction* noLogout_ = nullptr;
    QActionGroup* arrangements_ = nullptr;
    QActionGroup* newWindows_ = nullptr;
    QActionGroup* priorities_ = nullptr;
    QMenu* patterns_ = nullptr;
    std::vector<std::pair<QAction*, std::function<bool(const BrowserWindow&)>>> checks_;
};

}  // namespace morvaline::ui
