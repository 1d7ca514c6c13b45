#pragma once
// A room's message list, open for one visit, with its messages found by number: storing a
// message read from the host, or only its title from a titles list. A comment hangs under
// the message it answers when that one is stored. Patrol thread.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_time.h"
#include "store/opened_list.h"

namespace morvaline {

class CTolDoc;

struct ForumMessage {
    int number = 0;
    int target = 0;  // the message it answers; 0 for none
    std::string senderId;
    std::string handle;
    std::string title;
    std::string titleLine;  // the title as the host showed it, before the answered number was taken out
    FileTime date = 0;
    int comments = -1;  // as the header counts them; -1 when not shown
    std::uint32_t flags = 0;
    std::vector<std::string> lines;  // the whole text: tag, header and title lines first
};

class RoomMessages {
public:
    // How a message went into the list.
    enum class Stored {
        Added,         // a new item
        Filled,        // the text of an item that held only its title
        AlreadyThere,  // an item with text: left alone, its text not appended again
        Posted,        // the record of the user's own post: it takes the host's number
        Failed,        // the text file could not be written; nothing changed
    };
    struct Result {
        Stored how = Stored::Failed;
        int index = -1;
        bool linked = false;  // hung under the message it answers
    };

    // Opens (or creates) the list of the room, a place of the tree. Messages of userId that
    // come back from the host are matched with the records of their posts.
    RoomMessages(CTolDoc& doc, int room);
    ~RoomMessages();
    RoomMessages(const RoomMessages&) = delete;
    RoomMessages& operator=(const RoomMessages&) = delete;
    explicit operator bool() const { return static_cast<bool>(list_); }
    CItemArray& list() const { return *list_; }
    int room() const { return room_; }

    // The index of the forum message numbered number, -1 when there is none.
    int find(int number) const;
    // Takes the message's lines.
    Result store(ForumMessage& message, int generation);
    Result storeTitle(int number, FileTime date, const std::string& title, int target,
                      int generation);

private:
    // Where a new message of this number answering target goes: under the answered message
    // when it is stored and older, else at the top.
    int parentFor(int target, int number) const;
    CItem newItem(const ForumMessage& message, int generation) const;
    Result add(const CItem& item, int target);

    OpenedList list_;
    int room_;
    std::string path_;  // the room's host path
    std::unordered_map<int, int> byNumber_;
    std::string userId_;
    // Records of posts that have no number yet, by the title line they were posted with.
    std::unordered_multimap<std::string, int> posted_;
};

}  // namespace morvaline
