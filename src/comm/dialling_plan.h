#pragma once
// The order of connection attempts of one patrol: the enabled access points in list order,
// 5 seconds apart, then, with redial on, the whole list again after the redial interval, up
// to the maximum number of redial cycles.

#include <optional>

#include "comm/access_point.h"

namespace morvaline {

class DiallingPlan {
public:
    static constexpr int kSecondsBetweenAccessPoints = 5;

    explicit DiallingPlan(AccessPointList list) : list_(std::move(list)) {}

    // Starts a run at the first enabled access point; false when there is none.
    bool start();
    // Moves on to the next attempt: the pause in seconds before it, 0 when there is none.
    // redialling is set when the pause starts a new cycle.
    int next(bool* redialling = nullptr);
    // The access point of the current attempt; none once the list is exhausted.
    const AccessPoint* current() const { return current_ ? &*current_ : nullptr; }
    AccessPoint* current() { return current_ ? &*current_ : nullptr; }
    int redialCount() const { return redialCount_; }
    const AccessPointList& list() const { return list_; }

private:
    int firstEnabledFrom(int index) const;

    AccessPointList list_;
    int index_ = -1;
    int redialCount_ = 0;
    // The run keeps its own copy: editing the list meanwhile does not change it.
    std::optional<AccessPoint> current_;
};

}  // namespace morvaline
