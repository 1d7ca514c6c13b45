// Dialogue tests of the forum service against the scripted host, with a real data set in a
// temporary folder: a SIG forum "PCSIG/1" whose room 1 is reserved "毎回読む". Each plays a
// transcript of what the host showed (S:), what the client sent (C:) and where the line
// dropped (X), in virtual time.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "link/result_codes.h"
#include "message/outgoing_items.h"
#include "patrol/engine/reserved_text.h"
#include "patrol/run/reservation_check.h"
#include "patrol/services/forum/forum_service.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"
#include "support/scripted_host.h"
#include "support/temp_dir.h"
#include "support/text_store.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

constexpr std::string_view kRead = "番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=";
constexpr std::string_view kForum = "番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)=";

// The walk of a run at level "すべて" over the data set's own reservations.
class Walk final : public PatrolWalk {
public:
    explicit Walk(CTolDoc& doc) : doc_(doc) {}
    DueCheck isDue(int place, bool peek) override {
        const int k = doc_.tree().item(place).m_nKind;
        return checkReservation(doc_.tree(), place, &doc_.menu(k), PatrolLevel::All, peek);
    }
    bool newMailAnnounced() const override { return false; }

private:
    CTolDoc& doc_;
};

// A message as the room shows it; a comment count of -1 leaves it out.
std::string message(int number, int highest, const char* id, const char* title,
                    std::vector<std::string> body = {"本文です。"}) {
    char header[96];
    std::snprintf(header, sizeof header, "★タイトル (%-8s)  %-15s   %3d件", id, "99/12/27 21:05", 0);
    std::string text = "S: #" + std::to_string(number) + "/" + std::to_string(highest) + "\\r\\n\n" +
                       "S: " + header + "\\r\\n\nS: " + title + "\\r\\n\n";
    for (const std::string& line : body) text += "S: " + line + "\\r\\n\n";
    return text + "S: \\r\\n\n";
}

std::string prompt(std::string_view text) {
    return "S: \\r\\n\nS: " + std::string(text) + "\n";
}

// "J" and the code, the SIG's banner, and the forum's menu with its rooms.
std::string toForum(const std::string& rooms = "S: 　１．雑談会議室                [    3]\\r\\n\n") {
    return "C: JPCSIG\nS: JPCSIG\nC: \\r\nS: \\r\\n\n"
           "S: \\r\\n\nS: 　＊＊＊　パソコンＳＩＧ　＊＊＊\\r\\n\nS: パソコンＳＩＧ  (PCSIG)\\r\\n\n" +
           prompt("番号またはコマンド(M,S,F,H,Q,J)=") + "C: 1\\r\nS: 1\\r\\n\nS: \\r\\n\n" + rooms +
           prompt(kForum);
}

// Into room 1 from the stored read position, where the host counts `highest` messages.
std::string enterStored(int highest) {
    return "C: SC1\\r\nS: SC1\\r\\n\nS: \\r\\n\nS: #0/" + std::to_string(highest) +
           "　雑談会議室\\r\\n\n" + prompt(kRead);
}

std::string leave() {
    return "C: S\\r\nS: S\\r\\n\n" + prompt(kForum) + "C: M\\r\nS: M\\r\\n\n" +
           prompt("番号またはコマンド(M,S,F,H,Q,J)=");
}

