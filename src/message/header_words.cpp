#include "message/header_words.h"

#include "message/base64.h"
#include "message/iso2022jp.h"
#include "platform/ascii_case.h"
#include "platform/sjis.h"

namespace morvaline {
namespace {

constexpr std::string_view kWordStart = "=?ISO-2022-JP?B?";
constexpr std::string_view kWordEnd = "?=";
constexpr int kWordOverhead = 18;  // the start and end marks of an encoded word

bool isHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Appends the encoded word of a run of Japanese characters; returns its length.
int appendWord(std::string& out, std::string_view run) {
    const std::string base64 = Base64Encode(SjisToJis(run));
    out += kWordStart;
    out += base64;
    out += kWordEnd;
    return kWordOverhead + static_cast<int>(base64.size());
}

}  // namespace

EncodedHeaderLine EncodeHeaderWords(std::string_view sjis, int room) {
    std::string out;
    std::size_t i = 0;
    std::size_t angleIn = std::string_view::npos, angleOut = 0;  // the last "<" met
    while (i < sjis.size() && room > 0) {
        if (!isHigh(sjis[i])) {
            if (sjis[i] == '<' && i > 0) {
                angleIn = i;
                angleOut = out.size();
            }
            out += sjis[i++];
            --room;
            continue;
        }
        if (room <= 32) break;
        // Take characters while the estimated length of the word still fits.
        std::size_t end = i;
        for (int taken = 0;
             end < sjis.size() && isHigh(sjis[end]) && (40 + 8 * taken) / 3 < room - kWordOverhead;
             ++taken)
            end += sjisCharWidth(sjis, end);
        room -= appendWord(out, sjis.substr(i, end - i));
        i = end;
    }
    if (i == 0 && !sjis.empty()) {
        // No room at all: one character still goes on the line.
        if (isHigh(sjis[0])) {
            i = sjisCharWidth(sjis, 0);
            appendWord(out, sjis.substr(0, i));
        } else {
            out += sjis[0];
            i = 1;
        }
    }
    if (angleIn != std::string_view::npos && i < sjis.size()) {
        out.resize(angleOut);
        return {std::move(out), angleIn};
    }
    return {std::move(out), i};
}

std::string DecodeHeaderWords(std::string_view header) {
    static constexpr std::string_view kCharsetAndEncoding = "ISO-2022-JP?B?";
    std::string out;
    out.reserve(header.size());
    std::size_t pos = 0;
    bool endsLeft = true;  // false once no "?=" remains: later words cannot close either
    for (;;) {
        const std::size_t mark = header.find("=?", pos);
        if (mark == std::string_view::npos) break;
        out.append(header.substr(pos, mark - pos));
        pos = mark + 2;
        if (!endsLeft || !startsWithNoCase(header.substr(pos), kCharsetAndEncoding)) continue;
        const std::size_t textStart = pos + kCharsetAndEncoding.size();
        const std::size_t textEnd = header.find(kWordEnd, textStart);
        if (textEnd == std::string_view::npos) {
            endsLeft = false;
            continue;
        }
        const std::string jis = Base64Decode(header.substr(textStart, textEnd - textStart));
        if (jis.empty()) continue;
        JisToSjis(jis, out, false);
        pos = textEnd + kWordEnd.size();
    }
    out.append(header.substr(pos));
    return out;
}

}  // namespace morvaline
