#include "patrol/services/forum/forum_lines.h"

#include <charconv>

#include "patrol/engine/host_text.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_trim.h"
#include "store/host_date.h"
#include "store/host_lines.h"
#include "store/item.h"

namespace morvaline {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number of a run of digits, none when it is empty or does not fit an int.
std::optional<int> decimal(std::string_view digits) {
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return {};
    return value;
}

std::size_t digitsAt(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    while (end < s.size() && isDigit(s[end])) ++end;
    return end - pos;
}

// The length of the date that begins a line of a titles list: year, month and day
// separated by "/", a month or day padded with a blank ("99/ 1/ 5"), and the time when one
// follows ("99/12/05 10:30"); 0 when the text does not begin with a date. The title may
// follow after a single blank.
std::size_t dateLength(std::string_view s) {
    std::size_t i = digitsAt(s, 0);
    if (i == 0 || i > 4) return 0;
    for (int field = 0; field < 2; ++field) {  // the month, then the day
        if (i >= s.size() || s[i] != '/') return 0;
        const std::size_t from = ++i;
        if (i < s.size() && s[i] == ' ') ++i;
        const std::size_t d = digitsAt(s, i);
        if (d == 0 || i + d - from > 2) return 0;
        i += d;
    }
    std::size_t t = i;
    while (t < s.size() && s[t] == ' ') ++t;
    const std::size_t hour = digitsAt(s, t);
    if (hour == 0 || hour > 2 || t + hour >= s.size() || s[t + hour] != ':') return i;
    t += hour + 1;
    if (digitsAt(s, t) != 2) return i;
    t += 2;
    if (t + 3 <= s.size() && s[t] == ':' && digitsAt(s, t + 1) == 2) t += 3;
    return t == s.size() || s[t] == ' ' ? t : i;
}

// The number inside a room's brackets: half- or full-width digits.
std::optional<int> bracketedNumber(std::string_view inside) {
    std::string digits;
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const auto c = static_cast<unsigned char>(inside[i]);
        const auto next = i + 1 < inside.size() ? static_cast<unsigned char>(inside[i + 1]) : 0;
        if (isDigit(inside[i])) {
            digits += inside[i];
        } else if (c == 0x82 && next >= 0x4F && next <= 0x58) {  // full-width 0 ... 9
            digits += static_cast<char>('0' + next - 0x4F);
            ++i;
        } else {
            return {};
        }
    }
    return decimal(digits);
}

}  // namespace

std::optional<TagLine> parseTagLine(std::string_view line) {
    if (line.empty() || line[0] != '#') return {};
    const std::size_t digits = digitsAt(line, 1);
    const auto number = decimal(line.substr(1, digits));
    if (!number || *number <= 0) return {};
    TagLine tag;
    tag.number = *number;
    const std::size_t slash = 1 + digits;
    if (slash < line.size() && line[slash] == '/') {
        const auto highest = decimal(line.substr(slash + 1, digitsAt(line, slash + 1)));
        if (highest) {
            tag.highest = *highest;
            tag.fullForm = true;
        }
    }
    return tag;
}

std::optional<MessageHeader> parseMessageHeader(std::string_view line) {
    constexpr std::size_t kIdAt = 12, kIdLength = 8, kDateAt = 23, kDateLength = 15;
    constexpr std::size_t kCommentsAt = 41, kCommentsLength = 3, kCommentsLineMin = 45;
    if (!isTitleLine(line)) return {};
    MessageHeader header;
    const std::string_view id = trimBlanks(textFrom(line, kIdAt, kIdLength));
    header.senderId = std::string(id.substr(0, id.find(')')));
    header.date = parseHostDate(trimBlanks(textFrom(line, kDateAt, kDateLength)), hostdate::kDateOnly);
    if (line.size() >= kCommentsLineMin) {
        if (const auto count = decimal(trimBlanks(textFrom(line, kCommentsAt, kCommentsLength))))
            header.comments = *count;
    }
    return header;
}

