// Reservation patterns: named snapshots of the reservations of the whole place tree.

#include "store/document.h"

namespace morvaline {

int CTolDoc::currentPattern() const {
    const int index = integer(docint::kCurrentPattern);
    return index >= 0 && index < static_cast<int>(patterns_.size()) ? index : -1;
}

void CTolDoc::rememberReservations() {
    const int current = currentPattern();
    if (current < 0) return;
    CRsrvPat& pattern = patterns_[static_cast<std::size_t>(current)];
    pattern.entries.clear();
    tree_.read([&pattern](const auto& items) {
        for (const auto& place : items)
            if (place->isReserved()) pattern.entries.push_back({place->m_nSerial, place->m_nReserve});
    });
}

void CTolDoc::applyCurrentPattern() {
    const int current = currentPattern();
    if (current < 0) return;
    for (int i = 0; i < tree_.size(); ++i) tree_.setReserve(i, 0);
    for (const CRsrvInfo& info : patterns_[static_cast<std::size_t>(current)].entries) {
        const int index = tree_.findSerial(info.serial);
        if (index >= 0) tree_.setReserve(index, info.reserve);
    }
}

bool CTolDoc::selectPattern(std::string_view name) {
    int found = -1;
    for (std::size_t i = 0; i < patterns_.size(); ++i)
        if (patterns_[i].name == name) found = static_cast<int>(i);
    if (found < 0) {
        reporter_.report(texts::kPatternNotFound, name);
        return false;
    }
    if (found != currentPattern()) {
        rememberReservations();
        setInteger(docint::kCurrentPattern, found);
        applyCurrentPattern();
    }
    return true;
}

int CTolDoc::addPattern(std::string_view name) {
    patterns_.push_back({std::string(name), {}});
    return static_cast<int>(patterns_.size()) - 1;
}

}  // namespace morvaline
