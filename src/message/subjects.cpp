#include "message/subjects.h"

#include <charconv>
#include <climits>
#include <optional>

#include "platform/ascii_case.h"
#include "platform/ascii_digits.h"
#include "platform/sjis.h"
#include "platform/text_trim.h"

namespace morvaline {
namespace {

std::size_t digitRun(std::string_view text, std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && isAsciiDigit(text[end])) ++end;
    return end - from;
}

// The value of a run of decimal digits; none when it is empty or does not fit an int.
std::optional<int> decimalValue(std::string_view digits) {
    int value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) return {};
    return value;
}

std::string_view skipSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::string cut(std::string_view text, std::size_t maxBytes) {
    return sjisBoundedCopy(text, maxBytes);
}

// A counted reply prefix: "RE" already read, then "^" or "*", digits and ":" (with the
// counting style, "RE:RE^n:" too, one level higher). The new subject, or none when the
// subject carries no such level.
std::optional<std::string> raiseCountedLevel(std::string_view subject, bool countingStyle) {
    std::string_view rest = subject.substr(2);
    int extra = 0;
    if (countingStyle && startsWithNoCase(rest, ":RE")) {
        rest.remove_prefix(3);
        extra = 1;
    }
    if (rest.empty() || (rest[0] != '^' && rest[0] != '*')) return {};
    const std::size_t digits = digitRun(rest, 1);
    if (1 + digits >= rest.size() || rest[1 + digits] != ':') return {};
    const auto level = decimalValue(rest.substr(1, digits));
    if (!level) return {};
    const std::string_view tail = rest.substr(1 + digits);
    if (!countingStyle) return "RE" + std::string(tail);
    if (*level > INT_MAX - 1 - extra) return {};
    return "RE^" + std::to_string(*level + 1 + extra) + std::string(tail);
}

struct Prefix {
    std::string_view text;  // '9' stands for any digit
};

// Tried longest first at every position, each only when more text follows it.
constexpr Prefix kReplyPrefixes[] = {
    {"RE:RE:"}, {"RES:>#"}, {"RES:#"}, {"RES>="}, {"RE:>#"}, {"RE^9:"}, {"RE:#"},
    {"RE:>"},   {"RE>#"},   {"RE #"},  {"RES#"},  {"RE#"},   {"RE:"},   {"RE"},
};

bool matchesPrefix(std::string_view text, std::string_view prefix) {
    if (text.size() <= prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (prefix[i] == '9' ? !isAsciiDigit(text[i]) : asciiLower(text[i]) != asciiLower(prefix[i]))
            return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The number after a prefix (white space may come first); none when it is absent, zero or
// too large.
std::optional<int> numberAfter(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    const auto value = decimalValue(text.substr(i, digitRun(text, i)));
    if (!value || *value <= 0) return {};
    return value;
}

std::string_view trimSpaces(std::string_view text) {
    return trim(text, " ");
}

}  // namespace

std::string MakeReplySubject(std::string_view source, bool countingStyle) {
    const std::string_view subject = skipSpaces(source);
    if (subject.empty()) return {};
    if (startsWithNoCase(subject, "RE")) {
        if (auto raised = raiseCountedLevel(subject, countingStyle))
            return cut(*raised, kReplySubjectMax);
    }
    std::string reply;
    if (!subject.starts_with("RE:")) {
        reply = subject.size() < 70 ? "RE:" + std::string(subject) : std::string(subject);
    } else if (countingStyle && subject.size() < 72) {
        reply = "RE^2:" + std::string(subject.substr(3));
    } else {
        reply = subject;
    }
    return cut(reply, kReplySubjectMax);
}

std::string MakeForwardSubject(std::string_view subject) {
    if (subject.size() > 3 && subject.size() < 70 && !subject.starts_with("FW:"))
        return cut("FW:" + std::string(subject), kForwardSubjectMax);
    return cut(subject, kForwardSubjectMax);
}

int ReplyNumberFromSubject(std::string& subject) {
    const std::string_view text = subject;
    int found = 0;
    std::size_t at = 0;
    std::size_t prefixLength = 0;
    // Positions are characters: a trail byte that looks like "R" is no prefix.
    for (std::size_t i = 0; i < text.size() && found == 0; i += sjisCharWidth(text, i)) {
        for (const Prefix& prefix : kReplyPrefixes) {
            const std::string_view rest = text.substr(i);
            if (!matchesPrefix(rest, prefix.text)) continue;
            if (const auto number = numberAfter(rest.substr(prefix.text.size()))) {
                found = *number;
                at = i;
                prefixLength = prefix.text.size();
                break;
            }
        }
    }
    std::string_view kept = text;
    if (found > 0 && at == 0) {
        kept = text.substr(prefixLength);
        kept.remove_prefix(digitRun(kept, 0));
    }
    subject = std::string(trimSpaces(kept));
    return found;
}

}  // namespace morvaline
