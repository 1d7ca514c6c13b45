#include "patrol/services/forum/forum_lines.h"

#include <charconv>

#include "patrol/engine/host_text.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/host_date.h"
#include "store/host_lines.h"
#include "store/item.h"

namespace morvaline {
namespace {

const std::string& wideBlank() {
    static const std::string text = sj("　");
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, tabs and full-width blanks removed from both ends.
std::string_view trimBlanks(std::string_view s) {
    for (;;) {
        if (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        else if (s.starts_with(wideBlank())) s.remove_prefix(wideBlank().size());
        else break;
    }
    for (;;) {
        if (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
            s.remove_suffix(1);
        else if (s.size() >= 2 && s.ends_with(wideBlank()) &&
                 sjisCutLength(s, s.size() - 2) == s.size() - 2)
            s.remove_suffix(wideBlank().size());
        else break;
    }
    return s;
}

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

// The bytes [pos, pos + length) of a line, as far as the line reaches.
std::string_view field(std::string_view line, std::size_t pos, std::size_t length) {
    return pos < line.size() ? line.substr(pos, length) : std::string_view();
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
    const std::string_view id = trimBlanks(field(line, kIdAt, kIdLength));
    header.senderId = std::string(id.substr(0, id.find(')')));
    header.date = parseHostDate(trimBlanks(field(line, kDateAt, kDateLength)), hostdate::kDateOnly);
    if (line.size() >= kCommentsLineMin) {
        if (const auto count = decimal(trimBlanks(field(line, kCommentsAt, kCommentsLength))))
            header.comments = *count;
    }
    return header;
}

TitleLine splitTitleLine(std::string_view line) {
    static const std::string kWideSlash = sj("／");
    // The last separator, found walking whole characters.
    std::size_t cut = std::string_view::npos, after = 0;
    for (std::size_t i = 0; i < line.size();) {
        const bool lead = isSjisLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        const std::string_view ch = line.substr(i, lead ? 2 : 1);
        if (ch == " " || ch == wideBlank() || ch == kWideSlash) {
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
    // The date runs up to two blanks (a date may hold one blank, as in "99/ 1/ 5").
    const std::string_view rest = trimBlanks(line.substr(pos));
    const std::size_t gap = rest.find("  ");
    TitleEntry entry;
    entry.number = *number;
    entry.date = parseHostDate(rest.substr(0, gap), hostdate::kDateOnly);
    if (entry.date == 0) return {};
    if (gap != std::string_view::npos)
        entry.title = sjisBoundedCopy(trimBlanks(rest.substr(gap)), kTitleSize - 1);
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
