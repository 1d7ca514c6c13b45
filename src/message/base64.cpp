#include "message/base64.h"

#include <array>

namespace morvaline {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr signed char kInvalid = -1, kSkipped = -2, kPad = -3;

constexpr std::array<signed char, 256> makeValues() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = kInvalid;
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    values['\t'] = values['\n'] = values['\r'] = values[' '] = kSkipped;
    values['='] = kPad;
    return values;
}
constexpr auto kValues = makeValues();

}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const unsigned b0 = static_cast<unsigned char>(bytes[i]);
        const unsigned b1 = left > 1 ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const unsigned b2 = left > 2 ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        out += kAlphabet[b0 >> 2];
        out += kAlphabet[(b0 & 3) << 4 | b1 >> 4];
        out += left > 1 ? kAlphabet[(b1 & 15) << 2 | b2 >> 6] : '=';
        out += left > 2 ? kAlphabet[b2 & 63] : '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    for (const char c : text)
        if (kValues[static_cast<unsigned char>(c)] == kInvalid) return {};

    std::string out;
    out.reserve(text.size() / 4 * 3);
    signed char group[4];
    int filled = 0;
    for (const char c : text) {
        const signed char v = kValues[static_cast<unsigned char>(c)];
        if (v == kSkipped) continue;
        group[filled++] = v;
        if (filled < 4) continue;
        filled = 0;
        // Padding ends the text: "=" in the first two places leaves nothing of the group,
        // in the third place one byte, in the fourth two.
        if (group[0] == kPad || group[1] == kPad) break;
        const unsigned w = static_cast<unsigned>(group[0]), x = static_cast<unsigned>(group[1]);
        out += static_cast<char>(w << 2 | x >> 4);
        if (group[2] == kPad) break;
        const unsigned y = static_cast<unsigned>(group[2]);
        out += static_cast<char>((x & 15) << 4 | y >> 2);
        if (group[3] == kPad) break;
        out += static_cast<char>((y & 3) << 6 | static_cast<unsigned>(group[3]));
    }
    return out;
}

}  // namespace morvaline