struct ForumDialogue {
    explicit ForumDialogue(std::string_view transcript)
        : host(transcript),
          sender(*doc, [this](std::string_view line) { return host.writeText(line, Secrecy::Plain); }),
          store(sender),
          engine(EngineLinks{host.block, host, store, host, host}, DialogueSettings{}),
          forum(engine, *doc) {
        engine.setWaitTimeout(120'000);
        CItemArray& tree = doc->tree();
        const int sig = addSigForum(tree, 0, "PCSIG", {1}, sj("パソコン"));
        area = tree.findChildKind(sig, kind::kForumArea);
        room = addRoom(tree, area, 1, sj("雑談会議室"));
        tree.setReserve(room, doc->menu(kind::kRoom).entries()[0].id);  // "毎回読む"
    }
    ~ForumDialogue() { doc->close(); }

    void visit() {
        Walk walk(*doc);
        forum.reach(area, walk);
    }
    void expectPlayedThrough() {
        EXPECT_TRUE(host.faults().empty()) << host.faults().front();
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries not played";
    }
    bool reported(const std::string& utf8) const {
        return std::find(host.reports().begin(), host.reports().end(), utf8) != host.reports().end();
    }
    std::vector<CItem> items() {
        OpenedList list(*doc, room);
        std::vector<CItem> all;
        for (int i = 1; i < list->size(); ++i) all.push_back(list->item(i));
        return all;
    }
    std::uintmax_t textFileSize() {
        OpenedList list(*doc, room);
        std::error_code ec;
        const auto size = std::filesystem::file_size(list->textFile(), ec);
        return ec ? 0 : size;
    }
    CItem place() const { return doc->tree().item(room); }

    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    ScriptedHost host;
    ReservedTextSender sender;
    test::TextStore store;
    CPatrolEngine engine;
    ForumService forum;
    int area = -1;
    int room = -1;
};

TEST(ForumDialogue, NewMessagesAreStoredOnceWithCommentsUnderTheirTargets) {
    const std::string messages =
        message(1, 3, "MVL00002", "年末の予定　ハナコ") +
        // A line that looks like a tag inside the text, followed by text: both are text.
        message(2, 3, "MVL00003", "RE:#1 年末の予定　タロウ", {"#1 について", "同感です。"}) +
        // A target at or above the message's own number is no target.
        message(3, 3, "MVL00002", "RE:#7 先の話　ハナコ");
    const std::string read = enterStored(3) + "C: RB1-\\r\nS: RB1-\\r\\n\nS: \\r\\n\n" + messages +
                             prompt(kRead) + leave();
    ForumDialogue d(toForum() + read + toForum() + read);
    d.visit();
    EXPECT_EQ(roomLastRead(d.place()), 3);
    EXPECT_EQ(roomHighest(d.place()), 3);
    const std::uintmax_t size = d.textFileSize();
    // The same messages shown again: nothing is appended twice.
    d.doc->tree().setTarget(d.room, 0);
    d.visit();
    d.expectPlayedThrough();
    EXPECT_EQ(d.textFileSize(), size);
    EXPECT_TRUE(d.reported("SIG 'PCSIG' へ移動しました"));
    EXPECT_TRUE(d.reported("ﾌｫｰﾗﾑ '雑談会議室' へ移動しました"));
    EXPECT_TRUE(d.reported("'#1 について' は発言の始まりではないので、本文として読み込みました"));

    const std::vector<CItem> items = d.items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].m_nParent, 0);
    EXPECT_EQ(items[1].m_nParent, 1);  // under #1
    EXPECT_EQ(items[1].m_nTarget, 1);
    EXPECT_EQ(sjisToUtf8(items[1].m_szTitle.view()), "年末の予定");
    EXPECT_EQ(sjisToUtf8(items[1].m_szName.view()), "タロウ");
    EXPECT_EQ(items[1].m_szID.view(), "MVL00003");
    EXPECT_EQ(items[1].m_nBody, 5);  // tag, header, title and two lines of text
    EXPECT_EQ(items[2].m_nParent, 0);
    EXPECT_EQ(items[2].m_nTarget, 0);
}

TEST(ForumDialogue, ARoomReadToTheHostsHighestNumberOnlyHandsThePositionBack) {
    ForumDialogue d(toForum() + enterStored(3) + "C: SC3\\r\nS: SC3\\r\\n\n" + prompt(kRead) + leave());
    d.doc->tree().setTarget(d.room, 3);
    d.visit();
    d.expectPlayedThrough();
    OpenedList list(*d.doc, d.room);
    EXPECT_EQ(list->lastNumber(), 3);
}

TEST(ForumDialogue, AFullTagWithoutItsHeaderIsADisplayOutOfStep) {
    ForumDialogue d(toForum() + enterStored(3) + "C: RB1-\\r\nS: RB1-\\r\\n\n" +
                    message(1, 3, "MVL00002", "題　ハナコ") + "S: #2/3\\r\\n\nS: 本文だけ\\r\\n\n");
    d.visit();
    EXPECT_EQ(d.engine.result(), result::OutOfStep);
    EXPECT_EQ(d.items().size(), 1u);
    EXPECT_EQ(roomLastRead(d.place()), 1);
}

TEST(ForumDialogue, ALineLostInsideAMessageKeepsItForTheNextRead) {
    ForumDialogue d(toForum() + enterStored(3) + "C: RB1-\\r\nS: RB1-\\r\\n\n" +
                    message(1, 3, "MVL00002", "一つ目　ハナコ") +
                    message(2, 3, "MVL00002", "二つ目　ハナコ") +
                    "S: #3/3\\r\\n\nS: ★タイトル (MVL00002)  99/12/27\\r\\n\nS: 三つ目　ハナコ\\r\\n\n"
                    "S: 途中まで\\r\\n\nX\n");
    d.visit();
    EXPECT_EQ(d.engine.result(), result::LineLost);
    // Two messages were read to their end; the third was not and is read again next time.
    EXPECT_EQ(d.items().size(), 2u);
    EXPECT_EQ(roomLastRead(d.place()), 2);
}

