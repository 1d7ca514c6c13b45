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

void PatrolEventsForwarder::itemAdded(int itemIndex, int arrayId) {
    post([itemIndex, arrayId](PatrolEvents& target) { target.itemAdded(itemIndex, arrayId); });
}

void PatrolEventsForwarder::itemChanged(int itemIndex, int arrayId) {
    post([itemIndex, arrayId](PatrolEvents& target) { target.itemChanged(itemIndex, arrayId); });
}

void PatrolEventsForwarder::itemFileTransferred(int itemIndex, int arrayId) {
    post([itemIndex, arrayId](PatrolEvents& target) {
        target.itemFileTransferred(itemIndex, arrayId);
    });
}

void PatrolEventsForwarder::placeAdded(int placeIndex) {
    post([placeIndex](PatrolEvents& target) { target.placeAdded(placeIndex); });
}

void PatrolEventsForwarder::placeChanged(int placeIndex) {
    post([placeIndex](PatrolEvents& target) { target.placeChanged(placeIndex); });
}

void PatrolEventsForwarder::placeReservationChanged(int placeIndex) {
    post([placeIndex](PatrolEvents& target) { target.placeReservationChanged(placeIndex); });
}

void PatrolEventsForwarder::activity(Animation animation) {
    post([animation](PatrolEvents& target) { target.activity(animation); });
}

void PatrolEventsForwarder::activateTerminal() {
    post([](PatrolEvents& target) { target.activateTerminal(); });
}

void PatrolEventsForwarder::sortMail(int bits) {
    dispatcher_.send([&] { target_.sortMail(bits); });
}

}  // namespace morvaline
