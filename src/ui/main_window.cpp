#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "message/outgoing_items.h"
#include "store/outgoing_mail.h"
#include "models/browser_texts.h"
#include "models/model_roles.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "ui/startup.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {
namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }
QString u(const Text& text) { return QString::fromUtf8(text.utf8.data(), static_cast<int>(text.utf8.size())); }

// Toggles one flag of the subject list's options or of the place tree's.
std::function<void(BrowserWindow&)> toggle(bool SubjectOptions::*field) {
    return [field](BrowserWindow& b) {
        SubjectOptions o = b.subjectOptions();
        o.*field = !(o.*field);
        b.setSubjectOptions(o);
    };
}

std::function<void(BrowserWindow&)> toggle(bool PlaceTreeOptions::*field) {
    return [field](BrowserWindow& b) {
        PlaceTreeOptions o = b.treeOptions();
        o.*field = !(o.*field);
        b.setTreeOptions(o);
    };
}

}  // namespace

MainWindow::MainWindow(Registry& registry, bool resetBarState, QWidget* parent)
    : QMainWindow(parent), registry_(registry), area_(new QMdiArea), patrol_(*this, registry), instance_([this] {
          // Another start of the program asked for the user open here.
          setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
          raise();
          activateWindow();
      }) {
    setObjectName("MorvalineMainFrame");
    setWindowIcon(programIcon());
    setCentralWidget(area_);
    area_->setViewMode(QMdiArea::SubWindowView);
    connect(area_, &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });
    buildMenus();
    statusBar()->showMessage(u(kProgramName));
    resize(1000, 700);
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(registry_.readString("Settings", "BarState")));
    if (!resetBarState && !state.isEmpty()) restoreState(state);
    updateTitles();
    updateCommands();
}

MainWindow::~MainWindow() {
    if (doc_) closeDocument();
}

// --- The data set -----------------------------------------------------------------------------

void MainWindow::setDocument(std::unique_ptr<CTolDoc> doc, std::string password) {
    doc_ = std::move(doc);
    password_ = std::move(password);
    doc_->reporter().setSink(this);
    instance_.listen(doc_->dataDirectory(), QString::fromStdString(doc_->userId()));
    const auto records = doc_->windowRecords();
    for (const LayoutRecord& record : records) {
        if (recordKind(record) == WindowKind::EventLog) newEventLog();
        else newBrowser(decodeBrowserLayout(record));
    }
    if (browsers().isEmpty()) {
        BrowserLayout fresh;
        const int split = registry_.readInt("Settings", "DefaultSplitType", 0);
        if (split >= 0 && split <= 3) fresh.arrangement = static_cast<Arrangement>(split);
        newBrowser(fresh);
    }
    const LayoutRecord main = doc_->mainWindowRecord();
    const WindowPlacement placement = decodePlacement(main);
    if (recordKind(main) == WindowKind::Browser && main[0] != 0 && placement.width > 100 && placement.height > 100)
        setGeometry(placement.x, placement.y, placement.width, placement.height);
    doc_->reporter().report(texts::kUserOpened, doc_->userId());
    updateTitles();
    updateCommands();
}

void MainWindow::startPatrolWhenIdle(int mode) {
    if (mode == 0) return;
    QTimer::singleShot(0, this, [this, mode] {
        closeAfterPatrol_ = mode == 2;
        const bool started = patrol_.start(password_, [this](int) {
            placesChanged();
            if (closeAfterPatrol_) closeWhenIdle();
        });
        if (!started && closeAfterPatrol_) closeWhenIdle();
    });
}

// Closes the program once no dialog is open and no patrol runs.
void MainWindow::closeWhenIdle() {
    if (QApplication::activeModalWidget() || patrol_.running()) {
        QTimer::singleShot(500, this, [this] { closeWhenIdle(); });
        return;
    }
    closeAfterPatrol_ = false;
    close();
}

