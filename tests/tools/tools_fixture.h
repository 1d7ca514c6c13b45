#pragma once
// A new user's data set in a temporary folder with messages stored as a patrol stores them,
// for the query and export tests.

#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/fetched_message.h"
#include "store/opened_list.h"
#include "support/temp_dir.h"

namespace morvaline::test {

// Places of a new user's tree.
inline constexpr int kReceivedPlace = 2;
inline constexpr int kSentPlace = 3;
inline constexpr int kTemplatePlace = 4;
inline constexpr int kSigFolder = 5;
inline constexpr int kTrashPlace = 15;

inline FileTime at(int year, int month, int day, int hour = 12, int minute = 0) {
    return *fileTimeFromFields({year, month, day, hour, minute, 0, 0, 0});
}

struct ToolsUser {
    TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    ~ToolsUser() { doc->close(); }

    // A forum under "SIG" with one numbered room; the room's index in the tree.
    int addRoom(const std::string& title, int number = 1) {
        const int forum = doc->tree().addForum(kSigFolder, "FORUM", "FORUM");
        const int area = doc->tree().item(forum).m_nChild;
        return doc->tree().add(area, number, 0, "FORUM", title, kind::kRoom, 0);
    }
    // Stores a message (lines joined by CR LF) in a place; its index in the place's list.
    int store(int place, FetchedMessage m) {
        OpenedList list(*doc, place);
        return storeFetchedMessage(*list, std::move(m), doc->generation());
    }
    int storeMail(const std::string& title, const std::vector<std::string>& lines, FileTime date,
                  std::uint32_t flags = 0, const std::string& name = sj("花子")) {
        FetchedMessage m;
        m.kind = kind::kReceivedMailMessage;
        m.title = title;
        m.name = name;
        m.text = "MVL00002";
        m.date = date;
        m.flags = flags;
        m.lines = lines;
        return store(kReceivedPlace, std::move(m));
    }
    int storeForum(int room, int number, const std::string& title, const std::vector<std::string>& lines,
                   FileTime date, int parent = 0, const std::string& name = sj("太郎")) {
        FetchedMessage m;
        m.kind = kind::kForumMessage;
        m.parent = parent;
        m.number = number;
        m.id = "MVL00003";
        m.title = title;
        m.name = name;
        m.date = date;
        m.lines = lines;
        return store(room, std::move(m));
    }
    CItem item(int place, int index) {
        OpenedList list(*doc, place);
        return list->item(index);
    }
};

}  // namespace morvaline::test
