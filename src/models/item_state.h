#pragma once
// The states of a place or a message that the views show by icon and font, as bits of the
// models' StateRole.

namespace morvaline::itemstate {

inline constexpr int kUnread = 0x1;
inline constexpr int kNew = 0x2;
inline constexpr int kMarked = 0x4;
inline constexpr int kReserved = 0x8;
inline constexpr int kOutgoing = 0x10;  // being written, waits for the patrol
inline constexpr int kDeleted = 0x20;
inline constexpr int kHeld = 0x40;
inline constexpr int kHasUnread = 0x80;  // a place whose list holds unread messages
inline constexpr int kHasMarked = 0x100;
inline constexpr int kHasOutgoing = 0x200;
inline constexpr int kHidden = 0x400;  // a place with the hidden attribute

}  // namespace morvaline::itemstate
