#include "models/subject_order.h"

#include <algorithm>

#include "store/item_kinds.h"

namespace morvaline {
namespace {

// Kinds and places whose messages keep registration order in number order.
bool numberComparable(const MessageRow& r, int placeKind) {
    if (placeKind == kind::kNewNotices || placeKind == kind::kClipping) return false;
    if (r.kind == kind::kComment || r.kind == kind::kUpload || r.kind == kind::kSentListEntry ||
        r.kind == kind::kReceivedMailMessage)
        return false;
    return r.number > 0;
}

}  // namespace

bool isCommentOrShortcut(int k) { return k == kind::kComment || k == kind::kShortcut; }

SubjectLayout::SubjectLayout(const MessageSnapshot& messages, const SubjectOptions& options)
    : messages_(messages), options_(options) {
    options_.limitCount = std::max(options_.limitCount, SubjectOptions::kMinLimit);
    const int count = messages_.size();
    if (!options_.limitOn || count <= options_.limitCount) return;
    alwaysVisibleFrom_ = count - options_.limitCount;
    visible_.assign(static_cast<std::size_t>(count), 0);
    for (int i = 1; i < alwaysVisibleFrom_; ++i)
        if (messages_.row(i).unread()) show(i);
    for (int i = alwaysVisibleFrom_; i < count; ++i) show(i);
}

void SubjectLayout::show(int index) {
    for (int steps = 0; messages_.valid(index) && steps <= messages_.size(); ++steps) {
        if (static_cast<std::size_t>(index) < visible_.size()) visible_[static_cast<std::size_t>(index)] = 1;
        if (!options_.commentTree) return;
        index = messages_.row(index).parent;
    }
}

void SubjectLayout::appended(int index) {
    if (!visible_.empty()) show(index);
    flatRoot_.reset();
    keys_.clear();
}

bool SubjectLayout::visible(int index) const {
    if (index == 0 || visible_.empty() || index >= alwaysVisibleFrom_) return true;
    return messages_.valid(index) && visible_[static_cast<std::size_t>(index)] != 0;
}

int SubjectLayout::displayParent(int index) const {
    if (!messages_.valid(index) || index == 0) return -1;
    const MessageRow& r = messages_.row(index);
    if (!flat()) return r.parent;
    return isCommentOrShortcut(r.kind) && r.parent > 0 ? r.parent : 0;
}

std::vector<int> SubjectLayout::chainChildren(int index) const {
    std::vector<int> out;
    if (!messages_.valid(index)) return out;
    for (int c = messages_.row(index).child; messages_.valid(c) && out.size() < static_cast<std::size_t>(messages_.size());
         c = messages_.row(c).next)
        out.push_back(c);
    return out;
}

bool SubjectLayout::hasListedChildren(int index) const {
    if (!messages_.valid(index)) return false;
    if (!flat() || index == 0) return messages_.row(index).child >= 0;
    const std::vector<int> children = chainChildren(index);
    return std::any_of(children.begin(), children.end(),
                       [this](int c) { return isCommentOrShortcut(messages_.row(c).kind); });
}

std::vector<int> SubjectLayout::listedChildren(int index) const {
    std::vector<int> out;
    if (flat() && index == 0) {
        if (!flatRoot_) {
            // Depth first over the whole list; comments and shortcuts stay below their messages.
            std::vector<int> order;
            std::vector<int> stack;
            const std::vector<int> top = chainChildren(0);
            stack.assign(top.rbegin(), top.rend());
            while (!stack.empty() && order.size() < static_cast<std::size_t>(messages_.size())) {
                const int i = stack.back();
                stack.pop_back();
                const MessageRow& r = messages_.row(i);
                if (!(isCommentOrShortcut(r.kind) && r.parent > 0)) order.push_back(i);
                const std::vector<int> children = chainChildren(i);
                stack.insert(stack.end(), children.rbegin(), children.rend());
            }
            flatRoot_ = std::move(order);
        }
        for (const int i : *flatRoot_)
            if (visible(i)) out.push_back(i);
        return out;
    }
    for (const int c : chainChildren(index)) {
        if (flat() && !isCommentOrShortcut(messages_.row(c).kind)) continue;
        if (visible(c)) out.push_back(c);
    }
    return out;
}

const QCollatorSortKey& SubjectLayout::textKey(int index) const {
    if (keys_.empty()) keys_.resize(static_cast<std::size_t>(messages_.size()));
    auto& key = keys_[static_cast<std::size_t>(index)];
    if (!key) {
        const MessageRow& r = messages_.row(index);
        const TextRef text = options_.order == SubjectOrder::Title ? r.title
                             : options_.order == SubjectOrder::Id  ? r.id
                                                                   : r.name;
        key = collator_.sortKey(messages_.text(text));
    }
    return *key;
}

void SubjectLayout::sort(std::vector<int>& children) const {
    std::sort(children.begin(), children.end());  // registration order
    switch (options_.order) {
        case SubjectOrder::Registration:
            break;
        case SubjectOrder::Number: {
            std::vector<std::size_t> positions;
            std::vector<int> numbered;
            for (std::size_t i = 0; i < children.size(); ++i) {
                if (!numberComparable(messages_.row(children[i]), messages_.placeKind())) continue;
                positions.push_back(i);
                numbered.push_back(children[i]);
            }
            std::stable_sort(numbered.begin(), numbered.end(), [this](int a, int b) {
                return messages_.row(a).number < messages_.row(b).number;
            });
            for (std::size_t k = 0; k < positions.size(); ++k) children[positions[k]] = numbered[k];
            break;
        }
        case SubjectOrder::Title:
        case SubjectOrder::Id:
        case SubjectOrder::Handle:
            std::stable_sort(children.begin(), children.end(),
                             [this](int a, int b) { return textKey(a).compare(textKey(b)) < 0; });
            break;
        case SubjectOrder::Date:
            std::stable_sort(children.begin(), children.end(), [this](int a, int b) {
                return messages_.row(a).date < messages_.row(b).date;
            });
            break;
    }
    if (options_.reverse) std::reverse(children.begin(), children.end());
}

std::vector<int> SubjectLayout::sortedChildren(int index) const {
    std::vector<int> children = listedChildren(index);
    sort(children);
    return children;
}

std::vector<int> SubjectLayout::displayOrder() const {
    std::vector<int> order;
    if (messages_.size() == 0) return order;
    std::vector<int> stack;
    const std::vector<int> top = sortedChildren(0);
    stack.assign(top.rbegin(), top.rend());
    while (!stack.empty() && order.size() < static_cast<std::size_t>(messages_.size())) {
        const int i = stack.back();
        stack.pop_back();
        order.push_back(i);
        if (!hasListedChildren(i)) continue;
        const std::vector<int> children = sortedChildren(i);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return order;
}

}  // namespace morvaline
