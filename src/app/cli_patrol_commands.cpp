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
#include "comm/connection.h"
#include "comm/dialling_plan.h"
#include "link/result_codes.h"
#include "link/transcript.h"
#include "patrol/run/patrol_run.h"
#include "patrol/services/service_factory.h"
#include "platform/base_paths.h"
#include "platform/main_dispatcher.h"
#include "platform/text_codec.h"
#include "session/patrol_session.h"
#include "session/store_link.h"
#include "session/transfer_session.h"

namespace morvaline::cli {
namespace {

// What the patrol thread tells the main thread, for the command line: report lines go
// through the document's reporter (event log and the printed patrol lines).
class CliPatrolEvents final : public PatrolEvents {
public:
    explicit CliPatrolEvents(CTolDoc& doc) : doc_(doc) {}
    void report(const Text& text, std::string_view arg1) override { doc_.reporter().report(text, arg1); }

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

DialogueSettings dialogueSettings(const UserSettings& s) {
    return DialogueSettings{s.timeout, s.idleTime, s.delayAfterCr, s.sendAhead};
}

}  // namespace

int exitStatusOfResult(int result) { return result == 0 ? 0 : 100 - result; }

namespace {

// A patrol run (or a login-only run) on a new line, to its end; returns the run's result
// code. With a login-only run that logged in, onLine gets the line while it is still up.
using LineUser = std::function<void(Connection&, MainDispatcher&, TransferSession&)>;

int runOnNewLine(Session& session, CTolDoc& doc, const PatrolOptions& options,
                 const std::string& transcriptFile, const LineUser& onLine) {
    DiallingPlan plan(loadAccessPoints(session.registry(), moduleDataDirectory() / "MODEMDAT.INI"));
    if (!plan.start()) {
        doc.reporter().report(texts::kNoAccessPoint);
        throw CommandError{"no access point is enabled: add one with morvaline-cli ap add"};
    }
    // The session as a dialogue transcript, on request (it outlives the connection).
    TranscriptWriter transcript;
    std::string transcriptError;
    if (!transcriptFile.empty() && !transcript.open(transcriptFile, &transcriptError))
        throw CommandError{transcriptError};
    MainDispatcher dispatcher;
    CommBlock block;
    Connection connection(block, dispatcher, doc.reporter());
    if (!transcriptFile.empty()) connection.setTranscript(&transcript);
    // The host's text is captured into the user's log folder.
    CaptureLogSettings log;
    log.directory = doc.settings().logPath;
    log.fileName = sjisToUtf8(doc.string(docstr::kLogFileName));
    connection.setCaptureLog(log);
    // Downloads and uploads of file mails.
    TransferSession transfers(connection, block, dispatcher, transferSettingsOf(doc.settings()));
    CliPatrolEvents events(doc);
    StoreLink storeLink(doc, connection, dispatcher);
    PatrolSession patrolSession(connection, block, dispatcher, events, &storeLink);
    patrolSession.setDiallingPlan(&plan);

    // A run that hands the line over shows the host's text from the start, as the terminal
    // will.
    const std::unique_ptr<ConnectionObserver> hostText = onLine ? makeHostTextPrinter() : nullptr;
    connection.setObserver(hostText.get());
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
        const bool started = patrolSession.start(
            options.patrol, dialogueSettings(doc.settings()),
            [&doc, options](CPatrolEngine& engine) {
                PatrolRun run(engine, doc, options, makePlaceServices(engine, doc));
                return run.run();
            },
            [&](int code) {
                exitCode = code;
                loop.exit();
            });
        if (started) loop.exec();
    }
    connection.setObserver(nullptr);
    if (onLine && exitCode == 0 && connection.state() == LineState::Connected)
        onLine(connection, dispatcher, transfers);
    dispatcher.shutdown();
    return exitCode;
}

// Saves and closes the data set after a run and turns its result into the exit status.
int finishRun(CTolDoc& doc, const char* command, int exitCode) {
    const bool saved = doc.save();
    doc.close();
    if (!saved) throw CommandError{utf8(doc.error())};
    if (exitCode != 0)
        std::cerr << "morvaline-cli " << command << ": the run ended with result " << exitCode << " ("
                  << result::toString(exitCode) << ")\n";
    return exitStatusOfResult(exitCode);
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
        doc->close();
        throw;
    }
    return finishRun(*doc, "patrol", exitCode);
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
        exitCode = runOnNewLine(session, *doc, options, transcriptFile,
                                [&doc](Connection& connection, MainDispatcher& dispatcher,
                                       TransferSession& transfers) {
                                    // The login time stands as the last logout time.
                                    doc->save();
                                    runTerminalOnLine(connection, dispatcher, transfers);
                                });
    } catch (const CommandError&) {
        doc->save();
        doc->close();
        throw;
    }
    return finishRun(*doc, "login-only", exitCode);
}

}  // namespace morvaline::cli
