// The receive filter and the screen lines it writes.

#include "comm/receive_filter.h"

#include <gtest/gtest.h>

#include <random>

#include "comm/screen_lines.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

std::string filterOnce(std::string_view raw, bool telnet = false) {
    ScreenLines screen(10);
    ReceiveFilter filter(screen);
    filter.setTelnet(telnet);
    FilterOutput out;
    filter.feed(raw, out, {});
    return out.text;
}

TEST(ReceiveFilter, PassesTextAndOnlyFourControlBytes) {
    struct Case {
        const char* name;
        std::string raw;
        std::string text;
    };
    const Case cases[] = {
        {"text, HT, CR and LF pass", "a\tb\r\n", "a\tb\r\n"},
        {"NUL, ESC and the others are dropped", std::string("a\0\x1b[1m\x01\x0c\x7f", 9),
         "a[1m\x7f"},
        {"BEL is dropped", "\x07x", "x"},
        {"BS in column 0 is dropped", "\bx\b", "x\b"},
        {"a lead byte waits for its partner", sj("漢字"), sj("漢字")},
        {"bytes with the high bit set pass", "\xA0\xFF\x80", "\xA0\xFF\x80"},
        {"a control byte after a lead byte does not ride along", std::string("\x82\0x", 3),
         "\x82x"},
        {"a lead byte before CR LF goes on alone", "\x82\r\n", "\x82\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filterOnce(c.raw), c.text);
    }
}

TEST(ReceiveFilter, ADoubleByteCharacterSplitAcrossReadsStaysWhole) {
    ScreenLines screen(10);
    ReceiveFilter filter(screen);
    const std::string text = sj("あ");
    FilterOutput out;
    filter.feed(text.substr(0, 1), out, {});
    EXPECT_EQ(out.text, "");  // held until the trail byte comes
    filter.feed(text.substr(1), out, {});
    EXPECT_EQ(out.text, text);
    EXPECT_EQ(screen.line(0).substr(0, 2), text);
}

TEST(ReceiveFilter, TelnetCommandsAreTakenOutOnTelnetLinesOnly) {
    const std::string raw =
        "a\xFF\xFD\x01"
        "b\xFF\xFF"
        "c";
    EXPECT_EQ(filterOnce(raw, true),
              "ab\xFF"
              "c");
    EXPECT_EQ(filterOnce(raw, false),
              "a\xFF\xFD"
              "b\xFF\xFF"
              "c");  // 0x01 is a control byte
}

TEST(ReceiveFilter, BeepIsNoted) {
    ScreenLines screen(10);
    ReceiveFilter filter(screen);
    FilterOutput out;
    filter.feed("no bell", out, {});
    EXPECT_FALSE(out.beep);
    filter.feed("\x07", out, {});
    EXPECT_TRUE(out.beep);
}

TEST(ReceiveFilter, TraceLinesGoToTheDisplayInPlaceButNotToTheEngine) {
    ScreenLines screen(10);
    ReceiveFilter filter(screen);
    filter.setTelnet(true);
    FilterOutput out;
    const std::string kanji = sj("字");
    // A lead byte is held when the command arrives; the trace must not take it.
    const std::string raw = "ab" + kanji.substr(0, 1) + "\xFF\xFD\x01" + kanji.substr(1) + "c";
    filter.feed(raw, out,
                [&](const TelnetCommand&) { filter.feedTrace("[Recv do ECHO]\r\n", out); });
    EXPECT_EQ(out.text, "ab" + kanji + "c");
    EXPECT_EQ(out.display(), "ab[Recv do ECHO]\r\n" + kanji + "c");
}

TEST(ReceiveFilter, TransferModeTakesOnlyTheTelnetCommandsOut) {
    ScreenLines screen(10);
    ReceiveFilter filter(screen);
    filter.setTelnet(true);
    std::string data;
    int commands = 0;
    filter.feedTelnetOnly(std::string("\x00\x07\xFF\xFF\xFF\xFB\x01\x82", 8), data,
                          [&](const TelnetCommand&) { ++commands; });
    EXPECT_EQ(data, std::string("\x00\x07\xFF\x82", 4));
    EXPECT_EQ(commands, 1);
}

// --- Screen lines ---

std::string lineText(const ScreenLines& screen, int k) {
    const std::string_view line = screen.line(k);
    return std::string(line.substr(0, line.find('\0')));
}

TEST(ScreenLines, TabsStopEveryEightColumnsBeforeTheLast) {
    ScreenLines screen(3);
    for (const char c : std::string("abc")) screen.putByte(c);
    screen.tab();
    EXPECT_EQ(screen.column(), 8);
    EXPECT_EQ(lineText(screen, 0), "abc     ");  // five blanks
    screen.carriageReturn();
    for (int i = 0; i < 75; ++i) screen.putByte('x');
    screen.tab();
    EXPECT_EQ(screen.column(), 75);  // from column 72 on nothing is stored
}

TEST(ScreenLines, ADoubleByteCharacterAtColumn79StartsTheNextLine) {
    ScreenLines screen(3);
    for (int i = 0; i < 79; ++i) screen.putByte('x');
    screen.putPair(0x82, 0xA0);
    EXPECT_EQ(lineText(screen, 0), std::string(79, 'x'));
    EXPECT_EQ(lineText(screen, 1), "\x82\xA0");
    EXPECT_EQ(screen.column(), 2);
}

TEST(ScreenLines, TheRingReusesTheOldestLine) {
    ScreenLines screen(3);
    for (const char* text : {"one", "two", "three", "four"}) {
        for (const char* p = text; *p; ++p) screen.putByte(*p);
        screen.carriageReturn();
        screen.lineFeed();
    }
    EXPECT_EQ(screen.lineCount(), 3);
    EXPECT_EQ(lineText(screen, 0), "three");
    EXPECT_EQ(lineText(screen, 1), "four");
    EXPECT_EQ(lineText(screen, 2), "");  // a new line is blank
    const ScreenLines::Changes changes = screen.takeChanges();
    EXPECT_EQ(changes.newLines, 2);
    EXPECT_EQ(changes.scrolledLines, 2);
}

TEST(ScreenLines, AfterABareLineFeedWritingStaysInsideTheLine) {
    ScreenLines screen(2);
    for (int i = 0; i < 50; ++i) screen.putByte('a');
    screen.lineFeed();  // the column stays at 50, writing starts at the line's start
    screen.putByte('b');
    EXPECT_EQ(lineText(screen, 1), "b");
    for (int i = 0; i < 60; ++i) screen.backspace();  // never before the line
    EXPECT_EQ(lineText(screen, 1), " ");
    EXPECT_EQ(screen.column(), 0);
    // The early wrap of a line that began after a bare LF.
    screen.lineFeed();
    for (int i = 0; i < 30; ++i) screen.putByte('c');
    for (int i = 0; i < 200; ++i) screen.tab();
    for (int i = 0; i < 500; ++i) screen.putPair(0x88, 0x9F);
    SUCCEED();  // stayed inside the store (checked under the sanitizers)
}

// Text written in one go lands exactly where the same characters and control bytes
// written one by one do, whatever the column it starts at (wraps, double-byte characters
// at the last column, a lead byte before a control byte), and stops at the same byte.
TEST(ScreenLines, TextInOneGoEqualsCharacterByCharacter) {
    std::mt19937 random(7);
    const unsigned char alphabet[] = {'a', ' ', 0x82, 0xA0, 0x88, 0xE0, 0xFC, 0xB1, 0x40, 0x5C,
                                      'a', 'b', 0x93, 0xFA, '\r', '\n', '\t', '\b', 0x07};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const std::size_t length = random() % 400;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>(alphabet[random() % sizeof alphabet]);
        const int startColumn = static_cast<int>(random() % 80);

        ScreenLines bulk(8);
        ScreenLines single(8);
        for (int i = 0; i < startColumn; ++i) {
            bulk.putByte('-');
            single.putByte('-');
        }
        const std::size_t written = bulk.putText(text);
        std::size_t pos = 0;
        while (pos < text.size()) {
            const auto byte = static_cast<std::uint8_t>(text[pos]);
            const auto next = pos + 1 < text.size() ? static_cast<std::uint8_t>(text[pos + 1]) : 0;
            if (byte < 0x20) {
                if (byte == '\r') {
                    single.carriageReturn();
                } else if (byte == '\n') {
                    single.lineFeed();
                } else if (byte == '\t') {
                    single.tab();
                } else if (byte == '\b' && single.column() > 0) {
                    single.backspace();
                } else {
                    break;  // left to the caller: dropped
                }
                ++pos;
            } else if (!isSjisLeadByte(byte) || (pos + 1 < text.size() && next < 0x20)) {
                single.putByte(byte);  // a lead byte before a control byte stands alone
                ++pos;
            } else if (pos + 1 == text.size()) {
                break;  // its partner has not arrived
            } else {
                single.putPair(byte, next);
                pos += 2;
            }
        }
        ASSERT_EQ(written, pos);
        ASSERT_EQ(bulk.column(), single.column());
        ASSERT_EQ(bulk.row(), single.row());
        ASSERT_EQ(bulk.lineCount(), single.lineCount());
        for (int k = 0; k < bulk.lineCount(); ++k)
            ASSERT_EQ(bulk.line(k), single.line(k)) << "line " << k;
    }
}

TEST(ScreenLines, ResizeKeepsTheNewestLines) {
    ScreenLines screen(5);
    for (const char c : std::string("abcd")) {
        screen.putByte(c);
        screen.carriageReturn();
        screen.lineFeed();
    }
    screen.resize(2);
    EXPECT_EQ(screen.lineCount(), 2);
    EXPECT_EQ(lineText(screen, 0), "d");
    screen.resize(4);
    EXPECT_EQ(lineText(screen, 0), "d");
    EXPECT_EQ(screen.lineCount(), 2);
    screen.clear();
    EXPECT_EQ(screen.lineCount(), 1);
    EXPECT_EQ(lineText(screen, 0), "");
}

}  // namespace
}  // namespace morvaline
