#include "comm/rapidox/packet_fields.h"

#include "platform/ascii_digits.h"

namespace morvaline::rapidox {
namespace {

constexpr char kMarker = static_cast<char>(0x80);

// The window as two decimal digits; 0 (refused) when they are not digits.
int twoDigits(char tens, char units) {
    if (!isAsciiDigit(tens) || !isAsciiDigit(units)) return 0;
    return (tens - '0') * 10 + (units - '0');
}

// "%02d" of a window (0 ... 99).
std::string twoDigitText(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

}  // namespace

std::string parameterData(int window) {
    return "10" + twoDigitText(window) + "11";
}

std::optional<Parameters> parseParameterData(std::string_view data) {
    if (data.size() < 6) return std::nullopt;
    Parameters p;
    p.p1 = data[0];
    p.window = twoDigits(data[2], data[3]);
    p.p3 = data[4];
    if ((p.p1 != '0' && p.p1 != '1') || data[1] != '0' || p.window == 0 || p.p3 < '0' || p.p3 > '8')
        return std::nullopt;
    // P4 is only looked at when P3 asks for it; a NUL counts as "0".
    p.p4 = p.p3 == '0' || data[5] == '\0' ? '0' : data[5];
    if (p.p4 != '0' && p.p4 != '1') return std::nullopt;
    return p;
}

std::string replyFields(const Parameters& accepted) {
    std::string fields;
    fields += kMarker;
    fields += accepted.p1;
    fields += '0';
    fields += twoDigitText(accepted.window);
    fields += accepted.p3 > '0' ? '1' : '0';
    if (accepted.p4 != '0') fields += accepted.p4;
    return fields;
}

std::optional<Parameters> parseReplyFields(std::string_view fields) {
    if (fields.size() < 6 || fields[0] != kMarker) return std::nullopt;
    Parameters p;
    p.p1 = fields[1];
    p.window = twoDigits(fields[3], fields[4]);
    p.p3 = fields[5];
    if ((p.p1 != '0' && p.p1 != '1') || fields[2] != '0' || p.window == 0 || p.p3 < '0' ||
        p.p3 > '8')
        return std::nullopt;
    p.p4 = p.p3 == '0' || fields.size() < 7 ? '0' : fields[6];
    if (p.p4 != '0' && p.p4 != '1') return std::nullopt;
    return p;
}

std::string numberFields(std::int64_t number) {
    return kMarker + std::to_string(number);
}

std::optional<std::int64_t> parseNumberFields(std::string_view fields) {
    // 15 digits are far beyond any block count or sequence number.
    if (fields.size() < 2 || fields.size() > 16 || fields[0] != kMarker) return std::nullopt;
    std::int64_t value = 0;
    for (char c : fields.substr(1)) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string blockFields(unsigned char number) {
    return std::string(1, static_cast<char>(number | 0x80));
}

std::string doneFields(unsigned char count) {
    return std::string{static_cast<char>(count | 0x80), '0'};
}

}  // namespace morvaline::rapidox
