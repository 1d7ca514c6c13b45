// Dialogue tests of the mail service against the scripted host, with a real data set in a
// temporary folder: the list of received mail, reading, deleting, sending and the sent list.
// Each plays a transcript of what the host showed (S:), what the client sent (C:) and where
// the line dropped (X), in virtual time.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "link/result_codes.h"
#include "patrol/engine/reserved_text.h"
#include "patrol/services/mail/mail_service.h"
#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "message/base64.h"
#include "message/outgoing_items.h"
#include "store/outgoing_mail.h"
#include "support/scripted_host.h"
#include "support/temp_dir.h"
#include "support/text_store.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

constexpr int kReceived = 2;  // places of a new data set
constexpr int kOutgoing = 3;
constexpr int kSentList = 14;

std::unique_ptr<CTolDoc> newUser(const test::TempDir& dir, Registry& registry) {
    return CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
}

struct MailDialogue {
    explicit MailDialogue(std::string_view transcript)
        : host(transcript),
          sender(*doc, [this](std::string_view line) { return host.writeText(line, Secrecy::Plain); }),
          store(sender),
          engine(EngineLinks{host.block, host, store, host, host}, DialogueSettings{}),
          mail(engine, *doc) {
        engine.setWaitTimeout(120'000);
    }
    ~MailDialogue() { doc->close(); }

    void expectPlayedThrough() {
        EXPECT_TRUE(host.faults().empty()) << host.faults().front();
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries not played";
    }
    bool reported(const std::string& utf8) const {
        return std::find(host.reports().begin(), host.reports().end(), utf8) !=
               host.reports().end();
    }
    std::vector<CItem> items(int place) {
        OpenedList list(*doc, place);
        std::vector<CItem> all;
        for (int i = 1; i < list->size(); ++i) all.push_back(list->item(i));
        return all;
    }
    CItem item(int place, int index) {
        OpenedList list(*doc, place);
        return list->item(index);
    }
    // A received mail known from an earlier listing.
    int addReceived(const char* title, int number, const char* sender, int listedDay,
                    int reserve = -1) {
        OpenedList list(*doc, kReceived);
        CItem mail(0, number, 0, "", sj(title), kind::kReceivedMailMessage, 0,
                   *fileTimeFromFields(
                       {listedDay / 10000, listedDay / 100 % 100, listedDay % 100, 0, 0, 0, 0}));
        mail.m_strText = std::string(sender);
        mail.m_nReserve = reserve;
        mail.m_nSpare[0] = listedDay;
        mail.m_strExtra = std::string(sender);
        using namespace copy;
        const int index =
            list->addCopy(0, mail, kNumber | kKind | kReserve | kDate | kTitle | kText);
        EXPECT_TRUE(list->save());
        return index;
    }
    int writeMail(const char* to, const char* title, const char* body) {
        const Written mail = NewMail(
            *doc, {.recipients = sj(to), .title = sj(title), .text = sj(body), .reserve = true});
        EXPECT_GE(mail.index, 0) << mail.error;
        return mail.index;
    }
    std::uintmax_t textFileSize(int place) {
        OpenedList list(*doc, place);
        std::error_code ec;
        const auto size = std::filesystem::file_size(list->textFile(), ec);
        return ec ? 0 : size;
    }

    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = newUser(dir, registry);
    ScriptedHost host;
    ReservedTextSender sender;
    test::TextStore store;
    CPatrolEngine engine;
    MailService mail;
};

// One entry of the received-mail list: its first line (an ID sender with its handle, or a
// gateway address) and its subject line.
std::string entry(int number, const char* day, const char* sender, const char* name,
                  const char* subjectLine) {
    char head[128];
    std::snprintf(head, sizeof head, "%4d %s　未　00/01/30  %-13s%s", number, day, sender, name);
    return "S: " + std::string(head) + "\\r\\n\nS: " + subjectLine + "\\r\\n\n";
}

std::string subject(const char* text) {
    return std::string("            ") + text;
}

// The mail reader's list over pages of pageSize entries, from "JREAD" to the last prompt.
std::string readerList(const std::vector<std::string>& entries, std::size_t pageSize) {
    const std::size_t pages = std::max<std::size_t>(1, (entries.size() + pageSize - 1) / pageSize);
    std::string text = "C: JREAD\\r\nS: JREAD\\r\\n\nS: \\r\\n\nS: 到着メール　総数：" +
                       std::to_string(entries.size()) + "通（未読：   1通）\\r\\n\n";
    for (std::size_t page = 0; page < pages; ++page) {
        if (page > 0) text += "C: N\\r\nS: N\\r\\n\n";
        text += "S: \\r\\n\nS: 番号 受信日  状態  保存期限  発信者\\r\\n\n";
        for (std::size_t i = page * pageSize; i < std::min(entries.size(), (page + 1) * pageSize);
             ++i)
            text += entries[i];
        char counter[48];
        std::snprintf(counter, sizeof counter, "%3zu/%3zu", page + 1, pages);
        text += "S: " + std::string(counter) +
                "\\r\\n\nS: \\r\\n\nS: 番号またはコマンド(M,S,F,H,Q," +
                (page + 1 < pages ? "N," : "") + "RBn,SCn,RT,PF,J,DL)=\n";
    }
    return text;
}

TEST(MailDialogue, AListingOverTwoPagesStoresNewMailsOnceAndMarksMailsThatLeftTheHost) {
    const std::vector<std::string> listed = {
        entry(1, "99/12/20", "MVL00002", "ハナコ", subject("先日のお礼").c_str()),
        // An address too long for its line goes on on the next, the subject on a third.
        "S:    2 99/12/28　未　00/01/27  "
        "INET#a.very.long.address.for.the.gateway.test@examp\\r\\n\n"
        "S:          le.co.jp\\r\\n\n"
        "S:             長いアドレス\\r\\n\n",
        "S:    3 99/12/29　済　00/01/28  INET#list-address@gw.example\\r\\n\nS:             "
        "資料\\r\\n\n",
        entry(4, "99/12/29", "MVL00003", "タロウ", "     ***   写真データ"),
        entry(5, "99/12/30", "MVL00002", "ハナコ", subject("同じ題名").c_str()),
        entry(6, "99/12/30", "MVL00002", "ハナコ", subject("同じ題名").c_str()),
    };
    // The same listing twice: the second stores nothing.
    MailDialogue d(readerList(listed, 3) + readerList(listed, 3));
    const int thanks = d.addReceived("先日のお礼", 1, "MVL00002", 19991220);
    const int gone =
        d.addReceived("消えたメール", 5, "MVL00004", 19991201, MailService::kReserveRead);
    const int read = d.addReceived("資料", 2, "list-address@gw.example", 19991229);
    const int same = d.addReceived("同じ題名", 6, "MVL00002", 19991230);
    {
        // Reading replaced the date and the sender of this one; its listed key stays.
        OpenedList list(*d.doc, kReceived);
        list->setDate(read, *fileTimeFromFields({1999, 12, 29, 9, 15, 0, 0}));
        list->setText(read, "real@example.com");
    }

    EXPECT_TRUE(d.mail.readMailList(kReceived, true));
    const std::vector<CItem> first = d.items(kReceived);
    EXPECT_FALSE(d.mail.readMailList(kReceived, true));
    d.expectPlayedThrough();
    EXPECT_TRUE(d.reported("ﾒｰﾙへ移動しました"));

    const std::vector<CItem> items = d.items(kReceived);
    EXPECT_EQ(items.size(), first.size());
    // Besides the welcome text: four stored mails and three new ones.
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[thanks - 1].m_nNumber, 1);
    EXPECT_FALSE(items[thanks - 1].hasFlag(ITEM_FLAG_DELETED));
    EXPECT_TRUE(items[gone - 1].hasFlag(ITEM_FLAG_DELETED));
    EXPECT_EQ(items[gone - 1].m_nNumber, 0);
    EXPECT_EQ(items[gone - 1].m_nReserve, -1);
    EXPECT_EQ(items[read - 1].m_nNumber, 3);
    EXPECT_EQ(items[same - 1].m_nNumber, 6);  // the one with its own number keeps it

