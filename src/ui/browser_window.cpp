#include "ui/browser_window.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "models/browser_texts.h"
#include "models/model_roles.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/place_files.h"
#include "ui/screen_units.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {
namespace {

QTreeView* makeTreeView() {
    auto* view = new QTreeView;
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setIndentation(14);
    // Long titles and deep trees scroll sideways rather than being cut short.
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->setTextElideMode(Qt::ElideNone);
    return view;
}

// The number of a message link "#123" or of a library link "DL#12" (the digits after "#").
int linkNumber(const std::string& text) {
    const std::size_t hash = text.find('#');
    if (hash == std::string::npos) return 0;
    int number = 0;
    for (std::size_t i = hash + 1; i < text.size() && text[i] >= '0' && text[i] <= '9' && number < 100'000'000; ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

}  // namespace

BrowserWindow::BrowserWindow(CTolDoc& doc, BrowserHost& host, const BrowserLayout& layout, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      host_(host),
      places_(doc.tree()),
      placeView_(makeTreeView()),
      subjectView_(makeTreeView()),
      message_(new MessageView) {
    setWindowIcon(programIcon());
    places_.setOptions(layout.tree);
    places_.setNewDefinition(doc.generation(), doc.newWindow());
    subjects_.setOptions(layout.subjects);
    subjects_.setNewDefinition(doc.generation(), doc.newWindow());
    placePresentation_.setSourceModel(&places_);
    subjectPresentation_.setSourceModel(&subjects_);
    placeView_->setModel(&placePresentation_);
    subjectView_->setModel(&subjectPresentation_);
    message_->setHeaderShown(layout.messageHeader);
    message_->setToolBarShown(layout.messageToolBar);
    message_->onLink = [this](LinkKind kind, const std::string& text) { followLink(kind, text); };
    message_->saveFolder = [this] { return QString::fromStdString(doc_.settings().saveEnclosurePath); };
    connect(placeView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { placeSelected(current); });
    connect(subjectView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { messageSelected(current); });

    arrangement_ = layout.arrangement;
    firstPane_ = layout.firstPane;
    secondPane_ = layout.secondPane;
    focusedPane_ = layout.focusedPane;
    new QVBoxLayout(this);
    QWidget::layout()->setContentsMargins(0, 0, 0, 0);
    arrange();
    placeView_->expand(placePresentation_.index(0, 0));
    if (!show(Selection{layout.placeSerial, layout.messageSerial}, false))
        placeView_->setCurrentIndex(placePresentation_.index(0, 0));
}

BrowserWindow::~BrowserWindow() {
    subjects_.setList(nullptr, 0);
    closeList();
}

// --- Panes ------------------------------------------------------------------------------------

void BrowserWindow::arrange() {
    QSplitter* old = outer_;
    outer_ = new QSplitter;
    inner_ = nullptr;
    switch (arrangement_) {
        case Arrangement::SubjectCentred:
            inner_ = new QSplitter(Qt::Vertical);
            inner_->addWidget(subjectView_);
            inner_->addWidget(message_);
            outer_->setOrientation(Qt::Horizontal);
            outer_->addWidget(placeView_);
            outer_->addWidget(inner_);
            break;
        case Arrangement::MessageCentred:
            inner_ = new QSplitter(Qt::Vertical);
            inner_->addWidget(placeView_);
            inner_->addWidget(subjectView_);
            outer_->setOrientation(Qt::Horizontal);
            outer_->addWidget(inner_);
            outer_->addWidget(message_);
            break;
        case Arrangement::LowResolution:
            outer_->setOrientation(Qt::Vertical);
            outer_->addWidget(placeView_);
            outer_->addWidget(subjectView_);
            outer_->addWidget(message_);
            break;
        case Arrangement::TwoTop:
            inner_ = new QSplitter(Qt::Horizontal);
            inner_->addWidget(placeView_);
            inner_->addWidget(subjectView_);
            outer_->setOrientation(Qt::Vertical);
            outer_->addWidget(inner_);
            outer_->addWidget(message_);
            break;
    }
    for (QSplitter* s : {outer_, inner_})
        if (s) s->setChildrenCollapsible(false);
    QWidget::layout()->addWidget(outer_);
    delete old;  // its panes have moved to the new splitters
    paneSizesApplied_ = false;
    if (isVisible()) applyPaneSizes();
}

void BrowserWindow::applyPaneSizes() {
    PaneDefaults d = paneDefaults(arrangement_);
    d.first = screenUnits(*this, d.first);
    if (d.second > 0) d.second = screenUnits(*this, d.second);
    const int first = firstPane_ > 0 ? firstPane_ : d.first;
    const int w = std::max(width(), 200);
    const int h = std::max(height(), 200);
    switch (arrangement_) {
        case Arrangement::SubjectCentred: {
            const int second = secondPane_ > 0 ? secondPane_ : h / 3;
            outer_->setSizes({first, w - first});
            inner_->setSizes({second, h - second});
            break;
        }
        case Arrangement::MessageCentred: {
            const int second = secondPane_ > 0 ? secondPane_ : d.second;
            outer_->setSizes({first, w - first});
            inner_->setSizes({second, h - second});
            break;
        }
        case Arrangement::LowResolution: {
            const int second = secondPane_ > 0 ? secondPane_ : d.second;
            outer_->setSizes({first, second, h - first - second});
            break;
        }
        case Arrangement::TwoTop: {
            const int second = secondPane_ > 0 ? secondPane_ : d.second;
            outer_->setSizes({first, h - first});
            inner_->setSizes({second, w - second});
            break;
        }
    }
    paneSizesApplied_ = true;
    placeView_->scrollTo(placeView_->currentIndex());
    subjectView_->scrollTo(subjectView_->currentIndex());
}

void BrowserWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!paneSizesApplied_) applyPaneSizes();
    QWidget* panes[] = {placeView_, subjectView_, message_};
    panes[std::clamp(focusedPane_, 1, 3) - 1]->setFocus();
}

void BrowserWindow::setArrangement(Arrangement arrangement) {
    if (arrangement == arrangement_) return;
    arrangement_ = arrangement;
    firstPane_ = secondPane_ = -1;  // the new arrangement starts from its defaults
    arrange();
}

void BrowserWindow::setPaneSizes(int first, int second) {
    firstPane_ = first;
    secondPane_ = second;
    applyPaneSizes();
}

BrowserLayout BrowserWindow::windowLayout() const {
    BrowserLayout l;
    l.arrangement = arrangement_;
    l.firstPane = firstPane_;
    l.secondPane = secondPane_;
    if (paneSizesApplied_) {
        l.firstPane = outer_->sizes().value(0, -1);
        l.secondPane = arrangement_ == Arrangement::LowResolution ? outer_->sizes().value(1, -1)
                                                                  : inner_->sizes().value(0, -1);
    }
    const Selection s = selection();
    l.placeSerial = s.place;
    l.messageSerial = s.message;
    l.focusedPane = placeView_->hasFocus() ? 1 : subjectView_->hasFocus() ? 2 : message_->hasFocus() ? 3 : focusedPane_;
    l.tree = places_.options();
    l.subjects = subjects_.options();
    l.messageHeader = message_->headerShown();
    l.messageToolBar = message_->toolBarShown();
    return l;
}

void BrowserWindow::setTreeOptions(const PlaceTreeOptions& options) {
    const Selection s = selection();
    places_.setOptions(options);
    placeView_->expand(placePresentation_.index(0, 0));
    show(s, false);
}

void BrowserWindow::setSubjectOptions(const SubjectOptions& options) {
    const Selection s = selection();
    subjects_.setOptions(options);
    subjectView_->expand(subjectPresentation_.index(0, 0));
    if (s.message >= 0) show(s, false);
}

// --- Selection --------------------------------------------------------------------------------

Selection BrowserWindow::selection() const {
    Selection s;
    const QModelIndex place = placeView_->currentIndex();
    if (place.isValid()) s.place = place.data(SerialRole).toInt();
    const QModelIndex message = subjectView_->currentIndex();
    if (message.isValid() && s.place == listPlaceSerial_) s.message = message.data(SerialRole).toInt();
    return s;
}

int BrowserWindow::placeIndex() const {
    const QModelIndex place = placeView_->currentIndex();
    return place.isValid() ? doc_.tree().findSerial(place.data(SerialRole).toInt()) : -1;
}

int BrowserWindow::selectedMessageIndex() const {
    if (!list_) return -1;
    const QModelIndex message = subjectView_->currentIndex();
    return message.isValid() ? list_->findSerial(message.data(SerialRole).toInt()) : -1;
}

bool BrowserWindow::show(Selection s, bool ask) {
    const QModelIndex place = places_.reveal(s.place, ask ? &host_ : nullptr);
    if (!place.isValid()) return false;
    for (QModelIndex p = place.parent(); p.isValid(); p = p.parent()) placeView_->expand(placePresentation_.mapFromSource(p));
    placeView_->setCurrentIndex(placePresentation_.mapFromSource(place));
    placeView_->scrollTo(placePresentation_.mapFromSource(place));
    if (s.message < 0 || !list_) return true;
    const QModelIndex message = subjects_.reveal(s.message, ask ? &host_ : nullptr);
    if (!message.isValid()) return false;
    for (QModelIndex p = message.parent(); p.isValid(); p = p.parent())
        subjectView_->expand(subjectPresentation_.mapFromSource(p));
    subjectView_->setCurrentIndex(subjectPresentation_.mapFromSource(message));
    subjectView_->scrollTo(subjectPresentation_.mapFromSource(message));
    return true;
}

void BrowserWindow::placeSelected(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int serial = index.data(SerialRole).toInt();
    if (serial != listPlaceSerial_) openList(serial);
    if (!walkingHistory_) history_.visit(selection());
}

void BrowserWindow::openList(int placeSerial) {
    message_->clear();
    subjects_.setList(nullptr, 0);
    closeList();
    listPlaceSerial_ = placeSerial;
    const int place = doc_.tree().findSerial(placeSerial);
    if (place < 0) return;
    const int kind = doc_.tree().item(place).m_nKind;
    if (!placeHoldsList(kind)) return;
    list_ = doc_.openList(place);
    subjects_.setList(list_, kind);
    subjectView_->expand(subjectPresentation_.index(0, 0));
    subjectView_->setCurrentIndex(subjectPresentation_.index(0, 0));
}

void BrowserWindow::closeList() {
    if (list_) doc_.closeList(list_);
    list_ = nullptr;
}

void BrowserWindow::messageSelected(const QModelIndex& index) {
    const int item = selectedMessageIndex();
    if (!index.isValid() || item < 0) {
        message_->clear();
        return;
    }
    message_->showMessage(*list_, item);
    if (list_->item(item).isUnread()) {
        list_->markRead(item);
        listChanged(item);
    }
    if (!walkingHistory_) history_.visit(selection());
}

void BrowserWindow::listChanged(int index) {
    subjects_.itemChanged(list_->item(index).m_nSerial);
    places_.sync();
}

// --- Moving -----------------------------------------------------------------------------------

Navigator BrowserWindow::navigator() {
    Navigator n(doc_, places_.options(), subjects_.options(), host_, host_);
    n.setConfirmations(doc_.integer(docint::kConfirmUnreadMove) != 0, doc_.integer(docint::kConfirmMove) != 0);
    return n;
}

void BrowserWindow::apply(const std::optional<Selection>& s) {
    if (s) show(*s, true);
}

void BrowserWindow::moveMessage(Direction d) { apply(navigator().message(selection(), d)); }
void BrowserWindow::moveUnread() { apply(navigator().unread(selection())); }
void BrowserWindow::moveNew(Direction d) { apply(navigator().newMessage(selection(), d)); }
void BrowserWindow::moveMarked(Direction d) { apply(navigator().marked(selection(), d)); }
void BrowserWindow::moveComposing(Direction d) { apply(navigator().composing(selection(), d)); }
void BrowserWindow::moveReservedPlace(Direction d) { apply(navigator().reservedPlace(selection(), d)); }

void BrowserWindow::goBack() {
    const auto s = history_.back();
    if (!s) return;
    walkingHistory_ = true;
    show(*s, false);
    walkingHistory_ = false;
}

void BrowserWindow::goForward() {
    const auto s = history_.forward();
    if (!s) return;
    walkingHistory_ = true;
    show(*s, false);
    walkingHistory_ = false;
}

void BrowserWindow::jump(int number) {
    Selection s;
    switch (jumpToNumber(doc_, selection().place, number, host_, false, s)) {
        case JumpResult::Reserved:
            subjects_.itemChanged(s.message);
            places_.sync();
            [[fallthrough]];
        case JumpResult::Found:
            show(s, true);
            break;
        case JumpResult::Declined:
            break;
        case JumpResult::NotFound:
            host_.tell(QString::fromUtf8(texts::kNumberNotFound.utf8.data(),
                                         static_cast<int>(texts::kNumberNotFound.utf8.size())));
            break;
    }
}

void BrowserWindow::followLink(LinkKind kind, const std::string& text) {
    switch (kind) {
        case LinkKind::WebAddress:
            QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromLatin1(text.c_str())));
            break;
        case LinkKind::MessageNumber:
            jump(linkNumber(text));
            break;
        case LinkKind::LibraryFile: {
            Selection s;
            if (jumpToNumber(doc_, selection().place, linkNumber(text), host_, true, s) != JumpResult::NotFound) {
                subjects_.itemChanged(s.message);
                show(s, true);
            }
            break;
        }
        case LinkKind::UserId:
        case LinkKind::MailAddress:
            host_.writeMailTo(text);
            break;
        case LinkKind::HostLocation: {
            // "LUDRIX:" and a host path: the place of the tree with that path.
            const std::size_t colon = text.find(':');
            const std::string path = colon == std::string::npos ? text : text.substr(colon + 1);
            int found = -1;
            doc_.tree().read([&](const std::vector<std::unique_ptr<CItem>>& items) {
                for (std::size_t i = 0; i < items.size() && found < 0; ++i)
                    if (QString::fromLatin1(items[i]->m_strPath.view().data(), static_cast<int>(items[i]->m_strPath.size()))
                            .compare(QString::fromLatin1(path.c_str()), Qt::CaseInsensitive) == 0)
                        found = items[i]->m_nSerial;
            });
            if (found < 0 || !show(Selection{found, -1}, true))
                host_.tell(QString::fromUtf8(kNoPlaceForPath).arg(QString::fromStdString(sjisToUtf8(path))));
            break;
        }
    }
}

