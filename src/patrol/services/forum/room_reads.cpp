// Entering a room and the three ways of reading it: the new messages, only their titles,
// or only the latest message. A read from the host's read position leaves the position
// where the host put it; a read from the stored position starts after the room's
// last-read number, which rises only with messages stored to their end.

#include "link/result_codes.h"
#include "message/subjects.h"
#include "patrol/services/forum/forum_lines.h"
#include "patrol/services/forum/forum_texts.h"
#include "patrol/services/forum/forum_service.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/forum_rooms.h"

namespace morvaline {
namespace {

RoomStep stepOf(result::Code reached) {
    if (reached == result::Ok) return RoomStep::Done;
    return reached == result::PlaceFailed ? RoomStep::Unreachable : RoomStep::Stopped;
}

}  // namespace

bool ForumService::fromStored(int room) const {
    return doc_.settings().useHostReadPosition == 0 ||
           doc_.tree().item(room).hasFlag(ROOM_FLAG_FROM_STORED);
}

ForumService::Entry ForumService::EnterRoom(int room, bool stored, int* highest) {
    const ForumTexts& host = forumTexts();
    const std::string number = std::to_string(doc_.tree().item(room).m_nNumber);
    if (!stored) {
        engine_.Send("RN" + number + "\r");
        const auto entered = engine_.WaitForScreen(host.roomEntry);
        if (!entered) return Entry::Stopped;
        if (!entered.is(ForumTexts::RoomEntry::NewMessages)) {
            if (engine_.WaitForMenuPrompt() != result::Ok) return Entry::Stopped;
            return entered.is(ForumTexts::RoomEntry::NoNew) ? Entry::NoNew : Entry::Failed;
        }
    } else {
        if (engine_.SendEchoed("SC" + number + "\r") != result::Ok) return Entry::Stopped;
        const auto entered = engine_.WaitForScreen(host.roomStatus);
        if (!entered) return Entry::Stopped;
        if (entered.is(ForumTexts::RoomStatus::Refused))
            return engine_.WaitFor("=", false) != result::Ok ? Entry::Stopped : Entry::Failed;
        std::string status;
        if (engine_.CaptureUntil(host.statusEnd, status) != result::Ok ||
            engine_.WaitFor("=", false) != result::Ok)
            return Entry::Stopped;
        const std::optional<int> listed = statusHighest(status);
        if (!listed) {
            // Not the room's status: back to the main menu, from where the way is known.
            engine_.Send("F\r");
            navigator_.lost();
            return engine_.WaitForMenuPrompt() != result::Ok ? Entry::Stopped : Entry::Failed;
        }
        if (highest) *highest = *listed;
        if (roomHighest(doc_.tree().item(room)) != *listed) {
            doc_.tree().setSize(room, *listed);
            engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, doc_.tree(), room));
        }
    }
    navigator_.enteredRoom(room);
    greet(room);
    return Entry::InRoom;
}

ReadOutcome ForumService::ReadMessages(RoomMessages& messages) {
    MessageReader reader(engine_, messages, doc_.generation());
    const ReadOutcome outcome = reader.read();
    CItemArray& list = messages.list();
    if (list.dirty() && !list.save())
        engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
    return outcome;
}

RoomStep ForumService::handBack(int room, int number) {
    engine_.Send("SC" + std::to_string(number) + "\r");
    if (engine_.WaitForMenuPrompt() != result::Ok) return RoomStep::Stopped;
    OpenedList list(doc_, room);
    if (list) list->setLastNumber(number);
    return RoomStep::Done;
}

std::optional<RoomStep> ForumService::goInto(int room, bool stored, int* highest) {
    if (const result::Code reached = GoToPlace(room); reached != result::Ok) return stepOf(reached);
    switch (EnterRoom(room, stored, highest)) {
        case Entry::InRoom: return std::nullopt;
        case Entry::NoNew: return RoomStep::Done;
        case Entry::Failed: return RoomStep::Failed;
        case Entry::Stopped: break;
    }
    return RoomStep::Stopped;
}

