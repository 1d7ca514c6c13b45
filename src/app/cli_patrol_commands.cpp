// morvaline-cli patrol: a patrol run from the command line or cron, with live report lines.

#include <QEventLoop>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "app/cli_terminal.h"
#include "app/stop_signals.h"
#include "comm/dialling_plan.h"
#include "link/result_codes.h"
#include "patrol/run/patrol_run.h"
#include "platform/base_paths.h"
#include "platform/text_codec.h"
#include "session/line_stack.h"
#include "session/patrol_session.h"
#include "tools/mail_assistant.h"

namespace morvaline::cli {
namespace {

// What the patrol thread tells the main thread, for the command line: report lines go
// through the document's reporter (event log and the printed patrol lines).
class CliPatrolEvents final : public PatrolEvents {
public:
    explicit CliPatrolEvents(CTolDoc& doc) : doc_(doc) {}
    void report(const Text& text, std::string_view arg1) override { doc_.reporter().report(text, arg1); }
    // The mail assistant sorts the mail of this patrol.
    void sortMail(int bits) override {
        if (bits & 1) SortReceivedMail(doc_, true);
        if (bits & 2) SortSentMail(doc_, true);
    }

private:
    CTolDoc& doc_;
};

PatrolLevel levelOption(Args& args, int fallback) {
    static constexpr std::pair<const char*, PatrolLevel> kLevels[] = {
        {"-a", PatrolLevel::OnlyA}, {"-b", PatrolLevel::AAndB}, {"-c", PatrolLevel::AToC},
        {"-d", PatrolLevel::AToD},  {"-e", PatrolLevel::All},
    };
    std::optional<PatrolLevel> level;
    for (const auto& [flag, value] : kLevels)
        if (takeFlag(args, flag)) level = value;
    return level.value_or(static_cast<PatrolLevel>(std::clamp(fallback, 0, 4)));
}

}  // namespace

int exitStatusOfResult(int result) { return result == 0 ? 0 : 100 - result; }

namespace {

// The failed steps as one line: distinct texts in order, repeats counted.
std::string summaryOf(const std::vector<std::string>& failed) {
    std::vector<std::pair<std::string, int>> seen;
    for (const std::string& sjis : failed) {
        std::string text = utf8(sjis);
        std::replace(text.begin(), text.end(), '\n', ' ');
        const auto it =
            std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.first == text; });
        if (it != seen.end()) ++it->second;
        else seen.emplace_back(std::move(text), 1);
    }
    std::string line;
    for (const auto& [text, times] : seen) {
        if (!line.empty()) line += "; ";
        line += text;
        if (times > 1) line += " (" + std::to_string(times) + " times)";
    }
    return line;
}

// A patrol run (or a login-only run) on a new line, to its end; returns the run's result
// code. With a login-only run that logged in, onLine gets the line while it is still up.
using LineUser = std::function<void(LineStack&)>;

int runOnNewLine(Session& session, CTolDoc& doc, const PatrolOptions& options,
                 const std::string& transcriptFile, const LineUser& onLine) {
    DiallingPlan plan(loadAccessPoints(session.registry(), moduleDataDirectory() / "MODEMDAT.INI"));
    if (!plan.start()) {
        doc.reporter().report(texts::kNoAccessPoint);
        throw CommandError{"no access point is enabled: add one with morvaline-cli ap add"};
    }
    LineStack line(doc.reporter(), lineSettingsOf(doc));
    // The dial-up password dialog, as a prompt on the terminal.
    line.dialUp().setAsk([](const std::string& entry, const DialUp::Credentials& stored)
                             -> std::optional<DialUp::Credentials> {
        std::cerr << utf8(formatText(texts::kDialUpPrompt, utf8ToSjis(entry))) << '\n'
                  << "User: " << stored.user << '\n';
        std::optional<std::string> password = Session::askSecret("Password: ");
        if (!password) return std::nullopt;
        return DialUp::Credentials{stored.user, *password};
    });
    std::string transcriptError;
    if (!transcriptFile.empty() && !line.recordTranscript(transcriptFile, &transcriptError))
        throw CommandError{transcriptError};
    CliPatrolEvents events(doc);
    PatrolSession patrolSession(line, events);
    patrolSession.setDiallingPlan(&plan);

    // A run that hands the line over shows the host's text from the start, as the terminal
    // will.
    const std::unique_ptr<ConnectionObserver> hostText = onLine ? makeHostTextPrinter() : nullptr;
    line.connection().setObserver(hostText.get());
    QEventLoop loop;
    int exitCode = 0;
    {
        StopSignals stop;
        std::optional<QSocketNotifier> stopNotifier;
        if (stop.fd() >= 0) {
            stopNotifier.emplace(stop.fd(), QSocketNotifier::Read);
            // Ctrl+C is the patrol's stop command ("巡回中止").
            QObject::connect(&*stopNotifier, &QSocketNotifier::activated, [&] {
                stop.drain();
                patrolSession.stop([] { return true; });
            });
        }
        const bool started = patrolSession.startPatrol(doc, options, [&](int code) {
            exitCode = code;
            loop.exit();
        });
        if (started) loop.exec();
    }
    line.connection().setObserver(nullptr);
    if (onLine && exitCode == 0 && line.connection().state() == LineState::Connected) onLine(line);
    // A dial-up this run brought up goes down with it; the program waits until it has.
    line.dialUp().hangUp();
    if (line.dialUp().hangingUp()) {
        QEventLoop hangUp;
        line.dialUp().setHangUpFinished([&hangUp] { hangUp.quit(); });
        hangUp.exec();
    }
    line.shutdown();
    return exitCode;
}

