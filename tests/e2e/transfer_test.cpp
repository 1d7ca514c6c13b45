// End to end: Rapidox file transfers over real Telnet lines on 127.0.0.1 against
// ludrix-host, whose sender and receiver were written apart from the client's. Each line
// logs in with the engine's primitives, downloads a file mail ("DLn") and uploads one
// (JSEND, "UP"); the bytes are compared with what the host served or stored. Several
// lines run at once, so that the host's wait after its last block (the receiver's quiet
// period after EOT) is paid once per test rather than once per file.

#include <gtest/gtest.h>

#include <QProcess>

#include "support/ludrix_host.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "transfer_fixture.h"

namespace morvaline {
namespace {

using test::HostLine;
using test::StepResult;

constexpr std::size_t kFiveMegabytes = 5'000'000;

std::string fileOf(const std::filesystem::path& path) {
    std::string bytes;
    return readWholeFile(path, bytes) ? bytes : "(unreadable)";
}

// Whole bytes or a short note: a failed comparison of megabytes prints no megabytes.
::testing::AssertionResult sameBytes(const std::string& got, const std::string& expected) {
    if (got == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << got.size() << " bytes instead of " << expected.size()
                                         << ", first difference at " << at;
}

std::string outcomeText(const std::optional<FileTransferOutcome>& outcome) {
    if (!outcome) return "no transfer";
    return "result " + std::to_string(outcome->result) + " " + sjisToUtf8(outcome->text) + " " +
           sjisToUtf8(outcome->failureMessage);
}

// Every size at least once in each direction and every window in each direction, the
// sizes around the block edges and a block number that wraps (5 MB), files of 0xFF only
// among them; each line downloads one file and uploads another.
TEST(EndToEndTransfer, FilesOfEverySizeBothWaysWithEveryWindow) {
    struct Case {
        std::size_t downSize;
        bool downAllFF;
        int receiveWindow;
        std::size_t upSize;
        bool upAllFF;
        int sendWindow;
    };
    const Case cases[] = {
        {0, false, 1, kFiveMegabytes, false, 25},
        {1, true, 2, 0, false, 1},
        {127, false, 20, 1, true, 2},
        {128, true, 25, 127, false, 20},
        {129, false, 1, 128, true, 25},
        {256, true, 2, 129, false, 1},
        {32'773, true, 20, 256, true, 2},
        {kFiveMegabytes, false, 25, 32'773, true, 20},
    };
    constexpr std::size_t kLines = std::size(cases);
    test::testApp();
    test::TempDir dir;
    std::vector<test::WorldUser> users{{"SINK0001", std::nullopt, {}}};
    std::vector<std::string> downloads, uploads;
    for (std::size_t i = 0; i < kLines; ++i) {
        const Case& c = cases[i];
        downloads.push_back(test::fileBytes(c.downSize, 100 + i, c.downAllFF));
        uploads.push_back(test::fileBytes(c.upSize, 200 + i, c.upAllFF));
        users.push_back(
            {"XFER000" + std::to_string(i), "DL" + std::to_string(i) + ".BIN", downloads.back()});
        ASSERT_TRUE(writeFileAtomically(dir / ("UP" + std::to_string(i) + ".BIN"), uploads.back()));
    }
    const std::filesystem::path world = dir / "world.json";
    ASSERT_TRUE(test::writeWorld(world, users));
    test::LudrixHost host(world.string(), {"--save"});
    ASSERT_GT(host.port(), 0) << "ludrix-host did not start";

    std::vector<std::unique_ptr<HostLine>> lines;
    std::vector<StepResult> down(kLines), up(kLines);
    for (std::size_t i = 0; i < kLines; ++i) {
        const std::string n = std::to_string(i);
        lines.push_back(std::make_unique<HostLine>(
            host.port(),
            TransferSettings{dir / ("down" + n), cases[i].receiveWindow, cases[i].sendWindow}));
        lines.back()->start([&, i, n](CPatrolEngine& e) {
            if (const int r = test::logIn(e, "XFER000" + n); r != result::Ok) return r;
            if (const int r = test::downloadMail(e, 1, down[i]); r != result::Ok) return r;
            const std::filesystem::path file = dir / ("UP" + n + ".BIN");
            if (const int r = test::uploadFileMail(e, "SINK0001", "UP-" + n, file, up[i]);
                r != result::Ok)
                return r;
            return test::logOut(e);
        });
    }
    std::vector<HostLine*> all;
    for (auto& line : lines) all.push_back(line.get());
    ASSERT_TRUE(test::allEnded(all));

    for (std::size_t i = 0; i < kLines; ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        EXPECT_EQ(lines[i]->exitCode(), result::Ok) << result::toString(lines[i]->exitCode());
        ASSERT_TRUE(down[i].outcome && down[i].outcome->succeeded())
            << outcomeText(down[i].outcome);
        const std::filesystem::path received =
            dir / ("down" + std::to_string(i)) / ("DL" + std::to_string(i) + ".BIN");
        EXPECT_EQ(down[i].outcome->receivedPath, received.string());
        EXPECT_TRUE(sameBytes(fileOf(received), downloads[i]));
        EXPECT_TRUE(down[i].dialogueWentOn);
        ASSERT_TRUE(up[i].outcome && up[i].outcome->succeeded()) << outcomeText(up[i].outcome);
        EXPECT_TRUE(up[i].dialogueWentOn);
    }
    // The host saves the world after each line; the uploaded files are mails of SINK0001.
    for (std::size_t i = 0; i < kLines; ++i) {
        SCOPED_TRACE("upload " + std::to_string(i));
        const std::string title = "UP-" + std::to_string(i);
        ASSERT_TRUE(test::spinUntil(
            [&] { return test::savedFileMail(world, "SINK0001", title).has_value(); }, 20'000));
        EXPECT_TRUE(sameBytes(*test::savedFileMail(world, "SINK0001", title), uploads[i]));
    }
}

// Four hosts at once, one per kind of trouble:
// - resume: a kept part of 1,000 bytes of a 5,000-byte file is resumed at block 7 (byte
//   896); the 896 bytes before stay as they were;
// - cut: the line is cut mid-file; the part stays, and a second run resumes it;
// - CAN: the host cancels a download and an upload; the dialogue goes on;
// - corrupt: a block with a bad checksum in each direction is sent again.
TEST(EndToEndTransfer, ResumedCutCancelledAndCorruptedTransfers) {
    test::testApp();
    test::TempDir dir;
    const std::string content = test::fileBytes(5'000, 7);
    const auto hostWith = [&](const std::string& name, std::vector<std::string> options,
                              const std::vector<test::WorldUser>& users) {
        const std::filesystem::path world = dir / (name + ".json");
        EXPECT_TRUE(test::writeWorld(world, users));
        options.push_back("--save");
        return std::make_unique<test::LudrixHost>(world.string(), options);
    };
    const auto user = [&](const std::string& id) {
        return test::WorldUser{id, "FILE.BIN", content};
    };
    auto resumeHost = hostWith("resume", {}, {user("RESUME01")});
    auto cutHost = hostWith("cut", {"--transfer-fault", "cut:20", "--fault-sessions", "1"},
                            {user("CUT00001")});
    auto canHost =
        hostWith("can", {"--transfer-fault", "can:3"}, {user("CAN00001"), user("CAN00002")});
    auto corruptHost = hostWith("corrupt", {"--transfer-fault", "corrupt:5"},
                                {user("BAD00001"), user("BAD00002")});
    for (auto* host : {resumeHost.get(), cutHost.get(), canHost.get(), corruptHost.get()})
        ASSERT_GT(host->port(), 0) << "ludrix-host did not start";
    ASSERT_TRUE(writeFileAtomically(dir / "UP.BIN", content));

    // The local part: 896 bytes that differ from the host's file, then 104 of garbage.
    const std::string kept(896, 'L');
    std::filesystem::create_directories(dir / "resume");
    ASSERT_TRUE(
        writeFileAtomically(dir / "resume" / "FILE.BIN.part", kept + std::string(104, 'X')));

    const auto lineTo = [&](test::LudrixHost& host, const std::string& folder) {
        return std::make_unique<HostLine>(host.port(), TransferSettings{dir / folder, 20, 20});
    };
    const auto downloadRun = [](const std::string& id, StepResult& step) {
        return [id, &step](CPatrolEngine& e) {
            if (const int r = test::logIn(e, id); r != result::Ok) return r;
            if (const int r = test::downloadMail(e, 1, step); r != result::Ok) return r;
            return test::logOut(e);
        };
    };
    const auto uploadRun = [&](const std::string& id, const std::string& to,
                               const std::string& title, StepResult& step) {
        return [id, to, title, &step, file = dir / "UP.BIN"](CPatrolEngine& e) {
            if (const int r = test::logIn(e, id); r != result::Ok) return r;
            if (const int r = test::uploadFileMail(e, to, title, file, step); r != result::Ok)
                return r;
            return test::logOut(e);
        };
    };

    StepResult resumed, cut, cutAgain, cancelledDown, cancelledUp, retriedDown, retriedUp;
    auto resumeLine = lineTo(*resumeHost, "resume");
    resumeLine->start(downloadRun("RESUME01", resumed));
    auto cutLine = lineTo(*cutHost, "cut");
    cutLine->start(downloadRun("CUT00001", cut));
    auto canDown = lineTo(*canHost, "can");
    canDown->start(downloadRun("CAN00001", cancelledDown));
    auto canUp = lineTo(*canHost, "can-up");
    canUp->start(uploadRun("CAN00002", "CAN00001", "CANCELLED", cancelledUp));
    auto badDown = lineTo(*corruptHost, "corrupt");
    badDown->start(downloadRun("BAD00001", retriedDown));
    auto badUp = lineTo(*corruptHost, "corrupt-up");
    badUp->start(uploadRun("BAD00002", "BAD00001", "RETRIED", retriedUp));

    // The second run on the cut host starts when the first has ended; before it, the
    // partial file is marked, so that a download from the start would show.
    const std::filesystem::path partial = dir / "cut" / "FILE.BIN.part";
    std::uintmax_t partialSize = 0;
    ASSERT_TRUE(test::spinUntil([&] { return cutLine->ended(); }, 60'000));
    EXPECT_EQ(cutLine->exitCode(), result::LineLost) << result::toString(cutLine->exitCode());
    ASSERT_TRUE(cut.outcome) << "the download did not start";
    EXPECT_EQ(cut.outcome->result, FileTransferOutcome::kTimedOut) << outcomeText(cut.outcome);
    EXPECT_EQ(cut.outcome->receivedPath, partial.string());
    std::string part = fileOf(partial);
    partialSize = part.size();
    EXPECT_GT(partialSize, 0u);
    EXPECT_LT(partialSize, content.size());
    EXPECT_EQ(partialSize % 128, 0u);
    EXPECT_TRUE(sameBytes(part, content.substr(0, part.size())));
    if (!part.empty()) {
        part[0] = 'M';
        ASSERT_TRUE(writeFileAtomically(partial, part));
    }
    auto cutAgainLine = lineTo(*cutHost, "cut");
    cutAgainLine->start(downloadRun("CUT00001", cutAgain));

    ASSERT_TRUE(test::allEnded({resumeLine.get(), cutAgainLine.get(), canDown.get(), canUp.get(),
                                badDown.get(), badUp.get()}));

    {
        SCOPED_TRACE("resume");
        EXPECT_EQ(resumeLine->exitCode(), result::Ok);
        ASSERT_TRUE(resumed.outcome && resumed.outcome->succeeded())
            << outcomeText(resumed.outcome);
        EXPECT_TRUE(sameBytes(fileOf(dir / "resume" / "FILE.BIN"), kept + content.substr(896)));
    }
    {
        SCOPED_TRACE("cut, then resumed");
        EXPECT_EQ(cutAgainLine->exitCode(), result::Ok);
        ASSERT_TRUE(cutAgain.outcome && cutAgain.outcome->succeeded())
            << outcomeText(cutAgain.outcome);
        EXPECT_TRUE(sameBytes(fileOf(dir / "cut" / "FILE.BIN"), "M" + content.substr(1)));
        EXPECT_FALSE(std::filesystem::exists(partial));
    }
    {
        SCOPED_TRACE("cancelled by the host");
        EXPECT_EQ(canDown->exitCode(), result::Ok);
        ASSERT_TRUE(cancelledDown.outcome);
        EXPECT_EQ(cancelledDown.outcome->result, FileTransferOutcome::kCancelled);
        EXPECT_EQ(sjisToUtf8(cancelledDown.outcome->text), "中断処理中");
        EXPECT_TRUE(cancelledDown.dialogueWentOn);
        EXPECT_EQ(canUp->exitCode(), result::Ok);
        ASSERT_TRUE(cancelledUp.outcome);
        EXPECT_EQ(cancelledUp.outcome->result, FileTransferOutcome::kCancelled);
        EXPECT_TRUE(cancelledUp.dialogueWentOn);
        EXPECT_FALSE(test::savedFileMail(dir / "can.json", "CAN00001", "CANCELLED"));
    }
    {
        SCOPED_TRACE("a corrupted block sent again");
        EXPECT_EQ(badDown->exitCode(), result::Ok);
        ASSERT_TRUE(retriedDown.outcome && retriedDown.outcome->succeeded())
            << outcomeText(retriedDown.outcome);
        EXPECT_TRUE(sameBytes(fileOf(dir / "corrupt" / "FILE.BIN"), content));
        EXPECT_EQ(badUp->exitCode(), result::Ok);
        ASSERT_TRUE(retriedUp.outcome && retriedUp.outcome->succeeded())
            << outcomeText(retriedUp.outcome);
        ASSERT_TRUE(test::spinUntil(
            [&] { return test::savedFileMail(dir / "corrupt.json", "BAD00001", "RETRIED"); },
            20'000));
        EXPECT_TRUE(
            sameBytes(*test::savedFileMail(dir / "corrupt.json", "BAD00001", "RETRIED"), content));
    }
}

// The host starts a transfer on a line where none can run: the user is told, the host's
// side ends at once, and the dialogue goes on to the host's menu (nothing hangs).
TEST(EndToEndTransfer, ATransferTheHostStartsWhereNoneCanRunEndsCleanly) {
    test::testApp();
    test::TempDir dir;
    const std::filesystem::path world = dir / "world.json";
    ASSERT_TRUE(test::writeWorld(world, {{"NOXFER01", "FILE.BIN", test::fileBytes(300, 3)}}));
    test::LudrixHost host(world.string());
    ASSERT_GT(host.port(), 0);
    HostLine line(host.port(), {dir / "down", 20, 20}, /*withTransfers=*/false);
    StepResult step;
    line.start([&](CPatrolEngine& e) {
        if (const int r = test::logIn(e, "NOXFER01"); r != result::Ok) return r;
        if (const int r = test::downloadMail(e, 1, step); r != result::Ok) return r;
        return test::logOut(e);
    });
    ASSERT_TRUE(test::allEnded({&line}, 30'000));
    EXPECT_EQ(line.exitCode(), result::Ok) << result::toString(line.exitCode());
    ASSERT_TRUE(step.outcome);
    EXPECT_FALSE(step.outcome->succeeded());
    EXPECT_TRUE(step.dialogueWentOn);
    EXPECT_FALSE(std::filesystem::exists(dir / "down"));
}

// The manual transfers of morvaline-cli terminal: "~d" and "~u FILE" typed at the host's
// transfer prompts, with the progress on stderr.
TEST(EndToEndTransfer, TerminalDownloadsAndUploadsByHand) {
    test::testApp();
    test::TempDir dir;
    const std::string content = test::fileBytes(3'000, 11);
    const std::filesystem::path world = dir / "world.json";
    ASSERT_TRUE(test::writeWorld(
        world, {{"HAND0001", "HAND.BIN", content}, {"SINK0001", std::nullopt, {}}}));
    ASSERT_TRUE(writeFileAtomically(dir / "mine.bin", content.substr(1000)));
    test::LudrixHost host(world.string(), {"--save"});
    ASSERT_GT(host.port(), 0);

    QProcess cli;
    cli.setProgram(QString::fromStdString(test::buildProgram("src/app/morvaline-cli")));
    cli.setArguments({"terminal",
                      QString::fromStdString("127.0.0.1:" + std::to_string(host.port())), "--down",
                      QString::fromStdString((dir / "down").string())});
    cli.start();
    std::string out, err;
    // Waits until stdout shows the text, and forgets what came before it.
    const auto expect = [&](const std::string& utf8, int ms = 20'000) {
        const bool seen = test::spinUntil(
            [&] {
                out += cli.readAllStandardOutput().toStdString();
                err += cli.readAllStandardError().toStdString();
                return out.find(utf8) != std::string::npos;
            },
            ms);
        if (seen) out.erase(0, out.find(utf8) + utf8.size());
        return seen;
    };
    const auto type = [&](const std::string& line) { cli.write((line + "\n").c_str()); };
    // What the terminal said since the last text it was expected to show.
    const auto said = [&] { return "stdout: " + out + "\nstderr: " + err; };

    ASSERT_TRUE(expect("}")) << said();
    type("LUDRIX");
    ASSERT_TRUE(expect("USER_ID:")) << said();
    type("HAND0001");
    ASSERT_TRUE(expect("PASSWORD: ")) << said();
    type(test::kPassword);
    ASSERT_TRUE(expect("(H,Q,J)=")) << said();
    type("JREAD");
    ASSERT_TRUE(expect(",DL)=")) << said();
    type("DL1");
    ASSERT_TRUE(expect("(H,Q,C)=")) << said();
    type("2");
    ASSERT_TRUE(expect("(Rapidox:ダウンロード)")) << said();
    type("~d");
    ASSERT_TRUE(expect("リターンキーを押して下さい=", 60'000)) << said();
    EXPECT_NE(err.find("3000/3000 ﾊﾞｲﾄが転送されました"), std::string::npos) << err;
    EXPECT_NE(err.find("received " + (dir / "down" / "HAND.BIN").string()), std::string::npos)
        << err;
    EXPECT_TRUE(sameBytes(fileOf(dir / "down" / "HAND.BIN"), content));
    type("");
    ASSERT_TRUE(expect(",DL)=")) << said();
    type("JSEND");
    ASSERT_TRUE(expect("Ftel)=")) << said();
    type("SINK0001");
    ASSERT_TRUE(expect("Ftel)=")) << said();
    type("UP");
    ASSERT_TRUE(expect("(M,S,F,H,Q,J)=")) << said();
    type("2");
    ASSERT_TRUE(expect("(M,S,F,H,Q,J)=")) << said();
    type("2");
    ASSERT_TRUE(expect(">")) << said();
    type("BY HAND");
    ASSERT_TRUE(expect("(Y,N)=")) << said();
    type("Y");
    ASSERT_TRUE(expect("(Rapidox:アップロード)")) << said();
    type("~u " + (dir / "mine.bin").string());
    ASSERT_TRUE(expect("(M,S,F,H,Q,A,J)=", 60'000)) << said();
    EXPECT_NE(err.find("2000/2000 ﾊﾞｲﾄが転送されました"), std::string::npos) << err;
    type("Q");
    ASSERT_TRUE(test::spinUntil([&] { return cli.state() == QProcess::NotRunning; }, 20'000))
        << said();
    EXPECT_EQ(cli.exitCode(), 0);
    ASSERT_TRUE(test::spinUntil(
        [&] { return test::savedFileMail(world, "SINK0001", "BY HAND").has_value(); }, 20'000));
    EXPECT_TRUE(
        sameBytes(*test::savedFileMail(world, "SINK0001", "BY HAND"), content.substr(1000)));
}

}  // namespace
}  // namespace morvaline