    // New mails are added newest first, with reservations to read or download them.
    const CItem& twin = items[5];
    EXPECT_EQ(sjisToUtf8(twin.m_szTitle.view()), "同じ題名");
    EXPECT_EQ(twin.m_nNumber, 5);
    EXPECT_EQ(twin.m_nReserve, MailService::kReserveRead);
    const CItem& photo = items[6];
    EXPECT_EQ(sjisToUtf8(photo.m_szTitle.view()), "写真データ");
    EXPECT_TRUE(photo.hasFlag(ITEM_FLAG_FILE_MAIL));
    EXPECT_EQ(photo.m_nReserve, MailService::kReserveDownload);
    EXPECT_EQ(sjisToUtf8(photo.m_szName.view()), "タロウ");
    const CItem& longAddress = items[7];
    EXPECT_EQ(longAddress.m_nNumber, 2);
    EXPECT_EQ(longAddress.m_strText.view(),
              "a.very.long.address.for.the.gateway.test@example.co.jp");
    EXPECT_EQ(sjisToUtf8(longAddress.m_szTitle.view()), "長いアドレス");
    EXPECT_EQ(longAddress.m_nGeneration, d.doc->generation());
}

TEST(MailDialogue, NoListingOrAListingWithAnEntryItCannotReadMarksNothingDeleted) {
    const std::vector<std::string> listed = {
        entry(1, "99/12/20", "MVL00002", "ハナコ", subject("先日のお礼").c_str()),
        // An entry's shape, but no month 13: perhaps the mail stored as "残るメール".
        entry(2, "99/13/20", "MVL00004", "ジロウ", subject("残るメール").c_str()),
    };
    MailDialogue d(R"(
C: JREAD\r
S: JREAD\r\n
S: \r\nメールは届いていません。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
)" + readerList(listed, 10));
    const int thanks = d.addReceived("先日のお礼", 4, "MVL00002", 19991220);
    const int kept =
        d.addReceived("残るメール", 2, "MVL00004", 19991201, MailService::kReserveRead);

    // "メールは届いていません。" may be said of unread mail alone: it is no listing.
    EXPECT_FALSE(d.mail.readMailList(kReceived, true));
    EXPECT_FALSE(d.mail.readMailList(kReceived, true));
    d.expectPlayedThrough();
    const CItem unread = d.item(kReceived, kept);
    EXPECT_FALSE(unread.hasFlag(ITEM_FLAG_DELETED));
    EXPECT_EQ(unread.m_nReserve, MailService::kReserveRead);
    EXPECT_EQ(d.item(kReceived, thanks).m_nNumber, 1);  // what could be read still counts
}

