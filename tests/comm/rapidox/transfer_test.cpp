// The library's sender and receiver talking to each other over a simulated line, with
// faults on the line and a fake clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/receiver.h"
#include "comm/rapidox/sender.h"
#include "comm/rapidox/upload_files.h"
#include "platform/atomic_file.h"
#include "sim_link.h"
#include "support/temp_dir.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;
using test::LineFault;
using test::SimLink;

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

struct Transfer {
    Transfer(const morvaline::test::TempDir& up, const morvaline::test::TempDir& down,
             std::vector<std::string> names, int sendWindow = 20, int receiveWindow = 20)
        : source(uploads(up, names)),
          folder(down.path()),
          tx(source, sendWindow),
          rx(folder, receiveWindow),
          link(tx, rx) {}

    static std::vector<UploadFile> uploads(const morvaline::test::TempDir& up,
                                           const std::vector<std::string>& names) {
        std::vector<UploadFile> files;
        for (const std::string& name : names) files.push_back({up / name, {}});
        return files;
    }
    // Runs the transfer; the statuses the receiver reported.
    std::vector<TransferStatus> run() {
        link.run();
        return rx.takeStatus();
    }

    UploadFiles source;
    DownloadFolder folder;
    RapidoxSender tx;
    RapidoxReceiver rx;
    SimLink link;
};

