#pragma once
// What a query searches for: the values of the query sheet's three pages (word, dates,
// kind), the start place, and the bounds of time that the dates give.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace morvaline {

class CItem;
class CItemArray;

// The kind list of the kind page, by index.
enum class QueryKind : int {
    All = 0,
    BeingWritten = 1,  // items waiting to be sent
    ReceivedMail = 2,
    AbsenceNotices = 3,
    SentMail = 4,
    SentList = 5,
    Forums = 6,
    Libraries = 7,
    Clubs = 8,
    Circles = 9,
    Notices = 10,
    Billing = 11,
    Boards = 12,
    Templates = 13,
};
inline constexpr int kQueryKinds = 14;
// The kind list's texts ("すべてのﾒｯｾｰｼﾞ" ...), UTF-8, by index.
extern const std::array<std::string_view, kQueryKinds> kQueryKindTexts;

// The date page's modes.
enum class QueryDates : int {
    All = 0,       // すべてのﾒｯｾｰｼﾞ
    Range = 1,     // 日付指定: from date to date, both days included
    MonthsBack = 2,
    DaysBack = 3,
};

// The parts of a message that the word is looked for in. The sheet searches the title and
// the body, or with "題名のみ検索" the title only; the command line can name the sender too
// (its ID, handle and address).
namespace queryfield {
inline constexpr unsigned kTitle = 1;
inline constexpr unsigned kBody = 2;
inline constexpr unsigned kSender = 4;
}  // namespace queryfield

struct QueryParams {
    std::string word;  // Shift_JIS; empty matches every message
    bool subfolders = true;
    unsigned fields = queryfield::kTitle | queryfield::kBody;
    bool caseSensitive = false;
    QueryDates dates = QueryDates::All;
    FileTime fromDate = 0, toDate = 0;  // local dates (their midnights) of a range
    int months = 1, days = 1;
    QueryKind kind = QueryKind::All;
    int startPlace = 0;  // index in the place tree
};

// The window of dates a query accepts; an item without a date is never excluded.
struct QueryBounds {
    std::optional<FileTime> from, to;
};
// The bounds of the date page at the local time now: a range ends at the end of its last
// day; months back keep the day and the time of day, the day clamped to the length of the
// month reached (31 March three months back is 31 December, 31 May is 28 or 29 February).
QueryBounds queryBounds(const QueryParams& params, FileTime now);

// Why the sheet's values cannot start a query (Shift_JIS), or nothing.
std::optional<std::string> validateQuery(const QueryParams& params, const CItemArray& tree);

// The place kind a query kind restricts the search to, or nothing when it searches all.
std::optional<int> queryPlaceKind(QueryKind kind);
// The item test of a query kind.
bool queryKindAccepts(QueryKind kind, const CItem& item);

}  // namespace morvaline