// One gateway mail as a host shows it whose header differs from the usual in every way
// the mail reader allows: the date first, an empty line after it, many recipients, a
// full-width blank before the title.
std::string unusualHeader(int number) {
    std::string text = "C: RB" + std::to_string(number) + "\\r\nS: RB" + std::to_string(number) +
                       "\\r\\n\nS: \\r\\n\nS: 99/12/29  9:15:00  #00000003\\r\\n\nS: \\r\\n\n"
                       "S: 発信者：INET#list-address@gw.example  List Name\\r\\n\n";
    for (int n = 0; n < 20; ++n)
        text += "S: 受信者：CC" + std::to_string(100000 + n) + "      同報\\r\\n\n";
    return text + R"(S: 文書名：　資料をお送りします\r\n
S: \r\n
S: Return-Path: <real@example.com>\r\n
S: Date: Wed, 29 Dec 1999 09:15:00 +0900\r\n
S: From: Real Name <real@example.com>\r\n
S: Content-Type: multipart/mixed; boundary="XX"\r\n
S: \r\n
S: --XX--\r\n
S: \r\n
S: 番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
)";
}

TEST(MailDialogue, AfterADeletionTakenWithoutAWordTheMailsAreListedAgainBeforeOneIsRead) {
    const std::string gateway =
        "S:    2 99/12/29　未　00/01/28  INET#list-address@gw.example\\r\\n\nS:             "
        "資料をお送りします\\r\\n\n";
    const std::string before = readerList(
        {entry(1, "99/12/20", "MVL00002", "ハナコ", subject("古いメール").c_str()), gateway}, 10);
    std::string after = readerList({gateway}, 10);
    after.replace(after.find("   2 99/12/29"), 4, "   1");
    MailDialogue d(before + R"(
C: JREAD\r
S: JREAD\r\n
S: \r\n到着メール　総数：   2通（未読：   1通）\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
C: D1\r
S: D1\r\n
S: \r\nメール 1 を削除します。よろしいですか(Y,N,J)=
C: Y\r
S: Y\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
)" + after + unusualHeader(1));
    const int old =
        d.addReceived("古いメール", 1, "MVL00002", 19991220, MailService::kReserveDelete);
    const int wanted = d.addReceived("資料をお送りします", 2, "list-address@gw.example", 19991229,
                                     MailService::kReserveRead);

    EXPECT_TRUE(d.mail.deleteReservedMail());
    EXPECT_TRUE(d.mail.readReservedMail(kReceived, 0));
    d.expectPlayedThrough();
    EXPECT_TRUE(d.reported("ﾎｽﾄのﾒｰﾙ 1 を削除しました"));
    EXPECT_TRUE(d.item(kReceived, old).hasFlag(ITEM_FLAG_DELETED));

    const CItem mail = d.item(kReceived, wanted);
    EXPECT_EQ(mail.m_nReserve, -1);
    EXPECT_EQ(mail.m_strText.view(), "real@example.com");
    EXPECT_EQ(mail.m_ftDate, *fileTimeFromFields({1999, 12, 29, 9, 15, 0, 0}));
    EXPECT_TRUE(mail.hasFlag(ITEM_FLAG_INTERNET));
    EXPECT_TRUE(mail.hasFlag(ITEM_FLAG_MIME));
    OpenedList list(*d.doc, kReceived);
    const auto text = list->readText(mail.m_nOffset, mail.m_nLength);
    ASSERT_TRUE(text);
    // One empty line after the first, as the mail's text always has it.
    EXPECT_TRUE(text->starts_with("99/12/29  9:15:00  #00000003\r\n\r\n" + sj("発信者：")));
}

TEST(MailDialogue, AFileIsDownloadedOnlyForTheMailThatItsNumberShows) {
    const auto fileMail = [](int number, const char* title) {
        return entry(number, "99/12/29", "MVL00003", "タロウ",
                     (std::string("     ***   ") + title).c_str());
    };
    const std::string listing = readerList({fileMail(1, "写真"), fileMail(2, "図面")}, 10);
    const std::string reordered = readerList({fileMail(2, "写真"), fileMail(1, "図面")}, 10);
    const auto shown = [](int number, const char* title) {
        const std::string n = std::to_string(number);
        return "C: RB" + n + "\\r\nS: RB" + n + "\\r\\n\nS: \\r\\n\nS: #0000000" + n +
               "         99/12/29    10:00:00\\r\\n\nS: 発信者：MVL00003      タロウ\\r\\n\n"
               "S: ファイル：A.BIN（3バイト）\\r\\n\nS: 文書名：" +
               title +
               "\\r\\n\nS: \\r\\n\nS: 番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=\n";
    };
    // The host's numbers changed after the listing: 1 names the plan, then the listing
    // tells so, and the plan comes down under its new number.
    MailDialogue d(listing + shown(1, "図面") + reordered + shown(1, "図面") +
                   R"(C: DL1\r
S: DL1\r\n
S: \r\nファイル名：A.BIN　　サイズ：3バイト\r\n
S: \r\n番号またはコマンド(H,Q,C)=
C: 2\r
S: 2\r\n
S: \r\nファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)\r\n
S: \r\nファイル転送が終了しました。\r\n
S: \r\nリターンキーを押して下さい=
C: \r
S: \r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
)");
    const int first = d.addReceived("写真", 1, "MVL00003", 19991229, MailService::kReserveDownload);
    const int second =
        d.addReceived("図面", 2, "MVL00003", 19991229, MailService::kReserveDownload);
    FileTransferOutcome outcome;
    outcome.result = FileTransferOutcome::kOk;
    outcome.receivedPath = (d.dir / "A.BIN").string();
    d.host.transferOutcome = outcome;

    EXPECT_TRUE(d.mail.readReservedMail(kReceived, 0));
    d.expectPlayedThrough();
    EXPECT_TRUE(d.reported("ﾒｰﾙ 1 のﾌｧｲﾙを受信できませんでした。予約はそのまま残してあります。"));
    EXPECT_EQ(d.host.transferRequests.size(), 1u);
    EXPECT_EQ(d.item(kReceived, first).m_nReserve, MailService::kReserveDownload);
    EXPECT_EQ(d.item(kReceived, first).m_strPath.view(), "");
    EXPECT_EQ(d.item(kReceived, second).m_nReserve, -1);
    EXPECT_EQ(d.item(kReceived, second).m_strPath.view(), outcome.receivedPath);
}

