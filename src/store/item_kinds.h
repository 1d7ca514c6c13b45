#pragma once
// Kind codes and flags of items (places and messages).

#include <cstdint>

namespace morvaline {

namespace kind {
// Places (containers).
inline constexpr int kRoot = -15;          // root of the place tree, "MAIN"
inline constexpr int kFolder = -1;         // plain folder
inline constexpr int kForum = -4;          // SIG forum, with a message area and a library area
inline constexpr int kForumArea = 0;       // a forum's message area
inline constexpr int kLibraryArea = 1;     // a forum's library (OSL) area
inline constexpr int kRoom = 2;            // numbered message room of a forum
inline constexpr int kLibrary = 3;         // one library of a forum
inline constexpr int kReceivedMail = 4;    // received mail, "MAIL"
inline constexpr int kSentMail = 5;        // mail written offline and sent mail, "MAIL"
inline constexpr int kTemplates = 6;       // "~MSGTMPL"
inline constexpr int kBilling = 7;         // "BILL3M"
inline constexpr int kNewNotices = 8;      // "NEW"
inline constexpr int kMailFolder = 9;      // user mail folder "~M%06d"
inline constexpr int kSentLog = 10;        // the host's sent list, "MAIL"
inline constexpr int kRoomGroup = 11;      // folder grouping rooms inside a forum's message area
inline constexpr int kBoard = 12;          // bulletin board
inline constexpr int kClub = 13;           // club, password in the code field
inline constexpr int kCircle = 14;         // circle, password in the code field
inline constexpr int kUnknownPlace = 15;   // place reached by a host path, "~U%06d"
inline constexpr int kNotices = 16;
inline constexpr int kClipping = 17;       // "CLIP"
inline constexpr int kIdMail = 18;         // mail to a particular ID
inline constexpr int kFavourites = -24;
inline constexpr int kFavouriteEntry = -25;
inline constexpr int kTrash = -28;         // "~TRASH"
// Messages (leaves).
inline constexpr int kTemplate = -16;
inline constexpr int kListRoot = -2;       // index 0 of a message list
// Written offline, waiting for the patrol.
inline constexpr int kNewMail = -6;         // a new mail or a reply
inline constexpr int kComment = -14;        // a message or comment of a room, board, club, circle
inline constexpr int kFileMail = -21;       // a mail that carries a file
inline constexpr int kUpload = -23;         // a library upload
inline constexpr int kForwardMail = -19;    // waits to be sent unless ITEM_FLAG_NOT_PENDING
inline constexpr int kShortcut = -26;
inline constexpr int kLibraryFileFirst = -10;  // -10 ... -7: library file entries
inline constexpr int kLibraryFileLast = -7;
inline constexpr int kReceivedMailMessage = -17;
inline constexpr int kForumMessage = -3;
inline constexpr int kSentMailMessage = -13;
inline constexpr int kAbsenceNotice = -18;
inline constexpr int kSentFileMail = -22;
inline constexpr int kSentListEntry = -27;
inline constexpr int kOtherMail = -20;

inline constexpr int kMin = -28;
inline constexpr int kMax = 18;

bool isPlace(int k);
bool isMessage(int k);
// Items written offline that wait for the patrol (kind -19 only without ITEM_FLAG_NOT_PENDING).
bool isOutgoing(int k, std::uint32_t flags);
// Places whose message list threads comments under their targets.
inline bool isThreaded(int k) { return k == kRoom || k == kBoard || k == kClub || k == kCircle; }
}  // namespace kind

inline constexpr std::uint32_t ITEM_FLAG_HELD = 0x1;
inline constexpr std::uint32_t ITEM_FLAG_READ = 0x2;
inline constexpr std::uint32_t ITEM_FLAG_DELETED = 0x4;
inline constexpr std::uint32_t ITEM_FLAG_LISTED = 0x8;
inline constexpr std::uint32_t ITEM_FLAG_FILE_MAIL = 0x20;
inline constexpr std::uint32_t ITEM_FLAG_SKIP_ONCE = 0x40;
inline constexpr std::uint32_t ITEM_FLAG_HAS_UNREAD = 0x100;
inline constexpr std::uint32_t ITEM_FLAG_HAS_RESERVED = 0x200;
inline constexpr std::uint32_t ITEM_FLAG_MARKED = 0x400;
inline constexpr std::uint32_t ITEM_FLAG_HAS_MARKED = 0x2000;
inline constexpr std::uint32_t ITEM_FLAG_HAS_OUTGOING = 0x4000;
inline constexpr std::uint32_t ITEM_FLAG_INTERNET = 0x8000;
inline constexpr std::uint32_t ITEM_FLAG_UUENCODED = 0x10000;
inline constexpr std::uint32_t ITEM_FLAG_FORBIDDEN = 0x20000;
inline constexpr std::uint32_t ITEM_FLAG_NOT_PENDING = 0x800000;
inline constexpr std::uint32_t ITEM_FLAG_MIME = 0x01000000;
inline constexpr std::uint32_t ITEM_FLAG_REFUSED = 0x02000000;
inline constexpr std::uint32_t ITEM_FLAG_HIDDEN_PLACE = 0x04000000;
inline constexpr std::uint32_t ITEM_FLAG_HIDDEN = 0x08000000;
inline constexpr std::uint32_t ITEM_FLAG_NO_LOGOUT = 0x10000000;  // on the root: the patrol stays logged in
inline constexpr std::uint32_t ITEM_FLAG_FETCH_MENU_MAP = 0x20000000;
inline constexpr std::uint32_t ITEM_FLAG_KEEP_NUMBER = 0x40000000;
inline constexpr std::uint32_t ITEM_FLAG_ROOT = 0x80000000;

}  // namespace morvaline
