// The Connection over real sockets on 127.0.0.1, on the test's event loop.

#include "comm/connection.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "comm/transfer_link.h"
#include "link/result_codes.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/fake_host.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

using test::FakeHost;
using test::spinUntil;

const std::string kOpening("\xFF\xFD\x03\xFF\xFB\x03\xFF\xFD\x01\xFF\xFD\x00\xFF\xFB\x00", 15);

class RecordingReports final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override { texts.push_back(sjisToUtf8(sjisText)); }
    void addPatrolLine(const std::string&) override {}
    bool has(std::string_view utf8) const {
        return std::find(texts.begin(), texts.end(), utf8) != texts.end();
    }
    std::vector<std::string> texts;
};

class RecordingObserver final : public ConnectionObserver {
public:
    void textReceived(const FilterOutput& output) override { shown += output.display(); }
    void status(const std::string& sjisText) override { statuses.push_back(sjisToUtf8(sjisText)); }
    std::string shown;
    std::vector<std::string> statuses;
};

// A connection with everything it needs, and the helpers to bring its line up.
class ConnectionTest : public testing::Test {
protected:
    ConnectionTest() : reporter(eventLog, sounds), connection(block, dispatcher, reporter) {
        reporter.setSink(&reports);
        connection.setObserver(&observer);
        CaptureLogSettings noLog;
        noLog.mode = CaptureLogSettings::Mode::Off;
        connection.setCaptureLog(noLog);
    }
    ~ConnectionTest() override { connection.setObserver(nullptr); }

    void target(const std::string& service) { connection.setTelnetTarget({"127.0.0.1", service}); }

    // Connects to the fake host and waits until the opening negotiation arrived there.
    void bringLineUp() {
        target(std::to_string(host.port()));
        ASSERT_TRUE(connection.resolve());
        ASSERT_TRUE(connection.connect());
        ASSERT_TRUE(spinUntil([&] { return host.received.size() >= kOpening.size(); }));
        ASSERT_TRUE(connection.lineUp());
        host.received.erase(0, kOpening.size());
    }

    // Records into a capture log (LUDRIX.LOG) and a transcript (session.txt) in dir, then
    // brings the line up.
    void recordAndBringLineUp() {
        CaptureLogSettings log;
        log.mode = CaptureLogSettings::Mode::SameFile;
        log.directory = dir.path();
        connection.setCaptureLog(log);
        ASSERT_TRUE(transcript.open(dir / "session.txt", nullptr));
        connection.setTranscript(&transcript);
        bringLineUp();
    }

    QCoreApplication& app = test::testApp();  // before the sockets and the dispatcher
    MainDispatcher dispatcher;
    CommBlock block;
    EventLog eventLog;
    SoundSettings sounds;
    Reporter reporter;
    RecordingReports reports;
    RecordingObserver observer;
    test::TempDir dir;
    TranscriptWriter transcript;  // outlives the connection that writes it
    Connection connection;
    FakeHost host;
};

TEST_F(ConnectionTest, ADottedAddressAndAPortNumberResolveAtOnce) {
    target("2323");
    block.hostFound.reset();
    EXPECT_TRUE(connection.resolve());
    EXPECT_TRUE(block.hostFound.isSet());
    EXPECT_EQ(connection.state(), LineState::Resolved);
}

TEST_F(ConnectionTest, AServiceNameIsLookedUpWithoutBlocking) {
    target("telnet");
    block.hostFound.reset();
    EXPECT_TRUE(connection.resolve());
    EXPECT_EQ(connection.state(), LineState::Resolving);
    ASSERT_TRUE(spinUntil([&] { return block.hostFound.isSet(); }));
    EXPECT_EQ(connection.state(), LineState::Resolved);
    EXPECT_EQ(block.result(), result::Ok);
}

TEST_F(ConnectionTest, AnUnknownServiceIsReportedAndEndsTheAttempt) {
    target("no-such-service-here");
    EXPECT_TRUE(connection.resolve());
    ASSERT_TRUE(spinUntil([&] { return block.hostFound.isSet(); }));
    EXPECT_TRUE(reports.has("no-such-service-here からﾎｽﾄ情報を取得できませんでした"));
    EXPECT_EQ(block.result(), result::LineLost);
    EXPECT_EQ(connection.state(), LineState::Idle);
}