// The notices of a listing name the items by serial: a view that handles them after a
// deletion has shifted the list still finds the mails they were about.
TEST(MailDialogue, NoticesNameTheItemsBySerialNotByIndex) {
    MailDialogue d(
        readerList({entry(1, "99/12/20", "MVL00002", "ハナコ", subject("新着").c_str())}, 3));
    const int gone =
        d.addReceived("消えたメール", 5, "MVL00004", 19991201, MailService::kReserveRead);
    EXPECT_TRUE(d.mail.readMailList(kReceived, true));
    d.expectPlayedThrough();

    OpenedList list(*d.doc, kReceived);
    ASSERT_TRUE(list->remove(1));  // the welcome text goes: every index moves down by one
    const int placeSerial = d.doc->tree().item(kReceived).m_nSerial;
    const auto titleOf = [&](const ItemNotice& notice) {
        EXPECT_EQ(notice.placeSerial, placeSerial);
        return sjisToUtf8(list->item(list->findSerial(notice.serial)).m_szTitle.view());
    };
    ASSERT_EQ(d.host.itemNotices.size(), 2u);
    EXPECT_EQ(d.host.itemNotices[0].change, ItemChange::Changed);
    EXPECT_EQ(titleOf(d.host.itemNotices[0]), "消えたメール");
    EXPECT_EQ(d.host.itemNotices[1].change, ItemChange::Added);
    EXPECT_EQ(titleOf(d.host.itemNotices[1]), "新着");
    EXPECT_NE(list->findSerial(d.host.itemNotices[0].serial), gone);
}

// The header block and text of a mail as "RB" shows it.
constexpr std::string_view kInternetMail = R"(
C: RB3\r
S: RB3\r\n
S: \r\n
S: #00000003         99/12/29    09:15:00\r\n
S: 発信者：INET#list-address@gw.example  List Name\r\n
S: 受信者：MVL00001      デモ\r\n
S: 文書名：資料をお送りします\r\n
S: \r\n
S: Return-Path: <real@example.com>\r\n
S: Date: Wed, 29 Dec 1999 09:15:00 +0900\r\n
S: From: Real Name <real@example.com>\r\n
S: Content-Type: multipart/mixed; boundary="XX"\r\n
S: \r\n
S: --XX\r\n
S: 番号またはコマンド(M,S,F,H,Q,J)=は本文の中\r\n
S: --XX--\r\n
S: \r\n
S: 番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=
C: RB4\r
S: RB4\r\n
S: \r\n
S: #00000004         99/12/30    10:00:00\r\n
S: 発信者：MVL00002      ハナコ\r\n
S: 受信者：MVL00001      デモ\r\n
S: 文書名：途中で切れる\r\n
S: \r\n
S: 途中まで\r\n
X
)";

TEST(MailDialogue, AReadMailIsStoredWithItsRealSenderAndAMailCutShortKeepsItsReservation) {
    const std::vector<std::string> listed = {
        "S:    3 99/12/29　未　00/01/28  INET#list-address@gw.example\\r\\n\nS:             "
        "資料をお送りします\\r\\n\n",
        entry(4, "99/12/30", "MVL00002", "ハナコ", subject("途中で切れる").c_str()),
    };
    MailDialogue d(readerList(listed, 10) + std::string(kInternetMail));
    const int internet = d.addReceived("資料をお送りします", 3, "list-address@gw.example", 19991229,
                                       MailService::kReserveRead);
    const int cut =
        d.addReceived("途中で切れる", 4, "MVL00002", 19991230, MailService::kReserveRead);
    const std::uintmax_t before = d.textFileSize(kReceived);

    EXPECT_TRUE(d.mail.readReservedMail(kReceived, MailService::kDeleteAfterReading));
    d.expectPlayedThrough();
    EXPECT_EQ(d.engine.result(), result::LineLost);

    const CItem mail = d.item(kReceived, internet);
    EXPECT_EQ(mail.m_strText.view(), "real@example.com");
    EXPECT_EQ(mail.m_szName.view(), "Real Name");
    EXPECT_EQ(mail.m_ftDate, *fileTimeFromFields({1999, 12, 29, 9, 15, 0, 0}));
    EXPECT_TRUE(mail.hasFlag(ITEM_FLAG_INTERNET));
    EXPECT_TRUE(mail.hasFlag(ITEM_FLAG_MIME));
    EXPECT_EQ(mail.m_nReserve, MailService::kReserveDelete);
    EXPECT_EQ(mail.m_nBody, 14);
    EXPECT_EQ(mail.m_nSpare[0], 19991229);  // the listing still finds it
    EXPECT_EQ(mail.m_strExtra.view(), "list-address@gw.example");
    OpenedList list(*d.doc, kReceived);
    const auto text = list->readText(mail.m_nOffset, mail.m_nLength);
    ASSERT_TRUE(text);
    EXPECT_TRUE(
        text->starts_with("#00000003         99/12/29    09:15:00\r\n\r\n" + sj("発信者：")));
    EXPECT_TRUE(text->ends_with(sj("番号またはコマンド(M,S,F,H,Q,J)=は本文の中\r\n--XX--\r\n")));
    EXPECT_EQ(static_cast<std::uintmax_t>(mail.m_nOffset), before);

    // The line dropped in the middle of the second mail: nothing of it is stored.
    const CItem unfinished = list->item(cut);
    EXPECT_EQ(unfinished.m_nReserve, MailService::kReserveRead);
    EXPECT_EQ(unfinished.m_nBody, 0);
    EXPECT_TRUE(d.reported("ﾒｰﾙ 4 を読み込めませんでした。予約はそのまま残してあります。"));
}

