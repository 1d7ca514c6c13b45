#include "comm/patrol_link.h"

#include <string>

namespace morvaline {

bool PatrolLink::writeText(std::string_view text) {
    return dispatcher_.call([&] { return connection_.writeText(text); }, false);
}

bool PatrolLink::telnetConnect() {
    return dispatcher_.call([this] { return connection_.connect(); }, false);
}

bool PatrolLink::telnetResolve() {
    return dispatcher_.call([this] { return connection_.resolve(); }, false);
}

void PatrolLink::telnetClose() {
    dispatcher_.send([this] { connection_.close(); });
}

void PatrolLink::hangUp() {
    dispatcher_.post([this] { connection_.hangUp(); });
}

bool PatrolLink::telnetReconnect() {
    return dispatcher_.call([this] { return connection_.reconnect(); }, false);
}

bool PatrolLink::startTransfer(TransferDirection direction) {
    return dispatcher_.call([this, direction] { return connection_.startTransfer(direction); },
                            false);
}

}  // namespace morvaline