bool MainWindow::closeDocument() {
    if (!doc_) return true;
    if (patrol_.running()) {
        tell(u(texts::kRefusedWhilePatrolling));
        return false;
    }
    std::vector<LayoutRecord> records;
    for (QMdiSubWindow* sub : area_->subWindowList()) {
        WindowPlacement p{sub->x(), sub->y(), sub->width(), sub->height(), sub->isMaximized()};
        if (auto* b = dynamic_cast<BrowserWindow*>(sub->widget())) {
            BrowserLayout l = b->windowLayout();
            l.placement = p;
            records.push_back(encodeBrowserLayout(l));
        } else if (dynamic_cast<EventLogWindow*>(sub->widget())) {
            records.push_back(encodeEventLogLayout(p));
        }
    }
    doc_->setWindowRecords(records);
    doc_->setMainWindowRecord(encodeEventLogLayout({x(), y(), width(), height(), isMaximized()}));
    LayoutRecord main = doc_->mainWindowRecord();
    main[0] = static_cast<int>(WindowKind::Browser);
    doc_->setMainWindowRecord(main);
    if (!doc_->save()) {
        const auto answer = QMessageBox::warning(this, u(kProgramName), QString::fromStdString(sjisToUtf8(doc_->error())),
                                                 QMessageBox::Ignore | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) return false;
    }
    // The windows let go of the data set's lists before it closes.
    for (QMdiSubWindow* sub : area_->subWindowList()) delete sub;
    doc_->reporter().setSink(nullptr);
    instance_.close();
    doc_->close();
    doc_.reset();
    updateTitles();
    updateCommands();
    return true;
}

void MainWindow::reportFileCheckQuestion() {
    // The file check is not part of this program yet: the question is kept in the log.
    showStatus(textSjis(texts::kFileCheckQuestion));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    registry_.writeString("Settings", "BarState", saveState().toBase64().toStdString());
    if (!closeDocument()) {
        event->ignore();
        return;
    }
    registry_.sync();
    event->accept();
}

// --- Windows ---------------------------------------------------------------------------------

BrowserWindow* MainWindow::newBrowser(const BrowserLayout& layout) {
    auto* window = new BrowserWindow(*doc_, *this, layout);
    connect(&window->placeView(), &QWidget::customContextMenuRequested, this,
            [this, window](const QPoint& at) { placeMenu(*window, at); });
    window->placeView().setContextMenuPolicy(Qt::CustomContextMenu);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (layout.placement.width > 100 && layout.placement.height > 100 && !layout.placement.maximized)
        sub->setGeometry(layout.placement.x, layout.placement.y, layout.placement.width, layout.placement.height);
    if (layout.placement.maximized || area_->subWindowList().size() == 1) sub->showMaximized();
    else sub->show();
    retitleWhenGone(sub);
    updateTitles();
    return window;
}

// The titles count the windows: they are made again once a window has gone. Queued, since
// while the signal is sent the dying window is still in the area's list, no longer a
// subwindow but a bare QWidget.
void MainWindow::retitleWhenGone(QMdiSubWindow* sub) {
    connect(sub, &QObject::destroyed, this, [this] { updateTitles(); }, Qt::QueuedConnection);
}

EventLogWindow* MainWindow::newEventLog() {
    auto* window = new EventLogWindow(doc_->eventLog());
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(800, 300);
    sub->show();
    retitleWhenGone(sub);
    updateTitles();
    return window;
}

QList<BrowserWindow*> MainWindow::browsers() const {
    QList<BrowserWindow*> out;
    for (QMdiSubWindow* sub : area_->subWindowList())
        if (auto* b = dynamic_cast<BrowserWindow*>(sub->widget())) out << b;
    return out;
}

QList<EventLogWindow*> MainWindow::eventLogs() const {
    QList<EventLogWindow*> out;
    for (QMdiSubWindow* sub : area_->subWindowList())
        if (auto* e = dynamic_cast<EventLogWindow*>(sub->widget())) out << e;
    return out;
}

