// End to end: ludrix-host on an ephemeral port, a real Telnet line, and the login
// dialogue driven with the engine's primitives on the patrol thread.

#include <gtest/gtest.h>

#include <QProcess>
#include <atomic>
#include <cstdlib>

#include "comm/connection.h"
#include "link/result_codes.h"
#include "patrol/run/telnet_attempt.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "session/patrol_session.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

using test::spinUntil;

// ludrix-host with the sample world, stopped at the end of the test.
class Host {
public:
    Host() {
        const char* source = std::getenv("MORVALINE_SOURCE_DIR");
        const QString root = source ? QString::fromUtf8(source) : QStringLiteral(".");
        process_.setProgram(root + "/host/ludrix-host");
        process_.setArguments({"--world", root + "/host/worlds/sample.json", "--port", "0"});
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
    }
    ~Host() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // The port from the first line "ludrix-host listening on 127.0.0.1:PORT"; 0 on failure.
    int port() {
        if (!spinUntil(
                [&] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; },
                30'000))
            return 0;
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        const QString prefix = QStringLiteral("ludrix-host listening on 127.0.0.1:");
        return line.startsWith(prefix) ? line.mid(prefix.size()).toInt() : 0;
    }

private:
    QProcess process_;
};

class Reports final : public ReportSink {
public:
    void showStatus(const std::string&) override {}
    void addPatrolLine(const std::string&) override {}
};

class Events final : public PatrolEvents {
public:
    void report(const Text&, std::string_view) override {}
};

// What the login run saw.
struct LoginSeen {
    bool greeting = false;
    bool lastLogout = false;
    bool mainMenu = false;
    bool mailArrived = false;
};

// The login over the engine's primitives: host name, ID, password, the screens after
// login (questions answered "N"), and the main menu up to its prompt.
int logIn(CPatrolEngine& e, LoginSeen& seen) {
    static const std::string kIdPrompt = sj("ユーザＩＤ： ");
    static const std::string kPasswordPrompt = sj("パスワード： ");
    static const std::string kNotices = sj("お知らせを表示しますか");
    static const std::string kProfile = sj("＊プロファイルを修正しますか");
    static const std::string kProfileKana = sj("*ﾌﾟﾛﾌｧｲﾙ ｦ ｼｭｳｾｲ ｼﾏｽｶ");
    static const std::string kMainTitle = sj("　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)");
    static const std::string kGreeting = sj("★☆★ようこそＬＵＤＲＩＸワールドへ★☆★");
    static const std::string kLastLogout = sj("前回使用終了日時は  ");
    static const std::string kMailArrived = sj("１．電子メール【到着】");
    static const std::string kMainPrompt = sj("番号またはコマンド(H,Q,J)=");
    static const std::string kPlainPrompt = sj("番号またはコマンド=");

    if (const int r = e.WaitFor("}", false); r < 0) return r;
    e.Send("LUDRIX\r");
    if (const auto r = e.WaitForAny({"USER_ID:", kIdPrompt}, false); !r) return r.code();
    e.Send("MVL00001");
    e.Send("\r");
    if (const auto r = e.WaitForAny({"PASSWORD: ", kPasswordPrompt}, false); !r) return r.code();
    e.Send("morvaline");
    e.Send("\r");

    const Prompt screens[] = {
        {"\r\n", false}, {kNotices, false}, {kProfile, false}, {kProfileKana, false}};
    std::string line;
    for (;;) {
        const Waited<int> r = e.WaitForPrompts(screens, &line);
        if (!r) return r.code();
        if (!r.is(0)) {
            if (const int eq = e.WaitFor("=", false); eq < 0) return eq;
            e.Send("N\r");
            if (r.is(1)) break;
            continue;
        }
        seen.greeting |= line.find(kGreeting) != std::string::npos;
        seen.lastLogout |= line.find(kLastLogout) != std::string::npos;
        if (line.find(kMainTitle) != std::string::npos) {
            seen.mainMenu = true;
            break;
        }
    }
    for (;;) {
        const Waited<LineRead> r = e.ReadLine(line, {kMainPrompt, kPlainPrompt});
        if (!r) return r.code();
        if (r.is(LineRead::Prompt)) break;
        seen.mainMenu |= line.find(kMainTitle) != std::string::npos;
        seen.mailArrived |= line.find(kMailArrived) != std::string::npos;
    }
    return result::Ok;
}

TEST(EndToEndLine, LogsInToLudrixHostOverTelnet) {
    test::testApp();
    Host host;
    const int port = host.port();
    ASSERT_GT(port, 0) << "ludrix-host did not start";

    StandaloneReporter standalone;
    Reporter& reporter = standalone.reporter;
    Reports reports;
    reporter.setSink(&reports);
    LineStack line(reporter, LineSettings{});
    line.connection().setTelnetTarget({"127.0.0.1", std::to_string(port)});
    test::TempDir dir;
    ASSERT_TRUE(line.recordTranscript(dir / "login.txt", nullptr));

    Events events;
    PatrolSession session(line, events);
    LoginSeen seen;
    std::atomic<int> exitCode = 1;
    std::atomic<bool> ended = false;
    DialogueSettings settings;
    settings.timeoutMs = 20'000;
    ASSERT_TRUE(session.start(
        true, settings,
        [&](CPatrolEngine& engine) -> int {
            if (const int r = attemptTelnet(engine); r != result::Ok) return r;
            engine.setWaitTimeout(settings.timeoutMs);
            const int r = logIn(engine, seen);
            engine.line().hangUp();
            return r;
        },
        [&](int code) {
            exitCode = code;
            ended = true;
        }));
    ASSERT_TRUE(spinUntil([&] { return ended.load(); }, 120'000));
    EXPECT_EQ(exitCode, result::Ok) << result::toString(exitCode);
    EXPECT_TRUE(seen.greeting);
    EXPECT_TRUE(seen.lastLogout);
    EXPECT_TRUE(seen.mainMenu);
    EXPECT_TRUE(seen.mailArrived);

    // The session was recorded as a transcript that reads back (each entry was flushed).
    std::string recorded;
    ASSERT_TRUE(readWholeFile(dir / "login.txt", recorded));
    std::string error;
    const auto entries = parseTranscript(recorded, &error);
    ASSERT_TRUE(entries) << error;
    std::string sent;
    for (const TranscriptEntry& entry : *entries)
        if (entry.kind == TranscriptKind::Sent) sent += entry.bytes;
    // The password is recorded masked, and nowhere in the clear.
    EXPECT_EQ(sent, "LUDRIX\rMVL00001\r****\rN\r");
    EXPECT_EQ(recorded.find("morvaline\\r"), std::string::npos);
}

}  // namespace
}  // namespace morvaline
