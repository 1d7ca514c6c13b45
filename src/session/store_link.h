#pragma once
// The store requests of the patrol engine carried out on the main thread: opening a
// reserved text (139) and sending it line by line (140), each line recorded in its place's
// text file and then written to the Connection. The engine calls on the patrol thread; the
// work runs on the main thread through the dispatcher.

#include "comm/connection.h"
#include "link/store_requests.h"
#include "patrol/engine/reserved_text.h"
#include "platform/main_dispatcher.h"

namespace morvaline {

class CTolDoc;

class StoreLink final : public StoreRequests {
public:
    // main thread
    StoreLink(CTolDoc& doc, Connection& connection, MainDispatcher& dispatcher);

    // patrol thread
    bool openTextToSend(const ReservedText& item) override;
    int sendNextTextLine() override;

private:
    MainDispatcher& dispatcher_;
    ReservedTextSender sender_;  // used on the main thread only
};

}  // namespace morvaline
