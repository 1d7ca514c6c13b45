// Shift_JIS <-> ISO-2022-JP conversion. The two-way rows were produced by nkf from the
// Shift_JIS text; glibc's iconv checks the code arithmetic over the whole JIS X 0208 table.

#include "message/iso2022jp.h"
#include "message/jis_code.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace morvaline {
namespace {

using namespace std::string_literals;

struct TwoWayRow {
    const char* fault;
    const char* utf8;  // the Shift_JIS side, written in UTF-8
    std::string jis;
};

const TwoWayRow kTwoWay[] = {
    {"kanji and kana lose their row or cell", "日本語のテキスト、漢字とかなとカナ。",
     "\x1B$BF|K\\8l$N%F%-%9%H!\"4A;z$H$+$J$H%+%J!#\x1B(B"},
    {"symbols of the upper rows are mapped wrongly", "記号＜＞「」【】〒※★☆♪",
     "\x1B$B5-9f!c!d!V!W!Z![\")\"(!z!y\"v\x1B(B"},
    {"escape left open before ASCII inside a line", "Subject: 会議の件 (10/3) について",
     "Subject: \x1B$B2q5D$N7o\x1B(B (10/3) \x1B$B$K$D$$$F\x1B(B"},
    {"trail byte 0x5C taken for a backslash", "表示ソフト能力", "\x1B$BI=<(%=%U%HG=NO\x1B(B"},
    {"escape sequence left open at a line end", "一行目\r\n二行目\r\n",
     "\x1B$B0l9TL\\\x1B(B\r\n\x1B$BFs9TL\\\x1B(B\r\n"},
    {"ASCII text gains escape sequences", "plain ASCII\r\n", "plain ASCII\r\n"},
    {"empty text", "", ""},
};

TEST(Iso2022Jp, ConvertsBothWaysLikeNkf) {
    for (const auto& row : kTwoWay) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(SjisToJis(sj(row.utf8)), row.jis);
        EXPECT_EQ(JisToSjis(row.jis), sj(row.utf8));
    }
}

TEST(Iso2022Jp, HalfWidthKatakanaBecomeFullWidthOneByOne) {
    // nkf's bytes for "ﾃｽﾄ ｱｲｳ"; the voiced mark stays a separate character (゛).
    EXPECT_EQ(SjisToJis(sj("ﾃｽﾄ ｱｲｳ")), "\x1B$B%F%9%H\x1B(B \x1B$B%\"%$%&\x1B(B");
    EXPECT_EQ(JisToSjis(SjisToJis(sj("ｶﾞﾊﾟ"))), sj("カ゛ハ゜"));
}

TEST(Iso2022Jp, SjisToJisAlwaysProgressesOverBrokenBytes) {
    struct Row {
        const char* fault;
        std::string sjis;
        std::string jis;
    };
    const Row rows[] = {
        {"trailing lone lead byte read past the end", "a\x88", "a"},
        {"lead byte swallows the line end after it", "\x88\r\nb", "\r\nb"},
        {"bytes that start no character stall the loop", "\x80\xA0\xFD\xFE\xFFz", "z"},
        {"user-defined code emitted as garbage", "\xF0\x40x", "x"},
        {"alternating kana and ASCII overflow a 4x buffer",
         "\xB1"
         "a"
         "\xB1"
         "a",
         "\x1B$B%\"\x1B(Ba\x1B$B%\"\x1B(Ba"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(SjisToJis(row.sjis), row.jis);
    }
}

TEST(Iso2022Jp, JisToSjisReadsEveryDesignationAndShift) {
    struct Row {
        const char* fault;
        std::string jis;
        const char* utf8;
    };
    const Row rows[] = {
        {"old JIS designation ESC $ @ ignored", "\x1B$@F|K\\\x1B(J!", "日本!"},
        {"ESC ( H not leaving two-byte mode", "\x1B$BF|\x1B(Hx", "日x"},
        {"SO/SI katakana not shifted",
         "\x0E\x31\x32\x0F"
         "a",
         "ｱｲa"},
        {"line end inside a kana shift turned into a lead byte", "\x0E\x31\r\n\x0F", "ｱ\r\n"},
        {"unknown designation changes the mode", "\x1B(IA", "A"},
        {"pending first byte survives an escape", "\x1B$BF\x1B(Bx", "x"},
        {"trailing lone first byte written", "\x1B$BF|K", "日"},
        {"invalid pair written instead of dropped", "\x1B$B\x7F!F|", "日"},
        {"Shift_JIS mail no longer readable", "\x93\xFA\x96\x7B", "日本"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(JisToSjis(row.jis), sj(row.utf8));
    }
}

TEST(Iso2022Jp, StopAtQuoteOnlyInSingleByteMode) {
    // 0x22 is the cell of "ア" in two-byte mode and must not end a quoted string.
    const std::string jis = "\x1B$B%\"\x1B(B.txt\" rest";
    std::string out;
    const std::size_t stop = JisToSjis(jis, out, true);
    EXPECT_EQ(stop, jis.find("\" rest"));
    EXPECT_EQ(out, sj("ア.txt"));

    out.clear();
    EXPECT_EQ(JisToSjis("no quote", out, true), 8u);
}

// Converts one JIS X 0208 code to Shift_JIS through glibc: ISO-2022-JP -> UTF-8 -> CP932.
// 0 when glibc does not know the code.
std::uint16_t iconvJisToSjis(std::uint16_t jis) {
    const std::string in =
        "\x1B$B"s + static_cast<char>(jis >> 8) + static_cast<char>(jis & 0xFF) + "\x1B(B";
    iconv_t toUtf8 = iconv_open("UTF-8", "ISO-2022-JP");
    char utf8[16];
    char* inPtr = const_cast<char*>(in.data());
    char* outPtr = utf8;
    std::size_t inLeft = in.size(), outLeft = sizeof utf8;
    const bool known =
        iconv(toUtf8, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(toUtf8);
    if (!known || outPtr == utf8) return 0;
    const std::string sjis =
        utf8ToSjis(std::string_view(utf8, static_cast<std::size_t>(outPtr - utf8)));
    if (sjis.size() != 2) return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(sjis[0]) << 8 |
                                      static_cast<unsigned char>(sjis[1]));
}

TEST(JisCode, ArithmeticMatchesIconvOverTheWholeTable) {
    int compared = 0;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const auto jis = static_cast<std::uint16_t>(j1 << 8 | j2);
            const std::uint16_t sjis = jisToSjisCode(jis);
            ASSERT_EQ(sjisToJisCode(sjis), jis) << std::hex << jis;
            const std::uint16_t expected = iconvJisToSjis(jis);
            if (expected == 0) continue;
            ASSERT_EQ(sjis, expected) << std::hex << jis;
            ++compared;
        }
    }
    EXPECT_GT(compared, 6800);  // every assigned character of JIS X 0208
    EXPECT_EQ(jisToSjisCode(0x2020), 0);
    EXPECT_EQ(sjisToJisCode(0x817F), 0);  // 0x7F is never a trail byte
}

}  // namespace
}  // namespace morvaline