RoomStep ForumService::ReadNew(int room) {
    const bool stored = fromStored(room);
    int highest = 0;
    if (const std::optional<RoomStep> outside = goInto(room, stored, &highest)) return *outside;
    RoomMessages messages(doc_, room);
    if (!messages) return RoomStep::Failed;
    const int lastRead = roomLastRead(doc_.tree().item(room));
    if (!stored) {
        engine_.Send("RB-\r");
        noteRead(room, ReadMessages(messages), true);
    } else if (lastRead < highest) {
        messages.list().setLastNumber(lastRead);
        doc_.tree().setFlags(room, ROOM_FLAG_FROM_STORED, 0);
        engine_.Send("RB" + std::to_string(lastRead + 1) + "-\r");
        noteRead(room, ReadMessages(messages), false);
    } else if (handBack(room, lastRead) != RoomStep::Done) {
        return RoomStep::Stopped;
    }
    if (engine_.result() != result::Ok) return RoomStep::Stopped;
    return navigator_.leaveRoom() == result::Ok ? RoomStep::Done : RoomStep::Stopped;
}

RoomStep ForumService::ReadLatestNumber(int room) {
    if (const std::optional<RoomStep> outside = goInto(room, false, nullptr)) return *outside;
    RoomMessages messages(doc_, room);
    if (!messages) return RoomStep::Failed;
    engine_.Send("RB-,1\r");
    const ReadOutcome outcome = ReadMessages(messages);
    noteRead(room, outcome, true);
    // The host's read position goes back to where it was handed last; when it never was,
    // it stays after the latest message.
    const int handed = messages.list().lastNumber();
    if (outcome.complete > 0 && handed >= 0 && handBack(room, handed) != RoomStep::Done)
        return RoomStep::Stopped;
    if (engine_.result() != result::Ok) return RoomStep::Stopped;
    return navigator_.leaveRoom() == result::Ok ? RoomStep::Done : RoomStep::Stopped;
}

RoomStep ForumService::ReadTitles(int room) {
    const ForumTexts& host = forumTexts();
    const bool stored = fromStored(room);
    int highest = 0;
    if (const std::optional<RoomStep> outside = goInto(room, stored, &highest)) return *outside;
    RoomMessages messages(doc_, room);
    if (!messages) return RoomStep::Failed;
    int lastRead = roomLastRead(doc_.tree().item(room));
    if (stored && lastRead >= highest) {
        if (handBack(room, lastRead) != RoomStep::Done) return RoomStep::Stopped;
        return navigator_.leaveRoom() == result::Ok ? RoomStep::Done : RoomStep::Stopped;
    }
    if (stored) {
        messages.list().setLastNumber(lastRead);
        doc_.tree().setFlags(room, ROOM_FLAG_FROM_STORED, 0);
        engine_.Send("TL" + std::to_string(lastRead + 1) + "\r");
    } else {
        engine_.Send("TL\r");
    }
    bool listing = false;
    bool linked = false;
    for (int pages = 1;;) {
        std::string line;
        const Waited<MenuRead> got = engine_.ReadMenuLine(line);
        if (!got || got.is(MenuRead::LastPage)) break;
        if (got.is(MenuRead::MorePages)) {
            if (++pages > kMaxTitlePages) {
                engine_.events().report(texts::kListCutShort, std::to_string(kMaxTitlePages));
                break;
            }
            engine_.Send("N\r");
            if (engine_.WaitFor("\r\n", false) != result::Ok) break;
            continue;
        }
        if (line == host.wrongCommand) {
            (void)engine_.WaitForMenuPrompt();
            break;
        }
        if (!listing) {
            listing = isTitlesHeading(line);
            continue;
        }
        const std::optional<TitleEntry> entry = parseTitleEntry(line);
        if (!entry) continue;
        std::string title = entry->title;
        const int target = ReplyNumberFromSubject(title);
        const RoomMessages::Result kept =
            messages.storeTitle(entry->number, entry->date, title, target, doc_.generation());
        if (kept.how == RoomMessages::Stored::Added)
            engine_.events().itemNotice(ItemNotice::of(ItemChange::Added, messages.list(), kept.index));
        linked = linked || kept.linked;
        lastRead = std::max(lastRead, entry->number);
    }
    CItemArray& list = messages.list();
    if (list.dirty() && !list.save())
        engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
    ReadOutcome outcome;
    outcome.lastNumber = lastRead;
    outcome.linked = linked;
    outcome.end = engine_.result() == result::Ok ? ReadOutcome::End::Prompt : ReadOutcome::End::RunOver;
    noteRead(room, outcome, !stored);
    if (engine_.result() != result::Ok) return RoomStep::Stopped;
    if (handBack(room, lastRead) != RoomStep::Done) return RoomStep::Stopped;
    return navigator_.leaveRoom() == result::Ok ? RoomStep::Done : RoomStep::Stopped;
}

}  // namespace morvaline
