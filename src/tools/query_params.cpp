#include "tools/query_params.h"

#include <algorithm>

#include "store/item.h"
#include "store/item_array.h"
#include "platform/text_codec.h"
#include "store/texts.h"

namespace morvaline {

const std::array<std::string_view, kQueryKinds> kQueryKindTexts = {
    "すべてのﾒｯｾｰｼﾞ", "作文中のﾒｯｾｰｼﾞ", "受信したﾒｰﾙ", "不在通知", "送信済のﾒｰﾙ",
    "ﾒｰﾙ送信簿", "SIGﾌｫｰﾗﾑ", "SIG OSL", "ｸﾗﾌﾞ", "ｻｰｸﾙ", "お知らせ", "利用料金明細",
    "掲示板", "ﾃﾝﾌﾟﾚｰﾄ",
};

namespace {

constexpr int kMaxMonths = 1200;
constexpr int kMaxDays = 36500;

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

FileTime monthsBack(FileTime now, int months) {
    LocalTimeFields f = fieldsFromFileTime(now);
    const int total = f.year * 12 + (f.month - 1) - months;
    f.year = total / 12;
    f.month = total % 12 + 1;
    f.day = std::min(f.day, daysInMonth(f.year, f.month));
    // Before the first representable year nothing is older.
    return fileTimeFromFields(f).value_or(0);
}

}  // namespace

QueryBounds queryBounds(const QueryParams& params, FileTime now) {
    QueryBounds b;
    switch (params.dates) {
    case QueryDates::All:
        break;
    case QueryDates::Range:
        b.from = params.fromDate;
        b.to = params.toDate + kTicksPerDay - 1;
        break;
    case QueryDates::MonthsBack:
        b.from = monthsBack(now, params.months);
        break;
    case QueryDates::DaysBack:
        b.from = now - static_cast<FileTime>(params.days) * kTicksPerDay;
        break;
    }
    return b;
}

std::optional<std::string> validateQuery(const QueryParams& params, const CItemArray& tree) {
    if (!tree.valid(params.startPlace)) return textSjis(texts::kQueryNoPlace);
    if (params.dates == QueryDates::Range && params.fromDate > params.toDate)
        return textSjis(texts::kQueryDatesReversed);
    if (params.dates == QueryDates::MonthsBack && (params.months < 1 || params.months > kMaxMonths))
        return formatText(texts::kQueryCountOutOfRange, sj("月数"), std::to_string(kMaxMonths));
    if (params.dates == QueryDates::DaysBack && (params.days < 1 || params.days > kMaxDays))
        return formatText(texts::kQueryCountOutOfRange, sj("日数"), std::to_string(kMaxDays));
    return std::nullopt;
}

std::optional<int> queryPlaceKind(QueryKind k) {
    switch (k) {
    case QueryKind::Forums: return kind::kRoom;
    case QueryKind::Libraries: return kind::kLibrary;
    case QueryKind::Clubs: return kind::kClub;
    case QueryKind::Circles: return kind::kCircle;
    case QueryKind::Notices: return kind::kNewNotices;
    case QueryKind::Billing: return kind::kBilling;
    case QueryKind::Boards: return kind::kBoard;
    default: return std::nullopt;
    }
}

bool queryKindAccepts(QueryKind k, const CItem& item) {
    const int n = item.m_nKind;
    switch (k) {
    case QueryKind::BeingWritten: return kind::isOutgoing(n, item.m_dwFlags);
    case QueryKind::ReceivedMail: return n == kind::kReceivedMailMessage;
    case QueryKind::AbsenceNotices: return n == kind::kAbsenceNotice;
    case QueryKind::SentMail:
        return n == kind::kSentFileMail || n == kind::kOtherMail || n == kind::kSentMailMessage;
    case QueryKind::SentList: return n == kind::kSentListEntry;
    case QueryKind::Templates: return n == kind::kTemplate;
    default: return true;
    }
}

}  // namespace morvaline