// --- Marks and state ----------------------------------------------------------------------------

void BrowserWindow::changeSelected(const std::function<void(CItemArray&, int)>& change) {
    const int item = selectedMessageIndex();
    if (item <= 0) return;
    change(*list_, item);
    listChanged(item);
}

void BrowserWindow::changeList(const std::function<void(CItemArray&)>& change) {
    if (!list_) return;
    const Selection s = selection();
    change(*list_);
    subjects_.refill();
    subjectView_->expand(subjectPresentation_.index(0, 0));
    if (s.message >= 0) show(s, false);
    places_.sync();
}

void BrowserWindow::toggleMark() {
    changeSelected([](CItemArray& list, int item) { list.toggleMark(item); });
}

void BrowserWindow::markUnread() {
    changeSelected([](CItemArray& list, int item) { list.markUnread(item); });
}

void BrowserWindow::clearMarks() {
    changeList([](CItemArray& list) { list.clearMarks(); });
}

void BrowserWindow::invertMarks() {
    changeList([](CItemArray& list) {
        for (int i = 1; i < list.size(); ++i) list.toggleMark(i);
    });
}

void BrowserWindow::markAllRead() {
    changeList([](CItemArray& list) { list.markAllRead(); });
}

void BrowserWindow::markNewUnread() {
    changeList([this](CItemArray& list) { list.markNewUnread(doc_.generation(), doc_.newWindow()); });
}

void BrowserWindow::reservePlace(int reservation) {
    const int place = placeIndex();
    if (place < 0) return;
    doc_.tree().setReserve(place, reservation);
    places_.sync();
}

// --- Live updates -----------------------------------------------------------------------------

void BrowserWindow::placesChanged() { places_.sync(); }

void BrowserWindow::itemChanged(int placeSerial, int itemSerial) {
    if (placeSerial != listPlaceSerial_ || !list_) return;
    const Selection before = selection();
    subjects_.itemChanged(itemSerial);
    // A fill from a fresh snapshot drops the view's current row: take it up again.
    if (!subjectView_->currentIndex().isValid() && before.message >= 0) show(before, false);
}

void BrowserWindow::newDefinitionChanged() {
    places_.setNewDefinition(doc_.generation(), doc_.newWindow());
    subjects_.setNewDefinition(doc_.generation(), doc_.newWindow());
}

}  // namespace morvaline::ui
