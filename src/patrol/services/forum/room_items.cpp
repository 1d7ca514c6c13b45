// The items of a room that wait for the patrol: messages and comments written offline
// (reservation 6), and single messages reserved for reading (2) or deleting (7).
//
// A post counts as posted only when the host registered it (posting/post_writer.h). A single
// message's reservation is cleared only when the host answered it.

#include <algorithm>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/forum/forum_service.h"
#include "patrol/services/forum/forum_texts.h"
#include "patrol/services/posting/post_writer.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/outgoing_mail.h"

namespace morvaline {
bool ForumService::PostReserved(int room) {
    OpenedList list(doc_, room, false);
    if (!list) return false;
    bool posted = false;
    bool tried = false;
    for (const int index : reservedItems(*list, kind::kComment, {kReservePost})) {
        if (engine_.result() != result::Ok) break;
        const RoomStep step = postOne(*list, room, index, !tried);
        tried = true;
        if (step == RoomStep::Done) posted = true;
        if (step == RoomStep::Stopped || step == RoomStep::Unreachable) break;
    }
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
    if (tried && engine_.result() == result::Ok) navigator_.leaveRoom();
    return posted;
}

RoomStep ForumService::postOne(CItemArray& list, int room, int index, bool first) {
    const ForumTexts& host = forumTexts();
    const std::string title = postTitle(list, index);
    if (first || !navigator_.inRoom(room)) {
        if (const result::Code reached = GoToPlace(room); reached != result::Ok)
            return reached == result::PlaceFailed ? RoomStep::Unreachable : RoomStep::Stopped;
        engine_.Send("W" + std::to_string(doc_.tree().item(room).m_nNumber) + "\r");
    } else {
        engine_.Send("W\r");
    }
    const auto opened = engine_.WaitForScreen(host.writer);
    if (!opened) return RoomStep::Stopped;
    if (opened.is(ForumTexts::Writer::Refused)) {
        engine_.events().report(texts::kNotPosted, title);
        return engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok ? RoomStep::Stopped
                                                                             : RoomStep::Failed;
    }
    navigator_.enteredRoom(room);
    greet(room);
    switch (WritePost(engine_, doc_, list, room, index, host.afterPost)) {
        case PostEnd::Posted: return RoomStep::Done;
        case PostEnd::Cancelled: return RoomStep::Failed;
        case PostEnd::Stopped: break;
    }
    return RoomStep::Stopped;
}

bool ForumService::enterForItems(int room) {
    const ForumTexts& host = forumTexts();
    engine_.Send("SC" + std::to_string(doc_.tree().item(room).m_nNumber) + "\r");
    std::string shown;
    if (engine_.CaptureUntil(menuTexts().promptLine, shown) != result::Ok ||
        engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok)
        return false;
    if (shown.find(host.wrongCommand) != std::string::npos) return false;
    navigator_.enteredRoom(room);
    greet(room);
    return true;
}

RoomStep ForumService::ReadReservedMessages(int room) {
    OpenedList list(doc_, room, false);
    if (!list) return RoomStep::Done;
    bool entered = false;
    bool readAny = false;
    RoomStep step = RoomStep::Done;
    for (const int index : reservedItems(*list, kind::kForumMessage, {kReserveRead, kReserveDelete})) {
        if (engine_.result() != result::Ok) break;
        if (!entered) {
            if (const result::Code reached = GoToPlace(room); reached != result::Ok)
                return reached == result::PlaceFailed ? RoomStep::Unreachable : RoomStep::Stopped;
            if (!enterForItems(room)) {
                step = engine_.result() == result::Ok ? RoomStep::Failed : RoomStep::Stopped;
                break;
            }
            entered = true;
        }
        const CItem item = list->item(index);
        if (item.m_nReserve == kReserveDelete) {
            if (deleteOne(*list, index) == RoomStep::Stopped) break;
            continue;
        }
        RoomMessages messages(doc_, room);
        engine_.Send("RB" + std::to_string(item.m_nNumber) + "\r");
        const ReadOutcome outcome = ReadMessages(messages);
        // A single message leaves the room's last-read number alone: the host's read
        // position is handed back below.
        noteRead(room, outcome, true, false);
        if (outcome.end == ReadOutcome::End::RunOver) break;
        list->setReserve(index, -1);
        engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, *list, index));
        if (outcome.complete > 0) readAny = true;
        else engine_.events().report(texts::kMessageNotFound, item.m_szTitle.view());
    }
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
    if (engine_.result() != result::Ok) return RoomStep::Stopped;
    if (!entered) return step;
    const int handed = list->lastNumber();
    if (readAny && handed >= 0 && handBack(room, handed) != RoomStep::Done) return RoomStep::Stopped;
    return navigator_.leaveRoom() == result::Ok ? step : RoomStep::Stopped;
}

RoomStep ForumService::deleteOne(CItemArray& list, int index) {
    const ForumTexts& host = forumTexts();
    const CItem item = list.item(index);
    engine_.Send("D" + std::to_string(item.m_nNumber) + "\r");
    const auto asked = engine_.WaitForScreen(host.deleteAsked);
    if (!asked) return RoomStep::Stopped;
    bool deleted = false;
    if (asked.is(ForumTexts::DeleteAsked::Question)) {
        engine_.Send("Y\r");
        const auto answer = engine_.WaitForScreen(host.deleteAnswer);
        if (!answer) return RoomStep::Stopped;
        deleted = !answer.is(ForumTexts::DeleteAnswer::CommandWrong) &&
                  !answer.is(ForumTexts::DeleteAnswer::NotRegistered);
    }
    // The host answered: the reservation has done its work either way.
    list.setReserve(index, -1);
    if (deleted) list.setFlags(index, ITEM_FLAG_DELETED, ITEM_FLAG_DELETED);
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    if (deleted) return RoomStep::Done;
    engine_.events().report(texts::kMessageNotDeleted, item.m_szTitle.view());
    return engine_.WaitForMenuPrompt() != result::Ok ? RoomStep::Stopped : RoomStep::Failed;
}

}  // namespace morvaline
