#include "models/history.h"

namespace morvaline {

void NavigationHistory::visit(Selection s) {
    if (!entries_.empty() && entries_[current_] == s) return;
    if (!entries_.empty()) entries_.resize(current_ + 1);
    entries_.push_back(s);
    if (entries_.size() > kMaxEntries) entries_.erase(entries_.begin());
    current_ = entries_.size() - 1;
}

std::optional<Selection> NavigationHistory::back() {
    if (!canGoBack()) return std::nullopt;
    return entries_[--current_];
}

std::optional<Selection> NavigationHistory::forward() {
    if (!canGoForward()) return std::nullopt;
    return entries_[++current_];
}

}  // namespace morvaline