std::string readFile(const std::filesystem::path& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

TEST(RapidoxTransfer, EverySizeArrivesByteExactWithEveryWindow) {
    const std::size_t sizes[] = {0, 1, 127, 128, 129, 256, 32768 + 5, 300 * 128 + 7};
    const int windows[] = {1, 2, 20, 25};
    for (std::size_t size : sizes) {
        for (int window : windows) {
            morvaline::test::TempDir up, down;
            const std::string content = randomBytes(size, static_cast<unsigned>(size + window));
            ASSERT_TRUE(writeFileAtomically(up / "FILE.BIN", content));
            Transfer t(up, down, {"FILE.BIN"}, window, 25 - window + 1);
            t.run();
            const std::string where =
                std::to_string(size) + " bytes, window " + std::to_string(window);
            EXPECT_EQ(t.tx.result(), TransferResult::Ok) << where;
            EXPECT_EQ(t.rx.result(), TransferResult::Ok) << where;
            EXPECT_TRUE(readFile(down / "FILE.BIN") == content) << where;
        }
    }
}

TEST(RapidoxTransfer, ABatchOfSeveralFiles) {
    morvaline::test::TempDir up, down;
    const std::vector<std::string> names = {"ONE.TXT", "EMPTY", "THREE.BIN"};
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(writeFileAtomically(up / names[i], randomBytes(i == 1 ? 0 : 5000 * i, i)));
    Transfer t(up, down, names);
    t.run();
    EXPECT_EQ(t.rx.result(), TransferResult::Ok);
    EXPECT_EQ(t.tx.result(), TransferResult::Ok);
    for (const std::string& name : names)
        EXPECT_EQ(readFile(down / name), readFile(up / name)) << name;
    EXPECT_EQ(t.folder.files().size(), 3u);
}

TEST(RapidoxTransfer, RecoversFromFaultsOnTheLine) {
    // Offsets on the sender's side: parameter header, file header, then 132 per block.
    constexpr std::size_t kBlock0 = 2 * 132;
    const std::size_t blocks = 40;
    struct Row {
        const char* fault;
        std::vector<LineFault> faults;
    };
    const Row rows[] = {
        {"bytes of a block lost", {LineFault::drop(true, kBlock0 + 5 * 132 + 50, 10)}},
        {"a block garbled", {LineFault::corrupt(true, kBlock0 + 3 * 132 + 70)}},
        {"the first block lost", {LineFault::drop(true, kBlock0, 132)}},
        {"the end-of-file block lost", {LineFault::drop(true, kBlock0 + blocks * 132, 132)}},
        // Receiver side: NAK 1, "R" 11, "P" 6, then the first "A".
        {"an acknowledgement garbled", {LineFault::corrupt(false, 18 + 2)}},
        {"the parameter header garbled", {LineFault::corrupt(true, 40)}},
        {"a CAN followed at once by a block", {LineFault::insert(true, kBlock0 + 132 - 1, "\x18")}},
        {"the line silent for 45 s", {LineFault::silence(true, kBlock0 + 10 * 132, 45s)}},
    };
    for (const Row& row : rows) {
        morvaline::test::TempDir up, down;
        const std::string content = randomBytes(blocks * 128, 7);
        ASSERT_TRUE(writeFileAtomically(up / "F", content));
        Transfer t(up, down, {"F"});
        for (const LineFault& f : row.faults) t.link.addFault(f);
        t.run();
        EXPECT_EQ(t.rx.result(), TransferResult::Ok) << row.fault;
        EXPECT_EQ(t.tx.result(), TransferResult::Ok) << row.fault;
        EXPECT_TRUE(readFile(down / "F") == content) << row.fault;
    }
}

TEST(RapidoxTransfer, CanFromEitherSideEndsBothSides) {
    struct Row {
        const char* fault;
        LineFault can;
        TransferResult sender, receiver;
    };
    const Row rows[] = {
        // CAN right after "P": the sender answers EOT; the receiver waits in vain for blocks.
        {"CAN to the sender", LineFault::insert(false, 17, "\x18"), TransferResult::Cancelled,
         TransferResult::RetriesExhausted},
        // CAN to the receiver with 15 s of quiet after it; the receiver sends no CAN back.
        {"CAN to the receiver", LineFault::insert(true, 2 * 132 + 4 * 132 - 1, "\x18"),
         TransferResult::TimedOut, TransferResult::Cancelled},
    };
    for (const Row& row : rows) {
        morvaline::test::TempDir up, down;
        ASSERT_TRUE(writeFileAtomically(up / "F", randomBytes(100 * 128, 3)));
        Transfer t(up, down, {"F"});
        t.link.addFault(row.can);
        if (row.can.fromSender) t.link.addFault(LineFault::silence(true, row.can.at + 1, 15s));
        t.run();
        EXPECT_EQ(t.tx.result(), row.sender) << row.fault;
        EXPECT_EQ(t.rx.result(), row.receiver) << row.fault;
        ASSERT_EQ(t.folder.files().size(), 1u) << row.fault;
        EXPECT_FALSE(t.folder.files()[0].complete) << row.fault;
    }
}

TEST(RapidoxTransfer, ALineCutMidFileLeavesAPartialFileThatTheNextDownloadResumes) {
    morvaline::test::TempDir up, down;
    const std::string content = randomBytes(100 * 128 + 9, 11);
    ASSERT_TRUE(writeFileAtomically(up / "BIG.BIN", content));
    {
        Transfer t(up, down, {"BIG.BIN"});
        t.link.addFault(LineFault::cut(true, 2 * 132 + 30 * 132 + 60));
        t.run();
        EXPECT_EQ(t.tx.result(), TransferResult::TimedOut);
        EXPECT_EQ(t.rx.result(), TransferResult::TimedOut);
        EXPECT_EQ(readFile(down / "BIG.BIN.part"), content.substr(0, 30 * 128));
    }
    Transfer again(up, down, {"BIG.BIN"});
    const auto status = again.run();
    EXPECT_EQ(again.rx.result(), TransferResult::Ok);
    EXPECT_TRUE(readFile(down / "BIG.BIN") == content);
    const auto size = std::find_if(status.begin(), status.end(), [](const TransferStatus& s) {
        return s.code == TransferStatus::Code::SizeKnown;
    });
    ASSERT_NE(size, status.end());
    EXPECT_EQ(size->startOffset, 30u * 128);
    EXPECT_EQ(size->fileSize, content.size());
    EXPECT_EQ(status.back().startOffset + status.back().bytesDone, content.size());
}

}  // namespace
}  // namespace morvaline::rapidox
