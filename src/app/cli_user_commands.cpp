// morvaline-cli commands about a user's data set: new-user, tree, events.

#include <cstdio>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "platform/atomic_file.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/forum_rooms.h"
#include "store/place_files.h"

namespace morvaline::cli {
namespace {

// " messages N, unread N ..." for a place whose message list exists.
std::string listCounts(CTolDoc& doc, int index) {
    ListLoad outcome;
    CItemArray* list = doc.openExistingList(index, false, &outcome);
    if (outcome == ListLoad::Damaged) return "  ! list damaged";
    if (outcome == ListLoad::Lost) return "  ! list missing";
    if (!list) return {};
    int unread = 0;
    list->read([&unread](const auto& items) {
        for (const auto& item : items) unread += item->isUnread();
    });
    std::string text = "  messages " + std::to_string(list->size() - 1);
    if (unread) text += ", unread " + std::to_string(unread);
    if (list->markedCount()) text += ", marked " + std::to_string(list->markedCount());
    if (list->outgoingCount()) text += ", to send " + std::to_string(list->outgoingCount());
    doc.closeList(list);
    return text;
}

std::string reservation(CTolDoc& doc, const CItem& place) {
    if (!place.isReserved() || place.m_nKind < 0 || place.m_nKind >= CTolDoc::kReservationMenus)
        return {};
    const CReserve* entry = doc.menu(place.m_nKind).find(place.m_nReserve);
    if (!entry) return "  reserved: ?";
    return "  reserved: " + utf8(entry->name) + " (" + static_cast<char>('A' + entry->priority) + ")";
}

void printPlace(CTolDoc& doc, int index, int depth) {
    const CItem place = doc.tree().item(index);
    char number[16];
    std::snprintf(number, sizeof number, "%3d ", index);
    std::string line = number + std::string(static_cast<std::size_t>(depth) * 2, ' ');
    line += utf8(place.m_szTitle.view());
    line += "  [" + std::to_string(place.m_nKind);
    if (!place.m_szID.empty()) line += " " + utf8(place.m_szID.view());
    line += "]";
    if (place.m_nKind == kind::kRoom)
        line += "  room " + std::to_string(place.m_nNumber) + ", read " +
                std::to_string(roomLastRead(place)) + " of " + std::to_string(roomHighest(place));
    if (placeHoldsList(place.m_nKind)) line += listCounts(doc, index);
    line += reservation(doc, place);
    std::cout << line << '\n';
    for (int child = place.m_nChild, steps = 0; child >= 0 && steps < doc.tree().size(); ++steps) {
        printPlace(doc, child, depth + 1);
        child = doc.tree().item(child).m_nNext;
    }
}

}  // namespace

int commandNewUser(Session& session, Args args) {
    constexpr std::string_view usage = "new-user ID [--handle NAME]";
    const std::string handle = takeOption(args, "--handle");
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);

    OpenRequest request;
    request.baseDirectory = session.baseDirectory();
    request.userId = userId;
    if (!makePrivateDirectories(request.baseDirectory))
        throw CommandError{"cannot create " + request.baseDirectory.string()};
    std::error_code ec;
    if (std::filesystem::exists(request.baseDirectory / userId, ec))
        throw CommandError{"user " + userId + " exists already"};
    request.password = session.password(true);
    if (request.password.empty()) throw CommandError{"the password is empty"};

    ConsoleReports reports;
    auto result = CTolDoc::open(request, session.registry(), &reports);
    if (!result.doc) throw CommandError{utf8(result.error)};
    const OpenedUser doc(result.doc.release());
    if (!handle.empty()) {
        doc->setString(docstr::kHandle, sjisBoundedCopy(utf8ToSjis(handle), 40));
        saveUser(*doc);
    }
    session.registry().writeString("Settings", "RecentUserID", userId);
    std::cout << "created user " << userId << " in " << doc->dataDirectory().string() << '\n';
    return 0;
}

int commandTree(Session& session, Args args) {
    constexpr std::string_view usage = "tree ID";
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.readUser(userId);
    printPlace(*doc, 0, 0);
    return 0;
}

int commandEvents(Session& session, Args args) {
    constexpr std::string_view usage = "events ID";
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.readUser(userId);
    for (const EventEntry& e : doc->eventLog().entries()) {
        const bool warning = e.icon == static_cast<int>(EventKind::Warning);
        std::cout << formatDateTime(e.time) << (warning ? "  ! " : "    ") << utf8(e.text) << '\n';
    }
    return 0;
}

int commandRestore(Session& session, Args args) {
    constexpr std::string_view usage = "restore ID [--from BK1|BK2|BK3]";
    const std::string from = takeOption(args, "--from");
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    int number = 0;
    if (!from.empty()) {
        if (from.size() != 3 || !from.starts_with("BK") || from[2] < '1' || from[2] > '3')
            throw CommandError{"--from takes BK1, BK2 or BK3"};
        number = from[2] - '0';
    }
    const RestoreResult restored =
        CTolDoc::restoreBackup(session.request(userId), session.registry(), number);
    switch (restored.status) {
        case RestoreResult::Status::Restored:
            std::cout << "restored " << backupText(restored.backup) << " as the document of " << userId;
            if (!restored.kept.empty())
                std::cout << "; the document it replaced is kept as " << restored.kept.string();
            std::cout << '\n';
            return 0;
        case RestoreResult::Status::InUse:
            throw CommandError{utf8(formatText(texts::kUserInUse, userId))};
        case RestoreResult::Status::NoBackup:
            throw CommandError{(from.empty() ? "no backup of " + userId : from + " of " + userId) +
                               " loads with this password"};
        case RestoreResult::Status::WriteFailed:
            break;
    }
    throw CommandError{"cannot write the document of " + userId + "; it is as it was"};
}

}  // namespace morvaline::cli
