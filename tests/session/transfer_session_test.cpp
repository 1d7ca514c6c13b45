// File transfers through the Connection: the transfer thread over a real socket on
// 127.0.0.1, with the test playing the host's side of the protocol frame by frame on the
// main thread (through the Telnet escaping of the line).

#include "session/transfer_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "comm/rapidox/file_header.h"
#include "comm/rapidox/frame_builder.h"
#include "comm/rapidox/packet_fields.h"
#include "comm/rapidox/rapidox_bytes.h"
#include "comm/rapidox/telnet_data_filter.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/fake_host.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

using namespace rapidox;
using test::spinUntil;

const std::string kOpening("\xFF\xFD\x03\xFF\xFB\x03\xFF\xFD\x01\xFF\xFD\x00\xFF\xFB\x00", 15);

class StatusLines final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override { lines.push_back(sjisToUtf8(sjisText)); }
    void addPatrolLine(const std::string&) override {}
    bool has(std::string_view utf8) const {
        return std::find(lines.begin(), lines.end(), utf8) != lines.end();
    }
    std::vector<std::string> lines;
};

// Bytes with a 0xFF in every block, so that the Telnet escaping is exercised.
std::string fileBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 7 == 0 ? 0xFF : (i * 31 + 5) % 256);
    return bytes;
}

class TransferSessionTest : public testing::Test {
protected:
    TransferSessionTest()
        : reporter(eventLog, sounds),
          connection(block, dispatcher, reporter),
          transfers(connection, block, dispatcher, {dir.path() / "down", 5, 7}) {
        reporter.setSink(&status);
        CaptureLogSettings noLog;
        noLog.mode = CaptureLogSettings::Mode::Off;
        connection.setCaptureLog(noLog);
    }

    void bringLineUp() {
        connection.setTelnetTarget({"127.0.0.1", std::to_string(host.port())});
        ASSERT_TRUE(connection.resolve());
        ASSERT_TRUE(connection.connect());
        ASSERT_TRUE(spinUntil([&] { return host.received.size() >= kOpening.size(); }));
        host.received.erase(0, kOpening.size());
        connection.attachEngine();
    }

    // What the host has received so far, without the Telnet escaping.
    std::string hostGot() {
        std::string data;
        TelnetDataFilter().filter(host.received, data);
        return data;
    }
    // Waits until the host has received `size` protocol bytes; the bytes from `from` on.
    std::string awaitHost(std::size_t size, std::size_t from) {
        if (!spinUntil([&] { return hostGot().size() >= size; })) return {};
        return hostGot().substr(from);
    }
    void hostSends(std::string_view bytes) { host.send(doubleTelnetIac(bytes)); }
    bool engineHas(std::string_view utf8) {
        return block.lock().unconsumed().find(utf8ToSjis(utf8)) != std::string_view::npos;
    }

    QCoreApplication& app = test::testApp();  // before the sockets and the dispatcher
    test::TempDir dir;
    MainDispatcher dispatcher;
    CommBlock block;
    EventLog eventLog;
    SoundSettings sounds;
    Reporter reporter;
    StatusLines status;
    Connection connection;
    TransferSession transfers;
    test::FakeHost host;
};

