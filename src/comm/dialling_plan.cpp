#include "comm/dialling_plan.h"

namespace morvaline {

int DiallingPlan::firstEnabledFrom(int index) const {
    for (int i = index; i < static_cast<int>(list_.entries.size()); ++i)
        if (list_.entries[static_cast<std::size_t>(i)].enable) return i;
    return -1;
}

bool DiallingPlan::start() {
    redialCount_ = 0;
    index_ = firstEnabledFrom(0);
    if (index_ < 0) {
        current_.reset();
        return false;
    }
    current_ = list_.entries[static_cast<std::size_t>(index_)];
    return true;
}

int DiallingPlan::next(bool* redialling) {
    if (redialling) *redialling = false;
    if (index_ >= 0) {
        const int following = firstEnabledFrom(index_ + 1);
        if (following >= 0) {
            index_ = following;
            current_ = list_.entries[static_cast<std::size_t>(index_)];
            return kSecondsBetweenAccessPoints;
        }
    }
    current_.reset();
    if (list_.redial.redial && redialCount_ < list_.redial.maxCount) {
        ++redialCount_;
        index_ = firstEnabledFrom(0);
        if (index_ >= 0) {
            current_ = list_.entries[static_cast<std::size_t>(index_)];
            if (redialling) *redialling = true;
            return list_.redial.intervalSeconds;
        }
    }
    index_ = -1;
    return 0;
}

}  // namespace morvaline
