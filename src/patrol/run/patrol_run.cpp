#include "patrol/run/patrol_run.h"

#include "link/result_codes.h"
#include "store/document.h"

namespace morvaline {

PatrolRun::PatrolRun(CPatrolEngine& engine, CTolDoc& doc, PatrolOptions options,
                     PlaceServices services)
    : engine_(engine), doc_(doc), options_(std::move(options)), services_(std::move(services)) {}

DueCheck PatrolRun::isDue(int place, bool peek) {
    const int kind = doc_.tree().item(place).m_nKind;
    const CReserveArray* menu =
        kind >= 0 && kind < CTolDoc::kReservationMenus ? &doc_.menu(kind) : nullptr;
    const DueCheck check = checkReservation(doc_.tree(), place, menu, options_.level, peek);
    if (check.reservationCleared)
        engine_.events().placeNotice(
            PlaceNotice::of(PlaceChange::ReservationChanged, doc_.tree(), place));
    return check;
}

int PatrolRun::run() {
    engine_.events().report(texts::kPatrolStarting);
    if (connect() != result::Ok) {
        // Without a line there is nothing to log out of.
        return logout(engine_.result());
    }
    engine_.setWaitTimeout(engine_.settings().timeoutMs);
    // A host that refuses the login may close the line right after saying why: what it said
    // is still read by the login screens.
    const int loggedIn = login();
    if (loggedIn != result::Ok && loggedIn != result::LineLost) return logout(loggedIn);
    if (!options_.patrol) return loggedIn == result::Ok ? result::Ok : logout(loggedIn);  // the line stays up

    if (loggedIn == result::Ok) doc_.startGeneration();
    if (answerLoginScreens() == result::Ok) walk();
    return logout(engine_.result());
}

void PatrolRun::walk() {
    for (const auto& service : services_) service->beforeWalk(*this);
    CItemArray& tree = doc_.tree();
    for (int place = 0; place < tree.size() && engine_.result() == result::Ok; ++place) {
        const CItem item = tree.item(place);
        if (item.hasFlag(ITEM_FLAG_HIDDEN)) continue;
        if (PlaceService* service = services_.serving(item.m_nKind)) service->reach(place, *this);
    }
    for (const auto& service : services_) service->afterWalk(*this);
}

}  // namespace morvaline