TEST(ForumDialogue, FromTheHostsPositionAReadCutShortIsReadFromTheStoredNumberNextTime) {
    ForumDialogue d(toForum() +
                    "C: RN1\\r\nS: RN1\\r\\n\nS: \\r\\n\nS: ＜雑談会議室＞　新着メッセージ 2件\\r\\n\n"
                    "S: \\r\\n\nS: コマンド(M,S,F,H,Q,R,RB,RBn,SC,SCn,RT,TL,TLn,J)=\n"
                    "C: RB-\\r\nS: RB-\\r\\n\n" +
                    message(2, 3, "MVL00002", "二つ目　ハナコ") + "S: #3/3\\r\\n\nX\n");
    d.doc->settings().useHostReadPosition = 1;
    d.doc->tree().setTarget(d.room, 1);
    d.visit();
    EXPECT_EQ(roomLastRead(d.place()), 2);
    EXPECT_TRUE(d.place().hasFlag(ROOM_FLAG_FROM_STORED));
}

TEST(ForumDialogue, PostsAreRegisteredOrStayReservedWithTheirText) {
    const std::string writer =
        "S: W\\r\\n\nS: \\r\\n\nS: １行目にタイトル、２行目から本文を入力して下さい。\\r\\n\n"
        "S: ９９９行以上は登録されません。\\r\\n\n";
    const std::string body = "C: 本文\\r\nS: 本文\\r\\n\nC:  ..で始まる行\\r\nS:  ..で始まる行\\r\\n\n"
                             "C: ..\\r\nS: ..\\r\\n\n";
    ForumDialogue d(
        toForum() +
        // The first post is registered, the second cancelled by the host.
        "C: W1\\r\nS: W1\\r\\n\nS: \\r\\n\nS: １行目にタイトル、２行目から本文を入力して下さい。\\r\\n\n"
        "S: ９９９行以上は登録されません。\\r\\n\nC: RE:#1 お返事\nC: \\r\nS: RE:#1 お返事\\r\\n\n" +
        body + prompt("コマンド(H,Q,C,RB,G,V)=") + "C: G\\r\nS: G\\r\\n\nS: \\r\\n\nS: #4 を登録しました。\\r\\n\n" +
        prompt("コマンド(M,S,F,H,Q,W,J)=") + "C: W\\r\n" + writer + "C: 二つ目\nC: \\r\nS: 二つ目\\r\\n\n" +
        body + prompt("番号またはコマンド(H,Q,C)=") + "C: C\\r\nS: C\\r\\n\n" +
        prompt("コマンド(M,S,F,H,Q,W,J)=") +
        // The third is cut off by the line.
        "C: W\\r\n" + writer + "C: 三つ目\nC: \\r\nS: 三つ目\\r\\n\nC: 本文\\r\nX\n");
    CItemArray& tree = d.doc->tree();
    tree.setReserve(d.room, -1);
    int answered = 0;
    {
        OpenedList list(*d.doc, d.room);
        answered = list->add(0, 1, 0, "MVL00002", sj("元の話"), kind::kForumMessage, 0);
        ASSERT_TRUE(list->save());
    }
    const auto post = [&](int commentTo, const char* title) {
        const Written w = NewPost(*d.doc, {.place = d.room, .commentTo = commentTo, .title = sj(title),
                                           .text = sj("本文\n..で始まる行\n"), .reserve = true});
        EXPECT_GE(w.index, 0) << w.error;
        return w.index;
    };
    const int registered = post(answered, "RE:お返事");
    const int cancelled = post(0, "二つ目");
    const int cut = post(0, "三つ目");
    const std::filesystem::path ownText = d.doc->dataDirectory() / ownTextFileName(d.items()[registered - 1]);
    ASSERT_TRUE(std::filesystem::exists(ownText));
    const std::uintmax_t before = d.textFileSize();

    d.visit();
    EXPECT_EQ(d.engine.result(), result::LineLost);
    const std::vector<CItem> items = d.items();
    EXPECT_EQ(items[registered - 1].m_nKind, kind::kForumMessage);
    EXPECT_EQ(items[registered - 1].m_nReserve, -1);
    EXPECT_EQ(items[registered - 1].m_nParent, answered);
    EXPECT_FALSE(std::filesystem::exists(ownText));
    for (const int waiting : {cancelled, cut}) {
        EXPECT_EQ(items[waiting - 1].m_nKind, kind::kComment);
        EXPECT_EQ(items[waiting - 1].m_nReserve, kReservePost);
    }
    // Only the registered post's text stays in the room's text file.
    EXPECT_EQ(d.textFileSize(), before + sj("本文\r\n ..で始まる行\r\n").size());
    EXPECT_TRUE(d.reported("発言 '二つ目' を登録できませんでした。予約はそのまま残してあります。"));
}