TitleLine splitTitleLine(std::string_view line) {
    static const std::string kWideSlash = sj("／"), kWideBlank = sj("　");
    // The last separator, found walking whole characters.
    std::size_t cut = std::string_view::npos, after = 0;
    for (std::size_t i = 0; i < line.size();) {
        const bool lead = isSjisLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        const std::string_view ch = line.substr(i, lead ? 2 : 1);
        if (ch == " " || ch == kWideBlank || ch == kWideSlash) {
            cut = i;
            after = i + ch.size();
        }
        i += ch.size();
    }
    TitleLine result;
    if (cut == std::string_view::npos) {
        result.title = std::string(trimBlanks(line));
        return result;
    }
    result.title = std::string(trimBlanks(line.substr(0, cut)));
    result.handle = std::string(trimBlanks(line.substr(after)));
    if (result.title.empty()) result.title = result.handle;
    return result;
}

std::vector<MenuRoom> parseMenuRooms(std::string_view line) {
    static const std::string kTalk = sj("ＯＬＴ＋（＊）");
    static const std::string kWideOpen = sj("［"), kWideClose = sj("］");
    static const std::string kWideArrow = sj("＞");
    std::vector<MenuRoom> rooms;
    for (const NumberedEntry& entry : menuEntries(line)) {
        if (!entry.number || *entry.number <= 0) continue;
        MenuRoom room;
        room.number = *entry.number;
        std::string_view text = trimBlanks(entry.text);
        // "[  123]" or "［１２３］" at the end: the room's highest message number.
        for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"[", "]"},
                                          {kWideOpen, kWideClose}}) {
            if (!text.ends_with(close)) continue;
            const std::size_t at = text.rfind(open);
            if (at == std::string_view::npos) break;
            const std::size_t from = at + open.size();
            if (const auto highest =
                    bracketedNumber(trimBlanks(text.substr(from, text.size() - close.size() - from)))) {
                room.highest = *highest;
                text = trimBlanks(text.substr(0, at));
            }
            break;
        }
        if (room.highest < 0) {
            room.kind = text == kTalk ? MenuRoom::Kind::Talk : MenuRoom::Kind::Folder;
            // A folder may point on to its menu with arrows.
            while (text.ends_with(">") || text.ends_with(kWideArrow)) {
                text.remove_suffix(text.ends_with(">") ? 1 : kWideArrow.size());
                text = trimBlanks(text);
            }
        }
        room.name = sjisBoundedCopy(text, kTitleSize - 1);
        rooms.push_back(std::move(room));
    }
    return rooms;
}

bool isTitlesHeading(std::string_view line) {
    static const std::string kHeading = sj("番号　登録日付　タイトル　総数：");
    return line.starts_with(kHeading);
}

std::optional<TitleEntry> parseTitleEntry(std::string_view line) {
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const std::size_t digits = digitsAt(line, pos);
    const auto number = decimal(line.substr(pos, digits));
    pos += digits;
    if (!number || *number <= 0 || pos >= line.size() || line[pos] != ' ') return {};
    const std::string_view rest = trimBlanks(line.substr(pos));
    const std::size_t length = dateLength(rest);
    TitleEntry entry;
    entry.number = *number;
    entry.date = length ? parseHostDate(rest.substr(0, length)) : 0;
    if (entry.date == 0) return {};
    entry.title = sjisBoundedCopy(trimBlanks(rest.substr(length)), kTitleSize - 1);
    return entry;
}

std::optional<int> statusHighest(std::string_view text) {
    constexpr int kMaxHighest = 99'999;
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return {};
    const auto highest = decimal(text.substr(slash + 1, digitsAt(text, slash + 1)));
    if (!highest || *highest < 1 || *highest > kMaxHighest) return {};
    return highest;
}

}  // namespace morvaline
