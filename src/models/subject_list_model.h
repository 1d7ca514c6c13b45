#pragma once
// The subject list of a browser window as a Qt item model: the list's root item is the
// only top row and is expanded at once; the children of any other item are inserted when
// the view first expands it (fetchMore). Which items stand under which node and in which
// order is models/subject_order.h; the text of a row is models/subject_line.h.
//
// Rows come from a snapshot of the list taken on the main thread. itemChanged() follows a
// change or an addition that the store announced (by serial); anything it cannot follow
// step by step (a deletion, a move) fills the list again.

#include <QAbstractItemModel>

#include <memory>
#include <vector>

#include "models/message_snapshot.h"
#include "models/subject_order.h"

namespace morvaline {

class CItemArray;
class Questions;

class SubjectListModel final : public QAbstractItemModel {
public:
    // main thread
    explicit SubjectListModel(QObject* parent = nullptr);
    ~SubjectListModel() override;

    // Shows a message list (null: none); placeKind is the kind of the place that owns it.
    void setList(CItemArray* list, int placeKind);
    CItemArray* list() const { return list_; }
    int placeKind() const { return snapshot_.placeKind(); }

    const SubjectOptions& options() const { return options_; }
    // Changes the options and fills the list again (the limit count is clamped to 10).
    void setOptions(const SubjectOptions& options);
    void setNewDefinition(int generation, int window);

    // Follows a change or an addition of the item with this serial.
    void itemChanged(int serial);
    // Takes a new snapshot and fills the list again.
    void refill();

    const MessageSnapshot& snapshot() const { return snapshot_; }
    const SubjectLayout& layout() const { return *layout_; }

    // The row of an item, when it has been inserted.
    QModelIndex indexOfSerial(int serial) const;
    // Shows an item: when the display limit hides it, asks (when questions is given)
    // whether to turn the limit off, and on Yes does so; then inserts the rows down to the
    // item. Invalid when it is not shown.
    QModelIndex reveal(int serial, Questions* questions);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Node {
        int item = 0;     // snapshot index
        int parent = -1;  // node id
        int row = 0;
        bool fetched = false;
        std::vector<int> children;  // node ids
    };

    void fetchNode(const QModelIndex& parent);
    QModelIndex indexOfNode(int node) const;
    int newNode(int item, int parent, int row);
    void clear();
    void fill();
    void insertNew(int item);
    int stateOf(int item) const;

    CItemArray* list_ = nullptr;
    SubjectOptions options_;
    MessageSnapshot snapshot_;
    std::unique_ptr<SubjectLayout> layout_;
    std::vector<Node> nodes_;
    std::vector<int> nodeOfItem_;  // per snapshot index: node id or -1
    int generation_ = 1;
    int window_ = 0;
    bool changing_ = false;  // see models/change_guard.h
};

}  // namespace morvaline
