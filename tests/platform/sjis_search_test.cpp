// Finding words in Shift_JIS text on character boundaries, against a plain walk over the
// characters as the oracle, over texts mixed from every kind of character.

#include "platform/sjis_search.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

// The first position at or after from where word matches: a walk from character to
// character, comparing whole characters, single-byte letters folded when case is ignored.
std::size_t oracleFind(std::string_view text, std::string_view word, bool caseSensitive) {
    auto fold = [&](std::string_view s, std::size_t i, std::size_t width) {
        std::string c(s.substr(i, width));
        if (!caseSensitive && width == 1 && c[0] >= 'a' && c[0] <= 'z') c[0] = static_cast<char>(c[0] - 32);
        return c;
    };
    for (std::size_t at = 0; at <= text.size(); at += at < text.size() ? sjisCharWidth(text, at) : 1) {
        std::size_t t = at, w = 0;
        while (w < word.size() && t < text.size()) {
            const std::size_t tw = sjisCharWidth(text, t), ww = sjisCharWidth(word, w);
            if (tw != ww || fold(text, t, tw) != fold(word, w, ww)) break;
            t += tw;
            w += ww;
        }
        if (w == word.size()) return at;
        if (at == text.size()) break;
    }
    return std::string_view::npos;
}

TEST(SjisFinder, MatchesStartAndEndOnCharacterBoundaries) {
    struct Case {
        const char* name;
        std::string text, word;
        bool caseSensitive;
        std::size_t expected;
    };
    const std::size_t npos = std::string_view::npos;
    const std::string kanji = sj("電子");  // 93 64 8E 71: a trail byte "d", a trail byte "q"
    const std::string leadOnly = sj("亜亜");  // 88 9F 88 9F: every byte in the lead byte range
    const Case cases[] = {
        {"trail byte then lead byte", kanji, kanji.substr(1, 2), true, npos},
        {"a trail byte that looks like a letter", kanji, "d", true, npos},
        {"nor ignoring case", kanji, "D", false, npos},
        {"a whole character", "x" + kanji, sj("子"), true, 3},
        {"across characters of lead range bytes", leadOnly, leadOnly.substr(1, 2), true, npos},
        {"the second of those", "a" + leadOnly, sj("亜"), true, 1},
        {"single-byte letters fold", "MIME-Version", "mime", false, 0},
        {"full-width letters do not", sj("ＭＩＭＥ"), sj("ｍｉｍｅ"), false, npos},
        {"case kept when asked", "Mime", "mime", true, npos},
        {"half-width katakana", sj("受信ﾒｰﾙです"), sj("ﾒｰﾙ"), true, 4},
        {"a word ending in a lone lead byte", leadOnly, "\x88", true, npos},
        {"which a non-trail byte may follow", "\x88\r\n", "\x88", true, 0},
        {"an empty word", kanji, "", false, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SjisFinder(c.word, c.caseSensitive).find(c.text), c.expected) << c.name;
}

TEST(SjisFinder, AgreesWithACharacterWalkOnMixedText) {
    // Characters of every kind: ASCII, half-width katakana, symbols (81), full-width
    // letters and hiragana (82), katakana (83, one with the trail byte "\\"), box drawing
    // (84), NEC specials (87), kanji of both levels (88-9F, E0-EA), IBM extensions (FA-FC),
    // trail bytes of every range.
    const std::vector<std::string> pool = {
        "a", "A", "d", "q", "@", " ", "\r\n", "\xB1", "\xDF", "\x81\x40", "\x81\x7E", "\x82\x60",
        "\x82\x81", "\x82\xA0", "\x83\x40", "\x83\x96", "\x84\x9F", "\x87\x40", "\x88\x9F",
        "\x83\x5C", "\x93\x64", "\x8E\x71", "\x9F\xFC", "\xE0\x40", "\xEA\xA4", "\xFA\x40", "\xFC\x4B", "\x88\x88",
    };
    std::mt19937 random(21);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) text += pool[random() % pool.size()];
        if (text.empty()) continue;
        // Words cut at any byte, so that many begin or end inside a character.
        const std::size_t from = random() % text.size();
        std::string word = text.substr(from, 1 + random() % std::min<std::size_t>(6, text.size() - from));
        const bool caseSensitive = random() % 2 == 0;
        if (!caseSensitive && random() % 2 == 0) word = sjisUpperCase(word);
        EXPECT_EQ(SjisFinder(word, caseSensitive).find(text), oracleFind(text, word, caseSensitive))
            << "text " << ::testing::PrintToString(text) << " word " << ::testing::PrintToString(word);
    }
}

}  // namespace
}  // namespace morvaline
