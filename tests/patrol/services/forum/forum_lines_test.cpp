// The readers of the forum's host lines: tags, headers, title lines, menu entries, titles
// lists, the room's status line and the SIG banner.

#include <gtest/gtest.h>

#include "patrol/services/forum/forum_lines.h"
#include "patrol/services/sig/sig_navigator.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

TEST(ForumLines, TagLines) {
    struct Row {
        const char* fault;
        std::string line;
        std::optional<TagLine> tag;
    };
    const Row rows[] = {
        {"full form not read", "#12/30", TagLine{12, 30, true}},
        {"short form refused", "#12", TagLine{12, 0, false}},
        {"comment marker taken for the number", "#7/9    *** " + sj("ｺﾒﾝﾄ") + " 2", TagLine{7, 9, true}},
        {"text after a number refused", "#12 " + sj("について"), TagLine{12, 0, false}},
        {"slash without a number taken as full", "#12/x", TagLine{12, 0, false}},
        {"no digits taken as a tag", "#/3", std::nullopt},
        {"zero taken as a message", "#0/3", std::nullopt},
        {"number overflowing an int taken", "#99999999999/3", std::nullopt},
        {"highest overflowing taken", "#5/99999999999", TagLine{5, 0, false}},
        {"line without # taken", "12/30", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        const auto tag = parseTagLine(row.line);
        ASSERT_EQ(tag.has_value(), row.tag.has_value());
        if (!tag) continue;
        EXPECT_EQ(tag->number, row.tag->number);
        EXPECT_EQ(tag->highest, row.tag->highest);
        EXPECT_EQ(tag->fullForm, row.tag->fullForm);
    }
}

TEST(ForumLines, HeaderFieldsAreReadOnlyWhereTheLineReaches) {
    const std::string head = sj("★タイトル (");
    const auto full = parseMessageHeader(head + "MVL00002)  99/12/29 09:15      3" + sj("件"));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->senderId, "MVL00002");
    EXPECT_EQ(full->date, *fileTimeFromFields({1999, 12, 29, 0, 0, 0, 0}));
    EXPECT_EQ(full->comments, 3);
    // Too short for the count, then too short for the date: the fields stay empty.
    const auto noCount = parseMessageHeader(head + "MVL00002)  99/12/29 09:15");
    ASSERT_TRUE(noCount);
    EXPECT_EQ(noCount->comments, -1);
    const auto idOnly = parseMessageHeader(head + "AB)");
    ASSERT_TRUE(idOnly);
    EXPECT_EQ(idOnly->senderId, "AB");
    EXPECT_EQ(idOnly->date, 0);
    EXPECT_FALSE(parseMessageHeader(head + "mvl00002)"));
    EXPECT_FALSE(parseMessageHeader(sj("★タイトル") + "(MVL00002)"));
}

