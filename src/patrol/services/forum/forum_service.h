#pragma once
// The forum service of a patrol run, on the patrol thread. The walk hands it every forum
// (the message area of a SIG forum, kind 0); a visit goes to the forum when it or one of
// its rooms is due, refreshes the room list, and then, room by room, posts what was
// written offline, reads new messages, only their titles or only the latest number, and
// reads or deletes the single messages reserved for it. What it fetches goes into the
// rooms' lists; the item announcements carry the room's index in the tree as the array
// identifier.
//
// The methods are spread over forum_service.cpp (the visit), room_list.cpp (the room list
// refresh), room_reads.cpp (entering a room and the three ways of reading it) and
// room_items.cpp (posting, and the reserved single messages).

#include <map>
#include <optional>
#include <vector>

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"
#include "patrol/services/forum/message_reader.h"
#include "patrol/services/sig/sig_navigator.h"

namespace morvaline {

class CTolDoc;

// How a step of a room's visit ended.
enum class RoomStep {
    Done,         // the host did what was asked
    Failed,       // this room (or item) could not be served; the visit goes on
    Unreachable,  // the forum could not be reached: the visit ends, the walk goes on
    Stopped,      // the run is over
};

class ForumService final : public PlaceService {
public:
    // Actions of a room's reservation.
    static constexpr int kReadNew = 0x10;
    static constexpr int kLatestOnly = 0x20;
    static constexpr int kTitlesOnly = 0x40;
    // Reservations of single messages in a room (a post waits with kReservePost).
    static constexpr int kReserveRead = 2;
    static constexpr int kReserveDelete = 7;
    // Pages of a titles list read at most; the list ends there with a warning.
    static constexpr int kMaxTitlePages = 10000;

    // Patrol thread; the engine and the document outlive the service (one run).
    ForumService(CPatrolEngine& engine, CTolDoc& doc);

    bool serves(int kind) const override;
    // The forum's own reservation and those of its rooms are checked here.
    void reach(int place, PatrolWalk& walk) override;

private:
    // --- forum_service.cpp ---
    void ServeForum(int forum, PatrolWalk& walk);
    // Logs the first room entered in a visit.
    void greet(int room);
    AreaMenus forumMenus() const;
    result::Code GoToPlace(int place) { return navigator_.GoToPlace(place, forumMenus()); }
    // What a read brought: the room's highest number, links, whether the next read must
    // start from the stored number, and (unless only single messages were read) the
    // room's last-read number.
    void noteRead(int room, const ReadOutcome& outcome, bool fromHost, bool raiseLastRead = true);

    // --- room_list.cpp ---
    // Reads the forum's menu (and the menus of its folders) and brings the rooms of the
    // tree in step: all of them when whole, else only the due ones. The highest numbers
    // listed, by room; empty when the menu could not be read.
    std::optional<std::map<int, int>> refreshRooms(int forum, bool whole,
                                                   const std::vector<int>& dueRooms);

    // --- room_reads.cpp ---
    enum class Entry { InRoom, NoNew, Failed, Stopped };
    // Enters a room at the room's menu from the host's read position or the stored one;
    // the stored way also learns the room's highest number.
    Entry EnterRoom(int room, bool stored, int* highest);
    // To the room's menu and into the room; none when in it, else how the step ends.
    std::optional<RoomStep> goInto(int room, bool stored, int* highest);
    bool fromStored(int room) const;
    RoomStep ReadNew(int room);
    RoomStep ReadLatestNumber(int room);
    RoomStep ReadTitles(int room);
    // Reads the messages that a read command shows, into the room's list.
    ReadOutcome ReadMessages(RoomMessages& messages);
    // Hands a read position back to the host ("SC"), waits for the room's prompt and keeps
    // the number in the room's list.
    RoomStep handBack(int room, int number);

    // --- room_items.cpp ---
    // Posts the reserved messages and comments of the room; true when any was registered.
    bool PostReserved(int room);
    RoomStep postOne(CItemArray& list, int room, int index, bool first);
    // Reads and deletes the single messages reserved in the room.
    RoomStep ReadReservedMessages(int room);
    RoomStep deleteOne(CItemArray& list, int index);
    // Enters the room from the stored position for single messages; false when it cannot.
    bool enterForItems(int room);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    SigNavigator navigator_;
    bool greeted_ = false;  // "ﾌｫｰﾗﾑ '%1' へ移動しました" was logged in this visit
};

}  // namespace morvaline