BrowserWindow* MainWindow::browser() const {
    if (QMdiSubWindow* active = area_->activeSubWindow())
        if (auto* b = dynamic_cast<BrowserWindow*>(active->widget())) return b;
    const auto all = browsers();
    return all.isEmpty() ? nullptr : all.front();
}

void MainWindow::updateTitles() {
    setWindowTitle(doc_ ? u(kProgramName) + " - " + QString::fromStdString(doc_->userId()) : u(kProgramName));
    const auto logs = eventLogs();
    int n = 0;
    for (QMdiSubWindow* sub : area_->subWindowList()) {
        if (dynamic_cast<EventLogWindow*>(sub->widget()))
            sub->setWindowTitle(logs.size() > 1 ? u(kEventLogTitle) + QStringLiteral(":%1").arg(++n) : u(kEventLogTitle));
        else if (doc_)
            sub->setWindowTitle(QString::fromStdString(doc_->userId()));
    }
}

// --- Live updates ------------------------------------------------------------------------------

void MainWindow::placesChanged() {
    for (BrowserWindow* b : browsers()) b->placesChanged();
    updateCommands();
}

void MainWindow::itemChanged(int placeSerial, int itemSerial) {
    for (BrowserWindow* b : browsers()) b->itemChanged(placeSerial, itemSerial);
}

// --- Reports, questions ------------------------------------------------------------------------

void MainWindow::showStatus(const std::string& sjisText) {
    statusBar()->showMessage(QString::fromStdString(sjisToUtf8(sjisText)));
}

void MainWindow::addPatrolLine(const std::string&) {}  // the patrol status window is not open

void MainWindow::eventLogChanged(EventLogHint hint) {
    for (EventLogWindow* log : eventLogs()) log->apply(hint);
}

void MainWindow::playSound(const std::string& waveFile) { sound_.play(QString::fromStdString(waveFile)); }

bool MainWindow::ask(const Text& question) {
    return QMessageBox::question(this, u(kProgramName), u(question)) == QMessageBox::Yes;
}

void MainWindow::report(const Text& text) {
    if (doc_) doc_->reporter().report(text);
}

void MainWindow::beep() { QApplication::beep(); }

void MainWindow::tell(const QString& text) { QMessageBox::information(this, u(kProgramName), text); }

void MainWindow::writeMailTo(const std::string& recipient) {
    if (!doc_) return;
    NewMailRequest request;
    request.recipients = recipient;
    request.options.expand = true;
    const Written written = NewMail(*doc_, request);
    if (written.index < 0) {
        tell(QString::fromStdString(written.error));
        return;
    }
    const int place = findOutgoingMailPlace(doc_->tree());
    placesChanged();
    if (BrowserWindow* b = browser()) {
        CItemArray* list = doc_->openList(place);
        const int serial = list ? list->item(written.index).m_nSerial : -1;
        if (list) doc_->closeList(list);
        b->show(Selection{doc_->tree().item(place).m_nSerial, -1}, false);
        b->itemChanged(doc_->tree().item(place).m_nSerial, serial);
        b->show(Selection{doc_->tree().item(place).m_nSerial, serial}, false);
    }
}

// --- Menus -------------------------------------------------------------------------------------

QAction* MainWindow::command(QMenu* menu, const char* label, const QKeySequence& key,
                             std::function<void(BrowserWindow&)> run) {
    QAction* action = menu->addAction(u(label));
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, run] {
        if (BrowserWindow* b = browser()) {
            run(*b);
            updateCommands();
        }
    });
    documentActions_ << action;
    return action;
}

QAction* MainWindow::change(QMenu* menu, const char* label, const QKeySequence& key,
                            std::function<void(BrowserWindow&)> run) {
    return command(menu, label, key, [this, run](BrowserWindow& b) {
        if (patrol_.running()) tell(u(texts::kRefusedWhilePatrolling));
        else run(b);
    });
}

