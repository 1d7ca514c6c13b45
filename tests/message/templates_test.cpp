// Template fields and the date and time pictures they are written with.

#include "message/templates.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/item.h"

namespace morvaline {
namespace {

DateLocale japanese() {
    DateLocale l;
    l.shortDate = "yyyy/MM/dd";
    l.longDate = sj("yyyy'年'M'月'd'日'");
    l.time = "H:mm:ss";
    l.defaultTime = "HH:mm";
    const char* days[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    for (int i = 0; i < 7; ++i) {
        l.dayNames[static_cast<std::size_t>(i)] = sj(days[i]);
        l.shortDayNames[static_cast<std::size_t>(i)] = sj(days[i]).substr(0, 2);
    }
    for (int m = 1; m <= 12; ++m) {
        l.monthNames[static_cast<std::size_t>(m - 1)] = std::to_string(m) + sj("月");
        l.shortMonthNames[static_cast<std::size_t>(m - 1)] = std::to_string(m);
    }
    l.am = sj("午前");
    l.pm = sj("午後");
    l.era = sj("西暦");
    return l;
}

FileTime at(int y, int mo, int d, int h, int mi, int s) {
    return *fileTimeFromFields({y, mo, d, h, mi, s, 0, 0});
}

std::string field(std::string_view name, std::string_view format = {}) {
    std::string f = "\x01" + sj(name);
    if (!format.empty()) f += " " + std::string(format);
    return f + "\x02";
}

TEST(DatePictures, EveryPictureLetterAndTheNamedFormats) {
    const DateLocale l = japanese();
    const FileTime t = at(2001, 2, 3, 14, 5, 9);  // a Saturday afternoon
    struct Row {
        const char* fault;
        std::string picture;
        std::string date;  // as a date picture
        std::string time;  // as a time picture
    };
    const Row rows[] = {
        {"numbers without zeros", "d/M/y h:m:s", "3/2/1 h:m:s", "d/M/y 2:5:9"},
        {"numbers with zeros", "dd/MM/yy hh:mm:ss", "03/02/01 hh:mm:ss", "dd/MM/yy 02:05:09"},
        {"long year or 24-hour clock", "yyyy HH H", "2001 HH H", "yyyy 14 14"},
        {"names", "ddd dddd MMM MMMM gg", sj("土 土曜日 2 2月 西暦"), "ddd dddd MMM MMMM gg"},
        {"designators", "t tt", "t tt", sj("午 午後")},
        {"quoted text read as letters", "'dd''s' d", "dd's 3", "dd's d"},
        {"unclosed quote read past the end", "d 'abc", "3 abc", "d abc"},
        // "年" ends in the byte "N" and "月" is followed by "d": only whole characters count.
        {"kanji bytes read as letters", sj("d日M月yy年"), sj("3日2月01年"), sj("d日M月yy年")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(FormatDatePicture(t, row.picture, l), row.date);
        EXPECT_EQ(FormatTimePicture(t, row.picture, l), row.time);
    }
    EXPECT_EQ(FormatTimePicture(at(2001, 2, 3, 0, 5, 9), "h tt", l), "12 " + sj("午前"));

    EXPECT_EQ(FormatDateField(t, "", l), "2001/02/03");
    EXPECT_EQ(FormatDateField(t, sj("標準の短い形式"), l), "2001/02/03");
    EXPECT_EQ(FormatDateField(t, sj("標準の長い形式"), l), sj("2001年2月3日"));
    EXPECT_EQ(FormatDateField(t, "yyyy.MM", l), "2001.02");
    EXPECT_EQ(FormatTimeField(t, "", l), "14:05:09");
    EXPECT_EQ(FormatTimeField(t, sj("標準"), l), "14:05");
    EXPECT_EQ(FormatTimeField(t, "H'h'", l), "14h");
    EXPECT_EQ(FormatDateField(0, "", l), "");  // no time
    EXPECT_EQ(FormatTimeField(0, sj("標準"), l), "");
}

TEST(Templates, FieldsExpandToTheirValues) {
    TemplateFields f;
    f.created = at(2001, 2, 3, 14, 5, 9);
    f.answered = at(1999, 12, 31, 23, 59, 58);
    f.answeredHandle = sj("花子");
    f.answeredId = "MVL00002";
    f.answeredTitle = sj("質問");
    f.answeredNumber = 42;
    f.ownHandle = sj("太郎");
    f.ownId = "MVL00001";
    f.title = sj("RE:質問");
    f.fileName = "a.txt";
    f.fileSize = 0;
    f.hostAddress = "LUDRIX:ABC/3/42";
    const DateLocale l = japanese();

    std::string all;
    for (const std::string& name : templateFieldNames()) all += "\x01" + name + "\x02|";
    EXPECT_EQ(ExpandTemplateLine(all, f, l), "2001/02/03|14:05:09|" + sj("花子") + "|MVL00002|" +
                                                 sj("質問") + "|1999/12/31|23:59:58|42|" +
                                                 sj("太郎") + "|MVL00001|" + sj("RE:質問") +
                                                 "||a.txt||||0|2.34||||LUDRIX:ABC/3/42|");

    struct Row {
        const char* fault;
        std::string line;
        std::string expanded;
    };
    const Row rows[] = {
        {"format argument ignored", field("作成日付", "yyyy'/'M"), "2001/2"},
        {"format of the answered date ignored", field("相手の時刻", "HH'h'"), "23h"},
        {"unknown name expanded", "a" + field("宛先") + "b", "ab"},
        {"name compared without its case", field("相手id"), ""},
        {"open field at the line end copied", "a\x01" + sj("題名"), "a"},
        {"close marker outside a field dropped", "a\x02b", "a\x02b"},
        {"second open marker ends the field", "\x01x\x01" + sj("題名") + "\x02!", "!"},
        {"missing file read as something", field("ﾌｧｲﾙ名大文字"), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(ExpandTemplateLine(row.line, f, l), row.expanded);
    }
    // Without an answered message its fields are empty.
    EXPECT_EQ(ExpandTemplateLine(field("相手の番号") + field("相手の日付"), TemplateFields{}, l),
              "");
    EXPECT_EQ(ExpandTemplateText(field("私のID") + "\r\n\n" + field("相手ID") + "\n", f, l),
              "MVL00001\n\nMVL00002\n");
}

TEST(Templates, ExpansionOfAHugeLineIsCutWhole) {
    TemplateFields f;
    // 1000 values of 50 bytes: the 49,999th byte is the first of the last kanji.
    f.answeredTitle = std::string(48, 'x') + sj("漢");
    std::string line;
    for (int i = 0; i < 1000; ++i) line += field("相手の題名");
    const std::string out = ExpandTemplateLine(line, f, japanese());
    std::string whole;
    for (int i = 0; i < 999; ++i) whole += f.answeredTitle;
    EXPECT_EQ(out, whole + std::string(48, 'x'));
}

TEST(Templates, FieldsWrittenInParentheses) {
    const std::string typed = sj("(相手ﾊﾝﾄﾞﾙ名) さん (笑) (作成日付 yyyy/MM/dd) (題名");
    const std::string stored = FieldsFromText(typed);
    EXPECT_EQ(stored, field("相手ﾊﾝﾄﾞﾙ名") + sj(" さん (笑) ") + field("作成日付", "yyyy/MM/dd") +
                          sj(" (題名"));
    EXPECT_EQ(FieldsAsText(stored), typed);
}

TEST(Templates, HostAddressOfAForumMessage) {
    CItem room;
    room.m_nKind = kind::kRoom;
    room.m_strPath = "ABC/3";
    CItem message;
    message.m_nNumber = 42;
    EXPECT_EQ(hostAddressOf(room, message), "LUDRIX:ABC/3/42");
    message.m_strPath = "ABC/3/7/42";
    EXPECT_EQ(hostAddressOf(room, message), "LUDRIX:ABC/3/7/42");
    CItem mail;
    mail.m_nKind = kind::kReceivedMail;
    EXPECT_EQ(hostAddressOf(mail, message), "");
}

}  // namespace
}  // namespace morvaline
