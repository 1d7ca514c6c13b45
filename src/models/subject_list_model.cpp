#include "models/subject_list_model.h"

#include <algorithm>

#include "models/browser_texts.h"
#include "models/change_guard.h"
#include "models/collation.h"
#include "models/item_state.h"
#include "models/model_roles.h"
#include "models/questions.h"
#include "models/subject_line.h"
#include "store/item_array.h"

namespace morvaline {

SubjectListModel::SubjectListModel(QObject* parent)
    : QAbstractItemModel(parent), layout_(std::make_unique<SubjectLayout>(snapshot_, options_)) {}

SubjectListModel::~SubjectListModel() = default;

void SubjectListModel::setList(CItemArray* list, int placeKind) {
    const ChangeGuard guard(changing_);
    clear();
    list_ = list;
    snapshot_ = list ? MessageSnapshot::of(*list, placeKind) : MessageSnapshot();
    fill();
}

void SubjectListModel::setOptions(const SubjectOptions& options) {
    options_ = options;
    options_.limitCount = std::max(options_.limitCount, SubjectOptions::kMinLimit);
    const ChangeGuard guard(changing_);
    clear();
    fill();
}

// Filling again removes the root's row and inserts it anew (rather than resetting the
// model), so that a view's expansion of the new rows is ordinary fetching.
void SubjectListModel::clear() {
    if (nodes_.empty()) return;
    beginRemoveRows({}, 0, 0);
    nodes_.clear();
    nodeOfItem_.clear();
    endRemoveRows();
}

void SubjectListModel::setNewDefinition(int generation, int window) {
    generation_ = generation;
    window_ = window;
    if (!nodes_.empty()) emit dataChanged(index(0, 0), index(0, 0));
    for (const Node& n : nodes_)
        if (n.fetched && !n.children.empty())
            emit dataChanged(indexOfNode(n.children.front()), indexOfNode(n.children.back()));
}

void SubjectListModel::refill() {
    if (!list_) return;
    setList(list_, snapshot_.placeKind());
}

void SubjectListModel::fill() {
    layout_ = std::make_unique<SubjectLayout>(snapshot_, options_);
    nodeOfItem_.assign(static_cast<std::size_t>(snapshot_.size()), -1);
    if (snapshot_.size() == 0) return;
    // The root's row comes with its children: the root is expanded at once.
    beginInsertRows({}, 0, 0);
    const int root = newNode(0, -1, 0);
    const std::vector<int> children = layout_->sortedChildren(0);
    nodes_.reserve(children.size() + 1);
    nodes_[0].children.reserve(children.size());
    for (const int item : children) nodes_[0].children.push_back(newNode(item, root, static_cast<int>(nodes_[0].children.size())));
    nodes_[0].fetched = true;
    endInsertRows();
}

int SubjectListModel::newNode(int item, int parent, int row) {
    const int id = static_cast<int>(nodes_.size());
    nodes_.push_back(Node{item, parent, row, false, {}});
    nodeOfItem_[static_cast<std::size_t>(item)] = id;
    return id;
}

QModelIndex SubjectListModel::indexOfNode(int node) const {
    if (node < 0) return {};
    return createIndex(nodes_[static_cast<std::size_t>(node)].row, 0, static_cast<quintptr>(node));
}

QModelIndex SubjectListModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 && !nodes_.empty() ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const Node& p = nodes_[parent.internalId()];
    if (row >= static_cast<int>(p.children.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(p.children[static_cast<std::size_t>(row)]));
}

QModelIndex SubjectListModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOfNode(nodes_[child.internalId()].parent);
}

int SubjectListModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    if (!parent.isValid()) return nodes_.empty() ? 0 : 1;
    return static_cast<int>(nodes_[parent.internalId()].children.size());
}

int SubjectListModel::columnCount(const QModelIndex&) const { return 1; }

bool SubjectListModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    if (!parent.isValid()) return !nodes_.empty();
    const Node& n = nodes_[parent.internalId()];
    return n.fetched ? !n.children.empty() : layout_->hasListedChildren(n.item);
}

bool SubjectListModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && !nodes_[parent.internalId()].fetched && hasChildren(parent);
}

void SubjectListModel::fetchMore(const QModelIndex& parent) {
    if (changing_) return;
    const ChangeGuard guard(changing_);
    fetchNode(parent);
}

void SubjectListModel::fetchNode(const QModelIndex& parent) {
    if (!parent.isValid()) return;
    const int id = static_cast<int>(parent.internalId());
    if (nodes_[static_cast<std::size_t>(id)].fetched) return;
    nodes_[static_cast<std::size_t>(id)].fetched = true;
    const std::vector<int> children = layout_->sortedChildren(nodes_[static_cast<std::size_t>(id)].item);
    if (children.empty()) return;
    beginInsertRows(parent, 0, static_cast<int>(children.size()) - 1);
    for (const int item : children) {
        const int row = static_cast<int>(nodes_[static_cast<std::size_t>(id)].children.size());
        const int child = newNode(item, id, row);
        nodes_[static_cast<std::size_t>(id)].children.push_back(child);
    }
    endInsertRows();
}

