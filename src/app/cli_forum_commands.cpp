// morvaline-cli forum: SIG forums and their rooms added to the place tree by their SIG code
// and menu numbers, as the "SIG(&F)..." insertion of the browser window does. The rooms
// take their names from the host at the first patrol that refreshes the room list.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "platform/text_codec.h"
#include "store/forum_rooms.h"

namespace morvaline::cli {
namespace {

int menuNumber(const std::string& text, std::string_view what) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        throw CommandError{std::string(what) + " must be a number from 1 to 999, not '" + text + "'"};
    return std::stoi(text);
}

std::vector<int> numberList(const std::string& text) {
    std::vector<int> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        numbers.push_back(menuNumber(text.substr(start, comma - start), "a room number"));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return numbers;
}

// The message area of a SIG forum named by the forum (kind -4) or the area itself.
int messageArea(const CTolDoc& doc, int place) {
    const CItemArray& tree = doc.tree();
    const CItem item = tree.item(place);
    if (item.m_nKind == kind::kForumArea || item.m_nKind == kind::kRoomGroup) return place;
    if (item.m_nKind == kind::kForum) {
        const int area = tree.findChildKind(place, kind::kForumArea);
        if (area >= 0) return area;
    }
    throw CommandError{"'" + utf8(item.m_szTitle.view()) + "' is no SIG forum"};
}

void printRoom(const CTolDoc& doc, int room) {
    const CItem item = doc.tree().item(room);
    std::cout << room << "  " << utf8(item.m_szTitle.view()) << "  [" << utf8(item.m_strPath.view())
              << "]\n";
}

int addRooms(CTolDoc& doc, int area, const std::vector<int>& numbers, const std::string& title,
             int placeKind = kind::kRoom) {
    int added = 0;
    const char* defaultName = placeKind == kind::kLibrary ? "ｾｸｼｮﾝ" : "会議室";
    for (const int number : numbers) {
        const std::string name = title.empty() ? sj(defaultName) + std::to_string(number) : utf8ToSjis(title);
        const int room = addRoom(doc.tree(), area, number, name, placeKind);
        if (room < 0) throw CommandError{"room " + std::to_string(number) + " is there already"};
        printRoom(doc, room);
        ++added;
    }
    return added;
}

}  // namespace

int commandForum(Session& session, Args args) {
    constexpr std::string_view usage =
        "forum ID add CODE NUMBER [--title NAME] [--rooms N[,N...]] | forum ID room FORUM N [--title NAME]\n"
        "       | forum ID library CODE NUMBER [--title NAME] [--sections N[,N...]]";
    const std::string title = takeOption(args, "--title");
    const std::string rooms = takeOption(args, "--rooms");
    const std::string sections = takeOption(args, "--sections");
    const std::string userId = takeArgument(args, usage);
    const std::string action = takeArgument(args, usage);
    const OpenedUser doc = session.openUser(userId);
    if (action == "add") {
        const std::string code = takeArgument(args, usage);
        const int number = menuNumber(takeArgument(args, usage), "the forum's number");
        expectNoMoreArguments(args, usage);
        // Forums go into the folder "SIG" of a new data set, else at the top.
        const int sigFolder = doc->tree().findTitleKind(sj("SIG"), kind::kFolder);
        const int forum = addSigForum(doc->tree(), sigFolder >= 0 ? sigFolder : 0, code, {number},
                                      utf8ToSjis(title));
        if (forum < 0) throw CommandError{"a SIG code is 1 to 8 letters or digits, not '" + code + "'"};
        std::cout << forum << "  " << utf8(doc->tree().item(forum).m_szTitle.view()) << "  ["
                  << utf8(doc->tree().item(forum).m_strPath.view()) << "]\n";
        if (!rooms.empty()) addRooms(*doc, messageArea(*doc, forum), numberList(rooms), {});
    } else if (action == "library") {
        // The library of a SIG forum: its own number in the SIG's menu. A SIG forum of the
        // code that is there already takes it; else a new one is added for it.
        const std::string code = takeArgument(args, usage);
        const int number = menuNumber(takeArgument(args, usage), "the library's number");
        expectNoMoreArguments(args, usage);
        const int sigFolder = doc->tree().findTitleKind(sj("SIG"), kind::kFolder);
        const int forum = addSigForum(doc->tree(), sigFolder >= 0 ? sigFolder : 0, code, {number},
                                      utf8ToSjis(title));
        if (forum < 0) throw CommandError{"a SIG code is 1 to 8 letters or digits, not '" + code + "'"};
        const int library = doc->tree().findChildKind(forum, kind::kLibraryArea);
        doc->tree().setPath(library, doc->tree().item(forum).m_strPath.view());
        std::cout << library << "  " << utf8(doc->tree().item(forum).m_szTitle.view()) << " OSL  ["
                  << utf8(doc->tree().item(library).m_strPath.view()) << "]\n";
        if (!sections.empty()) addRooms(*doc, library, numberList(sections), {}, kind::kLibrary);
    } else if (action == "room") {
        const int area = messageArea(*doc, findPlace(*doc, takeArgument(args, usage)));
        const int number = menuNumber(takeArgument(args, usage), "the room's number");
        expectNoMoreArguments(args, usage);
        addRooms(*doc, area, {number}, title);
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
