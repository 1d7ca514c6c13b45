// morvaline-bench recv HOST:PORT [--prompt TEXT]
//
// Measures the receive path of a patrol: connects over Telnet through the engine's
// connection steps, and runs everything the host sends through the Telnet and receive
// filters, the terminal's screen lines, the CommBlock and the prompt matcher, waiting for
// a prompt that comes only at the end (by default "ご利用ありがとうございました"). Prints
// the bytes received, the time from line-up to the match and the bytes per second.

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "comm/connection.h"
#include "link/result_codes.h"
#include "patrol/run/telnet_attempt.h"
#include "platform/text_codec.h"
#include "session/patrol_session.h"
#include "store/event_log.h"
#include "store/report.h"

namespace morvaline::bench {
namespace {

class QuietEvents final : public PatrolEvents {
public:
    void report(const Text&, std::string_view) override {}
};

class StderrReports final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override {
        const std::string utf8 = sjisToUtf8(sjisText);
        std::fprintf(stderr, "* %s\n", utf8.c_str());
    }
    void addPatrolLine(const std::string&) override {}
};

// Notes when the line came up.
class LineUpClock final : public ConnectionObserver {
public:
    void stateChanged(LineState state) override {
        if (state == LineState::Connected) up = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point up;
};

}  // namespace

int benchRecv(const std::vector<std::string>& args) {
    std::string target;
    std::string prompt = "ご利用ありがとうございました";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--prompt" && i + 1 < args.size()) {
            prompt = args[++i];
        } else if (target.empty() && !args[i].starts_with("-")) {
            target = args[i];
        } else {
            target.clear();
            break;
        }
    }
    const std::size_t colon = target.rfind(':');
    if (target.empty() || colon == std::string::npos || colon == 0 || colon + 1 == target.size()) {
        std::fprintf(stderr, "usage: morvaline-bench recv HOST:PORT [--prompt TEXT]\n");
        return 2;
    }

    std::unique_ptr<QCoreApplication> ownApp;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "morvaline-bench";
        static char* argv[] = {name, nullptr};
        ownApp = std::make_unique<QCoreApplication>(argc, argv);
    }

    StandaloneReporter standalone;
    Reporter& reporter = standalone.reporter;
    StderrReports printer;
    reporter.setSink(&printer);
    LineStack line(reporter, LineSettings{});
    Connection& connection = line.connection();
    connection.setTelnetTarget({target.substr(0, colon), target.substr(colon + 1)});
    LineUpClock lineUp;
    connection.setObserver(&lineUp);

    QuietEvents events;
    PatrolSession session(line, events);
    const std::string sjisPrompt = sj(prompt);
    std::chrono::steady_clock::time_point matched;
    int exitCode = result::Ok;
    QEventLoop loop;
    DialogueSettings settings;
    session.start(
        true, settings,
        [&](CPatrolEngine& engine) -> int {
            if (const int code = attemptTelnet(engine); code != result::Ok) return code;
            engine.setWaitTimeout(settings.timeoutMs);
            const int index = engine.WaitFor(sjisPrompt, false);
            matched = std::chrono::steady_clock::now();
            engine.line().hangUp();
            return index < 0 ? index : result::Ok;
        },
        [&](int code) {
            exitCode = code;
            loop.quit();
        });
    loop.exec();
    connection.setObserver(nullptr);

    if (exitCode != result::Ok) {
        std::fprintf(stderr, "recv: the prompt never came (%s)\n", result::toString(exitCode));
        return 1;
    }
    const double seconds = std::chrono::duration<double>(matched - lineUp.up).count();
    const double bytes = static_cast<double>(connection.bytesReceived());
    std::printf("recv: %lld bytes in %.3f s: %.1f MB/s\n", connection.bytesReceived(), seconds,
                bytes / seconds / 1e6);
    std::printf("bytes=%lld bytes_per_second=%.0f\n", connection.bytesReceived(), bytes / seconds);
    return 0;
}

}  // namespace morvaline::bench
