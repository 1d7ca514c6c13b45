#include "store/log_capture.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/item_array.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

struct CaptureTest : ::testing::Test {
    test::TempDir dir;
    CItemArray tree;
    CItemArray list;

    int placeOf(int kind, int number, const std::string& title) {
        tree.add(-1, 0, 0, "MAIN", "LUDRIX", kind::kRoot, 0);
        const int place = tree.add(0, number, 0, "PLACE", title, kind, 0);
        list.setFiles(dir / "PLACE.LST", dir / "PLACE.TXT");
        list.setOwner(&tree, tree.item(place).m_nSerial);
        list.add(-1, 0, 0, "PLACE.LST", title, kind::kListRoot, 0);
        return place;
    }
    std::string text(int i) {
        const CItem item = list.item(i);
        return *list.readText(item.m_nOffset, item.m_nLength);
    }
};

TEST_F(CaptureTest, MailsFromALogAreStoredWithTheirSenders) {
    const int place = placeOf(kind::kReceivedMail, 0, "mail");
    LogCapture capture(list, tree.item(place), 4);
    const char* log[] = {
        "some noise before",
        "#00000001         99/12/31    23:59:30",
        "発信者：INET#taro@example.jp  Taro",
        "受信者：MVL00001      デモ",
        "文書名：こんにちは",
        "",
        "本文です。",
        "",
        "番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=",
        "#00000002         00/01/01    00:00:00",
        "",
        "発信者：ABC12345      山田",
        "文書名：second",
        "begin 644 a.bin",
        "end",
        "  1/  1",
    };
    for (const char* line : log) ASSERT_TRUE(capture.feed(sj(line)));
    ASSERT_TRUE(capture.finish());
    EXPECT_EQ(capture.stored(), 2);
    ASSERT_EQ(list.size(), 3);
    const CItem first = list.item(1);
    EXPECT_EQ(first.m_nKind, kind::kReceivedMailMessage);
    EXPECT_EQ(first.m_strText.view(), "taro@example.jp");
    EXPECT_TRUE(first.hasFlag(ITEM_FLAG_INTERNET));
    EXPECT_EQ(first.m_szTitle.view(), sj("こんにちは"));
    EXPECT_EQ(first.m_nGeneration, 4);
    EXPECT_EQ(tree.item(place).m_nGeneration, 4);  // the place learns the generation
    // As a patrol stores it: one empty line after the first line, shown by the host or
    // not, and neither the host's empty line before its prompt nor the prompt.
    EXPECT_EQ(text(1), sj("#00000001         99/12/31    23:59:30\r\n\r\n発信者：INET#taro@example.jp  Taro\r\n"
                          "受信者：MVL00001      デモ\r\n文書名：こんにちは\r\n\r\n本文です。\r\n"));
    EXPECT_EQ(text(2).find("\r\n\r\n\r\n"), std::string::npos);
    const CItem second = list.item(2);
    EXPECT_EQ(second.m_strText.view(), "ABC12345");
    EXPECT_EQ(second.m_szName.view(), sj("山田"));
    EXPECT_TRUE(second.hasFlag(ITEM_FLAG_UUENCODED));
}

TEST_F(CaptureTest, BoardMessagesAreStoredOnceAndLongOnesClosed) {
    const int place = placeOf(kind::kBoard, 30, "board");
    {
        LogCapture capture(list, tree.item(place), 2);
        ASSERT_TRUE(capture.feed("#30/7 first message    *** " + sj("ｺﾒﾝﾄ") + " #30/6"));
        ASSERT_TRUE(capture.feed(sj("★タイトル") + " (BOARD 30)"));
        ASSERT_TRUE(capture.feed("hello"));
        ASSERT_TRUE(capture.feed(sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=")));
        ASSERT_TRUE(capture.feed("#30/8 long"));
        ASSERT_TRUE(capture.feed(sj("★タイトル") + " (BOARD 30)"));
        for (int i = 0; i < LogCapture::kMaxLines + 10; ++i) ASSERT_TRUE(capture.feed("line"));
        ASSERT_TRUE(capture.finish());
        EXPECT_EQ(capture.stored(), 2);
    }
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.item(1).m_nNumber, 7);
    EXPECT_EQ(list.item(1).m_szTitle.view(), "first message");
    EXPECT_EQ(list.item(2).m_nBody, LogCapture::kMaxLines);

    // The same log again stores nothing twice.
    LogCapture again(list, tree.item(place), 3);
    ASSERT_TRUE(again.feed("#30/7 first message"));
    ASSERT_TRUE(again.feed(sj("★タイトル") + " (BOARD 30)"));
    ASSERT_TRUE(again.feed("hello"));
    ASSERT_TRUE(again.finish());
    EXPECT_EQ(list.size(), 3);
}

TEST_F(CaptureTest, AnUnwritableTextFileIsAnError) {
    const int place = placeOf(kind::kReceivedMail, 0, "mail");
    list.setFiles(dir / "PLACE.LST", dir / "no-such-folder" / "PLACE.TXT");
    LogCapture capture(list, tree.item(place), 1);
    ASSERT_TRUE(capture.feed("#00000001         99/12/31    23:59:30"));
    ASSERT_TRUE(capture.feed(sj("文書名：") + "x"));
    EXPECT_FALSE(capture.finish());
    EXPECT_EQ(list.size(), 1);  // nothing half-stored
}

}  // namespace
}  // namespace morvaline
