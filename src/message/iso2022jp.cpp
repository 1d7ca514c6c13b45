#include "message/iso2022jp.h"

#include "message/jis_code.h"
#include "message/sjis_char.h"

namespace morvaline {
namespace {

constexpr std::string_view kEnterTwoByte = "\x1B$B";
constexpr std::string_view kEnterAscii = "\x1B(B";
constexpr unsigned char kEsc = 0x1B, kShiftOut = 0x0E, kShiftIn = 0x0F;

// Where the reader stands inside an escape sequence.
enum class EscapeState {
    None,         // ordinary text
    AfterEsc,     // ESC seen
    AfterDollar,  // ESC $ seen: a two-byte designation follows
    AfterParen,   // ESC ( seen: a single-byte designation follows
};

}  // namespace

std::string SjisToJis(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 4 + 8);
    bool twoByte = false;
    std::size_t i = 0;
    while (i < sjis.size()) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            if (twoByte) {
                out += kEnterAscii;
                twoByte = false;
            }
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::uint16_t code = 0;
        if (isHalfWidthKatakana(c)) {
            code = fullWidthKatakana(c);
            ++i;
        } else if (sjisCharWidth(sjis, i) == 2) {
            code = static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(sjis[i + 1]));
            i += 2;
        } else {
            // A lone lead byte or a byte that starts no character: dropped, and the byte
            // after it is read on its own, so a broken character cannot swallow a line end.
            ++i;
            continue;
        }
        const std::uint16_t jis = sjisToJisCode(code);
        if (jis == 0) continue;
        if (!twoByte) {
            out += kEnterTwoByte;
            twoByte = true;
        }
        out += static_cast<char>(jis >> 8);
        out += static_cast<char>(jis & 0xFF);
    }
    if (twoByte) out += kEnterAscii;
    return out;
}

std::size_t JisToSjis(std::string_view jis, std::string& out, bool stopAtQuote) {
    EscapeState escape = EscapeState::None;
    bool twoByte = false;
    bool kanaShift = false;
    int pending = -1;  // first byte of a two-byte code, -1 when none
    std::size_t i = 0;
    for (; i < jis.size(); ++i) {
        const auto c = static_cast<unsigned char>(jis[i]);
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
            const std::uint16_t sjis = jisToSjisCode(static_cast<std::uint16_t>(pending << 8 | c));
            if (sjis != 0) {
                out += static_cast<char>(sjis >> 8);
                out += static_cast<char>(sjis & 0xFF);
            }
            pending = -1;
        } else if (twoByte) {
            pending = c;
        } else if (kanaShift && c >= 0x21 && c <= 0x5F) {
            // JIS X 0201 katakana; other bytes (line ends above all) stay as they are.
            out += static_cast<char>(c | 0x80);
        } else if (stopAtQuote && c == '"') {
            break;
        } else {
            out += static_cast<char>(c);
        }
    }
    return i;
}

std::string JisToSjis(std::string_view jis) {
    std::string out;
    out.reserve(jis.size());
    JisToSjis(jis, out, false);
    return out;
}

}  // namespace morvaline