QAction* MainWindow::disabled(QMenu* menu, const char* label) {
    QAction* action = menu->addAction(u(label));
    action->setEnabled(false);  // served by a later part of the program
    return action;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(u("ﾌｧｲﾙ(&F)"));
    QAction* other = file->addAction(u("他のIDで開く(&T)..."));
    connect(other, &QAction::triggered, this, [this] {
        if (startup_) startup_->loginLoop(*this, doc_ ? QString::fromStdString(doc_->userId()) : QString());
    });
    QAction* saveAll = file->addAction(u("すべて保存(&S)"));
    saveAll->setShortcut(QKeySequence::Save);
    connect(saveAll, &QAction::triggered, this, [this] {
        if (doc_ && !doc_->save()) tell(QString::fromStdString(sjisToUtf8(doc_->error())));
    });
    documentActions_ << saveAll;
    disabled(file, "ﾌｧｲﾙのﾁｪｯｸ(&F)...");
    disabled(file, "ごみ箱を空にする");
    file->addSeparator();
    QAction* quit = file->addAction(u("終了(&X)"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(u("編集(&E)"));
    disabled(edit, "検索(&F)...");
    disabled(edit, "次を検索(&N)");
    disabled(edit, "前を検索(&K)");
    edit->addSeparator();
    QAction* mark = change(edit, "ﾏｰｸ(&M)", Qt::CTRL | Qt::Key_T, [](BrowserWindow& b) { b.toggleMark(); });
    change(edit, "この場所のﾏｰｸをｸﾘｱ(&C)", {}, [](BrowserWindow& b) { b.clearMarks(); });
    change(edit, "この場所のﾏｰｸを反転(&R)", {}, [](BrowserWindow& b) { b.invertMarks(); });
    change(edit, "未読にする", Qt::CTRL | Qt::SHIFT | Qt::Key_U, [](BrowserWindow& b) { b.markUnread(); });
    change(edit, "全て既読(&Z)", {}, [](BrowserWindow& b) { b.markAllRead(); });
    change(edit, "新着を未読(&X)", {}, [](BrowserWindow& b) { b.markNewUnread(); });

    QMenu* view = menuBar()->addMenu(u("表示(&V)"));
    arrangements_ = new QActionGroup(this);
    const char* arrangementLabels[] = {"題名中心ﾀｲﾌﾟ(&S)", "ﾒｯｾｰｼﾞ中心ﾀｲﾌﾟ(&M)", "低解像度ﾀｲﾌﾟ(&L)", "ﾂｰ ﾄｯﾌﾟ ﾀｲﾌﾟ(&T)"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = command(view, arrangementLabels[i], {}, [i](BrowserWindow& b) {
            b.setArrangement(static_cast<Arrangement>(i));
        });
        a->setCheckable(true);
        arrangements_->addAction(a);
        checks_.push_back({a, [i](const BrowserWindow& b) { return static_cast<int>(b.arrangement()) == i; }});
    }
    view->addSeparator();
    const std::pair<const char*, bool SubjectOptions::*> subjectFlags[] = {
        {"番号", &SubjectOptions::showNumber},   {"日付", &SubjectOptions::showDate},
        {"ID", &SubjectOptions::showId},         {"ﾊﾝﾄﾞﾙ", &SubjectOptions::showHandle},
        {"ｻｲｽﾞ", &SubjectOptions::showSize},     {"参照数", &SubjectOptions::showRefCount},
        {"ｺﾒﾝﾄﾂﾘｰ", &SubjectOptions::commentTree}, {"表示数を制限", &SubjectOptions::limitOn},
    };
    for (const auto& [label, field] : subjectFlags) {
        QAction* a = command(view, label, {}, toggle(field));
        a->setCheckable(true);
        checks_.push_back({a, [field = field](const BrowserWindow& b) { return b.subjectOptions().*field; }});
    }
    QMenu* sort = view->addMenu(u("並べ替え(&O)"));
    auto* orders = new QActionGroup(this);
    const char* orderLabels[] = {"登録順", "番号順", "名称順", "ID順", "ﾊﾝﾄﾞﾙ順", "日付順"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = command(sort, orderLabels[i], {}, [i](BrowserWindow& b) {
            SubjectOptions o = b.subjectOptions();
            o.order = static_cast<SubjectOrder>(i);
            b.setSubjectOptions(o);
        });
        a->setCheckable(true);
        orders->addAction(a);
        checks_.push_back({a, [i](const BrowserWindow& b) { return static_cast<int>(b.subjectOptions().order) == i; }});
    }
    sort->addSeparator();
    QAction* reverse = command(sort, "逆順", {}, toggle(&SubjectOptions::reverse));
    reverse->setCheckable(true);
    checks_.push_back({reverse, [](const BrowserWindow& b) { return b.subjectOptions().reverse; }});

    QMenu* tree = view->addMenu(u("場所(&P)"));
    const std::pair<const char*, bool PlaceTreeOptions::*> treeFlags[] = {
        {"番号", &PlaceTreeOptions::showNumber},        {"略名", &PlaceTreeOptions::showAbbreviation},
        {"隠し属性", &PlaceTreeOptions::showHidden},     {"番号順を優先", &PlaceTreeOptions::numberFirst},
        {"電子ﾒｰﾙは最初", &PlaceTreeOptions::mailFirst},
    };
    for (const auto& [label, field] : treeFlags) {
        QAction* a = command(tree, label, {}, toggle(field));
        a->setCheckable(true);
        checks_.push_back({a, [field = field](const BrowserWindow& b) { return b.treeOptions().*field; }});
    }
    tree->addSeparator();
    auto* treeOrders = new QActionGroup(this);
    const char* treeOrderLabels[] = {"登録順", "名称順", "略名順"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = command(tree, treeOrderLabels[i], {}, [i](BrowserWindow& b) {
            PlaceTreeOptions o = b.treeOptions();
            o.order = static_cast<PlaceOrder>(i);
            b.setTreeOptions(o);
        });
        a->setCheckable(true);
        treeOrders->addAction(a);
        checks_.push_back({a, [i](const BrowserWindow& b) { return static_cast<int>(b.treeOptions().order) == i; }});
    }
    QMenu* messagePane = view->addMenu(u("ﾒｯｾｰｼﾞ(&G)"));
    QAction* header = command(messagePane, "ﾍｯﾀﾞ", {}, [](BrowserWindow& b) { b.setMessageHeader(!b.messageView().headerShown()); });
    header->setCheckable(true);
    checks_.push_back({header, [](const BrowserWindow& b) { return b.messageView().headerShown(); }});
    QAction* bar = command(messagePane, "ﾂｰﾙﾊﾞｰ", {}, [](BrowserWindow& b) { b.setMessageToolBar(!b.messageView().toolBarShown()); });
    bar->setCheckable(true);
    checks_.push_back({bar, [](const BrowserWindow& b) { return b.messageView().toolBarShown(); }});
    disabled(view, "ｽﾞｰﾑ(&Z)");
    QMenu* newDefinition = view->addMenu(u("新着の定義"));
    newWindows_ = new QActionGroup(this);
    const char* windowLabels[] = {"前回のみ(&1)", "2回前まで(&2)", "3回前まで(&3)", "4回前まで(&4)",
                                  "5回前まで(&5)", "6回前まで(&6)", "7回前まで(&7)", "8回前まで(&8)"};
    for (int i = 0; i < 8; ++i) {
        QAction* a = newDefinition->addAction(u(windowLabels[i]));
        a->setCheckable(true);
        newWindows_->addAction(a);
        documentActions_ << a;
        connect(a, &QAction::triggered, this, [this, i] {
            if (!doc_) return;
            doc_->setInteger(docint::kNewWindow, i);
            for (BrowserWindow* b : browsers()) b->newDefinitionChanged();
        });
    }

    QMenu* go = menuBar()->addMenu(u("移動(&G)"));
    QAction* next = command(go, "次のﾒｯｾｰｼﾞ(&N)", Qt::ALT | Qt::Key_Down, [](BrowserWindow& b) { b.moveMessage(Direction::Down); });
    QAction* previous = command(go, "前のﾒｯｾｰｼﾞ(&P)", Qt::ALT | Qt::Key_Up, [](BrowserWindow& b) { b.moveMessage(Direction::Up); });
    QAction* unread = command(go, "次の未読ﾒｯｾｰｼﾞ(&U)", Qt::CTRL | Qt::Key_U, [](BrowserWindow& b) { b.moveUnread(); });
    QAction* nextNew = command(go, "次の新着ﾒｯｾｰｼﾞ(&R)", Qt::CTRL | Qt::Key_R, [](BrowserWindow& b) { b.moveNew(Direction::Down); });
    command(go, "前の新着ﾒｯｾｰｼﾞ(&C)", Qt::CTRL | Qt::SHIFT | Qt::Key_R, [](BrowserWindow& b) { b.moveNew(Direction::Up); });
    QMenu* marked = go->addMenu(u("ﾏｰｸしたﾒｯｾｰｼﾞ(&M)"));
    command(marked, "次のﾏｰｸしたﾒｯｾｰｼﾞ(&N)", Qt::CTRL | Qt::Key_M, [](BrowserWindow& b) { b.moveMarked(Direction::Down); });
    command(marked, "前のﾏｰｸしたﾒｯｾｰｼﾞ(&P)", Qt::CTRL | Qt::SHIFT | Qt::Key_M, [](BrowserWindow& b) { b.moveMarked(Direction::Up); });
    QMenu* composing = go->addMenu(u("作文中のﾒｯｾｰｼﾞ(&W)"));
    command(composing, "次の作文中のﾒｯｾｰｼﾞ(&N)", Qt::CTRL | Qt::Key_E, [](BrowserWindow& b) { b.moveComposing(Direction::Down); });
    command(composing, "前の作文中のﾒｯｾｰｼﾞ(&P)", Qt::CTRL | Qt::SHIFT | Qt::Key_E, [](BrowserWindow& b) { b.moveComposing(Direction::Up); });
    QMenu* reserved = go->addMenu(u("予約した場所(&V)"));
    command(reserved, "次の予約した場所(&N)", Qt::CTRL | Qt::Key_P, [](BrowserWindow& b) { b.moveReservedPlace(Direction::Down); });
    command(reserved, "前の予約した場所(&P)", Qt::CTRL | Qt::SHIFT | Qt::Key_P, [](BrowserWindow& b) { b.moveReservedPlace(Direction::Up); });
    go->addSeparator();
    QAction* back = command(go, "戻る(&B)", Qt::ALT | Qt::Key_Left, [](BrowserWindow& b) { b.goBack(); });
    QAction* forward = command(go, "進む(&F)", Qt::ALT | Qt::Key_Right, [](BrowserWindow& b) { b.goForward(); });
    QAction* jump = command(go, "ｼﾞｬﾝﾌﾟ...", Qt::CTRL | Qt::Key_J, [this](BrowserWindow& b) {
        bool ok = false;
        const int number = QInputDialog::getInt(this, u(kJumpTitle), u(kJumpPrompt), 1, 1, 99'999'999, 1, &ok);
        if (ok) b.jump(number);
    });
    disabled(go, "返信/転送元へ");
    disabled(go, "ﾘﾝｸ先へ");
    disabled(go, "LUDRIXのﾌｫﾙﾀﾞへ(&Y)");

    QMenu* write = menuBar()->addMenu(u("作成(&W)"));
    for (const char* label : {"発言/ｱｯﾌﾟﾛｰﾄﾞの予約(&S)", "ｺﾒﾝﾄの予約(&C)", "新規ﾒｰﾙの予約(&M)", "返信ﾒｰﾙの予約(&R)",
                              "ﾒｰﾙ転送の予約(&W)", "新規ﾊﾞｲﾅﾘ ﾒｰﾙの予約(&B)", "返信ﾊﾞｲﾅﾘ ﾒｰﾙの予約(&N)", "ﾃﾝﾌﾟﾚｰﾄ(&T)",
                              "添付ﾌｧｲﾙを追加...", "ﾀﾞｳﾝﾛｰﾄﾞ予約..."})
        disabled(write, label);

    QMenu* patrol = menuBar()->addMenu(u("巡回(&R)"));
    for (const char* label : {"自動巡回(&R)", "予約確認してから自動巡回(&C)", "巡回中止(&A)", "ﾛｸﾞｲﾝのみ/切断(&L)", "ｽｷｯﾌﾟ(&S)"})
        disabled(patrol, label);
    noLogout_ = patrol->addAction(u("ﾛｸﾞｱｳﾄしない(&D)"));
    noLogout_->setCheckable(true);
    documentActions_ << noLogout_;
    connect(noLogout_, &QAction::triggered, this, [this](bool on) {
        if (doc_) doc_->tree().setFlags(0, ITEM_FLAG_NO_LOGOUT, on ? ITEM_FLAG_NO_LOGOUT : 0);
    });
    for (const char* label : {"ﾌﾞﾚｰｸ信号送出(&B)", "ﾃｷｽﾄ送信(&T)...", "ﾀﾞｳﾝﾛｰﾄﾞ(&D)", "ｱｯﾌﾟﾛｰﾄﾞ(&U)..."}) disabled(patrol, label);
    QMenu* priority = patrol->addMenu(u("優先度(&P)"));
    priorities_ = new QActionGroup(this);
    const char* priorityLabels[] = {"Aのみ(&A)", "AとB(&B)", "AとBとC(&C)", "AからD(&D)", "すべて(&E)"};
    for (int i = 0; i < 5; ++i) {
        QAction* a = priority->addAction(u(priorityLabels[i]));
        a->setCheckable(true);
        priorities_->addAction(a);
        documentActions_ << a;
        connect(a, &QAction::triggered, this, [this, i] {
            if (doc_) doc_->setInteger(docint::kPatrolLevel, i);
        });
    }
    patterns_ = patrol->addMenu(u("予約ﾊﾟﾀｰﾝ(&V)..."));
    connect(patterns_, &QMenu::aboutToShow, this, [this] {
        patterns_->clear();
        if (!doc_) return;
        auto* group = new QActionGroup(patterns_);
        const auto& all = doc_->patterns();
        for (int i = 0; i < static_cast<int>(all.size()); ++i) {
            const std::string name = all[static_cast<std::size_t>(i)].name;
            QAction* a = patterns_->addAction(QString::fromStdString(sjisToUtf8(name)));
            a->setCheckable(true);
            a->setChecked(i == doc_->currentPattern());
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, name] {
                if (doc_ && doc_->selectPattern(name)) placesChanged();
            });
        }
    });
    disabled(patrol, "接続方法(&H)...");
    disabled(patrol, "巡回の状況(&O)");

    QMenu* tools = menuBar()->addMenu(u("ﾂｰﾙ(&T)"));
    for (const char* label : {"ﾒｰﾙ ｱｼｽﾀﾝﾄ(&A)...", "受信ﾒｰﾙの振り分け(&S)", "送信ﾒｰﾙの振り分け(&W)", "ｱﾄﾞﾚｽ帳(&B)...",
                              "ｸｴﾘｰ(&Y)...", "ｴｸｽﾎﾟｰﾄ(&E)...", "ｲﾝﾎﾟｰﾄ(&I)...", "ﾛｸﾞの記録(&R)", "ﾊﾟｽﾜｰﾄﾞの変更(&C)...",
                              "ｶｽﾀﾏｲｽﾞ(&C)...", "定義(&D)..."})
        disabled(tools, label);

    QMenu* windows = menuBar()->addMenu(u("ｳｨﾝﾄﾞｳ(&W)"));
    QAction* newBrowserAction = windows->addAction(u("新しいﾌﾞﾗｳｻﾞ(&N)"));
    connect(newBrowserAction, &QAction::triggered, this, [this] {
        if (doc_) newBrowser(browser() ? browser()->windowLayout() : BrowserLayout{});
    });
    QAction* newLog = windows->addAction(u("新しいｲﾍﾞﾝﾄ ﾛｸﾞ"));
    connect(newLog, &QAction::triggered, this, [this] {
        if (doc_) newEventLog();
    });
    QAction* clearLog = windows->addAction(u("ｲﾍﾞﾝﾄ ﾛｸﾞの消去"));
    connect(clearLog, &QAction::triggered, this, [this] {
        if (doc_ && ask(texts::kClearEventLogQuestion)) eventLogChanged(doc_->eventLog().clear());
    });
    documentActions_ << newBrowserAction << newLog << clearLog;
    windows->addSeparator();
    connect(windows->addAction(u("重ねて表示(&C)")), &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);
    connect(windows->addAction(u("並べて表示(&T)")), &QAction::triggered, area_, &QMdiArea::tileSubWindows);

    QToolBar* toolBar = addToolBar(u("標準"));
    toolBar->setObjectName("StandardBar");
    QStyle* style = QApplication::style();
    previous->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    next->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    unread->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
    nextNew->setIcon(style->standardIcon(QStyle::SP_MediaSeekForward));
    mark->setIcon(style->standardIcon(QStyle::SP_DialogApplyButton));
    back->setIcon(style->standardIcon(QStyle::SP_ArrowBack));
    forward->setIcon(style->standardIcon(QStyle::SP_ArrowForward));
    jump->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    saveAll->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    toolBar->addActions({saveAll, previous, next, unread, nextNew, mark, back, forward, jump});
}

