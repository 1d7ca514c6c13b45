#include "session/store_link.h"

namespace morvaline {

StoreLink::StoreLink(CTolDoc& doc, Connection& connection, MainDispatcher& dispatcher)
    : dispatcher_(dispatcher),
      sender_(doc, [&connection](std::string_view line) { return connection.writeText(line); }) {}

bool StoreLink::openTextToSend(const ReservedText& item) {
    return dispatcher_.call([&] { return sender_.open(item); }, false);
}

int StoreLink::sendNextTextLine() {
    return dispatcher_.call([this] { return sender_.next(); }, 0);
}

}  // namespace morvaline
