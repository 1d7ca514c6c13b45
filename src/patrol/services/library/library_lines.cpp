#include "patrol/services/library/library_lines.h"

#include "patrol/engine/host_text.h"
#include "patrol/services/library/library_texts.h"
#include "platform/sjis.h"
#include "platform/sjis_search.h"
#include "platform/text_codec.h"
#include "patrol/engine/outgoing_text.h"
#include "store/host_date.h"

namespace morvaline {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A right-aligned number: blanks, then digits; none when empty or malformed.
std::optional<int> fieldNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i == field.size()) return std::nullopt;
    long long value = 0;
    for (; i < field.size(); ++i) {
        if (!isDigit(field[i])) return std::nullopt;
        value = value * 10 + (field[i] - '0');
    }
    // Seven digits at most: always within int.
    return static_cast<int>(value);
}

bool allBlank(std::string_view field) { return field.find_first_not_of(' ') == std::string_view::npos; }

std::string_view trimEnd(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<FileEntry> parseFileEntry(std::string_view line) {
    constexpr std::size_t kEntryLength = 58;
    if (line.size() < kEntryLength) return std::nullopt;
    FileEntry entry;
    const std::optional<int> number = fieldNumber(line.substr(0, 4));
    if (!number || *number <= 0) return std::nullopt;
    entry.number = *number;
    if (line[4] != '.' && line[4] != ' ') return std::nullopt;
    entry.dotted = line[4] == '.';
    for (const char c : line.substr(20, 8))
        if (!(c == ' ' || isDigit(c) || (c >= 'A' && c <= 'Z'))) return std::nullopt;
    if (!allBlank(line.substr(28, 2)) || !allBlank(line.substr(38, 3)) || !allBlank(line.substr(48, 3)))
        return std::nullopt;
    const std::string_view date = line.substr(30, 8);
    for (std::size_t i = 0; i < date.size(); ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash ? date[i] != '/' && date[i] != ' ' : !isDigit(date[i]) && date[i] != ' ') return std::nullopt;
    }
    const std::optional<int> size = fieldNumber(line.substr(41, 7));
    const std::optional<int> access = fieldNumber(line.substr(51, 7));
    if (!size || !access) return std::nullopt;
    // Control bytes never reach the store (Shift_JIS trail bytes are never below 0x40).
    for (const char c : trimEnd(line.substr(5, 15)))
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) entry.name += c;
    entry.owner = std::string(trimEnd(line.substr(20, 8)));
    entry.date = allBlank(date) ? 0 : parseHostDate(date, hostdate::kDateOnly);
    entry.size = *size;
    entry.access = *access;
    return entry;
}

std::optional<int> protocolNumber(std::string_view line) {
    static const std::string kWideZero = sj("０");
    const std::string_view head = line.substr(0, 4);
    std::string digits;
    for (std::size_t i = 0; i < head.size(); ++i) {
        if (isDigit(head[i])) {
            digits += head[i];
        } else if (i + 1 < head.size() && head[i] == kWideZero[0] &&
                   static_cast<unsigned char>(head[i + 1]) >= static_cast<unsigned char>(kWideZero[1]) &&
                   static_cast<unsigned char>(head[i + 1]) <= static_cast<unsigned char>(kWideZero[1]) + 9) {
            digits += static_cast<char>('0' + (head[i + 1] - kWideZero[1]));
            ++i;
        }
    }
    if (digits.empty()) return std::nullopt;
    return std::stoi(digits);
}

std::vector<MenuSection> menuSections(std::string_view menu) {
    std::vector<MenuSection> sections;
    for (const NumberedEntry& entry : menuEntries(menu)) {
        if (!entry.number || *entry.number <= 0) continue;
        std::string_view name = entry.text.substr(0, entry.text.find_first_of("\r\n"));
        name = trimEnd(name);
        bool corner = name.empty();
        for (const std::string& item : libraryTexts().cornerEntries) corner = corner || name == item;
        if (!corner) sections.push_back({*entry.number, std::string(name)});
    }
    return sections;
}

std::string uploadName(std::string_view fileName) { return sjisUpperCase(hostField(fileName)); }

std::string documentName(std::string_view uploadName) {
    constexpr std::size_t kStemBytes = 8;
    const std::size_t dot = uploadName.rfind('.');
    const std::string_view stem = dot == std::string_view::npos || dot == 0 ? uploadName : uploadName.substr(0, dot);
    return sjisBoundedCopy(stem, kStemBytes) + ".DOC";
}

std::optional<int> pendingNumber(std::string_view line, std::string_view name) {
    constexpr std::size_t kMinLength = 51;
    constexpr std::size_t kNameField = 15;
    if (line.size() < kMinLength || name.empty()) return std::nullopt;
    const std::string_view shown = name.substr(0, kNameField);
    if (line.substr(5, shown.size()) != shown) return std::nullopt;
    if (shown.size() < kNameField && line[5 + shown.size()] != ' ') return std::nullopt;
    const std::optional<int> number = fieldNumber(line.substr(0, 4));
    if (!number || *number <= 0) return std::nullopt;
    return number;
}

std::vector<ClassificationAnswer> classificationAnswers(const std::int32_t (&values)[5],
                                                        std::string_view version) {
    // The questions by menu number, each with its value's slot, its default and the size
    // of its list.
    struct Question {
        int number;
        int slot;
        int unchanged;
        int choices;
    };
    constexpr Question kKind{1, 1, 16, 17};
    constexpr Question kFirstValue{2, 0, 0, 99};
    constexpr Question kContent{3, 2, 0, 9};
    constexpr Question kEnvironment{6, 3, 27, 28};
    constexpr Question kDistribution{9, 4, 0, 9};
    constexpr int kVersionQuestion = 5;
    constexpr std::size_t kVersionBytes = 16;
    std::vector<ClassificationAnswer> answers;
    const auto ask = [&](const Question& q) {
        const int value = values[q.slot];
        if (value != q.unchanged && value >= 0 && value < q.choices)
            answers.push_back({q.number, std::to_string(value + 1)});
    };
    ask(kKind);
    ask(kFirstValue);
    ask(kContent);
    const std::string typed = sjisBoundedCopy(hostField(version), kVersionBytes);
    if (!typed.empty() && typed != "1.0") answers.push_back({kVersionQuestion, typed});
    ask(kEnvironment);
    ask(kDistribution);
    return answers;
}

}  // namespace morvaline
