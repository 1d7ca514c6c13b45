#pragma once
// The store operations that the patrol engine asks the main thread to perform while it
// sends a reserved text. The other store requests (134, 135, 138) come with the services
// that use them.
//
// Called on the patrol thread.

#include <string>

namespace morvaline {

// A reserved item whose text is to be sent: the array that holds it, its index there and
// its name (at most 40 bytes).
struct ReservedText {
    int arrayId = 0;
    int itemIndex = 0;
    std::string name;
};

class StoreRequests {
public:
    virtual ~StoreRequests() = default;

    // 139: opens the text of the item for sending; false on failure.
    virtual bool openTextToSend(const ReservedText& item) = 0;
    // 140: sends the next line of that text to the line and records it; the number of
    // bytes recorded, 0 when the text has ended.
    virtual int sendNextTextLine() = 0;
};

}  // namespace morvaline
