#pragma once
// The store's side of sending a reserved text (the requests 139 and 140): the item's text
// is opened, and each line in turn is recorded at the end of its place's text file, where
// the sent item will find it, and then written to the line. The thread that owns the line
// runs it: the main thread over a real connection (session/store_link.h), a test's own
// thread over a scripted host.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/store_requests.h"

namespace morvaline {

class CTolDoc;

class ReservedTextSender {
public:
    // Writes one line (ended by CR) to the host; false when it could not be written.
    using WriteLine = std::function<bool(std::string_view)>;

    ReservedTextSender(CTolDoc& doc, WriteLine write);
    ReservedTextSender(const ReservedTextSender&) = delete;
    ReservedTextSender& operator=(const ReservedTextSender&) = delete;

    // 139: the text of the item (arrayId: its place in the tree); false, reported, when its
    // list or text cannot be opened.
    bool open(const ReservedText& item);
    // 140: records and sends the next line; the bytes recorded (the line and CR LF), 0 at
    // the end of the text and when the line could not be recorded (reported) or written.
    int next();

private:
    void close();

    CTolDoc& doc_;
    WriteLine write_;
    // The text being sent and the place whose text file records it. The place's list is
    // opened for each line only, so that no list stays open when a run breaks off.
    int place_ = -1;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

}  // namespace morvaline
