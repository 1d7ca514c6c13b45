// The pure parts of the mail service: entries of the host's two mail lists, deletion
// commands, addressees, text lines made safe for the host, and what a mail's text says.

#include <gtest/gtest.h>

#include "patrol/engine/outgoing_text.h"
#include "patrol/services/mail/mail_commands.h"
#include "patrol/services/mail/mail_header.h"
#include "patrol/services/mail/mail_list_lines.h"
#include "patrol/services/mail/mail_text.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"
#include "store/host_date.h"
#include "store/item_kinds.h"

namespace morvaline {
namespace {

TEST(MailListLines, ReceivedEntriesAreReadAtTheirBytePositions) {
    struct Case {
        const char* name;
        const char* line;
        int number;  // 0: not an entry
        const char* address;
        const char* senderName;
        bool network;
    };
    const Case cases[] = {
        {"a host ID with its handle at byte 42", "   1 99/12/20　済　00/01/19  MVL00002     ハナコ",
         1, "MVL00002", "ハナコ", false},
        {"an internet address without its prefix",
         "  12 99/12/29　未　00/01/28  INET#yamada@example.co.jp", 12, "yamada@example.co.jp", "",
         true},
        {"the trunk gateway's prefix is longer",
         "9999 99/12/29　転　00/01/28  TRUNKGW#user@host.example", 9999, "user@host.example", "",
         true},
        {"other networks keep their prefix", "   3 99/12/29　未　00/01/28  ORVEN#AB12345", 3,
         "ORVEN#AB12345", "", true},
        {"a prefix counts only in full", "   4 99/12/29　未　00/01/28  INETX123     ダレ", 4,
         "INETX123", "ダレ", false},
        {"a line that ends before the sender", "   1 99/12/20　済　00/01/19  ", 0, "", "", false},
        {"a line cut in the middle of the date", "   1 99/12", 0, "", "", false},
        {"no number", "     99/12/20　済　00/01/19  MVL00002", 0, "", "", false},
        {"an unknown state", "   1 99/12/20　新　00/01/19  MVL00002", 0, "", "", false},
        {"a page counter", "  1/  2", 0, "", "", false},
        // Numbers are digits among blanks, dates padded with zeros or blanks.
        {"a number on the left", "7    99/12/07　未　00/01/06  MVL00002     ハナコ", 7, "MVL00002",
         "ハナコ", false},
        {"a number padded with zeros", "0012 99/12/12　未　00/01/11  MVL00002", 12, "MVL00002", "",
         false},
        {"a number between blanks", " 12  99/12/12　未　00/01/11  MVL00002", 12, "MVL00002", "",
         false},
        {"two numbers", "1 2  99/12/12　未　00/01/11  MVL00002", 0, "", "", false},
        {"a date padded with blanks", "   8 99/ 1/ 5　未　99/ 2/ 4  MVL00002", 8, "MVL00002", "",
         false},
        {"a blank for a year's digit", "   8  9/01/05　未　99/02/04  MVL00002", 0, "", "", false},
        {"the column heading", "番号 受信日  状態  保存期限  発信者", 0, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto entry = parseReceivedListLine(sj(c.line));
        ASSERT_EQ(entry.has_value(), c.number != 0);
        if (!entry) continue;
        EXPECT_EQ(entry->number, c.number);
        EXPECT_EQ(entry->day, std::string(c.line).substr(5, 8));
        EXPECT_NE(entry->date, 0);
        EXPECT_EQ(sjisToUtf8(entry->sender.address), c.address);
        EXPECT_EQ(sjisToUtf8(entry->sender.name), c.senderName);
        EXPECT_EQ(entry->sender.network, c.network);
    }
}

TEST(MailListLines, AnEntryThatCannotBeReadIsToldFromOtherLines) {
    // A listing with such a line is not complete: nothing may be concluded from what it lacks.
    for (const char* unreadable :
         {"   1 99/13/20　済　00/01/19  MVL00002", "   x 99/12/20　済　00/01/19  MVL00002",
          "   1 99/12/20　済　00/01/19  ", "1 2  99/12/20　未　00/01/19  MVL00002"}) {
        SCOPED_TRACE(unreadable);
        EXPECT_FALSE(parseReceivedListLine(sj(unreadable)));
        EXPECT_TRUE(looksLikeReceivedEntry(sj(unreadable)));
    }
    for (const char* other : {"  1/  2", "番号 受信日  状態  保存期限  発信者", "", "   1 99/12"})
        EXPECT_FALSE(looksLikeReceivedEntry(sj(other))) << other;
    EXPECT_TRUE(looksLikeSentEntry(sj("   x 99/12/20  未確認")));
    EXPECT_FALSE(looksLikeSentEntry(sj("番号　送信日　　　確認日時　　　宛先コード　宛先名")));
}

TEST(MailListLines, TheLineAfterAnEntryIsASubjectAFileOrTheRestOfAnAddress) {
    struct Case {
        const char* name;
        const char* line;
        SubjectLine kind;
        const char* text;  // subject, or the rest of the address
    };
    const Case cases[] = {
        {"a subject at byte 12", "            先日のお礼", SubjectLine::Text, "先日のお礼"},
        {"a file mail at byte 11", "     ***   写真データ", SubjectLine::File, "写真データ"},
        {"an address going on at byte 9", "         testing.example.co.jp",
         SubjectLine::AddressGoesOn, "testing.example.co.jp"},
        {"trailing blanks, full-width blanks and a CR go", "            題名　　  \r",
         SubjectLine::Text, "題名"},
        {"an empty subject", "            ", SubjectLine::Text, ""},
        {"an empty line is no address", "", SubjectLine::Text, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string line = sj(c.line);
        ASSERT_EQ(subjectLineKind(line), c.kind);
        const std::string_view text =
            c.kind == SubjectLine::AddressGoesOn ? addressContinuation(line) : subjectOf(line);
        EXPECT_EQ(sjisToUtf8(text), c.text);
    }
}

TEST(MailListLines, TrimmingNeverTakesATrailByteForAFullWidthBlank) {
    // "\x88\x81" is one character whose trail byte is 0x81; the "@" after it is no part of
    // a full-width blank (0x81 0x40).
    const std::string text = std::string("ab\x88\x81@", 5);
    EXPECT_EQ(trimHostText(text), text);
    EXPECT_EQ(trimHostText(sj("  題名　")), sj("題名"));
}

TEST(MailListLines, SentEntriesCarryTheConfirmationAndTheForwardMark) {
    struct Case {
        const char* name;
        const char* line;
        int number;
        const char* confirmation;
        const char* address;
        const char* addresseeName;
        bool forwarded;
    };
    const Case cases[] = {
        {"read, forwarded", "   1 99/12/20  99/12/20 12:00  MVL00002   ハナコ  転", 1,
         "99/12/20 12:00", "MVL00002", "ハナコ", true},
        {"not read yet, internet", "   2 99/12/20  未確認          INET#x@example.com", 2, "未確認",
         "x@example.com", "", false},
        {"an addressee error", "   3 99/12/20  宛先エラー      MVL00009   ", 3, "宛先エラー",
         "MVL00009", "", false},
        {"a name that merely contains 転 is no forward",
         "   4 99/12/20  未確認          MVL00002   転勤  ", 4, "未確認", "MVL00002", "転勤",
         false},
        {"too short", "   5 99/12/20  未確認", 0, "", "", "", false},
        {"padded with blanks, the number on the left",
         "12   99/ 1/ 5  00/ 1/ 6  9:05  MVL00002   ハナコ", 12, "00/ 1/ 6  9:05", "MVL00002",
         "ハナコ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto entry = parseSentListLine(sj(c.line));
        ASSERT_EQ(entry.has_value(), c.number != 0);
        if (!entry) continue;
        EXPECT_EQ(entry->number, c.number);
        EXPECT_EQ(sjisToUtf8(entry->confirmation), c.confirmation);
        EXPECT_EQ(sjisToUtf8(entry->addressee.address), c.address);
        EXPECT_EQ(sjisToUtf8(entry->addressee.name), c.addresseeName);
        EXPECT_EQ(entry->forwarded, c.forwarded);
    }
}

TEST(MailHeader, TheFirstLineGivesTheDateInEitherForm) {
    const FileTime expected = *fileTimeFromFields({1999, 1, 5, 9, 5, 7, 0});
    const char* const forms[] = {
        "#00000003         99/01/05    09:05:07",  // the key, the date at byte 18
        "#00000003         99/ 1/ 5     9:05:07",
        "99/01/05 09:05:07  #00000003",  // the date first
        "99/ 1/ 5  9:05:07 #00000003",
    };
    for (const char* form : forms) EXPECT_EQ(parseHostDate(headerDateText(form)), expected) << form;
    EXPECT_EQ(parseHostDate(headerDateText(sj("番号またはコマンドが間違っています。"))), 0);
    EXPECT_EQ(headerDateText("#0000001"), "#0000001");  // too short for a key: no date in it
}

TEST(MailHeader, TheBlockEndsWithItsTitleWhateverComesBefore) {
    struct Case {
        const char* name;
        std::vector<const char*> lines;  // after the first line
        const char* sender;              // "" when none is found
        bool internet;
        std::size_t stored;  // lines of the block as stored
    };
    const Case cases[] = {
        {"the usual block",
         {"発信者：MVL00002      ハナコ", "受信者：MVL00001      デモ", "文書名：件名"},
         "MVL00002",
         false,
         5},
        {"an empty line after the first one is the block's own",
         {"", "発信者：INET#a@example.jp  A", "受信者：MVL00001      デモ", "文書名：件名"},
         "a@example.jp",
         true,
         5},
        {"many recipients and a file",
         {"発信者：MVL00002      ハナコ",
          "受信者：MVL00001",
          "受信者：CC000001",
          "受信者：CC000002",
          "受信者：CC000003",
          "受信者：CC000004",
          "受信者：CC000005",
          "受信者：CC000006",
          "受信者：CC000007",
          "受信者：CC000008",
          "受信者：CC000009",
          "受信者：CC000010",
          "受信者：CC000011",
          "受信者：CC000012",
          "受信者：CC000013",
          "受信者：CC000014",
          "受信者：CC000015",
          "受信者：CC000016",
          "ファイル：A.BIN（3バイト）",
          "文書名：件名"},
         "MVL00002",
         false,
         22},
        {"the sender after the recipient",
         {"受信者：MVL00001", "発信者：STAR#X1", "文書名：件名"},
         "STAR#X1",
         false,
         5},
        {"no sender line", {"受信者：MVL00001", "文書名：件名"}, "", false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MailHeaderBlock header("#00000003         99/01/05    09:05:07");
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(header.addLine(sj(c.lines[i])), i + 1 == c.lines.size());
        ASSERT_TRUE(header.complete());
        EXPECT_EQ(header.lines().size(), c.stored);
        EXPECT_EQ(header.lines()[1], "");
        EXPECT_NE(header.lines()[2], "");
        EXPECT_EQ(sjisToUtf8(header.title()), "件名");
        EXPECT_EQ(header.sender().address, c.sender);
        EXPECT_EQ(header.sender().internet, c.internet);
    }
    MailHeaderBlock notAMail(sj("番号またはコマンドが間違っています。訂正して下さい。"));
    EXPECT_FALSE(notAMail.addLine(""));
    EXPECT_FALSE(notAMail.complete());
    EXPECT_EQ(notAMail.title(), "");
}

TEST(MailHeader, TheTitleMustBeTheListedOneAllowingForBlanksAndTheListsCut) {
    struct Case {
        const char* header;  // after "文書名："
        const char* listed;
        bool same;
    };
    const Case cases[] = {
        {"会議の件", "会議の件", true},
        {"　会議の件", "会議の件", true},  // a full-width blank after the label
        {" 会議の件　 ", "会議の件", true},
        {"会議の件", "　会議の件　", true},            // the list kept blanks the header has not
        {"会議の件　詳細は追って", "会議の件", true},  // the list cut the subject short
        {"会議の件について", "会議の", true},
        {"会議の件", "会議の件について", false},
        {"別の件", "会議の件", false},
        {"", "会議の件", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleMatchesListed(sj(c.header), sj(c.listed)), c.same)
            << c.header << " / " << c.listed;
}

TEST(DeletionBatches, TwentyNumbersGoInTwoCommandsFromTheHighestDown) {
    std::vector<int> numbers;
    for (int n = 1; n <= 20; ++n) numbers.push_back(n);
    const auto batches = deletionBatches(numbers);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].command, "D20,19,18,17,16,15,14,13,12,11,10,9,8,7,6");
    EXPECT_EQ(batches[1].command, "D5,4,3,2,1");
    EXPECT_EQ(batches[1].numbers, (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST(DeletionBatches, AListEndsOnceItIsLongerThanFiftyCharacters) {
    // Four-digit numbers: ten make 49 characters, the eleventh crosses 50 and still goes.
    std::vector<int> numbers;
    for (int n = 1000; n < 1013; ++n) numbers.push_back(n);
    const auto batches = deletionBatches(numbers);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].numbers.size(), 11u);
    EXPECT_EQ(batches[0].command.size(), 1 + 54u);
    EXPECT_EQ(batches[1].command, "D1001,1000");
}

TEST(DeletionBatches, DuplicatesAndNumbersThatAreNoMailAreLeftOut) {
    const auto batches = deletionBatches({3, 0, 7, 3, -2});
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].command, "D7,3");
    EXPECT_TRUE(deletionBatches({}).empty());
}

TEST(SentListShows, AMailWentWhenTheListShowsItMoreOftenThanItWasRecordedSent) {
    std::vector<SentListEntry> entries(3);
    entries[0].addressee.address = "MVL00002";
    entries[0].subject = sj("お礼");
    for (SentListEntry* entry : {&entries[1], &entries[2]}) {
        entry->addressee.address = "x@example.com";
        entry->subject = sj("写真");
    }
    struct Case {
        const char* title;
        std::vector<std::string> addressees;
        int sentBefore;
        bool went;
    };
    const Case cases[] = {
        {"お礼", {"MVL00002"}, 0, true},
        {"お礼", {"MVL00003", "MVL00002"}, 0, true},
        {"お礼", {"MVL00002"}, 1, false},  // the entry is that of the mail sent before
        {"お礼", {"MVL00003"}, 0, false},
        {"予定", {"MVL00002"}, 0, false},
        {"写真", {"INET#x@example.com"}, 1, true},
        {"写真", {"x@example.com"}, 2, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sentListShows(entries, sj(c.title), c.addressees, c.sentBefore), c.went)
            << c.title << " " << c.addressees.front() << " " << c.sentBefore;
}

TEST(OutgoingText, LinesAreMadeSafeForTheHostsTextEntry) {
    struct Case {
        const char* name;
        std::string line;
        std::string sent;
    };
    const Case cases[] = {
        {"a line beginning with two dots would end the text", "..and more", " ..and more"},
        {"a single dot is fine", ".signature", ".signature"},
        {"control bytes go, a tab stays",
         "a\x08"
         "b\tc\x7f",
         "ab\tc"},
        {"a control byte before two dots cannot hide them", "\x01..x", " ..x"},
        {"double-byte text is untouched", sj("ソ表"), sj("ソ表")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hostTextLine(c.line), c.sent);
    }
    EXPECT_EQ(hostField("title\r\nQ\r\tx"), "titleQx");
}

TEST(OutgoingText, TextsSplitAtEveryKindOfLineEnd) {
    EXPECT_EQ(splitTextLines("a\nb\r\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(splitTextLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(splitTextLines("").empty());
}

TEST(OutgoingText, AddresseesAreSplitTrimmedAndCleaned) {
    EXPECT_EQ(splitAddressees(" MVL00002 ,user@example.com,,\tMVL00003\r"),
              (std::vector<std::string>{"MVL00002", "user@example.com", "MVL00003"}));
    EXPECT_TRUE(splitAddressees(" , ").empty());
}

TEST(MailText, TheFromLineGivesTheRealSender) {
    struct Case {
        const char* line;
        const char* address;  // empty: no From: line
        const char* name;
    };
    const Case cases[] = {
        {"From: Yamada Taro <yamada@example.co.jp>", "yamada@example.co.jp", "Yamada Taro"},
        {"From: \"Yamada, Taro\" <yamada@example.co.jp>", "yamada@example.co.jp", "Yamada, Taro"},
        {"From: yamada@example.co.jp (Yamada Taro)", "yamada@example.co.jp", "Yamada Taro"},
        {"From: <only@example.com>", "only@example.com", "only@example.com"},
        {"From: plain@example.com", "plain@example.com", "plain@example.com"},
        {"FROM: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <y@example.jp>", "y@example.jp", "山田"},
        {"From:   ", "", ""},
        {"Date: Wed, 29 Dec 1999", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto from = parseFromLine(c.line);
        ASSERT_EQ(from.has_value(), *c.address != '\0');
        if (!from) continue;
        EXPECT_EQ(from->address, c.address);
        EXPECT_EQ(sjisToUtf8(from->name), c.name);
    }
}

TEST(MailText, FlagsComeFromAClosedUuencodedFileAndAMultipartMessage) {
    const auto flagsOf = [](bool internet, std::vector<std::string> lines) {
        MailTextScan scan(internet);
        for (const std::string& line : lines) scan.addLine(line);
        return scan.flags();
    };
    const std::vector<std::string> header = {"#00000001         99/12/20    12:00:00", "",
                                             sj("発信者：INET#a@b.jp"), sj("文書名：x"), ""};
    auto multipart = header;
    multipart.insert(multipart.end(),
                     {"From: a@b.jp", "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b"});
    EXPECT_EQ(flagsOf(true, multipart), ITEM_FLAG_MIME);
    EXPECT_EQ(flagsOf(false, multipart), 0u);  // only internet mail is MIME
    // In the host's header block the text means nothing.
    EXPECT_EQ(flagsOf(true, {"#1", "Content-Type: multipart/mixed", ""}), 0u);

    auto uu = header;
    uu.insert(uu.end(), {"begin 644 PHOTO.DAT", "M86)C", "`", "end"});
    EXPECT_EQ(flagsOf(false, uu), ITEM_FLAG_UUENCODED);
    uu.pop_back();  // never closed
    EXPECT_EQ(flagsOf(false, uu), 0u);
}

}  // namespace
}  // namespace morvaline
