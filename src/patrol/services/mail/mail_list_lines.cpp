#include "patrol/services/mail/mail_list_lines.h"

#include "patrol/services/mail/mail_texts.h"
#include "platform/ascii_digits.h"
#include "platform/sjis.h"
#include "platform/text_trim.h"
#include "store/host_date.h"
#include "store/item.h"

namespace morvaline {
namespace {

constexpr std::size_t kNumberWidth = 4;
constexpr std::size_t kDateAt = 5;
constexpr std::size_t kDateWidth = 8;
constexpr std::size_t kStateAt = 13;
constexpr std::size_t kSenderAt = 29;
constexpr std::size_t kNameAt = 42;
constexpr std::size_t kIdWidth = 8;
constexpr std::size_t kFileMarkAt = 5;
constexpr std::size_t kFileSubjectAt = 11;
constexpr std::size_t kSubjectAt = 12;
constexpr std::size_t kContinuationAt = 9;
constexpr std::size_t kConfirmationAt = 15;
constexpr std::size_t kConfirmationWidth = 14;
constexpr std::size_t kAddresseeAt = 31;

// One run of digits among blanks ("   7", "7   ", " 12 ", "0007"); -1 when the field is
// anything else or has no digit.
int fieldNumber(std::string_view field) {
    int value = -1;
    bool ended = false;  // blanks came after the digits
    for (const char c : field) {
        if (c == ' ') {
            ended = value >= 0;
        } else if (isAsciiDigit(c) && !ended) {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
        } else {
            return -1;
        }
    }
    return value;
}

// The value of the digits after leading blanks, as a C library conversion reads it (0 when
// there are none).
int leadingNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    int value = 0;
    for (; i < field.size() && isAsciiDigit(field[i]); ++i) value = value * 10 + (field[i] - '0');
    return value;
}

// "yy/mm/dd", the month and the day padded with zeros or blanks ("99/ 1/ 5"): the day at
// 0:00, or 0.
FileTime listedDay(std::string_view text) {
    if (text.size() != kDateWidth || text[2] != '/' || text[5] != '/') return 0;
    for (const std::size_t i : {0, 1, 4, 7})
        if (!isAsciiDigit(text[i])) return 0;
    for (const std::size_t i : {3, 6})
        if (!isAsciiDigit(text[i]) && text[i] != ' ') return 0;
    return parseHostDate(text, hostdate::kDateOnly);
}

ListedParty parseParty(std::string_view line, std::size_t at, std::size_t nameAt) {
    ListedParty party;
    const std::string_view field = textFrom(line, at);
    // Through a gateway to the internet: the address without its prefix.
    for (const std::string_view prefix :
         {std::string_view("TRUNKGW#"), std::string_view("INET#")}) {
        if (field.starts_with(prefix)) {
            party.address = std::string(trimHostText(field.substr(prefix.size())));
            party.network = true;
            return party;
        }
    }
    // Other networks keep their prefix with the address.
    for (const std::string_view prefix : {std::string_view("ORVEN#"), std::string_view("STAR#")}) {
        if (field.starts_with(prefix)) {
            party.address = std::string(trimHostText(field));
            party.network = true;
            return party;
        }
    }
    party.address = std::string(trimHostText(field.substr(0, kIdWidth)));
    party.name = sjisBoundedCopy(trimHostText(textFrom(line, nameAt)), kNameSize - 1);
    return party;
}

bool isState(std::string_view text) {
    for (const std::string& state : mailTexts().listStates)
        if (text == state) return true;
    return false;
}

// True when text ends with the character c (a whole character, not the trail byte of
// another one).
bool endsWithCharacter(std::string_view text, std::string_view c) {
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < text.size()) {
        last = i;
        i += isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return !text.empty() && text.substr(last) == c;
}

}  // namespace

std::optional<ReceivedListEntry> parseReceivedListLine(std::string_view line) {
    if (line.size() <= kSenderAt) return std::nullopt;
    ReceivedListEntry entry;
    entry.number = fieldNumber(line.substr(0, kNumberWidth));
    if (entry.number <= 0 || line[kNumberWidth] != ' ') return std::nullopt;
    entry.day = std::string(line.substr(kDateAt, kDateWidth));
    entry.date = listedDay(entry.day);
    if (entry.date == 0 || !isState(line.substr(kStateAt, 6))) return std::nullopt;
    entry.sender = parseParty(line, kSenderAt, kNameAt);
    if (entry.sender.address.empty()) return std::nullopt;
    return entry;
}

bool looksLikeReceivedEntry(std::string_view line) {
    return line.size() >= kStateAt + 6 && isState(line.substr(kStateAt, 6));
}

bool looksLikeSentEntry(std::string_view line) {
    return line.size() > kDateAt + kDateWidth && line[kNumberWidth] == ' ' &&
           line[kDateAt + 2] == '/' && line[kDateAt + 5] == '/';
}

SubjectLine subjectLineKind(std::string_view line) {
    if (line.substr(std::min(line.size(), kFileMarkAt), 3) == "***") return SubjectLine::File;
    const std::string_view after = textFrom(line, kContinuationAt).substr(0, 3);
    if (leadingNumber(line.substr(0, kContinuationAt)) == 0 && !after.empty() &&
        after.find_first_not_of(' ') != std::string_view::npos)
        return SubjectLine::AddressGoesOn;
    return SubjectLine::Text;
}

std::string_view subjectOf(std::string_view line) {
    return trimHostText(
        textFrom(line, subjectLineKind(line) == SubjectLine::File ? kFileSubjectAt : kSubjectAt));
}

std::string_view addressContinuation(std::string_view line) {
    return trimHostText(textFrom(line, kContinuationAt));
}

std::optional<SentListEntry> parseSentListLine(std::string_view line) {
    if (line.size() <= kAddresseeAt) return std::nullopt;
    SentListEntry entry;
    entry.number = fieldNumber(line.substr(0, kNumberWidth));
    if (entry.number <= 0 || line[kNumberWidth] != ' ') return std::nullopt;
    entry.day = std::string(line.substr(kDateAt, kDateWidth));
    entry.date = listedDay(entry.day);
    if (entry.date == 0) return std::nullopt;
    entry.confirmation =
        std::string(trimHostText(line.substr(kConfirmationAt, kConfirmationWidth)));
    if (entry.confirmation.empty()) return std::nullopt;
    const std::string& forwardedMark = mailTexts().forwardedMark;
    std::string_view rest = trimHostTextEnd(line);
    if (endsWithCharacter(textFrom(rest, kAddresseeAt), forwardedMark)) {
        entry.forwarded = true;
        rest = trimHostTextEnd(rest.substr(0, rest.size() - forwardedMark.size()));
    }
    entry.addressee = parseParty(rest, kAddresseeAt, kNameAt);
    if (entry.addressee.address.empty()) return std::nullopt;
    return entry;
}

int dayNumber(FileTime date) {
    if (date == 0) return 0;
    const LocalTimeFields f = fieldsFromFileTime(date);
    return f.year * 10000 + f.month * 100 + f.day;
}

}  // namespace morvaline
