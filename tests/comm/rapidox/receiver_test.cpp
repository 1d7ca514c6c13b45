// The receiver against hand-laid byte streams from a sender: what it answers, what it
// writes, and how each failure ends.

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <array>
#include <ctime>

#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/receiver.h"
#include "fixtures.h"
#include "platform/atomic_file.h"
#include "support/temp_dir.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;
using namespace test;

// File headers (name, size, time) with their hand-computed checksums.
const std::string kTestHeader = header('1', nul("01TEST.TXT|256|20240102030405|"), 0x55);
const std::string kWrongSequence = header('1', nul("02TEST.TXT|256|20240102030405|"), 0x56);
const std::string kBigHeader = header('1', nul("01BIG.DAT|5000|"), 0x31);
const std::string kGapHeader = header('1', nul("01GAP|1280|"), 0x36);
const std::string kShortHeader = header('1', nul("01SHORT|300|"),
                                        0xB6);  // 3 blocks
const std::string kOverHeader = header('1', nul("01OVER|129|"),
                                       0x6B);  // 2 blocks
const std::string kEndOf2 = header('2', endOfFile(2), 0x65);

class ReceiverRig {
public:
    explicit ReceiverRig(Duration quietPeriod = RapidoxReceiver::kDefaultQuietPeriod)
        : rx(folder, 20, quietPeriod) {}

    std::string start() {
        rx.start(t);
        return output();
    }
    std::string in(std::string_view bytes) {
        rx.receive(bytes, t);
        return output();
    }
    std::string wait(Duration d) {
        t += d;
        rx.advance(t);
        return output();
    }
    std::string output() {
        std::string out = rx.takeOutput();
        sent += out;
        return out;
    }
    // Handshake and parameters done: the receiver waits for a file header.
    void open() {
        ASSERT_EQ(start(), "\x15");
        ASSERT_EQ(in(parameters20()), kR20);
    }
    std::string file(const std::string& name) {
        std::string bytes;
        readWholeFile(dir / name, bytes);
        return bytes;
    }

    morvaline::test::TempDir dir;
    DownloadFolder folder{dir.path()};
    RapidoxReceiver rx;
    TimePoint t{};
    std::string sent;  // everything the receiver sent so far
};

