#include "message/base64.h"

#include "message/append_through.h"

#include <array>
#include <cstdint>
#include <cstring>

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

// The value of a character already shifted to its place in a group of four (24 bits);
// a character outside the alphabet (padding and white space too) sets the top bit.
constexpr std::array<std::uint32_t, 256> makePlaced(int shift) {
    std::array<std::uint32_t, 256> placed{};
    for (int c = 0; c < 256; ++c)
        placed[c] = kValues[c] < 0 ? 0x80000000u : static_cast<std::uint32_t>(kValues[c]) << shift;
    return placed;
}
constexpr auto kPlaced0 = makePlaced(18), kPlaced1 = makePlaced(12), kPlaced2 = makePlaced(6),
               kPlaced3 = makePlaced(0);

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
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = s + text.size();
    bool valid = true;
    std::string out;
    // Three bytes at most for every four characters, and one spare for the last group.
    appendThrough(out, text.size() / 4 * 3 + 4, [&](char* p) {
        int group[4];
        int filled = 0;
        while (s != end) {
            if (filled == 0) {
                // Whole groups of alphabet characters, the bulk of every line, in one step:
                // the group's 24 bits are written as four big-endian bytes, of which the
                // fourth is overwritten by the next group (the room allows for it).
                while (end - s >= 4) {
                    const std::uint32_t group =
                        kPlaced0[s[0]] | kPlaced1[s[1]] | kPlaced2[s[2]] | kPlaced3[s[3]];
                    if (group & 0x80000000u) break;
                    const std::uint32_t bigEndian = __builtin_bswap32(group << 8);
                    std::memcpy(p, &bigEndian, 4);
                    p += 3;
                    s += 4;
                }
                if (s == end) break;
            }
            const int v = kValues[*s++];
            if (v == kInvalid) {
                valid = false;
                break;
            }
            if (v == kSkipped) continue;
            group[filled++] = v;
            if (filled < 4) continue;
            filled = 0;
            // Padding ends the text: "=" in the first two places leaves nothing of the
            // group, in the third place one byte, in the fourth two.
            if (group[0] == kPad || group[1] == kPad) break;
            const unsigned w = static_cast<unsigned>(group[0]), x = static_cast<unsigned>(group[1]);
            *p++ = static_cast<char>(w << 2 | x >> 4);
            if (group[2] == kPad) break;
            const unsigned y = static_cast<unsigned>(group[2]);
            *p++ = static_cast<char>((x & 15) << 4 | y >> 2);
            if (group[3] == kPad) break;
            *p++ = static_cast<char>((y & 3) << 6 | static_cast<unsigned>(group[3]));
        }
        return p;
    });
    // A character outside the alphabet anywhere, after the padding too, fails the whole text.
    for (; valid && s != end; ++s) valid = kValues[*s] != kInvalid;
    if (!valid) return {};
    return out;
}

}  // namespace morvaline
