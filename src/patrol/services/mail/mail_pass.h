#pragma once
// The mail service's part of a run, before the walk: the mail pass over the received-mail
// places and the mail folders, the sending of the outgoing mail, and the sent list. The
// host dialogue of each step is the MailHandlers' (mail_service.h in a run, a recording
// double in tests). Patrol thread.

#include <memory>

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"
#include "patrol/services/mail/mail_handlers.h"

namespace morvaline {

class CTolDoc;

class MailPass final : public PlaceService {
public:
    MailPass(CPatrolEngine& engine, CTolDoc& doc, std::unique_ptr<MailHandlers> mail);

    // Its places are worked before the walk, not in it.
    bool serves(int /*kind*/) const override { return false; }
    void beforeWalk(PatrolWalk& walk) override;

private:
    bool isHidden(int place) const;
    void mailPass(PatrolWalk& walk);
    void sentList(PatrolWalk& walk);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    std::unique_ptr<MailHandlers> mail_;
};

}  // namespace morvaline