// The host's receiver asks for the data (NAK) in the same breath as its prompt, before
// the transfer could start; the upload still begins at once. The host's text after the
// transfer reaches the engine, and the outcome is recorded for it.
TEST_F(TransferSessionTest, UploadFromTheHostsPromptToItsTextAfter) {
    bringLineUp();
    const std::string content = fileBytes(1000);
    ASSERT_TRUE(writeFileAtomically(dir / "photo.dat", content));

    host.send(sj("ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)\r\n\x15"));
    ASSERT_TRUE(spinUntil([&] { return engineHas("(Rapidox:アップロード)\r\n"); }));
    ASSERT_TRUE(connection.startTransfer(
        TransferRequest::upload((dir / "photo.dat").string(), "PHOTO.DAT")));
    EXPECT_TRUE(connection.transferRunning());
    EXPECT_TRUE(status.has("ﾊﾞｲﾅﾘ転送が開始しました"));

    // The parameters offer the send window of the settings.
    const std::string parameters = awaitHost(kBlockSize, 0);
    ASSERT_EQ(parameters, headerBlock(kParameterHeader, parameterData(7)));
    hostSends(controlPacket('R', replyFields({'1', 7, '1', '1'})));

    const std::string header = awaitHost(2 * kBlockSize, kBlockSize);
    ASSERT_EQ(header.size(), kBlockSize);
    const auto file = parseFileHeaderData(std::string_view(header).substr(3, kBlockData));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, "PHOTO.DAT");
    EXPECT_EQ(file->size, 1000);
    hostSends(controlPacket('P', numberFields(0)));

    // A window of seven blocks goes out; the acknowledgement of the seventh lets the
    // eighth and the end-of-file block follow.
    ASSERT_EQ(awaitHost(9 * kBlockSize, 2 * kBlockSize).size(), 7 * kBlockSize);
    hostSends(controlPacket('A', blockFields(7)));
    const std::string blocks = awaitHost(11 * kBlockSize, 2 * kBlockSize);
    ASSERT_EQ(blocks.size(), 9 * kBlockSize);
    for (unsigned char n = 1; n <= 8; ++n) {
        const std::string block = blocks.substr((n - 1) * kBlockSize, kBlockSize);
        ASSERT_EQ(
            block,
            dataBlock(
                n, std::string_view(content).substr((n - 1) * kBlockData).substr(0, kBlockData)));
    }
    EXPECT_EQ(blocks.substr(8 * kBlockSize), endOfFileBlock(8));
    hostSends(controlPacket('T', doneFields(8)));

    ASSERT_EQ(awaitHost(11 * kBlockSize + 1, 11 * kBlockSize), "\x04");  // EOT
    // Whoever sees the host's text after the transfer (a prompt) may use the line at once:
    // the line is handed back in the same step that passes that text on.
    struct Watcher final : ConnectionObserver {
        explicit Watcher(TransferSession& t) : transfers(t) {}
        void textReceived(const FilterOutput& output) override {
            if (output.text.find("A,J)=") != std::string::npos) runningWhenShown = transfers.running();
        }
        TransferSession& transfers;
        std::optional<bool> runningWhenShown;
    } watcher(transfers);
    connection.setObserver(&watcher);
    host.send(std::string("\x06") + sj("ファイルを受け付けました。\r\nコマンド(M,S,F,H,Q,A,J)="));

    ASSERT_TRUE(spinUntil([&] { return watcher.runningWhenShown.has_value(); }));
    connection.setObserver(nullptr);
    EXPECT_FALSE(*watcher.runningWhenShown);
    EXPECT_FALSE(transfers.running());
    const auto outcome = block.transferOutcome();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->succeeded());
    EXPECT_TRUE(outcome->receivedPath.empty());
    EXPECT_FALSE(connection.transferRunning());
    EXPECT_TRUE(engineHas("ファイルを受け付けました。\r\nコマンド(M,S,F,H,Q,A,J)="));
    EXPECT_TRUE(block.dataArrived.isSet());
    ASSERT_TRUE(spinUntil([&] { return hostGot().size() == 11 * kBlockSize + 2; }));
    EXPECT_EQ(hostGot().back(), '\r');  // the sender's last CR

    // The status line showed the size and the whole file at the end; the progress lines
    // never reached the event log.
    EXPECT_TRUE(status.has("ﾌｧｲﾙの大きさ: 1000 ﾊﾞｲﾄ"));
    EXPECT_TRUE(status.has("1000/1000 ﾊﾞｲﾄが転送されました"));
    EXPECT_EQ(status.lines.back(), "ﾊﾞｲﾅﾘ転送が終了しました");
    for (const EventEntry& entry : eventLog.entries())
        EXPECT_EQ(sjisToUtf8(entry.text).find("ﾊﾞｲﾄが転送されました"), std::string::npos);

    // Text goes to the engine again, not to a transfer, and the next transfer may start.
    host.send("next>");
    ASSERT_TRUE(spinUntil([&] { return engineHas("next>"); }));
    EXPECT_TRUE(connection.startTransfer(TransferRequest::download()));
}