TEST(RapidoxReceiver, DownloadsAFileFromHandLaidFrames) {
    ReceiverRig rig;
    rig.open();
    EXPECT_EQ(rig.in(kTestHeader), kP0);
    // Window 20 acknowledges every 10 blocks: two blocks get no "A".
    EXPECT_EQ(rig.in(block(1, 'a', 0x80) + block(2, 'b', 0x00)), "");
    EXPECT_EQ(rig.in(kEndOf2), kT2);
    // EOT counts only after 10 s of quiet.
    EXPECT_EQ(rig.in("\x04"), "");
    EXPECT_EQ(rig.wait(9s), "");
    EXPECT_EQ(rig.wait(1s), "\x06");
    EXPECT_EQ(rig.rx.result(), TransferResult::Ok);
    EXPECT_EQ(rig.file("TEST.TXT"), std::string(128, 'a') + std::string(128, 'b'));
    EXPECT_TRUE(rig.folder.files().at(0).complete);

    struct stat st {};
    ASSERT_EQ(::stat((rig.dir / "TEST.TXT").c_str(), &st), 0);
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    EXPECT_EQ((std::array{tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
              (std::array{124, 0, 2, 3, 4, 5}));
}

TEST(RapidoxReceiver, ResumesAShorterPartAtItsLastWholeBlock) {
    ReceiverRig rig;
    ASSERT_TRUE(writeFileAtomically(rig.dir / "BIG.DAT.part", std::string(1000, 'x')));
    rig.open();
    EXPECT_EQ(rig.in(kBigHeader), kP7);
    // The first block of this run is block 1 again and lands at 7 x 128 = 896.
    EXPECT_EQ(rig.in(block(1, 'a', 0x80)), "");
    rig.rx.abort();
    EXPECT_EQ(rig.output(), "\x18");
    EXPECT_EQ(rig.rx.result(), TransferResult::TimedOut);
    EXPECT_EQ(rig.file("BIG.DAT.part"), std::string(896, 'x') + std::string(128, 'a'));
    EXPECT_FALSE(rig.folder.files().at(0).complete);
}

TEST(RapidoxReceiver, DataPhaseAsksAgainForMissingAndDamagedBlocks) {
    ReceiverRig rig;
    rig.open();
    EXPECT_EQ(rig.in(kGapHeader), kP0);
    EXPECT_EQ(rig.in(block(1, 'a', 0x80)), "");
    EXPECT_EQ(rig.in(block(3, 'a', 0x80)), blockPacket('N', 2));  // block 2 went missing
    EXPECT_EQ(rig.in(block(2, 'b', 0x00)), "");
    EXPECT_EQ(rig.in(block(1, 'a', 0x80)), blockPacket('A', 2));  // a repeat: say how far
    std::string damaged = block(3, 'a', 0x80);
    damaged[10] = 'z';
    EXPECT_EQ(rig.in(damaged), blockPacket('N', 3));
    EXPECT_EQ(rig.wait(40s), blockPacket('N', 3));  // silence in Nak: the next attempt
    EXPECT_EQ(rig.in(block(3, 'c', 0x80)), "");
    EXPECT_EQ(rig.file("GAP.part"),
              std::string(128, 'a') + std::string(128, 'b') + std::string(128, 'c'));
}

TEST(RapidoxReceiver, EndsWithTheRightCodeAndSendsCanOnlyAfterAFailure) {
    struct Row {
        const char* fault;
        bool opened;        // handshake and parameters first
        std::string input;  // then these bytes, then silence until the end
        TransferResult result;
        std::size_t keptBytes = 0;  // of the partial file, when there is one
    };
    const Row rows[] = {
        {"nobody answers the NAK", false, "", TransferResult::RetriesExhausted},
        {"the sender cancels", true, "\x18", TransferResult::Cancelled},
        {"window 00", false, header('0', "100011", 0x54), TransferResult::ProtocolError},
        {"wrong sequence number", true, kWrongSequence, TransferResult::ProtocolError},
        {"more blocks than announced", true,
         kOverHeader + block(1, 'a', 0x80) + block(2, 'a', 0x80) + block(3, 'a', 0x80),
         TransferResult::ProtocolError, 256},
        {"malformed end of file", true,
         kTestHeader + block(1, 'a', 0x80) + block(2, 'b', 0x00) +
             header('2', endOfFile(2, '1'), 0x66),
         TransferResult::ProtocolError, 256},
        // The counts agree modulo 256 but a block is missing: kept for the resume.
        {"end of file before the last block", true,
         kShortHeader + block(1, 'a', 0x80) + block(2, 'b', 0x00) + kEndOf2,
         TransferResult::ProtocolError, 256},
    };
    for (const Row& row : rows) {
        ReceiverRig rig;
        if (row.opened)
            rig.open();
        else
            rig.start();
        rig.in(row.input);
        for (int i = 0; i < 20 && !rig.rx.finished(); ++i) rig.wait(20s);
        EXPECT_EQ(rig.rx.result(), row.result) << row.fault;
        EXPECT_EQ(rig.sent.back() == '\x18', row.result != TransferResult::Cancelled) << row.fault;
        if (!rig.folder.files().empty()) {
            EXPECT_FALSE(rig.folder.files()[0].complete) << row.fault;
            EXPECT_EQ(rig.file(rig.folder.files()[0].path.filename()).size(), row.keptBytes)
                << row.fault;
        }
    }
}

TEST(RapidoxReceiver, EotFollowedByAnotherByteIsNotTheEndOfTheBatch) {
    ReceiverRig rig;
    rig.open();
    EXPECT_EQ(rig.in("\x04"), "");
    EXPECT_EQ(rig.wait(5s), "");
    EXPECT_EQ(rig.in("x"), "");
    EXPECT_EQ(rig.wait(10s), "");
    EXPECT_EQ(rig.wait(10s), kR20);  // 20 s without a header: "R" again
    EXPECT_EQ(rig.in("\x04host text"), "");
    EXPECT_FALSE(rig.rx.finished());
}

// The quiet period is a setting: a user on a clean line shortens the wait after the EOT.
TEST(RapidoxReceiver, QuietPeriodSettingEndsTheBatchThatMuchAfterTheEot) {
    ReceiverRig rig(1s);
    rig.open();
    EXPECT_EQ(rig.in("\x04"), "");
    EXPECT_EQ(rig.wait(999ms), "");
    EXPECT_EQ(rig.in("\x04"), "");  // a byte within the period: this one counts anew
    EXPECT_EQ(rig.wait(999ms), "");
    EXPECT_EQ(rig.wait(1ms), "\x06");
    EXPECT_EQ(rig.rx.result(), TransferResult::Ok);
}

// A host that cancels goes on with its text at once. Text starts no frame, so the CAN
// still counts after its quiet period, and the text is kept for the dialogue; a frame
// that follows does drop the CAN, as for the other control bytes.
TEST(RapidoxReceiver, CanFollowedByTheHostsTextStillCancels) {
    ReceiverRig rig;
    rig.open();
    ASSERT_EQ(rig.in(kTestHeader), kP0);
    ASSERT_EQ(rig.in(block(1, 'a', 0x80)), "");
    EXPECT_EQ(rig.in("\x18\r\nstopped\r\nreturn="), "");
    EXPECT_EQ(rig.wait(9s), "");
    EXPECT_EQ(rig.wait(1s), "");  // no CAN back to a host that cancelled
    EXPECT_EQ(rig.rx.result(), TransferResult::Cancelled);
    EXPECT_EQ(rig.rx.unusedInput(), "\r\nstopped\r\nreturn=");

    ReceiverRig goesOn;
    goesOn.open();
    ASSERT_EQ(goesOn.in(kTestHeader), kP0);
    EXPECT_EQ(goesOn.in("\x18" + block(1, 'a', 0x80)), "");
    EXPECT_EQ(goesOn.wait(10s), "");
    EXPECT_FALSE(goesOn.rx.finished());
}

}  // namespace
}  // namespace morvaline::rapidox
