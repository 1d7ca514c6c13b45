// The mail assistant: rule matching, descriptions, the reply-to address and sorting.

#include "tools/mail_assistant.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/mail_folders.h"
#include "support/new_user.h"

namespace morvaline {
namespace {

CAssist rule(std::string subject, int folder, int enabled = 1, int kindMask = kAssistAllKinds) {
    CAssist r;
    r.subject = std::move(subject);
    r.folder = folder;
    r.enabled = enabled;
    r.kindMask = kindMask;
    return r;
}

TEST(MailAssistant, ReceivedRulesMatchEveryConditionCaseSensitivelyAndByKind) {
    const std::string kanji = sj("会議の予定");
    struct Case {
        const char* name;
        CAssist rule;
        std::string subject;
        int kind;
        bool expected;
    };
    const Case cases[] = {
        {"empty conditions match all", rule("", 1), "anything", kAssistText, true},
        {"subject contained", rule("abc", 1), "xabcx", kAssistText, true},
        {"case counts", rule("abc", 1), "ABC", kAssistText, false},
        {"text rule, binary mail", rule("", 1, 1, kAssistText), "x", kAssistBinary, false},
        {"the further binary flag", rule("", 1, 1, 0x800), "x", 0x800, true},
        {"double-byte text", rule(sj("予定"), 1), kanji, kAssistText, true},
        // "\x89\xEF" and "\x8B\x63" hold the bytes "\xEF\x8B": no match across characters.
        {"no match on a trail byte", rule("\xEF\x8B", 1), kanji, kAssistText, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matches(c.rule, c.subject, "name", "ID", "", c.kind), c.expected) << c.name;
    CAssist byReplyTo;
    byReplyTo.replyTo = "list@example";
    EXPECT_TRUE(matches(byReplyTo, "", "", "", "list@example.com", kAssistText));
    EXPECT_FALSE(matches(byReplyTo, "", "", "", "", kAssistText));
}

TEST(MailAssistant, ASentRuleNeedsAConditionOrASource) {
    CAssistSend none;
    EXPECT_FALSE(matches(none, "subject", "TO001", -1, kAssistText));
    CAssistSend byRecipient;
    byRecipient.recipient = "TO001";
    EXPECT_TRUE(matches(byRecipient, "subject", "TO000,TO001", -1, kAssistText));
    CAssistSend fromReceived;
    fromReceived.source = 0;
    EXPECT_TRUE(matches(fromReceived, "subject", "TO001", 0, kAssistText));
    EXPECT_FALSE(matches(fromReceived, "subject", "TO001", -1, kAssistText));
    EXPECT_EQ(sentMailKind(kind::kSentFileMail), kAssistBinary);
    EXPECT_EQ(receivedMailKind(ITEM_FLAG_FILE_MAIL | ITEM_FLAG_READ), kAssistBinary);
    EXPECT_EQ(receivedMailKind(ITEM_FLAG_READ), kAssistText);
}

TEST(MailAssistant, TheReplyToAddressComesFromTheInternetHeader) {
    const std::string host = sj("発信者：INET#a@b.example  A\r\n文書名：subject\r\n\r\n");
    struct Case {
        const char* name;
        std::string header;
        std::string expected;
    };
    const Case cases[] = {
        {"angle brackets", "Reply-To: List <list@x.example>\r\n", "list@x.example"},
        {"comment after", "REPLY-TO:  someone@x.example (Someone)\r\n", "someone@x.example"},
        {"continued", "reply-to:\r\n\t<late@x.example>\r\n", "late@x.example"},
        {"gateway prefix", "Reply-To: INET#p@x.example\r\n", "p@x.example"},
        {"none", "From: a@b.example\r\n", ""},
        {"only in the body", "From: a@b.example\r\n\r\nReply-To: body@x.example\r\n", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(replyToAddress(host + "Subject: s\r\n" + c.header + "\r\nbody\r\n"), c.expected) << c.name;
}

TEST(MailAssistant, DescriptionsNameTheFolderAndEveryCondition) {
    test::NewUser u;
    const int folder = addMailFolder(*u.doc, test::kMailFolderPlace, sj("仕事"));
    const int number = u.doc->tree().item(folder).m_nTarget;
    CAssist r = rule("abc", number);
    r.id = "ID1";
    EXPECT_EQ(sjisToUtf8(describe(r, u.doc->tree())),
              "仕事 へ移動 (もし題名に 'abc' が含まれてIDに 'ID1' が含まれている場合)");
    EXPECT_EQ(sjisToUtf8(describe(rule("", number + 1), u.doc->tree())), "変更なし (もしいる場合)");
    CAssistSend s;
    s.recipient = "TO1";
    s.source = 0;
    EXPECT_EQ(sjisToUtf8(describe(s, u.doc->tree())), "変更なし (もし宛先に 'TO1' が含まれて返信/転送元が受信ﾒｰﾙの場合)");
    s.source = number;
    EXPECT_EQ(sjisToUtf8(describe(s, u.doc->tree())), "変更なし (もし宛先に 'TO1' が含まれて返信/転送元が 仕事 の場合)");
}

TEST(MailAssistant, SortingMovesByTheFirstDecidingRuleAndOnlyThisPatrolsMail) {
    test::NewUser u;
    const int work = addMailFolder(*u.doc, test::kMailFolderPlace, "work");
    const int club = addMailFolder(*u.doc, test::kMailFolderPlace, "club");
    const int workNumber = u.doc->tree().item(work).m_nTarget;
    const int clubNumber = u.doc->tree().item(club).m_nTarget;
    {
        OpenedList received(*u.doc, test::kReceivedPlace);
        u.store(*received, "old work", "before this patrol");
        u.doc->startGeneration();
        u.store(*received, "work plan", "a");
        u.store(*received, "club news", "b");
        u.store(*received, "stay: work", "c");
        u.store(*received, "other", "d");
    }
    u.doc->receiveRules() = {rule("stay", 0), rule("work", 0, 0), rule("work", workNumber),
                             rule("club", clubNumber), rule("work", clubNumber)};
    const SortOutcome outcome = SortReceivedMail(*u.doc, true);
    EXPECT_EQ(outcome.moved, 2);
    auto titles = [&u](int place) {
        OpenedList list(*u.doc, place);
        std::vector<std::string> t;
        for (int i = 1; i < list->size(); ++i) t.emplace_back(list->item(i).m_szTitle.view());
        return t;
    };
    EXPECT_EQ(titles(work), std::vector<std::string>{"work plan"});
    EXPECT_EQ(titles(club), std::vector<std::string>{"club news"});
    const auto kept = titles(test::kReceivedPlace);
    EXPECT_EQ(std::vector<std::string>(kept.end() - 3, kept.end()),
              (std::vector<std::string>{"old work", "stay: work", "other"}));

    EXPECT_EQ(SortReceivedMail(*u.doc, false).moved, 1);  // now "old work" too
    EXPECT_EQ(titles(work).size(), 2u);
}

}  // namespace
}  // namespace morvaline
