#include "models/place_tree_model.h"

#include <algorithm>

#include "models/browser_texts.h"
#include "models/change_guard.h"
#include "models/item_state.h"
#include "models/model_roles.h"
#include "models/questions.h"
#include "store/item_array.h"

namespace morvaline {

PlaceTreeModel::PlaceTreeModel(CItemArray& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
    refill();
}

PlaceTreeModel::~PlaceTreeModel() = default;

void PlaceTreeModel::setOptions(const PlaceTreeOptions& options) {
    const ChangeGuard guard(changing_);
    options_ = options;
    refill();
}

void PlaceTreeModel::setNewDefinition(int generation, int window) {
    generation_ = generation;
    window_ = window;
    if (!top_.children.empty()) sync();
}

// Filling again removes the root's row and inserts it anew (rather than resetting the
// model), so that a view's expansion of the new rows is ordinary fetching.
void PlaceTreeModel::refill() {
    top_.fetched = true;
    if (!top_.children.empty()) {
        beginRemoveRows({}, 0, 0);
        top_.children.clear();
        nodes_.clear();
        endRemoveRows();
    }
    snapshot_ = PlaceSnapshot::of(tree_);
    if (snapshot_.size() > 0) insertChildren(&top_, {}, {snapshot_.row(0).serial});
}

PlaceTreeModel::Node* PlaceTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : const_cast<Node*>(&top_);
}

QModelIndex PlaceTreeModel::indexOf(Node* node) const {
    return node == &top_ || !node ? QModelIndex() : createIndex(node->row, 0, node);
}

int PlaceTreeModel::placeOf(const Node* node) const {
    return node == &top_ ? -1 : snapshot_.indexOfSerial(node->serial);
}

std::vector<int> PlaceTreeModel::shownChildSerials(const Node* node) const {
    std::vector<int> serials;
    if (node == &top_) {
        if (snapshot_.size() > 0) serials.push_back(snapshot_.row(0).serial);
        return serials;
    }
    const int place = placeOf(node);
    if (place < 0) return serials;
    for (const int c : sortedPlaceChildren(snapshot_, place, options_, collator_))
        serials.push_back(snapshot_.row(c).serial);
    return serials;
}

QModelIndex PlaceTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(p->children.size())) return {};
    return createIndex(row, 0, p->children[static_cast<std::size_t>(row)].get());
}

QModelIndex PlaceTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(nodeOf(child)->parent);
}

int PlaceTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int PlaceTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool PlaceTreeModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    const Node* node = nodeOf(parent);
    if (node->fetched) return !node->children.empty();
    const int place = placeOf(node);
    if (place < 0) return false;
    const std::vector<int> children = snapshot_.children(place);
    return std::any_of(children.begin(), children.end(),
                       [this](int c) { return placeShown(snapshot_, c, options_); });
}

bool PlaceTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && !nodeOf(parent)->fetched && hasChildren(parent);
}

void PlaceTreeModel::fetchMore(const QModelIndex& parent) {
    if (changing_) return;
    const ChangeGuard guard(changing_);
    fetchNode(parent);
}

void PlaceTreeModel::fetchNode(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (node->fetched) return;
    node->fetched = true;
    insertChildren(node, parent, shownChildSerials(node));
}