TEST_F(ConnectionTest, ConnectSendsTheOpeningNegotiationAndAnswersTheHost) {
    connection.setTrace(true);
    target(std::to_string(host.port()));
    connection.resolve();
    block.dataArrived.reset();
    connection.connect();
    ASSERT_TRUE(spinUntil([&] { return host.received.size() >= kOpening.size(); }));
    EXPECT_EQ(host.received, kOpening);
    EXPECT_TRUE(block.dataArrived.isSet());
    EXPECT_TRUE(block.lineUp());
    EXPECT_EQ(connection.state(), LineState::Connected);
    EXPECT_TRUE(reports.has("接続中 (127.0.0.1)"));
    EXPECT_TRUE(reports.has("回線が接続しました"));
    EXPECT_EQ(observer.shown,
              "[Sent do SUPRESS GO AHEAD]\r\n[Sent will SUPRESS GO AHEAD]\r\n[Sent do ECHO]\r\n"
              "[Sent do BINARY]\r\n[Sent will BINARY]\r\n");

    host.received.clear();
    observer.shown.clear();
    host.send(
        "\xFF\xFD\x18"
        "ok\xFF\xFA\x18\x01\xFF\xF0");
    const std::string expected = "\xFF\xFB\x18\xFF\xFA\x18" + std::string(1, '\0') +
                                 "UNKNOWN\xFF\xF0" + std::string(1, '\0');
    ASSERT_TRUE(spinUntil([&] { return host.received.size() >= expected.size(); }));
    EXPECT_EQ(host.received, expected);
    EXPECT_EQ(observer.shown,
              "[Recv do TERMINAL TYPE]\r\n[Sent will TERMINAL TYPE]\r\nok[Recv SB 24 1 SE]\r\n");
}

TEST_F(ConnectionTest, ARefusedConnectIsReportedAndNotTakenForALine) {
    int closedPort;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    target(std::to_string(closedPort));
    connection.resolve();
    block.dataArrived.reset();
    connection.connect();
    ASSERT_TRUE(spinUntil([&] { return block.dataArrived.isSet(); }));
    EXPECT_TRUE(reports.has("接続できませんでした"));
    EXPECT_FALSE(block.lineUp());
    EXPECT_EQ(block.result(), result::LineLost);
    EXPECT_EQ(connection.state(), LineState::Idle);
    EXPECT_FALSE(connection.writeText("x"));
}

TEST_F(ConnectionTest, WritesAndBreak) {
    EXPECT_FALSE(connection.writeText("no line yet"));
    bringLineUp();
    EXPECT_TRUE(connection.writeText(""));
    const std::string text(2001, 'w');
    EXPECT_TRUE(connection.writeText(text));
    EXPECT_TRUE(connection.sendBreak());
    ASSERT_TRUE(spinUntil([&] { return host.received.size() >= text.size() + 2; }));
    EXPECT_EQ(host.received, text + "\xFF\xF3");
    EXPECT_TRUE(reports.has("ﾌﾞﾚｰｸ信号を送信しました"));
}

TEST_F(ConnectionTest, TheHostClosingTheLineIsALostLine) {
    ASSERT_NO_FATAL_FAILURE(recordAndBringLineUp());
    connection.writeText("Q\r");
    block.dataArrived.reset();
    host.send(sj("ご利用ありがとうございました\r\n") + "\x07");
    host.close();
    ASSERT_TRUE(spinUntil([&] { return connection.state() == LineState::Idle; }));
    EXPECT_FALSE(block.lineUp());
    EXPECT_TRUE(block.dataArrived.isSet());
    EXPECT_EQ(block.result(), result::LineLost);
    EXPECT_TRUE(reports.has("回線が切断されました"));
    EXPECT_EQ(observer.statuses, std::vector<std::string>{"ﾋﾞｰﾌﾟ音を受信しました"});

    std::string captured;
    ASSERT_TRUE(readWholeFile(dir / "LUDRIX.LOG", captured));
    EXPECT_EQ(sjisToUtf8(captured), "ご利用ありがとうございました\r\n");
    transcript.close();
    std::string recorded;
    ASSERT_TRUE(readWholeFile(dir / "session.txt", recorded));
    std::string error;
    const auto entries = parseTranscript(recorded, &error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].bytes, "Q\r");
    EXPECT_EQ((*entries)[1].kind, TranscriptKind::Shown);
    EXPECT_EQ((*entries)[2].kind, TranscriptKind::Dropped);
}