TEST(MailDialogue, TwentyDeletionsGoInTwoCommandsAndOnlyTheConfirmedOnesAreMarked) {
    std::vector<std::string> listed;
    for (int n = 1; n <= 20; ++n) {
        const std::string title = "メール" + std::to_string(n);
        listed.push_back(
            entry(n, "99/12/20", "MVL00002", "ハナコ", subject(title.c_str()).c_str()));
    }
    const std::string transcript = readerList(listed, 10) + R"(
C: JREAD\r
S: JREAD\r\n
S: \r\n到着メール　総数：  20通（未読：   0通）\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=
C: D20,19,18,17,16,15,14,13,12,11,10,9,8,7,6\r
S: D20,19,18,17,16,15,14,13,12,11,10,9,8,7,6\r\n
S: \r\nメール 20,19,18,17,16,15,14,13,12,11,10,9,8,7,6 を削除します。よろしいですか(Y,N,J)=
C: Y\r
S: Y\r\n
S: \r\n削除されました。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
C: D5,4,3,2,1\r
S: D5,4,3,2,1\r\n
S: \r\n番号またはコマンドが間違っています。訂正して下さい。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=
)";
    MailDialogue d(transcript);
    for (int n = 1; n <= 20; ++n) {
        const std::string title = "メール" + std::to_string(n);
        // Stored from an old listing that numbered them the other way round.
        d.addReceived(title.c_str(), 21 - n, "MVL00002", 19991220, MailService::kReserveDelete);
    }
    EXPECT_TRUE(d.mail.deleteReservedMail());
    d.expectPlayedThrough();
    const std::vector<CItem> items = d.items(kReceived);
    for (int n = 1; n <= 20; ++n) {
        SCOPED_TRACE(n);
        const CItem& mail = items[static_cast<std::size_t>(n)];
        EXPECT_EQ(mail.hasFlag(ITEM_FLAG_DELETED), n > 5);
        EXPECT_EQ(mail.m_nNumber, n > 5 ? 0 : n);
        EXPECT_EQ(mail.m_nReserve, n > 5 ? -1 : MailService::kReserveDelete);
    }
    EXPECT_TRUE(d.reported("ﾎｽﾄのﾒｰﾙ 5,4,3,2,1 を削除できませんでした"));
}

constexpr std::string_view kSendWithAbsentRefusedAndInternet = R"(
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00002\r
S: MVL00002\r\n
S: \r\n宛先：MVL00002  ハナコ\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00003\r
S: MVL00003\r\n
S: \r\n不在者ＩＤ：MVL00003  タロウ\r\n
S: 不在中の為，メールは受け付けられません。\r\n
S: \r\n
S: 不在期間：1999/12/30～2000/01/04\r\n
S: 帰省中です。\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: INET#
C: user@example.com\r
S: INET#user@example.com\r\n
S: \r\n宛先：INET#user@example.com\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: NOSUCHID\r
S: NOSUCHID\r\n
S: \r\n宛先コードまたはコマンドが間違っています。訂正して下さい。\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: \r
S: \r\n
S: \r\n１行目に文書名、２行目から本文を入力して下さい。\r\n
S: 行の先頭に半角．．を入力しますと、メッセージ入力を終了します。\r\n
C: 予定\r
S: 予定\r\n
C: 来週の予定です。\r
S: 来週の予定です。\r\n
C: \x20..で始まる行\r
S: \x20..で始まる行\r\n
C: ..\r
S: ..\r\n
S: \r\nコマンド(H,Q,C,RB,G,V)=
C: G\r
S: G\r\n
S: \r\n送信しました。\r\n
S: \r\nコマンド(M,S,F,H,Q,A,J)=
)";

