// The sender against hand-laid packets from a receiver: the blocks it sends, its window
// arithmetic, and how each failure ends.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <ctime>
#include <vector>

#include "comm/rapidox/sender.h"
#include "comm/rapidox/upload_files.h"
#include "fixtures.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;
using namespace test;

// A file whose modification time is 2024-01-02 03:04:05 local time.
void writeDatedFile(const std::filesystem::path& path, const std::string& content) {
    ASSERT_TRUE(writeFileAtomically(path, content));
    std::tm tm{};
    tm.tm_year = 124, tm.tm_mon = 0, tm.tm_mday = 2, tm.tm_hour = 3, tm.tm_min = 4, tm.tm_sec = 5;
    tm.tm_isdst = -1;
    const timespec times[2] = {{0, UTIME_OMIT}, {std::mktime(&tm), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Block k (from 1) of a numbered file is filled with the byte k % 251.
std::string numberedFile(int blocks) {
    std::string content;
    for (int k = 1; k <= blocks; ++k) content.append(128, static_cast<char>(k % 251));
    return content;
}

class SenderRig {
public:
    explicit SenderRig(const std::string& content, std::string sendName = {}, int window = 25) {
        writeDatedFile(dir / "UP.TXT", content);
        files = std::make_unique<UploadFiles>(
            std::vector<UploadFile>{{dir / "UP.TXT", std::move(sendName)}});
        tx = std::make_unique<RapidoxSender>(*files, window);
        tx->start(t);
    }
    std::string in(std::string_view bytes) {
        tx->receive(bytes, t);
        return output();
    }
    std::string wait(Duration d) {
        t += d;
        tx->advance(t);
        return output();
    }
    // Lets the sender send what its window allows.
    std::string pump() {
        while (tx->deadline() == kAtOnce) tx->advance(t);
        return output();
    }
    std::string output() {
        std::string out = tx->takeOutput();
        sent += out;
        return out;
    }
    // NAK and "R" answered: the first header is out.
    void open(const std::string& reply = kR25) {
        in("\x15");
        in(reply);
    }

    morvaline::test::TempDir dir;
    std::unique_ptr<UploadFiles> files;
    std::unique_ptr<RapidoxSender> tx;
    TimePoint t{};
    std::string sent;
};

TEST(RapidoxSender, UploadsAFileAsTheProtocolLaysItOut) {
    SenderRig rig(std::string(128, 'a') + std::string(10, 'b'), {}, 20);
    EXPECT_EQ(rig.in("\x15"), parameters20());
    EXPECT_EQ(rig.in(kR20), header('1', nul("01UP.TXT|138|20240102030405|"), 0xB9));
    EXPECT_EQ(rig.in(kP0), "");
    const std::string lastBlock =
        "\x01\x02\xFD" + std::string(10, 'b') + std::string(118, '\x1A') + "\xD0";
    EXPECT_EQ(rig.pump(), block(1, 'a', 0x80) + lastBlock + header('2', endOfFile(2), 0x65));
    EXPECT_EQ(rig.in(kT2), "\x04");
    EXPECT_EQ(rig.in("\x06HOST"), "\r");
    EXPECT_EQ(rig.tx->result(), TransferResult::Ok);
    EXPECT_EQ(rig.tx->unusedInput(), "HOST");
}

TEST(RapidoxSender, NakAfterBlock128RewindsToTheRightBlock) {
    SenderRig rig(numberedFile(200));
    rig.open();
    rig.in(kP0);
    EXPECT_EQ(rig.pump().size(), 25u * 132);  // the window, then a pause
    for (int acked = 20; acked <= 120; acked += 20) {
        rig.in(blockPacket('A', acked));
        rig.pump();
    }
    rig.in(blockPacket('A', 130));
    rig.pump();
    // "N" carries 131 & 0x7F = 3: block 131 is meant, not block 3.
    rig.in(blockPacket('N', 131));
    const std::string out = rig.pump();
    ASSERT_GE(out.size(), 132u);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 131);
    EXPECT_EQ(out.substr(3, 128), std::string(128, static_cast<char>(131)));
}

TEST(RapidoxSender, RepeatedStartBeforeAnyAckRestartsTheNumbering) {
    SenderRig rig(std::string(128, 'a') + std::string(128, 'b') + std::string(128, 'c'));
    rig.open();
    rig.in(kP0);
    const std::string firstRound = rig.pump();
    EXPECT_EQ(firstRound.size(), 4u * 132);  // three blocks and the end of file
    rig.in(kP0);
    EXPECT_EQ(rig.pump(), firstRound);
    rig.in(blockPacket('A', 3));
    rig.in(kP0);
    EXPECT_EQ(rig.pump(), "");  // once acknowledged, "P" is stale
}

TEST(RapidoxSender, AnswersToTheHeader) {
    SenderRig rig(std::string(300, 'x'));
    rig.open();
    const std::string firstHeader = rig.sent.substr(132);
    EXPECT_EQ(rig.in(kR25), firstHeader);  // sent again with the same sequence number
    EXPECT_EQ(rig.in(kS0), firstHeader);   // "S" with the previous number: again
    EXPECT_EQ(rig.in(kS1), "\x04");        // "S" with this file's number: skipped
    EXPECT_EQ(rig.in("\x06"), "\r");
    EXPECT_EQ(rig.tx->result(), TransferResult::Ok);
}

TEST(RapidoxSender, EndsWithTheRightCode) {
    struct Row {
        const char* fault;
        std::vector<std::string> inputs;  // each followed by what the window allows
        TransferResult result;
    };
    const std::string nak = "\x15";
    const std::vector<std::string> n1(11, blockPacket('N', 1));
    std::vector<std::string> sameBlock = {nak, kR25, kP0};
    sameBlock.insert(sameBlock.end(), n1.begin(), n1.end());
    const Row rows[] = {
        {"no NAK for 500 s", {}, TransferResult::TimedOut},
        {"window 00", {nak, kR00}, TransferResult::ProtocolError},
        {"CAN instead of R", {nak, "\x18"}, TransferResult::Cancelled},
        {"start block beyond the file", {nak, kR25, kP7}, TransferResult::ProtocolError},
        {"S with a foreign number", {nak, kR25, kS5}, TransferResult::ProtocolError},
        {"window full and silent", {nak, kR25, kP0}, TransferResult::TimedOut},
        {"the same block asked for 11 times", sameBlock, TransferResult::RetriesExhausted},
        {"EOT answered ten times with noise",
         {nak, kR25, kP0, kT2, "??????????"},
         TransferResult::RetriesExhausted},
    };
    for (const Row& row : rows) {
        SenderRig rig(std::string(200, 'x'));  // two blocks
        for (const std::string& input : row.inputs) {
            rig.in(input);
            rig.pump();
        }
        for (int i = 0; i < 20 && !rig.tx->finished(); ++i) rig.wait(500s);
        EXPECT_EQ(rig.tx->result(), row.result) << row.fault;
        EXPECT_EQ(rig.sent.back(), '\r') << row.fault;  // every end but an abort
    }
    SenderRig aborted("x");
    aborted.tx->abort();
    EXPECT_EQ(aborted.tx->result(), TransferResult::TimedOut);
    EXPECT_EQ(aborted.output(), "");
}

TEST(RapidoxSender, CanInTheDataPhaseIsAnsweredWithEotAndAPause) {
    SenderRig rig(std::string(1000, 'x'));
    rig.open();
    rig.in(kP0);
    rig.pump();
    EXPECT_EQ(rig.in("\x18"), "");
    EXPECT_EQ(rig.wait(1s), "\x04");  // CAN alone for the quiet period
    EXPECT_EQ(rig.in("host text"), "");
    EXPECT_EQ(rig.wait(1500ms), "\r");
    EXPECT_EQ(rig.tx->result(), TransferResult::Cancelled);
    EXPECT_EQ(rig.tx->unusedInput(), "host text");

    // The host's text right behind its CAN leaves the CAN standing and is kept.
    SenderRig texted(std::string(1000, 'x'));
    texted.open();
    texted.in(kP0);
    texted.pump();
    EXPECT_EQ(texted.in("\x18\r\nbroken\r\n"), "");
    EXPECT_EQ(texted.wait(1s), "\x04");
    EXPECT_EQ(texted.in(">"), "");
    EXPECT_EQ(texted.wait(1500ms), "\r");
    EXPECT_EQ(texted.tx->result(), TransferResult::Cancelled);
    EXPECT_EQ(texted.tx->unusedInput(), "\r\nbroken\r\n>");
}

TEST(RapidoxSender, FileProblemsEndWithFileErrorAndSayWhichFile) {
    // A name that cannot fit into the 128-byte header.
    SenderRig tooLong("data", std::string(120, 'N'));
    tooLong.open();
    EXPECT_EQ(tooLong.tx->result(), TransferResult::FileError);
    EXPECT_NE(tooLong.tx->failureMessage().find(std::string(120, 'N')), std::string::npos);

    morvaline::test::TempDir dir;
    UploadFiles missing({{dir / "gone.bin", {}}});
    RapidoxSender tx(missing, 20);
    tx.start({});
    tx.receive("\x15", {});
    tx.receive(kR20, {});
    EXPECT_EQ(tx.result(), TransferResult::FileError);
    EXPECT_NE(tx.failureMessage().find("gone.bin"), std::string::npos);
}

}  // namespace
}  // namespace morvaline::rapidox
