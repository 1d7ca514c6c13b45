#include "message/iso2022jp.h"

#include "message/append_through.h"
#include "message/jis_code.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace morvaline {
namespace {

// The escape sequences of ISO-2022-JP: ESC $ B enters JIS X 0208 (two bytes a character),
// ESC ( B returns to ASCII.
constexpr char kEnterTwoByte[] = "\x1B$B";
constexpr char kEnterAscii[] = "\x1B(B";
constexpr unsigned char kEsc = 0x1B, kShiftOut = 0x0E, kShiftIn = 0x0F;

// SjisToJis takes its input in stretches of this many bytes: its output may reach 4.5
// bytes an input byte, and the string grows by that much for one stretch at a time, not
// for the whole text.
constexpr std::size_t kStretch = 16384;

// Where the reader stands inside an escape sequence.
enum class EscapeState {
    None,         // ordinary text
    AfterEsc,     // ESC seen
    AfterDollar,  // ESC $ seen: a two-byte designation follows
    AfterParen,   // ESC ( seen: a single-byte designation follows
};

char* putSequence(char* p, const char (&sequence)[4]) {
    std::memcpy(p, sequence, 3);
    return p + 3;
}

char* putCode(char* p, std::uint16_t code) {
    p[0] = static_cast<char>(code >> 8);
    p[1] = static_cast<char>(code & 0xFF);
    return p + 2;
}

// The bytes that end a run of plain single-byte text in JisToSjis, without and with the
// stop at a double quote.
constexpr std::array<bool, 256> makeRunStops(bool quote) {
    std::array<bool, 256> stops{};
    stops[kEsc] = stops[kShiftOut] = stops[kShiftIn] = true;
    stops['"'] = quote;
    return stops;
}
constexpr auto kRunStops = makeRunStops(false);
constexpr auto kRunStopsWithQuote = makeRunStops(true);

}  // namespace

std::string SjisToJis(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 4 + 8);
    const auto* s = reinterpret_cast<const unsigned char*>(sjis.data());
    const auto* const end = s + sjis.size();
    bool twoByte = false;
    while (s < end) {
        const std::size_t stretch =
            std::min<std::size_t>(static_cast<std::size_t>(end - s), kStretch);
        const unsigned char* const stretchEnd = s + stretch;
        // The last character may take one byte past the stretch.
        appendThrough(out, stretch * 9 / 2 + 8, [&](char* p) {
            while (s < stretchEnd) {
                if (*s < 0x80) {
                    if (twoByte) {
                        p = putSequence(p, kEnterAscii);
                        twoByte = false;
                    }
                    // ASCII runs are copied eight bytes a step while they last.
                    std::uint64_t word;
                    while (stretchEnd - s >= 8 &&
                           (std::memcpy(&word, s, 8), (word & 0x8080808080808080u) == 0)) {
                        std::memcpy(p, &word, 8);
                        p += 8;
                        s += 8;
                    }
                    while (s < stretchEnd && *s < 0x80) *p++ = static_cast<char>(*s++);
                    continue;
                }
                std::uint16_t code;
                if (isHalfWidthKatakana(*s)) {
                    code = fullWidthKatakana(*s);
                    ++s;
                } else if (isSjisLeadByte(*s) && end - s >= 2 && isSjisTrailByte(s[1])) {
                    code = static_cast<std::uint16_t>(s[0] << 8 | s[1]);
                    s += 2;
                } else {
                    // A lone lead byte or a byte that starts no character: dropped, and the
                    // byte after it is read on its own, so a broken character cannot
                    // swallow a line end.
                    ++s;
                    continue;
                }
                const std::uint16_t jis = sjisToJisCode(code);
                if (jis == 0) continue;
                if (!twoByte) {
                    p = putSequence(p, kEnterTwoByte);
                    twoByte = true;
                }
                p = putCode(p, jis);
            }
            return p;
        });
    }
    if (twoByte) out += kEnterAscii;
    return out;
}

std::size_t JisToSjis(std::string_view jis, std::string& out, bool stopAtQuote) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(jis.data());
    const auto* const end = begin + jis.size();
    const auto* s = begin;
    const auto& runStops = stopAtQuote ? kRunStopsWithQuote : kRunStops;
    appendThrough(out, jis.size(), [&](char* p) {
        EscapeState escape = EscapeState::None;
        bool twoByte = false;
        bool kanaShift = false;
        int pending = -1;  // first byte of a two-byte code, -1 when none
        for (; s < end; ++s) {
            if (escape == EscapeState::None && pending < 0) {
                // The common cases a stretch at a time: pairs in two-byte mode, plain text
                // outside it, the designations that switch between them; anything else
                // takes the byte-by-byte way below.
                for (;;) {
                    if (twoByte) {
                        // Bytes above 0x20 are never ESC, SO or SI.
                        while (end - s >= 2 && s[0] > 0x20 && s[1] > 0x20) {
                            const std::uint16_t sjis =
                                jisToSjisCode(static_cast<std::uint16_t>(s[0] << 8 | s[1]));
                            if (sjis != 0) p = putCode(p, sjis);
                            s += 2;
                        }
                    } else if (!kanaShift) {
                        while (s < end && !runStops[*s]) *p++ = static_cast<char>(*s++);
                    }
                    if (end - s < 3 || s[0] != kEsc) break;
                    if (s[1] == '$' && (s[2] == 'B' || s[2] == '@')) {
                        twoByte = true;
                    } else if (s[1] == '(' && (s[2] == 'B' || s[2] == 'H' || s[2] == 'J')) {
                        twoByte = false;
                    } else {
                        break;
                    }
                    s += 3;
                }
                if (s == end) break;
            }
            const unsigned char c = *s;
            if (c == kEsc) {
                pending = -1;
                escape = EscapeState::AfterEsc;
                continue;
            }
            switch (escape) {
                case EscapeState::AfterEsc:
                    escape = c == '$'   ? EscapeState::AfterDollar
                             : c == '(' ? EscapeState::AfterParen
                                        : EscapeState::None;
                    continue;
                case EscapeState::AfterDollar:
                    if (c == 'B' || c == '@') twoByte = true;
                    escape = EscapeState::None;
                    continue;
                case EscapeState::AfterParen:
                    if (c == 'B' || c == 'H' || c == 'J') twoByte = false;
                    escape = EscapeState::None;
                    continue;
                case EscapeState::None:
                    break;
            }
            if (c == kShiftOut || c == kShiftIn) {
                kanaShift = c == kShiftOut;
                continue;
            }
            if (pending >= 0) {
                const std::uint16_t sjis =
                    jisToSjisCode(static_cast<std::uint16_t>(pending << 8 | c));
                if (sjis != 0) p = putCode(p, sjis);
                pending = -1;
            } else if (twoByte) {
                pending = c;
            } else if (kanaShift && c >= 0x21 && c <= 0x5F) {
                // JIS X 0201 katakana; other bytes (line ends above all) stay as they are.
                *p++ = static_cast<char>(c | 0x80);
            } else if (stopAtQuote && c == '"') {
                break;
            } else {
                *p++ = static_cast<char>(c);
            }
        }
        return p;
    });
    return static_cast<std::size_t>(s - begin);
}

std::string JisToSjis(std::string_view jis) {
    std::string out;
    JisToSjis(jis, out, false);
    return out;
}

}  // namespace morvaline
