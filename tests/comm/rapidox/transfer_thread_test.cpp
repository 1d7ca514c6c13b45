// The transfer thread over real sockets: both sides on their own threads over a
// socketpair, a scripted host that leaves text after the transfer, and an abort from
// outside. Also the Telnet byte handling of a line and the texts of what the thread
// reports.

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/fd_channel.h"
#include "comm/rapidox/receiver.h"
#include "comm/rapidox/sender.h"
#include "comm/rapidox/telnet_data_filter.h"
#include "comm/rapidox/transfer_thread.h"
#include "comm/rapidox/upload_files.h"
#include "fixtures.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace morvaline::rapidox {
namespace {

using morvaline::test::TempDir;
using namespace test;

class SocketPair {
public:
    SocketPair() {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) std::abort();
        // A scripted peer never waits for ever.
        const timeval limit{10, 0};
        ::setsockopt(fds_[1], SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~SocketPair() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int near() const { return fds_[0]; }
    int far() const { return fds_[1]; }
    // Reads exactly n bytes from the far end (fewer if the limit runs out).
    std::string readFar(std::size_t n) const {
        std::string bytes(n, '\0');
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fds_[1], bytes.data() + got, n - got);
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        bytes.resize(got);
        return bytes;
    }
    void writeFar(std::string_view bytes) const {
        ASSERT_EQ(::write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    int fds_[2];
};

TEST(RapidoxStatus, StatusLinesAndResultTexts) {
    TransferStatus status;
    status.fileSize = 5000;
    status.startOffset = 896;
    status.bytesDone = 128;
    EXPECT_EQ(progressText(status), sj("1024/5000 ﾊﾞｲﾄが転送されました"));
    EXPECT_EQ(fileSizeText(status), sj("ﾌｧｲﾙの大きさ: 5000 ﾊﾞｲﾄ"));
    EXPECT_EQ(resultText(TransferResult::Ok), "");
    EXPECT_EQ(resultText(TransferResult::Cancelled), sj("中断処理中"));
    EXPECT_EQ(resultText(TransferResult::TimedOut), sj("中断処理中"));
    EXPECT_EQ(resultText(TransferResult::RetriesExhausted), sj("ﾘﾄﾗｲ回数ｵｰﾊﾞｰ"));
    EXPECT_EQ(resultText(TransferResult::FileError), sj("ﾌｧｲﾙ ｴﾗｰ"));
    EXPECT_EQ(resultText(TransferResult::ProtocolError), sj("ﾌﾟﾛﾄｺﾙ ｴﾗｰ"));
}

TEST(RapidoxTelnet, DataBytesAreDoubledAndUndoubled) {
    EXPECT_EQ(doubleTelnetIac("a\xFFx\xFF"), "a\xFF\xFFx\xFF\xFF");
    struct Row {
        const char* what;
        std::vector<std::string> reads;
        std::string data;
    };
    const Row rows[] = {
        {"escaped 0xFF", {"a\xFF\xFFx"}, "a\xFFx"},
        {"escape split across reads", {"a\xFF", "\xFFx"}, "a\xFFx"},
        {"option negotiation removed", {"a\xFF\xFB\x01x"}, "ax"},
        {"sub-negotiation removed", {"a\xFF\xFA\x18\x01\xFF\xF0x"}, "ax"},
        {"two-byte command removed", {"a\xFF\xF1x"}, "ax"},
    };
    for (const Row& row : rows) {
        TelnetDataFilter filter;
        std::string out;
        for (const std::string& read : row.reads) filter.filter(read, out);
        EXPECT_EQ(out, row.data) << row.what;
    }
}

TEST(RapidoxTransferThread, BothSidesOnTheirOwnThreadsOverASocket) {
    TempDir up, down;
    std::string content(70 * 128 + 3, '\xFF');
    std::mt19937 random(5);
    for (std::size_t i = 0; i < content.size(); i += 3) content[i] = static_cast<char>(random());
    ASSERT_TRUE(writeFileAtomically(up / "FF.BIN", content));

    SocketPair line;
    FdChannel receiverLine(line.near(), line.near());
    FdChannel senderLine(line.far(), line.far());
    UploadFiles source({{up / "FF.BIN", {}}});
    DownloadFolder folder(down.path());
    RapidoxSender tx(source, 20);
    RapidoxReceiver rx(folder, 20);
    // Filled on the receiving thread, read after it was joined.
    std::vector<TransferStatus::Code> codes;
    TransferThread receiving(rx, receiverLine,
                             [&codes](const TransferStatus& s) { codes.push_back(s.code); });
    TransferThread sending(tx, senderLine, nullptr);
    EXPECT_EQ(sending.wait().result, TransferResult::Ok);
    EXPECT_EQ(receiving.wait().result, TransferResult::Ok);

    std::string received;
    ASSERT_TRUE(readWholeFile(down / "FF.BIN", received));
    EXPECT_TRUE(received == content);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), TransferStatus::Code::Started);
    EXPECT_EQ(codes[1], TransferStatus::Code::SizeKnown);
    EXPECT_EQ(codes.back(), TransferStatus::Code::Ended);
}

TEST(RapidoxTransferThread, HostTextAfterTheTransferIsHandedBack) {
    SocketPair line;
    FdChannel channel(line.near(), line.near());
    UploadFiles nothing({});
    RapidoxSender tx(nothing, 20);
    TransferThread sending(tx, channel, nullptr);
    line.writeFar("\x15");
    EXPECT_EQ(line.readFar(132), parameters20());
    line.writeFar(kR20);
    EXPECT_EQ(line.readFar(1), "\x04");  // an empty batch ends at once
    line.writeFar("\x06\r\nリターンキーを押して下さい=");
    const TransferOutcome& outcome = sending.wait();
    EXPECT_EQ(outcome.result, TransferResult::Ok);
    EXPECT_EQ(outcome.unusedInput, "\r\nリターンキーを押して下さい=");
    EXPECT_EQ(line.readFar(1), "\r");
}

TEST(RapidoxTransferThread, AnAbortEndsADownloadWithTimeOutAndOneCan) {
    TempDir down;
    SocketPair line;
    FdChannel channel(line.near(), line.near());
    DownloadFolder folder(down.path());
    RapidoxReceiver rx(folder, 20);
    TransferThread receiving(rx, channel, nullptr);
    EXPECT_EQ(line.readFar(1), "\x15");
    receiving.abort();
    EXPECT_EQ(receiving.wait().result, TransferResult::TimedOut);
    EXPECT_EQ(line.readFar(1), "\x18");
}

}  // namespace
}  // namespace morvaline::rapidox
