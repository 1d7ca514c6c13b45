// Reply and forward subjects, and the answered number read out of a subject.

#include "message/subjects.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

std::string repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(ReplySubject, CountsLevelsOnlyWithTheCountingStyle) {
    struct Row {
        const char* fault;
        std::string subject;
        std::string counted;  // with the counting style
        std::string plain;    // without
    };
    const Row rows[] = {
        {"counted level not raised", "RE^3: abc", "RE^4: abc", "RE: abc"},
        {"first reply not counted as level 2", "RE: abc", "RE^2: abc", "RE: abc"},
        {"space inserted after the prefix", "abc", "RE:abc", "RE:abc"},
        {"second RE of another case not counted", "re:re^2:x", "RE^4:x", "RE:re:re^2:x"},
        {"star form or mixed case missed", "Re*5:x", "RE^6:x", "RE:x"},
        {"leading spaces kept", "   abc", "RE:abc", "RE:abc"},
        {"blank subject prefixed", "   ", "", ""},
        {"level without digits taken as a level", "RE^:x", "RE:RE^:x", "RE:RE^:x"},
        {"level without colon taken as a level", "RE^3 abc", "RE:RE^3 abc", "RE:RE^3 abc"},
        {"level overflowing an int read as a number", "RE^99999999999:x", "RE:RE^99999999999:x",
         "RE:RE^99999999999:x"},
        {"raised level overflowing an int", "RE^2147483647:x", "RE:RE^2147483647:x", "RE:x"},
        {"largest level lost", "RE^2147483646:x", "RE^2147483647:x", "RE:x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(MakeReplySubject(row.subject, true), row.counted);
        EXPECT_EQ(MakeReplySubject(row.subject, false), row.plain);
    }
}

TEST(ReplySubject, LongSubjectsAreCutWithoutSplittingACharacter) {
    // 69 bytes still get the prefix, 70 do not; both come out at 59 bytes.
    EXPECT_EQ(MakeReplySubject(repeat("a", 69), false), "RE:" + repeat("a", 56));
    EXPECT_EQ(MakeReplySubject(repeat("a", 70), false), repeat("a", 59));
    EXPECT_EQ(MakeReplySubject("RE:" + repeat("a", 68), true), "RE^2:" + repeat("a", 54));
    EXPECT_EQ(MakeReplySubject("RE:" + repeat("a", 69), true), "RE:" + repeat("a", 56));
    // "RE:a" and 27 kanji fill 58 bytes: the 28th kanji would end at byte 60.
    const std::string kanji = sj("漢");
    EXPECT_EQ(MakeReplySubject("a" + repeat(kanji, 30), false), "RE:a" + repeat(kanji, 27));
    EXPECT_EQ(MakeReplySubject("RE^1:a" + repeat(kanji, 40), true), "RE^2:a" + repeat(kanji, 26));
}

TEST(ForwardSubject, PrefixesOnceAndCutsWhole) {
    EXPECT_EQ(MakeForwardSubject("abc"), "abc");
    EXPECT_EQ(MakeForwardSubject("abcd"), "FW:abcd");
    EXPECT_EQ(MakeForwardSubject("FW:abcd"), "FW:abcd");
    // Only the exact prefix counts as a forward already.
    EXPECT_EQ(MakeForwardSubject("Fw:abcd"), "FW:Fw:abcd");
    EXPECT_EQ(MakeForwardSubject(repeat("a", 69)), "FW:" + repeat("a", 63));
    EXPECT_EQ(MakeForwardSubject(repeat("a", 70)), repeat("a", 66));
    const std::string kanji = sj("漢");
    EXPECT_EQ(MakeForwardSubject("a" + repeat(kanji, 32)), "FW:a" + repeat(kanji, 31));
    EXPECT_EQ(MakeForwardSubject("ab" + repeat(kanji, 32)), "FW:ab" + repeat(kanji, 30));
    EXPECT_EQ(MakeForwardSubject("abc" + repeat(kanji, 40)), "abc" + repeat(kanji, 31));
}

TEST(ReplyNumber, FindsTheAnsweredNumberAnywhere) {
    struct Row {
        const char* fault;
        std::string subject;
        int number;
        std::string left;  // the subject afterwards
    };
    const Row rows[] = {
        {"prefix and number not removed", sj("RE:#123 質問"), 123, sj("質問")},
        {"five-byte prefix missed", "RES>=45 x", 45, "x"},
        {"counted prefix missed", "re^2:15 x", 15, "x"},
        {"number after white space missed", "RE:  7 abc", 7, "7 abc"},
        {"number at the end of the text missed", "RE#42", 42, ""},
        {"prefix inside a word missed", "MORE 5", 5, "MORE 5"},
        {"later prefix not tried", "x RE: y RE:9", 9, "x RE: y RE:9"},
        {"text without prefix changed", "abc 12", 0, "abc 12"},
        {"prefix at the very end read past", "abc RE", 0, "abc RE"},
        {"zero taken as a number", "RE:0 x", 0, "RE:0 x"},
        {"number overflowing an int taken", "RE:99999999999 x", 0, "RE:99999999999 x"},
        {"trail byte read as a letter", sj("コ") + "E 5", 0, sj("コ") + "E 5"},
        {"outer spaces kept", "  hello  ", 0, "hello"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        std::string subject = row.subject;
        EXPECT_EQ(ReplyNumberFromSubject(subject), row.number);
        EXPECT_EQ(subject, row.left);
    }
}

}  // namespace
}  // namespace morvaline
