#include "comm/rapidox/file_header.h"

#include "platform/ascii_digits.h"

#include <cstdio>

namespace morvaline::rapidox {
namespace {

// The value of exactly `count` digits at `pos`; empty when they are not all digits or
// run past the end.
std::optional<int> digitsAt(std::string_view data, std::size_t pos, std::size_t count) {
    if (pos + count > data.size()) return std::nullopt;
    int value = 0;
    for (char c : data.substr(pos, count)) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The text from pos up to the next NUL; empty when no NUL follows inside the data.
std::optional<std::string_view> fieldAt(std::string_view data, std::size_t pos) {
    if (pos > data.size()) return std::nullopt;
    const std::size_t end = data.find('\0', pos);
    if (end == std::string_view::npos) return std::nullopt;
    return data.substr(pos, end - pos);
}

std::optional<std::int64_t> parseSize(std::string_view text) {
    if (text.empty() || text.size() > 13) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxFileSize) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> fileHeaderData(const FileHeader& h) {
    char time[32];
    std::snprintf(time, sizeof time, "%04d%02d%02d%02d%02d%02d", h.year, h.month, h.day, h.hour,
                  h.minute, h.second);
    char sequence[8];
    std::snprintf(sequence, sizeof sequence, "%02d", h.sequence % 100);
    std::string data = sequence;
    data += h.name;
    data += '\0';
    data += std::to_string(h.size);
    data += '\0';
    data += time;
    data += '\0';
    if (data.size() > kBlockData) return std::nullopt;
    data.resize(kBlockData, '\0');
    return data;
}

std::optional<FileHeader> parseFileHeaderData(std::string_view data) {
    data = data.substr(0, kBlockData);
    FileHeader h;
    const auto sequence = digitsAt(data, 0, 2);
    const auto name = fieldAt(data, 2);
    if (!sequence || !name) return std::nullopt;
    const std::size_t sizePos = 2 + name->size() + 1;
    const auto sizeText = fieldAt(data, sizePos);
    if (!sizeText) return std::nullopt;
    const auto size = parseSize(*sizeText);
    if (!size) return std::nullopt;
    h.sequence = *sequence;
    h.name = std::string(*name);
    h.size = *size;

    // The date follows the size's NUL and the time eight bytes later; each is left out by
    // a NUL in its first place.
    const std::size_t datePos = sizePos + sizeText->size() + 1;
    const std::size_t timePos = datePos + 8;
    if (datePos < data.size() && data[datePos] != '\0') {
        const auto year = digitsAt(data, datePos, 4);
        const auto month = digitsAt(data, datePos + 4, 2);
        const auto day = digitsAt(data, datePos + 6, 2);
        if (!year || !month || !day) return std::nullopt;
        h.year = *year;
        h.month = *month;
        h.day = *day;
    }
    if (timePos < data.size() && data[timePos] != '\0') {
        const auto hour = digitsAt(data, timePos, 2);
        const auto minute = digitsAt(data, timePos + 2, 2);
        const auto second = digitsAt(data, timePos + 4, 2);
        if (!hour || !minute || !second) return std::nullopt;
        h.hour = *hour;
        h.minute = *minute;
        h.second = *second;
    }
    return h;
}

}  // namespace morvaline::rapidox
