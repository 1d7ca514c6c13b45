// A patrol thread on a line stack over a real socket on 127.0.0.1: the received text
// reaches the engine whole while the main thread keeps serving, and a session destroyed
// while its run goes on ends without an event loop.

#include "session/patrol_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "link/result_codes.h"
#include "patrol/run/telnet_attempt.h"
#include "support/fake_host.h"
#include "support/qt_support.h"

namespace morvaline {
namespace {

using test::FakeHost;
using test::spinUntil;

const std::string kOpening("\xFF\xFD\x03\xFF\xFB\x03\xFF\xFD\x01\xFF\xFD\x00\xFF\xFB\x00", 15);

class NoEvents final : public PatrolEvents {
public:
    void report(const Text&, std::string_view) override {}
};

struct SessionOnLine {
    QCoreApplication& app = test::testApp();  // before the sockets and the dispatcher
    StandaloneReporter standalone;
    FakeHost host;
    LineStack line{standalone.reporter, LineSettings{}};
    NoEvents events;

    SessionOnLine() {
        line.connection().setTelnetTarget({"127.0.0.1", std::to_string(host.port())});
    }
};

// The engine reads nothing for a while: the host's burst fills the CommBlock, the main
// thread goes on serving (the engine even makes a request meanwhile), and every byte
// arrives in order once the engine reads.
TEST(PatrolSession, ABurstLargerThanTheEngineBufferArrivesWholeAndInOrder) {
    SessionOnLine s;
    std::string burst;
    for (int i = 0; burst.size() < 5 * CommBlock::kCapacity; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%07d the quick brown fox jumps over the lazy dog\r\n", i);
        burst += line;
    }
    PatrolSession session(s.line, s.events);
    Event bufferFull;
    std::string captured;
    std::atomic<int> exitCode = 99;
    DialogueSettings settings;
    ASSERT_TRUE(session.start(
        true, settings,
        [&](CPatrolEngine& engine) -> int {
            if (const int code = attemptTelnet(engine); code != result::Ok) return code;
            engine.setWaitTimeout(settings.timeoutMs);
            bufferFull.wait();
            // A request to the main thread while the CommBlock is full must not hang.
            if (!engine.line().writeText("more\r", Secrecy::Plain)) return result::LineLost;
            return engine.CaptureUntil("END>", captured) == 0 ? result::Ok : engine.result();
        },
        [&](int code) { exitCode = code; }));
    ASSERT_TRUE(spinUntil([&] { return s.host.received.size() >= kOpening.size(); }));
    s.host.send(burst + "END>");
    ASSERT_TRUE(spinUntil(
        [&] { return s.line.block().lock().unconsumed().size() == CommBlock::kCapacity; }));
    bufferFull.set();
    ASSERT_TRUE(spinUntil([&] { return exitCode != 99; }));
    EXPECT_EQ(exitCode, result::Ok);
    EXPECT_TRUE(captured == burst)
        << "captured " << captured.size() << " of " << burst.size() << " bytes";
    EXPECT_EQ(s.host.received.substr(kOpening.size()), "more\r");
}

// The engine asks the main thread for something while the main thread destroys the
// session: the destructor releases the request through the dispatcher's shutdown and joins,
// without serving the event loop.
TEST(PatrolSession, DestroyedWhileTheEngineWaitsForTheMainThreadItEndsTheRun) {
    SessionOnLine s;
    Event asking;
    std::atomic<int> exitCode = 99;
    std::atomic<bool> writeAnswered = true;
    {
        PatrolSession session(s.line, s.events);
        ASSERT_TRUE(session.start(true, DialogueSettings{},
                                  [&](CPatrolEngine& engine) -> int {
                                      asking.set();
                                      writeAnswered = engine.line().writeText("never served\r", Secrecy::Plain);
                                      exitCode = engine.WaitFor("no such prompt", false);
                                      return exitCode;
                                  },
                                  {}));
        asking.wait();
    }
    EXPECT_FALSE(writeAnswered);
    EXPECT_EQ(exitCode, result::Cancelled);
    EXPECT_FALSE(s.line.dispatcher().send([] {}));  // the line stack serves no worker now
}

}  // namespace
}  // namespace morvaline