void MainWindow::updateCommands() {
    for (QAction* a : documentActions_) a->setEnabled(doc_ != nullptr);
    if (!doc_) return;
    if (BrowserWindow* b = browser())
        for (auto& [action, checked] : checks_) action->setChecked(checked(*b));
    noLogout_->setChecked(doc_->tree().item(0).hasFlag(ITEM_FLAG_NO_LOGOUT));
    const auto windowActions = newWindows_->actions();
    if (doc_->newWindow() >= 0 && doc_->newWindow() < windowActions.size()) windowActions[doc_->newWindow()]->setChecked(true);
    const auto levels = priorities_->actions();
    const int level = doc_->integer(docint::kPatrolLevel);
    if (level >= 0 && level < levels.size()) levels[level]->setChecked(true);
}

void MainWindow::placeMenu(BrowserWindow& b, const QPoint& at) {
    if (!doc_) return;
    const int place = b.placeIndex();
    if (place < 0) return;
    const CItem item = doc_->tree().item(place);
    if (item.m_nKind < 0 || item.m_nKind >= CTolDoc::kReservationMenus) return;
    QMenu menu;
    auto* group = new QActionGroup(&menu);
    for (const CReserve& entry : doc_->menu(item.m_nKind).entries()) {
        QAction* a = menu.addAction(QString::fromStdString(sjisToUtf8(entry.name)) + " (" +
                                    QChar('A' + std::clamp(entry.priority, 0, 4)) + ")");
        a->setCheckable(true);
        a->setChecked(item.m_nReserve == entry.id);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, &b, id = entry.id] { reserve(b, id); });
    }
    menu.addSeparator();
    QAction* none = menu.addAction(u("予約しない"));
    none->setCheckable(true);
    none->setChecked(!item.isReserved());
    group->addAction(none);
    connect(none, &QAction::triggered, this, [this, &b] { reserve(b, -1); });
    menu.exec(b.placeView().viewport()->mapToGlobal(at));
}

void MainWindow::reserve(BrowserWindow& b, int reservation) {
    if (patrol_.running()) tell(u(texts::kRefusedWhilePatrolling));
    else b.reservePlace(reservation);
}

}  // namespace morvaline::ui