TEST(MailDialogue, AMailGoesToTheAddresseesTheHostTakesAndAnAbsenceNoticeIsStored) {
    MailDialogue d(kSendWithAbsentRefusedAndInternet);
    const int index = d.writeMail("MVL00002, MVL00003,user@example.com,NOSUCHID", "予定",
                                  "来週の予定です。\n..で始まる行\n");
    const CItem written = d.item(kOutgoing, index);
    const std::filesystem::path ownText = d.doc->dataDirectory() / ownTextFileName(written);
    ASSERT_TRUE(std::filesystem::exists(ownText));

    EXPECT_TRUE(d.mail.sendReservedMail(kOutgoing));
    d.expectPlayedThrough();

    const CItem sent = d.item(kOutgoing, index);
    EXPECT_EQ(sent.m_nKind, kind::kSentMailMessage);
    EXPECT_EQ(sent.m_nReserve, -1);
    EXPECT_TRUE(sent.hasFlag(ITEM_FLAG_READ));
    EXPECT_TRUE(sent.hasFlag(ITEM_FLAG_REFUSED));
    EXPECT_EQ(sent.m_nBody, 2);
    EXPECT_FALSE(std::filesystem::exists(ownText));  // its text lives in the place's file now
    OpenedList list(*d.doc, kOutgoing);
    EXPECT_EQ(list->readText(sent.m_nOffset, sent.m_nLength),
              sj("来週の予定です。\r\n ..で始まる行\r\n"));

    const CItem notice = list->item(list->size() - 1);
    EXPECT_EQ(notice.m_nKind, kind::kAbsenceNotice);
    EXPECT_EQ(sjisToUtf8(notice.m_szTitle.view()), "不在通知");
    EXPECT_EQ(notice.m_strText.view(), "MVL00003");
    EXPECT_EQ(list->readText(notice.m_nOffset, notice.m_nLength),
              sj("不在期間：1999/12/30～2000/01/04\r\n帰省中です。\r\n"));
    EXPECT_TRUE(d.reported("宛先 MVL00003 にはﾒｰﾙを送れませんでした"));
    EXPECT_TRUE(d.reported("宛先 NOSUCHID にはﾒｰﾙを送れませんでした"));
    EXPECT_TRUE(d.reported("すべてのID宛には送信できませんでした"));
    EXPECT_TRUE(d.reported("ﾒｰﾙ '予定' を送信しました"));
}

constexpr std::string_view kRefusedThenLineLost = R"(
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: NOSUCHID\r
S: NOSUCHID\r\n
S: \r\n宛先コードまたはコマンドが間違っています。訂正して下さい。\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: M\r
S: M\r\n
S: \r\n　＝＝＝電子メール＝＝＝\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00002\r
S: MVL00002\r\n
S: \r\n宛先：MVL00002  ハナコ\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: \r
S: \r\n
S: \r\n１行目に文書名、２行目から本文を入力して下さい。\r\n
S: 行の先頭に半角．．を入力しますと、メッセージ入力を終了します。\r\n
C: 二通目\r
S: 二通目\r\n
C: 一行目\r
S: 一行目\r\n
C: 二行目\r
X
)";

TEST(MailDialogue, AMailNoAddresseeTookAndAMailCutOffStayReservedWithTheirTexts) {
    MailDialogue d(kRefusedThenLineLost);
    const int refused = d.writeMail("NOSUCHID", "一通目", "本文\n");
    const int cut = d.writeMail("MVL00002", "二通目", "一行目\n二行目\n三行目\n");
    const std::uintmax_t before = d.textFileSize(kOutgoing);

    EXPECT_FALSE(d.mail.sendReservedMail(kOutgoing));
    d.expectPlayedThrough();
    EXPECT_EQ(d.engine.result(), result::LineLost);

    for (const int index : {refused, cut}) {
        const CItem item = d.item(kOutgoing, index);
        EXPECT_EQ(item.m_nKind, kind::kNewMail);
        EXPECT_EQ(item.m_nReserve, kReserveSend);
        EXPECT_TRUE(std::filesystem::exists(d.doc->dataDirectory() / ownTextFileName(item)));
    }
    EXPECT_EQ(d.textFileSize(kOutgoing), before);  // the lines sent before the drop are taken back
    EXPECT_TRUE(d.reported("すべてのID宛には送信できませんでした"));
    EXPECT_TRUE(d.reported("ﾒｰﾙ '一通目' を送信できませんでした。予約はそのまま残してあります。"));
    EXPECT_TRUE(d.reported("ﾒｰﾙ '二通目' を送信できませんでした。予約はそのまま残してあります。"));
}

// A mail to MVL00002 up to the host's "G": the host has the mail from here on.
std::string sendUpToGo(const char* title, const char* line) {
    return std::string(R"(
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00002\r
S: MVL00002\r\n
S: \r\n宛先：MVL00002  ハナコ\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: \r
S: \r\n
S: \r\n１行目に文書名、２行目から本文を入力して下さい。\r\n
S: 行の先頭に半角．．を入力しますと、メッセージ入力を終了します。\r\n
C: )") + title + "\\r\nS: " + title + "\\r\\n\nC: " + line + "\\r\nS: " + line +
           R"(\r\n
C: ..\r
S: ..\r\n
S: \r\nコマンド(H,Q,C,RB,G,V)=
C: G\r
)";
}

constexpr std::string_view kUpload = R"(
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00002\r
S: MVL00002\r\n
S: \r\n宛先：MVL00002  ハナコ\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: UP\r
S: UP\r\n
S: \r\n送信するファイルの種類を選んで下さい。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
C: 2\r
S: 2\r\n
S: \r\n転送方式を選んで下さい。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
C: 2\r
S: 2\r\n
S: \r\n文書名を入力して下さい。\r\n>
C: 写真\r
S: 写真\r\n
S: \r\nよろしいですか(Y,N)=
C: Y\r
S: Y\r\n
S: \r\nファイル転送プログラムを起動して下さい。(Rapidox:アップロード)\r\n
S: \r\nファイルを受け付けました。\r\n
S: \r\nコマンド(M,S,F,H,Q,A,J)=
)";

