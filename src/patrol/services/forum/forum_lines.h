#pragma once
// The lines of the host's forum screens, read one at a time: the tag line and the header
// line that begin a message, the title line with the sender's handle, the entries of a
// forum menu, the lines of a titles list and the status line of a room. Fields at fixed
// byte positions are read only when the line is long enough; a number that does not fit
// an int counts as absent. Pure functions over Shift_JIS bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"

namespace morvaline {

// "#12/30" (the message number and the room's highest number) or "#12" alone, as the first
// line of a message; whatever follows the digits (a comment marker, text) is not read.
struct TagLine {
    int number = 0;
    int highest = 0;        // 0 when the line has no "/" and a number after it
    bool fullForm = false;  // "#n/m"
};
std::optional<TagLine> parseTagLine(std::string_view line);

// "★タイトル (ID)": the sender ID at byte 12 (8 bytes), the date at byte 23 (15 bytes, the
// time after it not read) and, when the line is at least 45 bytes long, the number of
// comments in the 3 bytes at 41.
struct MessageHeader {
    std::string senderId;
    FileTime date = 0;  // 0 when absent or not a date
    int comments = -1;  // -1 when the line does not carry it
};
std::optional<MessageHeader> parseMessageHeader(std::string_view line);

// The line after the header: the title, then after the last blank, full-width blank or
// full-width slash the sender's handle. Without a separator the whole line is the title;
// an empty title takes the handle's place.
struct TitleLine {
    std::string title;
    std::string handle;
};
TitleLine splitTitleLine(std::string_view line);

// One entry of a forum (or folder) menu: a full-width number and "．", the name, and the
// room's highest message number in square brackets at its end. An entry without that
// number opens a further menu (a folder); "ＯＬＴ＋（＊）" is no room at all.
struct MenuRoom {
    enum class Kind { Room, Folder, Talk };
    int number = 0;
    std::string name;  // at most 72 bytes
    int highest = -1;  // -1 for a folder or talk
    Kind kind = Kind::Room;
};
// The entries of one line of a menu (one or several side by side).
std::vector<MenuRoom> parseMenuRooms(std::string_view line);

// The heading of a titles list ("番号　登録日付　タイトル　総数：" and the count).
bool isTitlesHeading(std::string_view line);
// A line of a titles list: the number, the date (with its time when one is shown) and the
// title, separated by one blank or more.
struct TitleEntry {
    int number = 0;
    FileTime date = 0;
    std::string title;
};
std::optional<TitleEntry> parseTitleEntry(std::string_view line);

// The room's highest message number from the status line that entering it from the stored
// position shows ("#120/456　name", read up to the full-width blank): the number after "/"
// when it lies between 1 and 99,999.
std::optional<int> statusHighest(std::string_view text);

}  // namespace morvaline
