#pragma once
// Which messages the subject list shows under which node, in which order, and which ones
// the display limit hides.
//
// Under each node the children are ordered by registration, number, title, ID, handle or
// date, ties by registration, optionally reversed. In number order the messages that have
// no number to compare by (comments and mails, the notices and clipping places, number 0)
// keep their registration positions and the numbered ones are ordered among themselves in
// the positions left: a pairwise rule that mixes the two is not transitive, and a sort
// that relies on it may fail.

#include <QCollatorSortKey>

#include <optional>
#include <vector>

#include "models/collation.h"
#include "models/message_snapshot.h"

namespace morvaline {

enum class SubjectOrder : int { Registration = 0, Number = 1, Title = 2, Id = 3, Handle = 4, Date = 5 };

struct SubjectOptions {
    static constexpr int kMinLimit = 10;

    SubjectOrder order = SubjectOrder::Number;
    bool reverse = false;
    bool commentTree = true;
    bool limitOn = false;
    int limitCount = 1000;  // at least kMinLimit
    // What the subject line shows.
    bool showNumber = false;
    bool showDate = false;
    bool showId = false;
    bool showHandle = false;
    bool showSize = false;
    bool showRefCount = false;
    bool deleteAlwaysOffered = true;
};

class SubjectLayout {
public:
    SubjectLayout(const MessageSnapshot& messages, const SubjectOptions& options);

    const MessageSnapshot& messages() const { return messages_; }
    const SubjectOptions& options() const { return options_; }
    // An item was appended to the snapshot: it is shown (the limit window stays as it was).
    void appended(int index);
    // The display limit lets the item show.
    bool visible(int index) const;
    // The comment tree is off in a threaded list: messages stand flat under the root.
    bool flat() const { return !options_.commentTree && messages_.threaded(); }
    // The node under which the item is shown (-1 for the root).
    int displayParent(int index) const;
    // The item's node shows an expansion button.
    bool hasListedChildren(int index) const;
    // The shown children of an item's node, in display order.
    std::vector<int> sortedChildren(int index) const;
    // Every shown item below the root in display order (all nodes expanded).
    std::vector<int> displayOrder() const;
    // Sorts the children of one node into display order.
    void sort(std::vector<int>& children) const;

private:
    void show(int index);
    std::vector<int> listedChildren(int index) const;
    std::vector<int> chainChildren(int index) const;
    const QCollatorSortKey& textKey(int index) const;

    const MessageSnapshot& messages_;
    SubjectOptions options_;
    int alwaysVisibleFrom_ = 0;
    std::vector<char> visible_;
    TextCollator collator_;
    mutable std::optional<std::vector<int>> flatRoot_;
    mutable std::vector<std::optional<QCollatorSortKey>> keys_;
};

// Kinds that hang below their message in a threaded list even when the comment tree is off.
bool isCommentOrShortcut(int kind);

}  // namespace morvaline