// A password typed at the host's password prompt, or sent as a secret, is masked in the
// transcript, and so is its echo in the capture log, also when it arrives in pieces.
TEST_F(ConnectionTest, PasswordsAreMaskedInTheTranscriptAndTheCaptureLog) {
    ASSERT_NO_FATAL_FAILURE(recordAndBringLineUp());
    host.send("PASSWORD: ");
    ASSERT_TRUE(spinUntil([&] { return observer.shown.ends_with("PASSWORD: "); }));
    connection.writeText("hunter22\r");
    connection.writeText("CLUB-PW\r", Secrecy::Secret);
    ASSERT_TRUE(spinUntil([&] { return host.received == "hunter22\rCLUB-PW\r"; }));
    host.send("hunt");
    ASSERT_TRUE(spinUntil([&] { return observer.shown.ends_with("hunt"); }));
    host.send("er22 CLUB-PW\r\n");
    ASSERT_TRUE(spinUntil([&] { return observer.shown.ends_with("\r\n"); }));
    host.close();
    ASSERT_TRUE(spinUntil([&] { return connection.state() == LineState::Idle; }));

    std::string captured;
    ASSERT_TRUE(readWholeFile(dir / "LUDRIX.LOG", captured));
    EXPECT_EQ(captured, "PASSWORD: **** ****\r\n");
    transcript.close();
    std::string recorded;
    ASSERT_TRUE(readWholeFile(dir / "session.txt", recorded));
    EXPECT_EQ(recorded.find("hunter22"), std::string::npos) << recorded;
    EXPECT_EQ(recorded.find("CLUB-PW"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("C: ****\\r\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("S: **** ****\\r\\n\n"), std::string::npos) << recorded;
}

TEST_F(ConnectionTest, CancelAsksFirstAndKeepsItsCause) {
    bringLineUp();
    EXPECT_FALSE(connection.cancel([] { return false; }, false));
    EXPECT_TRUE(connection.lineUp());
    EXPECT_EQ(block.result(), result::Ok);

    block.redialCancel.reset();
    EXPECT_TRUE(connection.cancel([] { return true; }, true));
    EXPECT_FALSE(connection.lineUp());
    EXPECT_EQ(block.result(), result::Cancelled);  // not turned into "line lost" by the hang-up
    EXPECT_TRUE(block.redialCancel.isSet());
    EXPECT_TRUE(block.dataArrived.isSet());
    EXPECT_TRUE(reports.has("回線を切断しています"));
    EXPECT_TRUE(connection.rxShare().transferAbort);
    ASSERT_TRUE(spinUntil([&] { return host.clientGone(); }));
}

TEST_F(ConnectionTest, CancelWhileConnectingAsksNothing) {
    bringLineUp();
    block.setInConnect(true);
    bool asked = false;
    EXPECT_TRUE(connection.cancel([&] { return asked = true; }, false));
    EXPECT_FALSE(asked);
    EXPECT_FALSE(block.inConnect());
}

TEST_F(ConnectionTest, SkipMovesOnOnlyWhileConnecting) {
    bringLineUp();
    connection.skip();
    EXPECT_TRUE(connection.lineUp());  // not connecting: nothing happens
    block.setInConnect(true);
    connection.skip();
    EXPECT_FALSE(connection.lineUp());
    EXPECT_EQ(block.result(), result::Skipped);
    EXPECT_TRUE(reports.has("ｽｷｯﾌﾟしています"));
}

// A transfer thread reads and writes through the link while the main thread serves the
// line; a full raw buffer holds the line back; what the transfer did not use goes back
// to the text stream ahead of the text that follows.
TEST_F(ConnectionTest, TransferHandOver) {
    bringLineUp();
    connection.attachEngine();
    std::vector<TransferDirection> started;
    connection.setTransferStarter([&](const TransferRequest& request) {
        started.push_back(request.direction);
        return true;
    });
    ASSERT_TRUE(connection.startTransfer(TransferRequest::download()));
    EXPECT_EQ(started, std::vector<TransferDirection>{TransferDirection::Download});
    EXPECT_TRUE(reports.has("ﾊﾞｲﾅﾘ転送が開始しました"));

    // Telnet commands are taken out, IAC IAC is one 0xFF, control bytes stay.
    const std::string head("\x01\x00\xFF\xFF\xFF\xFB\x01\x15", 8);
    const std::string burst(30'000, 'b');
    const std::string expected = std::string("\x01\x00\xFF\x15", 4) + burst + "end bytes\r\n";
    TransferLink link(connection, dispatcher);
    Event go;
    std::atomic<bool> done = false;
    std::string received;
    std::thread transfer([&] {
        go.wait();
        while (received.size() < expected.size()) {
            if (link.read(received, rapidox::Clock::now() + std::chrono::seconds(10)) !=
                rapidox::TransferChannel::ReadResult::Data)
                break;
        }
        link.write("\xFF\x02");
        // The transfer used all but the last text; that goes back to the text stream.
        link.finished(received.substr(4 + burst.size() - 6));
        done = true;
    });
    host.send(head + burst + "end bytes\r\n");
    ASSERT_TRUE(
        spinUntil([&] { return connection.rxShare().rawCount() == RxShare::kRawCapacity; }));
    go.set();
    ASSERT_TRUE(spinUntil([&] { return done.load(); }));
    transfer.join();
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(block.lock().unconsumed() == "bbbbbbend bytes\r\n");
    EXPECT_TRUE(reports.has("ﾊﾞｲﾅﾘ転送が終了しました"));
    ASSERT_TRUE(spinUntil([&] { return host.received.size() >= 3; }));
    EXPECT_EQ(host.received, "\xFF\xFF\x02");  // 0xFF doubled on Telnet

    host.send("after>");
    ASSERT_TRUE(spinUntil([&] { return block.lock().unconsumed().ends_with("after>"); }));
    EXPECT_EQ(block.lock().unconsumed(), "bbbbbbend bytes\r\nafter>");
}

TEST_F(ConnectionTest, AbortWakesATransferWaitingForBytes) {
    bringLineUp();
    connection.setTransferStarter([](const TransferRequest&) { return true; });
    ASSERT_TRUE(connection.startTransfer(TransferRequest::upload("x")));
    TransferLink link(connection, dispatcher);
    std::string into;
    EXPECT_EQ(link.read(into, rapidox::kAtOnce), rapidox::TransferChannel::ReadResult::TimedOut);
    std::atomic<int> outcome = -1;
    std::thread transfer([&] { outcome = static_cast<int>(link.read(into, rapidox::kNever)); });
    link.abort();
    transfer.join();
    EXPECT_EQ(outcome, static_cast<int>(rapidox::TransferChannel::ReadResult::Aborted));
    EXPECT_FALSE(link.write("x"));
    EXPECT_TRUE(link.writeFinal("\x18"));  // the last CAN still goes out
    ASSERT_TRUE(spinUntil([&] { return host.received == "\x18"; }));
}

// The line drops with blocks still unread: the transfer gets them once, then the abort.
TEST_F(ConnectionTest, BytesBeforeALostLineStillReachTheTransfer) {
    bringLineUp();
    connection.setTransferStarter([](const TransferRequest&) { return true; });
    ASSERT_TRUE(connection.startTransfer(TransferRequest::download()));
    host.send("last blocks");
    ASSERT_TRUE(spinUntil([&] { return connection.rxShare().rawCount() == 11; }));
    host.close();
    ASSERT_TRUE(spinUntil([&] { return !connection.lineUp(); }));
    TransferLink link(connection, dispatcher);
    std::string into;
    EXPECT_EQ(link.read(into, rapidox::kNever), rapidox::TransferChannel::ReadResult::Data);
    EXPECT_EQ(into, "last blocks");
    EXPECT_EQ(link.read(into, rapidox::kNever), rapidox::TransferChannel::ReadResult::Aborted);
}

// A modem line on a pseudo-terminal: commands go out and the modem's answers come in
// before the line is up; CONNECT brings it up (a pseudo-terminal has no carrier line); the
// far side closing is a lost line.
TEST_F(ConnectionTest, AModemLineOnAPseudoTerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    connection.attachEngine();
    ASSERT_TRUE(connection.openSerial({::ptsname(master), 38400, 1}));
    EXPECT_FALSE(connection.lineUp());
    ASSERT_TRUE(connection.writeText("ATZ\r"));
    std::string sent;
    ASSERT_TRUE(spinUntil([&] {
        char buffer[64];
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 0) == 1) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) sent.append(buffer, static_cast<std::size_t>(n));
        }
        return sent.size() >= 4;
    }));
    EXPECT_EQ(sent, "ATZ\r");
    ASSERT_EQ(::write(master, "\r\nOK\r\n", 6), 6);
    ASSERT_TRUE(spinUntil([&] { return observer.shown.find("OK") != std::string::npos; }));

    connection.modemDialled();
    connection.modemConnected(false);
    EXPECT_TRUE(connection.lineUp());
    EXPECT_TRUE(reports.has("回線が接続しました"));
    ::close(master);
    ASSERT_TRUE(spinUntil([&] { return !connection.lineUp(); }));
    EXPECT_TRUE(reports.has("回線が切断されました"));
    EXPECT_EQ(block.result(), result::LineLost);
    connection.detachEngine();

    EXPECT_FALSE(connection.openSerial({"/nonexistent/ttyS9", 38400, 1}));
    EXPECT_TRUE(reports.has("通信ﾎﾟｰﾄがｵｰﾌﾟﾝできません"));
    EXPECT_TRUE(reports.has("/nonexistent/ttyS9: No such file or directory")) << reports.texts.back();
}