TEST(MailDialogue, AFileMailIsSentOnlyWhenItsUploadSucceeded) {
    for (const bool succeeds : {true, false}) {
        SCOPED_TRACE(succeeds);
        MailDialogue d(kUpload);
        const std::filesystem::path file = d.dir / "photo.dat";
        ASSERT_TRUE(writeFileAtomically(file, "bytes"));
        const Written mail = NewMail(*d.doc, {.recipients = "MVL00002",
                                                .title = sj("写真"),
                                                .filePath = file.string(),
                                                .reserve = true});
        ASSERT_GE(mail.index, 0) << mail.error;
        const int index = mail.index;
        FileTransferOutcome outcome;
        outcome.result = succeeds ? FileTransferOutcome::kOk : FileTransferOutcome::kTimedOut;
        d.host.transferOutcome = outcome;

        EXPECT_EQ(d.mail.sendReservedMail(kOutgoing), succeeds);
        d.expectPlayedThrough();
        ASSERT_EQ(d.host.transferRequests.size(), 1u);
        EXPECT_EQ(d.host.transferRequests[0].direction, TransferDirection::Upload);
        EXPECT_EQ(d.host.transferRequests[0].uploadPath, file.string());
        const CItem item = d.item(kOutgoing, index);
        EXPECT_EQ(item.m_nKind, succeeds ? kind::kSentFileMail : kind::kFileMail);
        EXPECT_EQ(item.m_nReserve, succeeds ? -1 : kReserveSend);
    }
}

constexpr std::string_view kComposedUpload = R"(
C: JSEND\r
S: JSEND\r\n
S: \r\n宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: INET#
C: user@example.com\r
S: INET#user@example.com\r\n
S: \r\n宛先：INET#user@example.com\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: MVL00002\r
S: MVL00002\r\n
S: \r\n宛先：MVL00002  ハナコ\r\n
S: \r\n追加宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=
C: UP\r
S: UP\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
C: 2\r
S: 2\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,J)=
C: 2\r
S: 2\r\n
S: \r\n文書名を入力して下さい。\r\n>
C: 写真\r
S: 写真\r\n
S: \r\nよろしいですか(Y,N)=
C: Y\r
S: Y\r\n
S: \r\nファイル転送プログラムを起動して下さい。(Rapidox:アップロード)\r\n
S: \r\nファイルを受け付けました。\r\n
S: \r\nコマンド(M,S,F,H,Q,A,J)=
)";

TEST(MailDialogue, AMailWithFilesToTheInternetGoesUpAsOneComposedMessage) {
    MailDialogue d(kComposedUpload);
    d.doc->addressBook().addNode(0, CAddr::kEntry, 0, "MVL00002", sj("花子"));
    const std::filesystem::path photo = d.dir / "photo.dat";
    ASSERT_TRUE(writeFileAtomically(photo, std::string(60, '\x7F')));
    const Written mail = NewMail(*d.doc, {.recipients = "user@example.com," + sj("花子"),
                                          .title = sj("写真"),
                                          .text = sj("見てください。\n"),
                                          .reserve = true,
                                          .attachments = {photo.string()}});
    ASSERT_GE(mail.index, 0) << mail.error;
    FileTransferOutcome uploaded;
    uploaded.result = FileTransferOutcome::kOk;
    d.host.transferOutcome = uploaded;

    EXPECT_TRUE(d.mail.sendReservedMail(kOutgoing));
    d.expectPlayedThrough();
    ASSERT_EQ(d.host.uploadedBytes.size(), 1u);
    const std::filesystem::path composed = d.host.transferRequests[0].uploadPath;
    EXPECT_EQ(composed.filename(), "MMS000001.EML");
    EXPECT_FALSE(std::filesystem::exists(composed));  // gone once it went up
    const std::string& message = d.host.uploadedBytes[0];
    EXPECT_NE(message.find("To: user@example.com, MVL00002\r\n"), std::string::npos);
    EXPECT_NE(message.find("Content-Type: multipart/mixed; boundary="), std::string::npos);
    EXPECT_NE(message.find("filename=\"photo.dat\"\r\n\r\n" + Base64Encode(std::string(51, '\x7F'))),
              std::string::npos);

    const CItem sent = d.item(kOutgoing, mail.index);
    EXPECT_EQ(sent.m_nKind, kind::kSentMailMessage);
    EXPECT_TRUE(sent.hasFlag(ITEM_FLAG_MIME));
    OpenedList list(*d.doc, kOutgoing);
    EXPECT_EQ(list->readText(sent.m_nOffset, sent.m_nLength), sj("見てください。\r\n"));
}

TEST(MailDialogue, AnAddresseeListThatCannotBeExpandedStaysReservedAndSaysWhy) {
    MailDialogue d("");
    d.doc->addressBook().addNode(0, CAddr::kEntry, 0, "MVL00002", "Jiro");
    d.doc->addressBook().addNode(0, CAddr::kEntry, 0, "MVL00003", "Jiro2");
    const_cast<CAddr&>(d.doc->addressBook().nodes().back()).name = "Jiro";  // an old book
    const int twice = d.writeMail("Jiro", "a", "x");
    d.doc->setInteger(docint::kStrictUserIds, 1);
    const int notAnId = d.writeMail("たろう", "b", "x");

    EXPECT_FALSE(d.mail.sendReservedMail(kOutgoing));
    d.expectPlayedThrough();
    EXPECT_TRUE(d.reported("ｱﾄﾞﾚｽ帳に同じ名前が2つ以上存在します"));
    EXPECT_TRUE(d.reported("宛先IDが正しく指定されていません"));
    EXPECT_TRUE(d.reported("ﾒｰﾙ 'a' を送信できませんでした。予約はそのまま残してあります。"));
    EXPECT_EQ(d.item(kOutgoing, twice).m_nReserve, kReserveSend);
    EXPECT_EQ(d.item(kOutgoing, notAnId).m_nReserve, kReserveSend);
}