// A download that the user hangs up in the middle: the transfer ends at once with a
// time-out, the blocks written stay for the next download to resume, and the line is
// out of transfer mode.
TEST_F(TransferSessionTest, HangUpEndsADownloadAndKeepsThePartialFile) {
    bringLineUp();
    ASSERT_TRUE(connection.startTransfer(TransferRequest::download()));
    ASSERT_EQ(awaitHost(1, 0), "\x15");
    hostSends(headerBlock(kParameterHeader, parameterData(25)));
    // The reply caps the window at the receive window of the settings.
    const std::string reply = controlPacket('R', replyFields({'1', 5, '1', '1'}));
    ASSERT_EQ(awaitHost(1 + reply.size(), 1), reply);

    FileHeader header;
    header.name = "PART.BIN";
    header.size = 1000;
    header.year = 1999, header.month = 12, header.day = 31;
    header.hour = 23, header.minute = 59, header.second = 0;
    hostSends(headerBlock(kFileHeader, *fileHeaderData(header)));
    const std::string start = controlPacket('P', numberFields(0));
    ASSERT_EQ(awaitHost(1 + reply.size() + start.size(), 1 + reply.size()), start);
    const std::string content = fileBytes(1000);
    for (unsigned char n = 1; n <= 3; ++n)
        hostSends(dataBlock(n, std::string_view(content).substr((n - 1) * kBlockData, kBlockData)));
    const std::filesystem::path partial = dir.path() / "down" / "PART.BIN.part";
    ASSERT_TRUE(spinUntil([&] {
        std::error_code error;
        return std::filesystem::file_size(partial, error) == 3 * kBlockData;
    }));

    connection.hangUp();
    ASSERT_TRUE(spinUntil([&] { return !transfers.running(); }));
    const auto outcome = block.transferOutcome();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->result, FileTransferOutcome::kTimedOut);
    EXPECT_EQ(sjisToUtf8(outcome->text), "中断処理中");
    EXPECT_EQ(outcome->receivedPath, partial.string());
    std::string kept;
    ASSERT_TRUE(readWholeFile(partial, kept));
    EXPECT_EQ(kept, content.substr(0, 3 * kBlockData));
    EXPECT_FALSE(connection.transferRunning());
    EXPECT_TRUE(status.has("中断処理中"));
    EXPECT_EQ(status.lines.back(), "ﾊﾞｲﾅﾘ転送が終了しました");
}

TEST(TransferSettings, ComeFromTheUsersSettings) {
    UserSettings user;
    user.setDefaults("/data/MVL00001/");
    user.rapidoxReceiveSize = 3;
    user.rapidoxSendSize = 25;
    const TransferSettings settings = transferSettingsOf(user);
    EXPECT_EQ(settings.downloadFolder, std::filesystem::path(user.downPath));
    EXPECT_EQ(settings.receiveWindow, 3);
    EXPECT_EQ(settings.sendWindow, 25);
}

TEST_F(TransferSessionTest, NoSecondTransferAndNoneWithoutALineOrAFile) {
    EXPECT_FALSE(connection.startTransfer(TransferRequest::download()));  // no line
    bringLineUp();
    EXPECT_FALSE(connection.startTransfer(TransferRequest::upload("")));
    EXPECT_FALSE(connection.transferRunning());
    host.send("text>");
    ASSERT_TRUE(spinUntil([&] { return engineHas("text>"); }));

    ASSERT_TRUE(connection.startTransfer(TransferRequest::download()));
    EXPECT_FALSE(connection.startTransfer(TransferRequest::download()));
    transfers.abort();
    ASSERT_TRUE(spinUntil([&] { return !transfers.running(); }));
    EXPECT_EQ(block.transferOutcome()->result, FileTransferOutcome::kTimedOut);
    // The line stays up, and the next transfer may start.
    EXPECT_TRUE(connection.lineUp());
    EXPECT_TRUE(connection.startTransfer(TransferRequest::download()));
}

}  // namespace
}  // namespace morvaline
