#include "patrol/engine/host_text.h"

#include <limits>

#include "patrol/engine/menu_texts.h"
#include "platform/sjis.h"

namespace morvaline {
namespace {

bool isDigitOrBlank(char c) {
    return c == ' ' || (c >= '0' && c <= '9');
}

// Full-width digits are 0x82 0x4F ... 0x82 0x58; the full-width full stop is 0x81 0x44.
int fullWidthDigit(std::string_view text, std::size_t pos) {
    if (pos + 1 >= text.size() || static_cast<unsigned char>(text[pos]) != 0x82) return -1;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return trail >= 0x4F && trail <= 0x58 ? trail - 0x4F : -1;
}

bool isFullStop(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) == 0x81 &&
           static_cast<unsigned char>(text[pos + 1]) == 0x44;
}

std::size_t charLength(std::string_view text, std::size_t pos) {
    return isSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// A number mark found at a character boundary: its value (-1 when it does not fit an int)
// and where its entry text begins.
struct NumberMark {
    long value;
    std::size_t textStart;
};

// The number mark that starts at pos, if one does.
std::optional<NumberMark> numberMarkAt(std::string_view text, std::size_t pos) {
    long value = 0;
    std::size_t p = pos;
    int digits = 0;
    for (int d; (d = fullWidthDigit(text, p)) >= 0; p += 2) {
        if (value >= 0) value = value * 10 + d;
        if (value > std::numeric_limits<int>::max()) value = -1;
        ++digits;
    }
    if (digits == 0 || !isFullStop(text, p)) return std::nullopt;
    return NumberMark{value, p + 2};
}

// The next number mark at or after pos, walking whole characters; its start, or npos.
std::size_t nextNumberMark(std::string_view text, std::size_t pos, NumberMark* mark) {
    while (pos < text.size()) {
        if (auto found = numberMarkAt(text, pos)) {
            *mark = *found;
            return pos;
        }
        // Skip the whole run of digits so that the "2" of "12" is never taken alone.
        if (fullWidthDigit(text, pos) >= 0) {
            while (fullWidthDigit(text, pos) >= 0) pos += 2;
        } else {
            pos += charLength(text, pos);
        }
    }
    return std::string_view::npos;
}

}  // namespace

long pageMarkerPosition(std::string_view text) {
    if (text.ends_with("\r\n")) text.remove_suffix(2);
    const std::size_t newline = text.rfind('\n');
    const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
    const std::string_view line = text.substr(start);
    const bool counter = line.size() >= 7 && isDigitOrBlank(line[0]) && isDigitOrBlank(line[1]) &&
                         isDigitOrBlank(line[2]) && line[3] == '/' && isDigitOrBlank(line[4]) &&
                         isDigitOrBlank(line[5]) && isDigitOrBlank(line[6]);
    return counter || line == menuTexts().nextScreen ? static_cast<long>(start) : -1;
}

long pageMarkerPosition(std::string_view text, std::string_view prompt) {
    if (prompt.find(",N") == std::string_view::npos) return -1;
    return pageMarkerPosition(text);
}

std::optional<MenuEntry> findMenuEntry(std::string_view listing, int number) {
    NumberMark mark{};
    std::size_t pos = 0;
    while ((pos = nextNumberMark(listing, pos, &mark)) != std::string_view::npos) {
        if (mark.value == number) {
            NumberMark next{};
            std::size_t end = nextNumberMark(listing, mark.textStart, &next);
            if (end == std::string_view::npos) end = listing.size();
            return MenuEntry{std::string(listing.substr(mark.textStart, end - mark.textStart)),
                             end};
        }
        pos = mark.textStart;
    }
    return std::nullopt;
}

std::vector<NumberedEntry> menuEntries(std::string_view listing) {
    std::vector<NumberedEntry> entries;
    NumberMark mark{};
    std::size_t pos = nextNumberMark(listing, 0, &mark);
    while (pos != std::string_view::npos) {
        NumberMark next{};
        std::size_t end = nextNumberMark(listing, mark.textStart, &next);
        const std::size_t stop = end == std::string_view::npos ? listing.size() : end;
        entries.push_back({mark.value >= 0 ? std::optional<int>(static_cast<int>(mark.value))
                                           : std::nullopt,
                           listing.substr(mark.textStart, stop - mark.textStart)});
        pos = end;
        mark = next;
    }
    return entries;
}

}  // namespace morvaline