// Saves and closes the data set after a run and turns its result into the exit status: a
// run that ended normally while some of its steps failed ends with kExitStepsFailed and a
// one-line summary, so that cron users notice.
int finishRun(CTolDoc& doc, const char* command, int exitCode, const ConsoleReports& reports) {
    const bool saved = doc.save();
    doc.close();
    if (!saved) throw CommandError{utf8(doc.error())};
    if (exitCode != 0) {
        std::cerr << "morvaline-cli " << command << ": the run ended with result " << exitCode << " ("
                  << result::toString(exitCode) << ")\n";
        return exitStatusOfResult(exitCode);
    }
    const std::vector<std::string>& failed = reports.failedSteps();
    if (failed.empty()) return 0;
    std::cerr << "morvaline-cli " << command << ": the run ended normally, but " << failed.size()
              << (failed.size() == 1 ? " step" : " steps") << " failed: " << summaryOf(failed) << '\n';
    return kExitStepsFailed;
}

}  // namespace

int commandPatrol(Session& session, Args args) {
    constexpr std::string_view usage = "patrol ID [-a|-b|-c|-d|-e] [--rp PATTERN] [--transcript FILE]";
    const std::string pattern = takeOption(args, "--rp");
    const std::string transcriptFile = takeOption(args, "--transcript");
    const bool verbose = takeFlag(args, "--verbose");
    const std::string userId = takeArgument(args, usage);
    ConsoleReports reports(verbose);
    auto doc = session.openUser(userId, &reports);
    const PatrolLevel level = levelOption(args, doc->integer(docint::kPatrolLevel));
    expectNoMoreArguments(args, usage);
    if (!pattern.empty()) doc->selectPattern(utf8ToSjis(pattern));

    PatrolOptions options;
    options.level = level;
    options.userId = userId;
    options.password = session.password();
    int exitCode = 0;
    try {
        exitCode = runOnNewLine(session, *doc, options, transcriptFile, {});
    } catch (const CommandError&) {
        doc->save();
        throw;
    }
    return finishRun(*doc, "patrol", exitCode, reports);
}

int commandLoginOnly(Session& session, Args args) {
    constexpr std::string_view usage = "login-only ID [--transcript FILE]";
    const std::string transcriptFile = takeOption(args, "--transcript");
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    ConsoleReports reports;
    auto doc = session.openUser(userId, &reports);
    PatrolOptions options;
    options.patrol = false;
    options.userId = userId;
    options.password = session.password();
    int exitCode = 0;
    try {
        exitCode = runOnNewLine(session, *doc, options, transcriptFile, [&doc](LineStack& line) {
            // The login time stands as the last logout time.
            doc->save();
            runTerminalOnLine(line);
        });
    } catch (const CommandError&) {
        doc->save();
        throw;
    }
    return finishRun(*doc, "login-only", exitCode, reports);
}

}  // namespace morvaline::cli
