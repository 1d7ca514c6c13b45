#include "patrol/run/place_service.h"

namespace morvaline {

void PlaceService::reach(int place, PatrolWalk& walk) {
    const DueCheck due = walk.isDue(place, false);
    if (due.due)
        visit(place, due, walk);
    else
        passOver(place, due, walk);
}

PlaceService* PlaceServices::serving(int kind) const {
    for (const auto& service : services_)
        if (service->serves(kind)) return service.get();
    return nullptr;
}

}  // namespace morvaline