void PlaceTreeModel::insertChildren(Node* node, const QModelIndex& parentIndex, const std::vector<int>& serials) {
    if (serials.empty()) return;
    const int first = static_cast<int>(node->children.size());
    beginInsertRows(parentIndex, first, first + static_cast<int>(serials.size()) - 1);
    for (const int serial : serials) {
        auto child = std::make_unique<Node>();
        child->serial = serial;
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        nodes_[serial] = child.get();
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

void PlaceTreeModel::sync() {
    const ChangeGuard guard(changing_);
    snapshot_ = PlaceSnapshot::of(tree_);
    syncChildren(&top_, QModelIndex());
}

void PlaceTreeModel::syncChildren(Node* node, const QModelIndex& parentIndex) {
    const std::vector<int> wanted = shownChildSerials(node);
    auto& children = node->children;
    // Rows whose place is gone or no longer shown here.
    for (int i = static_cast<int>(children.size()) - 1; i >= 0; --i) {
        const int serial = children[static_cast<std::size_t>(i)]->serial;
        if (std::find(wanted.begin(), wanted.end(), serial) != wanted.end()) continue;
        beginRemoveRows(parentIndex, i, i);
        const auto it = nodes_.find(serial);
        if (it != nodes_.end() && it->second == children[static_cast<std::size_t>(i)].get()) nodes_.erase(it);
        children.erase(children.begin() + i);
        endRemoveRows();
    }
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->row = static_cast<int>(i);
    // New places, appended first and then moved into their places with the others.
    std::vector<int> added;
    for (const int serial : wanted) {
        const bool present = std::any_of(children.begin(), children.end(),
                                         [serial](const auto& c) { return c->serial == serial; });
        if (!present) added.push_back(serial);
    }
    if (node->fetched) insertChildren(node, parentIndex, added);
    std::vector<int> current;
    for (const auto& c : children) current.push_back(c->serial);
    if (node->fetched && current != wanted) {
        emit layoutAboutToBeChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
        QModelIndexList before;
        for (const auto& c : children) before.push_back(createIndex(c->row, 0, c.get()));
        std::stable_sort(children.begin(), children.end(), [&wanted](const auto& a, const auto& b) {
            return std::find(wanted.begin(), wanted.end(), a->serial) < std::find(wanted.begin(), wanted.end(), b->serial);
        });
        for (std::size_t i = 0; i < children.size(); ++i) children[i]->row = static_cast<int>(i);
        QModelIndexList after;
        for (const QModelIndex& old : before) {
            Node* n = static_cast<Node*>(old.internalPointer());
            after.push_back(createIndex(n->row, 0, n));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
    }
    if (!children.empty())
        emit dataChanged(index(0, 0, parentIndex), index(static_cast<int>(children.size()) - 1, 0, parentIndex));
    for (const auto& c : children)
        if (c->fetched) syncChildren(c.get(), createIndex(c->row, 0, c.get()));
}

QModelIndex PlaceTreeModel::indexOfSerial(int serial) const {
    const auto it = nodes_.find(serial);
    return it == nodes_.end() ? QModelIndex() : indexOf(it->second);
}

QModelIndex PlaceTreeModel::reveal(int serial, Questions* questions) {
    const ChangeGuard guard(changing_);
    int place = snapshot_.indexOfSerial(serial);
    if (place < 0) return {};
    if (firstHiddenOnPath(snapshot_, place, options_) >= 0) {
        if (!questions || !questions->ask(texts::kHiddenPlaceQuestion)) return {};
        for (int p = place, steps = 0; snapshot_.valid(p) && steps < snapshot_.size();
             p = snapshot_.row(p).parent, ++steps) {
            if (!(snapshot_.row(p).flags & ITEM_FLAG_HIDDEN_PLACE)) continue;
            const int live = tree_.findSerial(snapshot_.row(p).serial);
            if (live >= 0) tree_.setFlags(live, ITEM_FLAG_HIDDEN_PLACE, 0);
        }
        sync();
        place = snapshot_.indexOfSerial(serial);
        if (place < 0 || firstHiddenOnPath(snapshot_, place, options_) >= 0) return {};
    }
    std::vector<int> path;
    for (int p = place; snapshot_.valid(p) && path.size() <= static_cast<std::size_t>(snapshot_.size());
         p = snapshot_.row(p).parent)
        path.push_back(snapshot_.row(p).serial);
    std::reverse(path.begin(), path.end());
    Node* node = &top_;
    for (const int s : path) {
        if (!node->fetched) fetchNode(indexOf(node));
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [s](const auto& c) { return c->serial == s; });
        if (it == node->children.end()) return {};
        node = it->get();
    }
    return indexOf(node);
}

int PlaceTreeModel::stateOf(const PlaceRow& row) const {
    int state = 0;
    if (row.flags & ITEM_FLAG_HAS_UNREAD) state |= itemstate::kHasUnread;
    if (row.flags & ITEM_FLAG_HAS_MARKED) state |= itemstate::kHasMarked;
    if (row.flags & ITEM_FLAG_HAS_OUTGOING) state |= itemstate::kHasOutgoing;
    if (row.flags & ITEM_FLAG_HIDDEN_PLACE) state |= itemstate::kHidden;
    if (row.reserve != 0 && row.reserve != -1) state |= itemstate::kReserved;
    if (row.generation > 0 && CItemArray::isNewGeneration(row.generation, generation_, window_))
        state |= itemstate::kNew;
    return state;
}

QVariant PlaceTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int place = placeOf(nodeOf(index));
    if (place < 0) return {};
    const PlaceRow& row = snapshot_.row(place);
    switch (role) {
        case Qt::DisplayRole: {
            QString text = displayText(row.title);
            if (options_.showNumber && row.number > 0) text = QString::number(row.number) + ' ' + text;
            if (options_.showAbbreviation && !row.id.empty()) text += " (" + displayText(row.id) + ')';
            return text;
        }
        case SerialRole:
            return row.serial;
        case IndexRole:
            return place;
        case KindRole:
            return row.kind;
        case StateRole:
            return stateOf(row);
        default:
            return {};
    }
}

}  // namespace morvaline
