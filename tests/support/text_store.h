#pragma once
// The store requests of a patrol over the scripted host: texts are recorded as a real run
// records them, and their lines reach the host.

#include "link/store_requests.h"
#include "patrol/engine/reserved_text.h"

namespace morvaline::test {

class TextStore final : public StoreRequests {
public:
    explicit TextStore(ReservedTextSender& sender) : sender_(sender) {}
    bool openTextToSend(const ReservedText& item) override { return sender_.open(item); }
    int sendNextTextLine() override { return sender_.next(); }

private:
    ReservedTextSender& sender_;
};

}  // namespace morvaline::test
