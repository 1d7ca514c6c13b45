// A file transfer inside the host dialogue, against the scripted host: the transfer
// itself is played by the host's startTransfer (its outcome is recorded at once, as by a
// transfer that has ended); the dialogue around it is the transcript.

#include "patrol/engine/file_transfer.h"

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "platform/text_codec.h"
#include "support/scripted_host.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

constexpr int kTimeout = 120'000;

struct Dialogue {
    explicit Dialogue(std::string_view transcript) : host(transcript), engine(host.links(), {}) {
        engine.setWaitTimeout(kTimeout);
    }
    void expectPlayedThrough() {
        EXPECT_TRUE(host.faults().empty()) << host.faults().front();
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries not played";
    }
    ScriptedHost host;
    CPatrolEngine engine;
};

// The host's text after the transfer arrives while the engine is still inside
// TransferFile; the wait that follows finds it.
TEST(FileTransfer, DownloadThenTheHostTextAfterIt) {
    Dialogue d(R"(
S: ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)\r\n
S: ファイル転送が終了しました。\r\n\r\nリターンキーを押して下さい=
C: \r
)");
    FileTransferOutcome done;
    done.result = FileTransferOutcome::kOk;
    done.receivedPath = "/tmp/down/PHOTO.DAT";
    d.host.transferOutcome = done;
    CPatrolEngine& e = d.engine;

    ASSERT_EQ(e.WaitFor(sj("(Rapidox:ダウンロード)"), false), 0);
    const FileTransferOutcome got = TransferFile(e, TransferRequest::download());
    EXPECT_TRUE(got.succeeded());
    EXPECT_EQ(got.receivedPath, "/tmp/down/PHOTO.DAT");
    ASSERT_EQ(d.host.transferRequests.size(), 1u);
    EXPECT_EQ(d.host.transferRequests[0].direction, TransferDirection::Download);
    EXPECT_EQ(d.host.timeoutsDuringTransfer, std::vector<int>{-1});
    EXPECT_EQ(e.block().waitTimeout(), kTimeout);

    ASSERT_EQ(e.WaitFor(sj("リターンキーを押して下さい="), false), 0);
    e.Send("\r");
    d.expectPlayedThrough();
    EXPECT_EQ(e.result(), result::Ok);
}

TEST(FileTransfer, UploadNamesItsFileAndAFailureComesBackAsItsCode) {
    Dialogue d(R"(
S: ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)\r\n
S: ファイル転送が中断されました。\r\nコマンド(M,S,F,H,Q,A,J)=
)");
    FileTransferOutcome failed;
    failed.result = FileTransferOutcome::kFileError;
    failed.text = sj("ﾌｧｲﾙ ｴﾗｰ");
    d.host.transferOutcome = failed;
    CPatrolEngine& e = d.engine;

    ASSERT_EQ(e.WaitFor(sj("(Rapidox:アップロード)"), false), 0);
    const FileTransferOutcome got =
        TransferFile(e, TransferRequest::upload("/home/u/photo.dat", "PHOTO.DAT"));
    EXPECT_EQ(got.result, FileTransferOutcome::kFileError);
    EXPECT_EQ(sjisToUtf8(got.text), "ﾌｧｲﾙ ｴﾗｰ");
    ASSERT_EQ(d.host.transferRequests.size(), 1u);
    EXPECT_EQ(d.host.transferRequests[0].direction, TransferDirection::Upload);
    EXPECT_EQ(d.host.transferRequests[0].uploadPath, "/home/u/photo.dat");
    EXPECT_EQ(d.host.transferRequests[0].sendName, "PHOTO.DAT");
    // A failed transfer does not end the run: the dialogue goes on.
    EXPECT_EQ(e.WaitFor(sj("コマンド(M,S,F,H,Q,A,J)="), false), 0);
    d.expectPlayedThrough();
    EXPECT_EQ(e.result(), result::Ok);
}

// No transfer can run: the user is told, the host's side is stopped with a CAN, and the
// dialogue goes on with the host's text (nothing waits for a transfer that never ends).
TEST(FileTransfer, ATransferThatCannotStartStopsTheHostsSide) {
    Dialogue d(R"(
S: ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)\r\n
C: \x18
S: ファイル転送が中断されました。\r\n\r\nリターンキーを押して下さい=
)");
    CPatrolEngine& e = d.engine;
    ASSERT_EQ(e.WaitFor(sj("(Rapidox:ダウンロード)"), false), 0);
    const FileTransferOutcome got = TransferFile(e, TransferRequest::download());
    EXPECT_FALSE(got.succeeded());
    EXPECT_EQ(sjisToUtf8(got.text), "中断処理中");
    EXPECT_EQ(d.host.reports(), std::vector<std::string>{"中断処理中"});
    EXPECT_EQ(e.block().waitTimeout(), kTimeout);
    EXPECT_EQ(e.WaitFor(sj("リターンキーを押して下さい="), false), 0);
    d.expectPlayedThrough();
}

// A run that is over asks for nothing.
TEST(FileTransfer, NothingStartsOnceTheRunHasEnded) {
    Dialogue d("X\n");
    CPatrolEngine& e = d.engine;
    EXPECT_EQ(e.WaitFor("never", false), result::LineLost);
    const FileTransferOutcome got = TransferFile(e, TransferRequest::download());
    EXPECT_FALSE(got.succeeded());
    EXPECT_TRUE(d.host.transferRequests.empty());
}

}  // namespace
}  // namespace morvaline
