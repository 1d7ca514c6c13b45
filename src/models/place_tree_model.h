#pragma once
// The place tree of a browser window as a Qt item model. The root place is the only top
// row; the children of a place are inserted when the view first expands it (fetchMore),
// shown and ordered by the window's options (models/place_order.h). Rows come from a
// snapshot of the tree taken on the main thread: sync() takes a new one after the tree
// changed and moves, inserts and removes rows to match.

#include <QAbstractItemModel>

#include <memory>
#include <unordered_map>
#include <vector>

#include "models/collation.h"
#include "models/place_order.h"
#include "models/place_snapshot.h"

namespace morvaline {

class CItemArray;
class Questions;

class PlaceTreeModel final : public QAbstractItemModel {
public:
    // main thread
    explicit PlaceTreeModel(CItemArray& tree, QObject* parent = nullptr);
    ~PlaceTreeModel() override;

    const PlaceTreeOptions& options() const { return options_; }
    // Changes the options and fills the tree again.
    void setOptions(const PlaceTreeOptions& options);
    // The patrol generation and the new-message window that decide the "new" state.
    void setNewDefinition(int generation, int window);

    // Takes a new snapshot of the tree and brings the rows in line with it.
    void sync();
    const PlaceSnapshot& snapshot() const { return snapshot_; }

    // The row of a place, when it has been inserted.
    QModelIndex indexOfSerial(int serial) const;
    // Shows a place: when it or an ancestor is hidden, asks (when questions is given)
    // whether to clear the hidden attribute, and on Yes clears it on every hidden place
    // of the way; then inserts the rows down to the place. Invalid when it is not shown.
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
        int serial = 0;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool fetched = false;
        int row = 0;
    };

    void fetchNode(const QModelIndex& parent);
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(Node* node) const;
    int placeOf(const Node* node) const;  // snapshot index, or -1
    std::vector<int> shownChildSerials(const Node* node) const;
    void insertChildren(Node* node, const QModelIndex& parentIndex, const std::vector<int>& serials);
    void syncChildren(Node* node, const QModelIndex& parentIndex);
    void refill();
    int stateOf(const PlaceRow& row) const;

    CItemArray& tree_;
    PlaceTreeOptions options_;
    TextCollator collator_;
    PlaceSnapshot snapshot_;
    Node top_;  // holds the root place's node
    std::unordered_map<int, Node*> nodes_;
    int generation_ = 1;
    int window_ = 0;
    bool changing_ = false;  // see models/change_guard.h
};

}  // namespace morvaline