TEST(ForumLines, TitleAndHandleSplitAtTheLastSeparator) {
    struct Row {
        const char* fault;
        std::string line, title, handle;
    };
    const Row rows[] = {
        {"full-width blank missed", sj("会議の件　ハナコ"), sj("会議の件"), sj("ハナコ")},
        {"first blank taken instead of last", "RE:#10 a b  Name", "RE:#10 a b", "Name"},
        {"full-width slash missed", sj("題名／タロウ"), sj("題名"), sj("タロウ")},
        {"trail byte taken for a blank", sj("ソ表"), sj("ソ表"), ""},
        {"empty title kept empty", sj("　ハナコ"), sj("ハナコ"), sj("ハナコ")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        const TitleLine split = splitTitleLine(row.line);
        EXPECT_EQ(split.title, row.title);
        EXPECT_EQ(split.handle, row.handle);
    }
}

TEST(ForumLines, MenuEntriesGiveRoomsFoldersAndTheirHighestNumbers) {
    const auto rooms = parseMenuRooms(sj("　１．雑談会議室        [  123]  　２．質問　［４５］"));
    ASSERT_EQ(rooms.size(), 2u);
    EXPECT_EQ(rooms[0].number, 1);
    EXPECT_EQ(rooms[0].name, sj("雑談会議室"));
    EXPECT_EQ(rooms[0].highest, 123);
    EXPECT_EQ(rooms[0].kind, MenuRoom::Kind::Room);
    EXPECT_EQ(rooms[1].highest, 45);

    // "２．" inside "１２．" is no entry of its own.
    const auto twelve = parseMenuRooms(sj("　１２．十二番目 [    1]"));
    ASSERT_EQ(twelve.size(), 1u);
    EXPECT_EQ(twelve[0].number, 12);

    const auto folder = parseMenuRooms(sj("　５．過去ログ　＞＞"));
    ASSERT_EQ(folder.size(), 1u);
    EXPECT_EQ(folder[0].kind, MenuRoom::Kind::Folder);
    EXPECT_EQ(folder[0].name, sj("過去ログ"));
    EXPECT_EQ(parseMenuRooms(sj("　ＯＬＴ＋（＊）")).size(), 0u);  // no number: not an entry
    EXPECT_EQ(parseMenuRooms(sj("　６．ＯＬＴ＋（＊）"))[0].kind, MenuRoom::Kind::Talk);
    // A bracket that holds no number leaves the name whole.
    EXPECT_EQ(parseMenuRooms(sj("　７．会議 [ver 2]"))[0].name, sj("会議 [ver 2]"));
    EXPECT_EQ(parseMenuRooms(sj("　８．大きすぎ [99999999999]"))[0].kind, MenuRoom::Kind::Folder);
}

TEST(ForumLines, TitlesListAndStatusLine) {
    EXPECT_TRUE(isTitlesHeading(sj("番号　登録日付　タイトル　総数：    4")));
    // The columns of a titles list differ from host to host: the title may follow the date
    // after one blank, the date may be padded with blanks or carry a time.
    const struct {
        const char* line;
        int number;
        LocalTimeFields date;
        const char* title;
    } kEntries[] = {
        {"    2  99/12/03  話題 その2", 2, {1999, 12, 3, 0, 0, 0, 0}, "話題 その2"},
        {"12 99/ 1/ 5 一桁の月", 12, {1999, 1, 5, 0, 0, 0, 0}, "一桁の月"},
        {"7 1999/12/03 10:30 時刻つき", 7, {1999, 12, 3, 10, 30, 0, 0}, "時刻つき"},
        {"8 99/12/03 10:30:15", 8, {1999, 12, 3, 10, 30, 15, 0}, ""},
        {"9 99/12/03 12:00の会", 9, {1999, 12, 3, 0, 0, 0, 0}, "12:00の会"},
    };
    for (const auto& e : kEntries) {
        const auto entry = parseTitleEntry(sj(e.line));
        ASSERT_TRUE(entry) << e.line;
        EXPECT_EQ(entry->number, e.number) << e.line;
        EXPECT_EQ(entry->date, *fileTimeFromFields(e.date)) << e.line;
        EXPECT_EQ(entry->title, sj(e.title)) << e.line;
    }
    EXPECT_FALSE(parseTitleEntry("  1/  2"));  // a page counter
    EXPECT_FALSE(parseTitleEntry("    3  not a date"));

    EXPECT_EQ(statusHighest("120/456"), 456);
    EXPECT_EQ(statusHighest("0/0"), std::nullopt);
    EXPECT_EQ(statusHighest("1/100000"), std::nullopt);
    EXPECT_EQ(statusHighest("12"), std::nullopt);
}

TEST(ForumLines, BannerCodeIsInTheLastLine) {
    EXPECT_EQ(sigBannerCode(sj("ようこそ\r\n　１．総合\r\n\r\nパソコンＳＩＧ  (PCSIG)\r\n\r\n")), "PCSIG");
    EXPECT_EQ(sigBannerCode(sj("パソコンＳＩＧ (PCSIG)")), std::nullopt);  // one blank only
    EXPECT_EQ(sigBannerCode(sj("名前  (TOO-LONG1)")), std::nullopt);
    EXPECT_EQ(sigBannerCode(sj("名前  (PCSIG)\r\nもう一行")), std::nullopt);
}

}  // namespace
}  // namespace morvaline
