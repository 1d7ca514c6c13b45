#pragma once
// The places and messages visited in one browser window, walked by "戻る" and "進む".

#include <cstddef>
#include <optional>
#include <vector>

#include "models/navigation.h"

namespace morvaline {

class NavigationHistory {
public:
    static constexpr std::size_t kMaxEntries = 200;

    // A visit: drops the entries ahead of the current one; repeats are not recorded twice.
    void visit(Selection s);
    std::optional<Selection> back();
    std::optional<Selection> forward();
    bool canGoBack() const { return current_ > 0; }
    bool canGoForward() const { return current_ + 1 < entries_.size(); }

private:
    std::vector<Selection> entries_;
    std::size_t current_ = 0;
};

}  // namespace morvaline
