#pragma once
// Carries the engine's events from the patrol thread to an implementation that lives on
// the main thread (the GUI's or the command line program's): reports and mail sorting
// wait for the main thread, the announcements are posted. Create and destroy it on the
// main thread.

#include <memory>

#include "patrol/engine/patrol_events.h"
#include "platform/main_dispatcher.h"

namespace morvaline {

class PatrolEventsForwarder final : public PatrolEvents {
public:
    PatrolEventsForwarder(PatrolEvents& mainThreadEvents, MainDispatcher& dispatcher)
        : target_(mainThreadEvents), dispatcher_(dispatcher) {}

    void report(const Text& text, std::string_view arg1) override;
    void itemNotice(const ItemNotice& notice) override;
    void placeNotice(const PlaceNotice& notice) override;
    void activity(Animation animation) override;
    void commentsLinked(int placeSerial) override;
    void activateTerminal() override;
    void sortMail(int bits) override;

private:
    // Posts a call on the main-thread events; dropped if the forwarder is gone by then.
    template <class F>
    void post(F call);

    PatrolEvents& target_;
    MainDispatcher& dispatcher_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace morvaline