void SubjectListModel::itemChanged(int serial) {
    if (!list_) return;
    const ChangeGuard guard(changing_);
    const int live = list_->findSerial(serial);
    const int known = snapshot_.indexOfSerial(serial);
    if (live < 0 && known < 0) return;
    if (live < 0 || (known >= 0 && known != live) || (known < 0 && live != snapshot_.size())) {
        refill();  // deleted, moved or out of step: start again
        return;
    }
    const CItem item = list_->item(live);
    if (known >= 0 && item.m_nParent != snapshot_.row(known).parent) {
        refill();
        return;
    }
    if (known < 0) {
        // The parent and the previous sibling link to the new item now.
        for (const int linked : {item.m_nParent, item.m_nPrev}) {
            if (!snapshot_.valid(linked)) continue;
            const CItem updated = list_->item(linked);
            if (updated.m_nSerial == snapshot_.row(linked).serial) snapshot_.replace(linked, updated);
        }
        snapshot_.append(item);
        nodeOfItem_.push_back(-1);
        insertNew(live);
        return;
    }
    snapshot_.replace(live, item);
    // The line of the item and of its ancestors (their states include their comments').
    for (int item = live, steps = 0; item >= 0 && steps < snapshot_.size(); item = layout_->displayParent(item), ++steps) {
        const int node = nodeOfItem_[static_cast<std::size_t>(item)];
        if (node < 0) continue;
        const QModelIndex at = indexOfNode(node);
        emit dataChanged(at, at);
    }
}

void SubjectListModel::insertNew(int item) {
    layout_->appended(item);
    const int parentItem = layout_->displayParent(item);
    if (parentItem < 0) return;
    const int parentNode = nodeOfItem_[static_cast<std::size_t>(parentItem)];
    if (parentNode < 0) return;
    Node& p = nodes_[static_cast<std::size_t>(parentNode)];
    if (!p.fetched) {
        const QModelIndex at = indexOfNode(parentNode);
        emit dataChanged(at, at);
        return;
    }
    std::vector<int> items;
    for (const int c : p.children) items.push_back(nodes_[static_cast<std::size_t>(c)].item);
    items.push_back(item);
    layout_->sort(items);
    const int row = static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin());
    beginInsertRows(indexOfNode(parentNode), row, row);
    const int child = newNode(item, parentNode, row);
    Node& parentAfter = nodes_[static_cast<std::size_t>(parentNode)];
    parentAfter.children.insert(parentAfter.children.begin() + row, child);
    for (std::size_t i = static_cast<std::size_t>(row); i < parentAfter.children.size(); ++i)
        nodes_[static_cast<std::size_t>(parentAfter.children[i])].row = static_cast<int>(i);
    endInsertRows();
}

QModelIndex SubjectListModel::indexOfSerial(int serial) const {
    const int item = snapshot_.indexOfSerial(serial);
    return item < 0 ? QModelIndex() : indexOfNode(nodeOfItem_[static_cast<std::size_t>(item)]);
}

QModelIndex SubjectListModel::reveal(int serial, Questions* questions) {
    const ChangeGuard guard(changing_);
    int item = snapshot_.indexOfSerial(serial);
    if (item < 0) return {};
    std::vector<int> path;
    for (int i = item; i >= 0 && path.size() <= static_cast<std::size_t>(snapshot_.size()); i = layout_->displayParent(i))
        path.push_back(i);
    const bool hidden = std::any_of(path.begin(), path.end(), [this](int i) { return !layout_->visible(i); });
    if (hidden) {
        if (!questions || !questions->ask(texts::kLimitedMessageQuestion)) return {};
        SubjectOptions unlimited = options_;
        unlimited.limitOn = false;
        setOptions(unlimited);
    }
    std::reverse(path.begin(), path.end());
    for (const int i : path) {
        const int node = nodeOfItem_[static_cast<std::size_t>(i)];
        if (node < 0) return {};
        if (i != item) fetchNode(indexOfNode(node));
    }
    return indexOfSerial(serial);
}

int SubjectListModel::stateOf(int item) const {
    const MessageRow& r = snapshot_.row(item);
    int state = 0;
    if (r.unread()) state |= itemstate::kUnread;
    if (item > 0 && CItemArray::isNewGeneration(r.generation, generation_, window_)) state |= itemstate::kNew;
    if (r.marked()) state |= itemstate::kMarked;
    if (r.reserved()) state |= itemstate::kReserved;
    if (r.outgoing()) state |= itemstate::kOutgoing;
    if (r.flags & ITEM_FLAG_DELETED) state |= itemstate::kDeleted;
    if (r.flags & ITEM_FLAG_HELD) state |= itemstate::kHeld;
    return state;
}

QVariant SubjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int item = nodes_[index.internalId()].item;
    const MessageRow& r = snapshot_.row(item);
    switch (role) {
        case Qt::DisplayRole:
            return displayText(subjectLine(snapshot_, item, options_));
        case SerialRole:
            return r.serial;
        case IndexRole:
            return item;
        case KindRole:
            return r.kind;
        case StateRole:
            return stateOf(item);
        default:
            return {};
    }
}

}  // namespace morvaline
