#include "patrol/services/forum/forum_service.h"

#include <algorithm>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/forum/forum_texts.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/opened_list.h"

namespace morvaline {

ForumService::ForumService(CPatrolEngine& engine, CTolDoc& doc)
    : engine_(engine), doc_(doc), navigator_(engine, doc) {}

bool ForumService::serves(int kind) const { return kind == kind::kForumArea; }

void ForumService::reach(int place, PatrolWalk& walk) { ServeForum(place, walk); }

AreaMenus ForumService::forumMenus() const {
    const ForumTexts& host = forumTexts();
    return {{host.forumPrompt, host.folderOnlyPrompt}, menuTexts().pressReturn, &texts::kForumNotReached};
}

void ForumService::greet(int room) {
    if (greeted_) return;
    greeted_ = true;
    engine_.events().report(texts::kMovedToForum, doc_.tree().item(room).m_szTitle.view());
    engine_.events().activity(Animation::Forum);
}

void ForumService::noteRead(int room, const ReadOutcome& outcome, bool fromHost, bool raiseLastRead) {
    CItemArray& tree = doc_.tree();
    const CItem place = tree.item(room);
    bool changed = false;
    if (raiseLastRead && outcome.lastNumber > roomLastRead(place)) {
        tree.setTarget(room, outcome.lastNumber);
        changed = true;
    }
    const int highest = std::max(outcome.highest, outcome.lastNumber);
    if (highest > roomHighest(place) || (outcome.highest > 0 && outcome.highest != roomHighest(place))) {
        tree.setSize(room, outcome.highest > 0 ? outcome.highest : highest);
        changed = true;
    }
    // The host moved its read position past a message that was not stored: the next read
    // starts from the number stored here.
    if (fromHost && outcome.end == ReadOutcome::End::RunOver) {
        tree.setFlags(room, ROOM_FLAG_FROM_STORED, ROOM_FLAG_FROM_STORED);
        changed = true;
    }
    if (changed) engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree, room));
    if (outcome.linked) engine_.events().commentsLinked(place.m_nSerial);
}

void ForumService::ServeForum(int forum, PatrolWalk& walk) {
    greeted_ = false;
    navigator_.lost();
    const bool forumDue = walk.isDue(forum, false).due;
    // Every room's reservation is checked once, before the room list changes the tree.
    std::map<int, DueCheck> due;
    std::vector<int> dueRooms;
    for (const int room : placesBelow(doc_.tree(), forum, kind::kRoom)) {
        due[room] = walk.isDue(room, false);
        if (due[room].due) dueRooms.push_back(room);
    }
    std::optional<std::map<int, int>> listed;
    if (forumDue || !dueRooms.empty()) {
        listed = refreshRooms(forum, forumDue, dueRooms);
        if (engine_.result() != result::Ok) return;
        if (!listed) {
            navigator_.leaveArea();
            return;
        }
    }
    const bool useHost = doc_.settings().useHostReadPosition != 0;
    for (const int room : placesBelow(doc_.tree(), forum, kind::kRoom)) {
        if (engine_.result() != result::Ok) return;
        const CItem place = doc_.tree().item(room);
        if (place.m_nNumber <= 0 || place.m_nNumber > kHighestServedRoom) continue;
        const bool posted = place.hasFlag(ITEM_FLAG_HAS_RESERVED) && PostReserved(room);
        RoomStep step = RoomStep::Done;
        const auto it = due.find(room);
        if (it != due.end() && it->second.due) {
            // With the host's read position the room list tells which rooms wait.
            const bool nothingNew = useHost && listed && listed->contains(room) &&
                                    listed->at(room) <= roomLastRead(doc_.tree().item(room));
            const int flags = it->second.flags;
            if (!nothingNew || posted) {
                if (flags & kTitlesOnly) step = ReadTitles(room);
                else if (flags & kReadNew) step = ReadNew(room);
                else if (flags & kLatestOnly) step = ReadLatestNumber(room);
            }
        }
        if (step == RoomStep::Unreachable || engine_.result() != result::Ok) break;
        if (doc_.tree().item(room).hasFlag(ITEM_FLAG_HAS_RESERVED) &&
            ReadReservedMessages(room) == RoomStep::Unreachable)
            break;
    }
    if (engine_.result() == result::Ok) navigator_.leaveArea();
}

}  // namespace morvaline