TEST(ForumDialogue, ReservedSingleMessagesAreReadAndDeletedOnlyWhenTheHostAnswered) {
    ForumDialogue d(toForum() + "C: SC1\\r\nS: SC1\\r\\n\nS: \\r\\n\nS: #3/3　雑談会議室\\r\\n\n" + prompt(kRead) +
                    "C: RB2\\r\nS: RB2\\r\\n\nS: \\r\\n\n" + message(2, 3, "MVL00002", "読む話　ハナコ") +
                    prompt(kRead) + "C: D3\\r\nS: D3\\r\\n\nS: \\r\\n\nS: #3 を削除します。よろしいですか(Y,N,J)=\n" +
                    "C: Y\\r\nS: Y\\r\\n\nS: \\r\\n\nS: 削除しました。\\r\\n\n" +
                    prompt("コマンド(M,S,F,H,Q,B,Dn,J)=") + "C: RB4\\r\nX\n");
    d.doc->tree().setReserve(d.room, -1);
    int read = 0, deleted = 0, cut = 0;
    {
        OpenedList list(*d.doc, d.room);
        read = list->add(0, 2, 0, "MVL00002", sj("読む話"), kind::kForumMessage, 0);
        deleted = list->add(0, 3, 0, "MVL00001", sj("消す話"), kind::kForumMessage, 0);
        cut = list->add(0, 4, 0, "MVL00002", sj("切れる話"), kind::kForumMessage, 0);
        list->setReserve(read, ForumService::kReserveRead);
        list->setReserve(deleted, ForumService::kReserveDelete);
        list->setReserve(cut, ForumService::kReserveRead);
        ASSERT_TRUE(list->save());
    }
    d.visit();
    const std::vector<CItem> items = d.items();
    EXPECT_EQ(items[read - 1].m_nReserve, -1);
    EXPECT_GT(items[read - 1].m_nBody, 0);
    EXPECT_EQ(items[deleted - 1].m_nReserve, -1);
    EXPECT_TRUE(items[deleted - 1].hasFlag(ITEM_FLAG_DELETED));
    EXPECT_EQ(items[cut - 1].m_nReserve, ForumService::kReserveRead);
    // A single message leaves the room's last-read number alone.
    EXPECT_EQ(roomLastRead(d.place()), 0);
}

TEST(ForumDialogue, TheRoomListAddsRenamesAndReportsClosedRooms) {
    ForumDialogue d(toForum("S: 　１．改名した会議室 [    3]\\r\\n\nS: 　１２．新しい会議室 [   12]\\r\\n\n"
                            "S: 　１３．ＯＬＴ＋（＊）\\r\\n\n") +
                    "C: M\\r\nS: M\\r\\n\n" + prompt("番号またはコマンド(M,S,F,H,Q,J)="));
    CItemArray& tree = d.doc->tree();
    tree.setReserve(d.room, -1);
    const int closed = addRoom(tree, d.area, 2, sj("閉じた会議室"));
    tree.setReserve(d.area, d.doc->menu(kind::kForumArea).entries()[0].id);  // "ﾌｫｰﾗﾑの一覧取得"
    d.visit();
    d.expectPlayedThrough();
    EXPECT_EQ(sjisToUtf8(tree.item(d.room).m_szTitle.view()), "改名した会議室");
    EXPECT_EQ(roomHighest(tree.item(d.room)), 3);
    EXPECT_TRUE(d.reported("ﾌｫｰﾗﾑ名が '改名した会議室' に変更されました"));
    EXPECT_TRUE(d.reported("新しいﾌｫｰﾗﾑ '新しい会議室' を追加しました"));
    EXPECT_TRUE(d.reported("ﾌｫｰﾗﾑ '閉じた会議室' が見つかりませんでした。閉鎖された可能性があります。"));
    const int added = tree.size() - 1;
    EXPECT_EQ(tree.item(added).m_nNumber, 12);
    EXPECT_EQ(tree.item(added).m_strPath.view(), "PCSIG/1/12");
    EXPECT_EQ(tree.item(closed).m_nKind, kind::kRoom);  // reported, not removed
}

}  // namespace
}  // namespace morvaline
