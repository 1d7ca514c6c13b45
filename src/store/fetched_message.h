#pragma once
// Storing a message fetched from the host (by the patrol or from a captured log) in its
// place's message list, and the sender of a mail as the host's mail reader shows it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "store/item_kinds.h"

namespace morvaline {

class CItemArray;

struct FetchedMessage {
    int parent = 0;  // index in the message list
    int number = 0;
    int kind = kind::kForumMessage;
    std::string id;     // sender ID
    std::string title;
    std::string name;   // sender's handle
    std::string text;   // long text: the sender's address of a mail
    FileTime date = 0;
    std::uint32_t flags = 0;
    int refCount = -1;
    int size = 0;
    int target = 0;
    std::vector<std::string> lines;  // the message text, without line ends
};

// Removes host prompt lines ("番号またはコマンド...") and page counters from the lines.
void removePromptLines(std::vector<std::string>& lines);

// Stores the message in the open list: an existing copy (same parent, ID, kind and number;
// for a mail, same date, subject and sender) is updated (title, reference count, date, flags); otherwise the text is appended to the
// list's text file and a new item added with the generation, which passes on to the place.
// Returns the item's index, or -1 when the text could not be written (nothing is added).
int storeFetchedMessage(CItemArray& list, FetchedMessage message, int generation);

// The sender of a "発信者：" line of the host's mail reader.
struct MailSender {
    std::string address;  // internet address, network address or host user ID
    std::string name;     // at most 39 bytes
    bool internet = false;
};
// Empty address when the line is not a sender line.
MailSender parseSenderLine(std::string_view line);

}  // namespace morvaline