// The modem's side of a pseudo-terminal, played by the test.
class PtyModem {
public:
    PtyModem() : master_(::posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master_ >= 0 && (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)) closeNow();
    }
    ~PtyModem() { closeNow(); }
    bool ok() const { return master_ >= 0; }
    std::string device() const { return ::ptsname(master_); }
    // Waits until the caller has sent a command ending in CR; returns it. A lone CR (the
    // caller abandoning its last call) is no command, as for a modem.
    std::string command() {
        std::string got;
        (void)spinUntil([&] {
            char c;
            pollfd p{master_, POLLIN, 0};
            while (::poll(&p, 1, 0) == 1 && ::read(master_, &c, 1) == 1) {
                got += c;
                if (got == "\r") got.clear();
                if (c == '\r' && !got.empty()) return true;
            }
            return false;
        });
        return got;
    }
    void say(std::string_view text) { ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size())); }
    void closeNow() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_;
};

// The line device dials through the modem itself and hands the port over at CONNECT, with
// the host's first text that came in the same read; a failed call ends the wait with
// LineLost and closes the port.
TEST_F(ConnectionTest, TheLineDeviceDialsAndHandsThePortOver) {
    PtyModem modem;
    ASSERT_TRUE(modem.ok());
    const LineDeviceCall call{{modem.device(), 38400, 1}, {{"ATZ\r"}, "ATDT0312345678\r"}};
    connection.attachEngine();
    block.dataArrived.reset();
    ASSERT_TRUE(connection.placeCall(call));
    EXPECT_FALSE(connection.placeCall(call));  // one call at a time
    EXPECT_EQ(modem.command(), "ATZ\r");
    modem.say("ATZ\r\r\nOK\r\n");
    EXPECT_EQ(modem.command(), "ATDT0312345678\r");
    EXPECT_FALSE(connection.lineUp());
    modem.say("\r\nCONNECT 38400\r\nHOST NAME }");
    ASSERT_TRUE(spinUntil([&] { return connection.lineUp(); }));
    EXPECT_TRUE(block.dataArrived.isSet());
    EXPECT_TRUE(reports.has("回線が接続しました"));
    ASSERT_TRUE(spinUntil([&] { return observer.shown.find("HOST NAME }") != std::string::npos; }));
    EXPECT_EQ(observer.shown.find("CONNECT"), std::string::npos) << observer.shown;
    ASSERT_TRUE(connection.writeText("LUDRIX\r"));
    EXPECT_EQ(modem.command(), "LUDRIX\r");
    connection.hangUp();
    EXPECT_FALSE(connection.lineUp());
    connection.detachEngine();

    struct Failure {
        const char* name;
        const char* answer;  // to the dial command
    };
    for (const Failure& f : {Failure{"busy", "\r\nBUSY\r\n"}, Failure{"no carrier", "\r\nNO CARRIER\r\n"},
                             Failure{"refused", "\r\nERROR\r\n"}}) {
        SCOPED_TRACE(f.name);
        reports.texts.clear();
        block.setResult(result::Ok);
        block.dataArrived.reset();
        ASSERT_TRUE(connection.placeCall({call.port, {{}, "ATDT1\r"}}));
        EXPECT_EQ(modem.command(), "ATDT1\r");
        modem.say(f.answer);
        ASSERT_TRUE(spinUntil([&] { return block.dataArrived.isSet(); }));
        EXPECT_EQ(block.result(), result::LineLost);
        EXPECT_TRUE(reports.has("接続できませんでした"));
        EXPECT_EQ(connection.state(), LineState::Idle);
    }

    // The device vanishing while the modem dials fails the call the same way.
    block.setResult(result::Ok);
    block.dataArrived.reset();
    ASSERT_TRUE(connection.placeCall(call));
    EXPECT_EQ(modem.command(), "ATZ\r");
    modem.closeNow();
    ASSERT_TRUE(spinUntil([&] { return block.dataArrived.isSet(); }));
    EXPECT_EQ(block.result(), result::LineLost);

    EXPECT_FALSE(connection.placeCall({{"/nonexistent/ttyS9", 38400, 1}, call.dial}));
    EXPECT_TRUE(reports.has("/nonexistent/ttyS9: No such file or directory")) << reports.texts.back();
}

