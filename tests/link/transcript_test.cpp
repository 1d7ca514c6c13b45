#include "link/transcript.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

// Shift_JIS bytes that must come back unchanged from their transcript text.
TEST(Transcript, TextEscapesRoundTrip) {
    struct Case {
        const char* name;
        std::string sjis;
        const char* text;
    };
    const Case cases[] = {
        {"prompt with a trailing blank", "PASSWORD: ", "PASSWORD:\\x20"},
        {"line end", "abc\r\n", "abc\\r\\n"},
        {"backslash and tab", "a\\b\tc", "a\\\\b\\tc"},
        {"control bytes", std::string("\x00\x1b\x7f", 3), "\\x00\\x1B\\x7F"},
        {"Japanese", sj("番号またはコマンド="), "番号またはコマンド="},
        {"a trail byte 0x5C is no backslash", sj("ソ表"), "ソ表"},
        {"a lone lead byte", "a\x82", "a\\x82"},
        {"bytes that are no character", "\xA0\xFD", "\\xA0\\xFD"},
        {"half-width katakana", sj("ﾛｸﾞｲﾝ"), "ﾛｸﾞｲﾝ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(escapeTranscriptText(c.sjis), c.text);
        EXPECT_EQ(unescapeTranscriptText(c.text), c.sjis);
    }
}

TEST(Transcript, HostTextIsWrittenOneLinePerEntry) {
    const TranscriptEntry shown{TranscriptKind::Shown, "a\r\nb\r\nc", 1.5};
    EXPECT_EQ(formatTranscriptEntry(shown),
              "[    1.500] S: a\\r\\n\n"
              "[    1.500] S: b\\r\\n\n"
              "[    1.500] S: c\n");
    EXPECT_EQ(formatTranscriptEntry({TranscriptKind::Sent, "Q\r", -1}), "C: Q\\r\n");
    EXPECT_EQ(formatTranscriptEntry({TranscriptKind::Dropped, "", 2}), "[    2.000] X\n");
}

TEST(Transcript, ParsesWhatItWrites) {
    test::TempDir dir;
    const auto file = dir / "session.txt";
    {
        TranscriptWriter writer;
        ASSERT_TRUE(writer.open(file, nullptr));
        EXPECT_TRUE(writer.write(TranscriptKind::Shown, sj("USER_ID:\r\nようこそ\r\n"), 0.25));
        EXPECT_TRUE(writer.write(TranscriptKind::Sent, "MVL00001\r", 1));
        EXPECT_TRUE(writer.write(TranscriptKind::Dropped, {}, 2));
    }
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::string text;
    ASSERT_TRUE(readWholeFile(file, text));
    std::string error;
    const auto entries = parseTranscript(text, &error);
    ASSERT_TRUE(entries) << error;
    const std::vector<TranscriptEntry> expected = {
        {TranscriptKind::Shown, "USER_ID:\r\n", 0.25},
        {TranscriptKind::Shown, sj("ようこそ\r\n"), 0.25},
        {TranscriptKind::Sent, "MVL00001\r", 1},
        {TranscriptKind::Dropped, "", 2},
    };
    EXPECT_EQ(*entries, expected);
}

TEST(Transcript, RejectsLinesThatAreNoEntryWithTheirNumber) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"S: ok\nZ: what\n", "line 2: expected 'S:', 'C:' or 'X'"},
        {"# comment\n\nC: bad \\q escape\n", "line 3: bad escape"},
        {"S: cut \\x4\n", "line 1: bad escape"},
        {"[1.0 S: x\n", "line 1: time stamp without ']'"},
        {"[one] S: x\n", "line 1: bad time stamp"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(parseTranscript(c.text, &error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace morvaline
