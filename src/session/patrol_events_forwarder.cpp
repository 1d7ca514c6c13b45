#include "session/patrol_events_forwarder.h"

#include <string>

namespace morvaline {

template <class F>
void PatrolEventsForwarder::post(F call) {
    dispatcher_.post([alive = std::weak_ptr<int>(alive_), target = &target_, call] {
        if (alive.lock()) call(*target);
    });
}

void PatrolEventsForwarder::report(const Text& text, std::string_view arg1) {
    const std::string arg(arg1);
    dispatcher_.send([&] { target_.report(text, arg); });
}

void PatrolEventsForwarder::itemNotice(const ItemNotice& notice) {
    post([notice](PatrolEvents& target) { target.itemNotice(notice); });
}

void PatrolEventsForwarder::placeNotice(const PlaceNotice& notice) {
    post([notice](PatrolEvents& target) { target.placeNotice(notice); });
}

void PatrolEventsForwarder::activity(Animation animation) {
    post([animation](PatrolEvents& target) { target.activity(animation); });
}

void PatrolEventsForwarder::commentsLinked(int placeSerial) {
    post([placeSerial](PatrolEvents& target) { target.commentsLinked(placeSerial); });
}

void PatrolEventsForwarder::activateTerminal() {
    post([](PatrolEvents& target) { target.activateTerminal(); });
}

void PatrolEventsForwarder::sortMail(int bits) {
    dispatcher_.send([&] { target_.sortMail(bits); });
}

}  // namespace morvaline
