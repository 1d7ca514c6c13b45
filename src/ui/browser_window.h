#pragma once
// A browser window: the place tree, the subject list of the selected place and the
// selected message, in one of four arrangements, with the moving, marking and view
// commands of the window. Several can be open on one data set.

#include <QSplitter>
#include <QTreeView>
#include <QWidget>

#include <functional>

#include "models/history.h"
#include "models/navigation.h"
#include "models/place_tree_model.h"
#include "models/questions.h"
#include "models/subject_list_model.h"
#include "models/window_layout.h"
#include "ui/item_icons.h"
#include "ui/message_view.h"

namespace morvaline {
class CTolDoc;
class Questions;
}  // namespace morvaline

namespace morvaline::ui {

// What a browser window needs from the main window.
class BrowserHost : public Questions, public NavigationReports {
public:
    // Opens a new mail reservation to an ID or address (Shift_JIS), from a link.
    virtual void writeMailTo(const std::string& recipient) = 0;
    // Shows a message box.
    virtual void tell(const QString& text) = 0;
};

class BrowserWindow final : public QWidget {
public:
    BrowserWindow(CTolDoc& doc, BrowserHost& host, const BrowserLayout& layout, QWidget* parent = nullptr);
    ~BrowserWindow() override;

    BrowserLayout windowLayout() const;
    void setArrangement(Arrangement arrangement);
    // Sizes of the first pane of each splitter, as the user drags them (-1: the default).
    void setPaneSizes(int first, int second);
    Arrangement arrangement() const { return arrangement_; }
    void setTreeOptions(const PlaceTreeOptions& options);
    void setSubjectOptions(const SubjectOptions& options);
    const PlaceTreeOptions& treeOptions() const { return places_.options(); }
    const SubjectOptions& subjectOptions() const { return subjects_.options(); }
    void setMessageHeader(bool shown) { message_->setHeaderShown(shown); }
    void setMessageToolBar(bool shown) { message_->setToolBarShown(shown); }

    // The selection, by serials.
    Selection selection() const;
    // Shows a place and a message (-1: the place alone); asks about hidden places and the
    // display limit when ask. False when it could not be shown.
    bool show(Selection selection, bool ask = true);

    // --- Commands -------------------------------------------------------------------------
    void moveMessage(Direction direction);
    void moveUnread();
    void moveNew(Direction direction);
    void moveMarked(Direction direction);
    void moveComposing(Direction direction);
    void moveReservedPlace(Direction direction);
    void goBack();
    void goForward();
    void jump(int number);
    void toggleMark();
    void clearMarks();
    void invertMarks();
    void markUnread();
    void markAllRead();
    void markNewUnread();
    void reservePlace(int reservation);

    // --- Live updates (main thread) -------------------------------------------------------
    void placesChanged();
    void itemChanged(int placeSerial, int itemSerial);
    void newDefinitionChanged();

    PlaceTreeModel& placeModel() { return places_; }
    SubjectListModel& subjectModel() { return subjects_; }
    MessageView& messageView() { return *message_; }
    const MessageView& messageView() const { return *message_; }
    QTreeView& placeView() { return *placeView_; }
    QTreeView& subjectView() { return *subjectView_; }
    int placeIndex() const;  // in the tree; -1 when none

private:
    void arrange();
    void applyPaneSizes();
    void placeSelected(const QModelIndex& index);
    void messageSelected(const QModelIndex& index);
    void openList(int placeSerial);
    void closeList();
    void followLink(LinkKind kind, const std::string& text);
    void apply(const std::optional<Selection>& selection);
    Navigator navigator();
    int selectedMessageIndex() const;  // in the list; -1 when none
    void listChanged(int index);
    // Changes the selected message, or the whole list, and shows the change.
    void changeSelected(const std::function<void(CItemArray&, int)>& change);
    void changeList(const std::function<void(CItemArray&)>& change);
    void showEvent(QShowEvent* event) override;

    CTolDoc& doc_;
    BrowserHost& host_;
    PlaceTreeModel places_;
    SubjectListModel subjects_;
    ItemPresentation placePresentation_;
    ItemPresentation subjectPresentation_;
    QTreeView* placeView_;
    QTreeView* subjectView_;
    MessageView* message_;
    QSplitter* outer_ = nullptr;
    QSplitter* inner_ = nullptr;
    Arrangement arrangement_ = Arrangement::SubjectCentred;
    int firstPane_ = -1;
    int secondPane_ = -1;
    bool paneSizesApplied_ = false;
    int focusedPane_ = 1;
    CItemArray* list_ = nullptr;
    int listPlaceSerial_ = -1;
    NavigationHistory history_;
    bool walkingHistory_ = false;
};

}  // namespace morvaline::ui
