#pragma once
// Posting places (kind 5 with an ID other than "MAIL"): the messages written offline in such
// a place are posted to the host location its host path names, one by one: the way there
// ends at the host's text entry, which takes the title line, the text and "..", and "G"
// registers the post. A place that cannot be reached ends only that place. Patrol thread.

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"

namespace morvaline {

class CTolDoc;

class PostingService final : public PlaceService {
public:
    PostingService(CPatrolEngine& engine, CTolDoc& doc);

    bool serves(int kind) const override;
    // Posting places post what waits whatever their reservation.
    void reach(int place, PatrolWalk& walk) override;

private:
    void PostToPlace(int place);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
};

}  // namespace morvaline