TEST(LineDeviceNumbers, CanonicalAndDialableNumbers) {
    struct Row {
        const char* country;  // UTF-8
        const char* area;
        const char* number;
        const char* prefix;     // the outside-line prefix
        const char* ownArea;    // the computer's area code
        const char* canonical;
        const char* dialable;
    };
    const Row rows[] = {
        {"日本 (81)", "3", "1234-5678", "", "", "+81 (3) 1234-5678", "0 3 1234-5678"},
        {"日本 (81)", "", "1234-5678", "", "", "+81 1234-5678", "1234-5678"},
        {"日本 (81)", "03", "1234-5678", "0", "03", "+81 (03) 1234-5678", "0 1234-5678"},
        {"", "6", "1234-5678", "", "", "+81 (6) 1234-5678", "0 6 1234-5678"},
        {"アメリカ合衆国 (1)", "212", "555-0100", "", "", "+1 (212) 555-0100", "010 1 212 555-0100"},
        {"(x) 大韓民国 (82)", "", "2-123", "9", "", "+82 2-123", "9 010 82 2-123"},
        {"日本 (81)", "3", "", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.canonical);
        AccessPoint ap;
        ap.countryName = utf8ToSjis(row.country);
        ap.areaCode = row.area;
        ap.phoneNumber = row.number;
        AccessPointList list;
        list.prefixCode = row.prefix;
        list.placeAreaCode = row.ownArea;
        const std::string canonical = canonicalNumber(ap);
        EXPECT_EQ(canonical, row.canonical);
        EXPECT_EQ(dialableNumber(list, canonical), row.dialable);
    }
}

}  // namespace
}  // namespace morvaline
