#pragma once
// What a forum room (a place of kind 2) keeps for the patrol: its last-read message number
// (raised as messages are stored) in its target field, the highest message number known
// on the host in its size field, and a flag that makes the next read start from the
// stored number instead of the host's read position. Its message list keeps the number
// last handed back to the host as the host's read position (CItemArray::lastNumber).

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/item.h"

namespace morvaline {

// Rooms numbered above this are not served by the walk.
inline constexpr int kHighestServedRoom = 20;
// On a room: read from the stored last-read number next time (the flag's bit is the
// skip-once bit of reserved items).
inline constexpr std::uint32_t ROOM_FLAG_FROM_STORED = ITEM_FLAG_SKIP_ONCE;

inline int roomLastRead(const CItem& room) { return std::max(0, room.m_nTarget); }
inline int roomHighest(const CItem& room) { return std::max(0, room.m_nSize); }

class CItemArray;

// The host path of a SIG area (the message or library area of a SIG forum, kinds 0 and 1):
// its own path, else that of its SIG forum, else its ID: the SIG's code and the menu
// numbers that lead to it ("PCSIG/3", or "PCSIG/2/3" with a group's number first).
std::string sigAreaPath(const CItemArray& tree, int area);

// Adds a SIG forum (kind -4, with its message area "ﾌｫｰﾗﾑ" and library area "OSL") under
// parent, reached by the SIG's code and its numbers in the SIG's menus; its ID and path
// are the code and the numbers joined by "/". The title, when empty, is that path. The
// forum's index, or -1 when the code is not 1 to 8 letters or digits or a number is not
// 1 to 999.
int addSigForum(CItemArray& tree, int parent, std::string_view code, const std::vector<int>& numbers,
                std::string_view title);

// Adds the room (kind 2), or the folder of rooms (kind 11), numbered number to a forum's
// message area or a folder of it (a library section, kind 3, to a library area or a folder
// of it), with the area's ID and SIG code and the path of its menu
// followed by its number; -1 when the number is not 1 to 999, the menu is no forum's or
// it has that entry already.
int addRoom(CItemArray& tree, int areaOrFolder, int number, std::string_view title,
            int placeKind = kind::kRoom);

}  // namespace morvaline