constexpr std::string_view kSentListing = R"(
C: JSMAIL\r
S: JSMAIL\r\n
S: \r\n送信済メール　総数：   3通\r\n
S: \r\n
S: 番号　送信日　　　確認日時　　　宛先コード　宛先名\r\n
S: 　　　枚数（属性）　文書名（ファイル名、サイズ、コメント）\r\n
S: ------------------------------------------------------------------------------\r\n
S:    1 99/12/20  99/12/21 08:00  MVL00002   ハナコ  転\r\n
S:             お礼\r\n
S:    2 99/12/22  未確認          INET#x@example.com\r\n
S:      ***   写真\r\n
S:    3 99/12/22  未確認          INET#x@example.com\r\n
S:      ***   写真\r\n
S:   1/  1\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,Dn,J)=
)";

TEST(MailDialogue, TheSentListIsKeptAndADeletionNeedsExactlyOneEntry) {
    const std::string deletion = R"(
C: D1\r
S: D1\r\n
S: \r\n   1 99/12/20  99/12/21 08:00  MVL00002   ハナコ  転\r\n
S:             お礼\r\n
S: を削除します。よろしいですか(Y,N,J)=
C: Y\r
S: Y\r\n
S: \r\n削除されました。\r\n
S: \r\n番号またはコマンド(M,S,F,H,Q,Dn,J)=
)";
    MailDialogue d(std::string(kSentListing) + std::string(kSentListing) + deletion);
    d.mail.readSentList(kSentList);
    std::vector<CItem> items = d.items(kSentList);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].m_nNumber, 1);
    EXPECT_EQ(items[0].m_nAux, 1);  // a forward
    EXPECT_EQ(sjisToUtf8(items[0].m_strExtra.view()), "99/12/21 08:00");
    EXPECT_EQ(items[1].m_strText.view(), "x@example.com");
    EXPECT_TRUE(items[1].hasFlag(ITEM_FLAG_FILE_MAIL));
    {
        OpenedList list(*d.doc, kSentList);
        list->setReserve(1, MailService::kReserveDelete);  // "お礼"
        list->setReserve(2, MailService::kReserveDelete);  // one of two equal entries
        ASSERT_TRUE(list->save());
    }
    d.mail.deleteSentMail(kSentList);
    d.expectPlayedThrough();
    items = d.items(kSentList);
    ASSERT_EQ(items.size(), 3u);  // the second listing stored nothing again
    EXPECT_TRUE(items[0].hasFlag(ITEM_FLAG_DELETED));
    EXPECT_EQ(items[0].m_nReserve, -1);
    EXPECT_FALSE(items[1].hasFlag(ITEM_FLAG_DELETED));
    EXPECT_EQ(items[1].m_nReserve, MailService::kReserveDelete);
    EXPECT_TRUE(d.reported("同じ送信日の同じ題名の同じ宛先のﾒｰﾙが複数あるので、削除できません"));
}

TEST(MailDialogue, AMailCutOffAfterTheHostHadItIsLookedForInTheSentListNotSentTwice) {
    {
        // The line drops once the host has the mail: it stays reserved, marked as being sent.
        MailDialogue d(sendUpToGo("予定", "来週です。") + "X\n");
        const int index = d.writeMail("MVL00002", "予定", "来週です。\n");
        EXPECT_FALSE(d.mail.sendReservedMail(kOutgoing));
        d.expectPlayedThrough();
        const CItem item = d.item(kOutgoing, index);
        EXPECT_EQ(item.m_nReserve, kReserveSend);
        EXPECT_TRUE(item.hasFlag(ITEM_FLAG_BEING_SENT));
    }
    // The next run finds one marked mail in the host's sent list ("お礼") and records it as
    // sent; the other is not there and goes now.
    MailDialogue d(std::string(kSentListing) + sendUpToGo("予定", "来週です。") + R"(S: G\r\n
S: \r\n送信しました。\r\n
S: \r\nコマンド(M,S,F,H,Q,A,J)=
)");
    const int went = d.writeMail("MVL00002", "お礼", "ありがとう。\n");
    const int again = d.writeMail("MVL00002", "予定", "来週です。\n");
    {
        OpenedList list(*d.doc, kOutgoing);
        for (const int index : {went, again})
            list->setFlags(index, ITEM_FLAG_BEING_SENT, ITEM_FLAG_BEING_SENT);
        ASSERT_TRUE(list->save());
    }
    EXPECT_TRUE(d.mail.sendReservedMail(kOutgoing));
    d.expectPlayedThrough();
    OpenedList list(*d.doc, kOutgoing);
    for (const int index : {went, again}) {
        const CItem item = list->item(index);
        EXPECT_EQ(item.m_nKind, kind::kSentMailMessage);
        EXPECT_FALSE(item.hasFlag(ITEM_FLAG_BEING_SENT));
    }
    const CItem recorded = list->item(went);
    EXPECT_EQ(list->readText(recorded.m_nOffset, recorded.m_nLength), sj("ありがとう。\r\n"));
}

}  // namespace
}  // namespace morvaline
