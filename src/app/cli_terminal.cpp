#include "app/cli_terminal.h"

#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/stop_signals.h"
#include "comm/connection.h"
#include "platform/main_dispatcher.h"
#include "platform/text_codec.h"
#include "session/line_stack.h"
#include "session/transfer_session.h"
#include "store/event_log.h"
#include "store/report.h"

namespace morvaline {
namespace {

constexpr const char* kUsage =
    "usage: morvaline-cli terminal HOST[:PORT] | --ap N  [--log FILE] [--trace]\n"
    "                              [--transcript FILE] [--down DIR]\n"
    "--ap N opens the serial port of access point N: dial with the modem's commands (ATDT...).\n"
    "Lines typed are sent to the host; these are not:\n"
    "  ~d        download the files the host sends (Rapidox) into DIR (default: here)\n"
    "  ~u FILE   upload FILE (Rapidox)\n"
    "  ~a        abort the running transfer\n"
    "  ~~TEXT    send ~TEXT\n";

struct TerminalOptions {
    TelnetTarget target;
    std::optional<SerialSettings> port;  // instead of the Telnet target
    std::string logFile;
    std::string transcriptFile;
    std::string downloadFolder = ".";
    bool trace = false;
};

std::optional<TerminalOptions> parseOptions(const std::vector<std::string>& args,
                                            std::optional<SerialSettings> port, std::string& error) {
    TerminalOptions options;
    options.port = std::move(port);
    bool haveHost = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--log" || arg == "--transcript" || arg == "--down") {
            if (i + 1 == args.size()) {
                error = arg + (arg == "--down" ? " needs a folder" : " needs a file name");
                return std::nullopt;
            }
            std::string& value = arg == "--log"          ? options.logFile
                                 : arg == "--transcript" ? options.transcriptFile
                                                         : options.downloadFolder;
            value = args[++i];
        } else if (arg.starts_with("-")) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (haveHost || options.port) {
            error = options.port ? "a host and --ap given" : "more than one host given";
            return std::nullopt;
        } else {
            haveHost = true;
            const std::size_t colon = arg.rfind(':');
            options.target.host = arg.substr(0, colon);
            if (colon != std::string::npos) options.target.service = arg.substr(colon + 1);
            if (options.target.host.empty() || options.target.service.empty()) {
                error = "expected HOST[:PORT], got " + arg;
                return std::nullopt;
            }
        }
    }
    if (!haveHost && !options.port) {
        error = "no host given";
        return std::nullopt;
    }
    return options;
}

void print(const std::string& utf8, std::FILE* stream = stderr) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

void writeOut(std::FILE* stream, const std::string& sjis) {
    print(sjisToUtf8(sjis), stream);
}

// Reports and status lines go to stderr, marked so that they stand apart from host text.
// The progress of a transfer rewrites one line in place; the next line ends it.
class ReportPrinter final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override {
        static const std::string kProgressEnd = formatText(texts::kBytesTransferred, "");
        if (sjisText.ends_with(kProgressEnd)) {
            print("\r* " + sjisToUtf8(sjisText));
            progressOpen_ = true;
            return;
        }
        line(sjisToUtf8(sjisText));
    }
    void addPatrolLine(const std::string&) override {}

    // A line of the terminal's own.
    void line(const std::string& utf8) {
        print((progressOpen_ ? "\n* " : "* ") + utf8 + "\n");
        progressOpen_ = false;
    }

private:
    bool progressOpen_ = false;
};

// main thread
class TerminalSession final : public ConnectionObserver {
public:
    TerminalSession(Connection& connection, MainDispatcher& dispatcher, TransferSession& transfers,
                    ReportPrinter& printer, std::optional<SerialSettings> port = std::nullopt)
        : port_(std::move(port)),
          connection_(connection),
          dispatcher_(dispatcher),
          transfers_(transfers),
          printer_(printer) {
        transfers_.setEndedListener(
            [this](const FileTransferOutcome& outcome) { transferEnded(outcome); });
    }
    ~TerminalSession() override { transfers_.setEndedListener({}); }

    int run() {
        cli::StopSignals stopSignals;
        std::optional<QSocketNotifier> stopNotifier;
        if (stopSignals.fd() >= 0) {
            stopNotifier.emplace(stopSignals.fd(), QSocketNotifier::Read);
            QObject::connect(&*stopNotifier, &QSocketNotifier::activated, [&] {
                stopSignals.drain();
                connection_.hangUp();
                if (connection_.state() == LineState::Idle) loop_.exit(exitCode());
            });
        }
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        input.setEnabled(false);
        input_ = &input;
        QObject::connect(&input, &QSocketNotifier::activated, [this] { readInput(); });

        if (connection_.state() == LineState::Connected) {
            connected_ = true;
            input.setEnabled(true);
        } else if (port_) {
            // The modem takes the user's commands before any line is up.
            if (!connection_.openSerial(*port_)) return 1;
            connected_ = true;
            input.setEnabled(true);
        } else {
            connection_.resolve();
        }
        return finished_ ? exitCode() : loop_.exec();
    }

    void stateChanged(LineState state) override {
        switch (state) {
            case LineState::Resolved:
                dispatcher_.post([this] { connection_.connect(); });
                break;
            case LineState::Connected:
                connected_ = true;
                if (input_ && !inputEnded_) input_->setEnabled(true);
                break;
            case LineState::Idle:
                if (input_) input_->setEnabled(false);
                finished_ = true;
                loop_.exit(exitCode());
                break;
            case LineState::Resolving:
            case LineState::Connecting:
                break;
        }
    }

    void textReceived(const FilterOutput& output) override {
        writeOut(stdout, output.traces.empty() ? output.text : output.display());
    }

    void status(const std::string& sjisText) override { printer_.showStatus(sjisText); }

private:
    int exitCode() const { return connected_ ? 0 : 1; }

    // Sends each complete line with CR; at the end of input, the rest as a last line. The
    // session then stays until the host closes the line or Ctrl+C.
    void readInput() {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count > 0) {
            pendingInput_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            inputEnded_ = true;
            input_->setEnabled(false);
        }
        std::size_t newline;
        while ((newline = pendingInput_.find('\n')) != std::string::npos) {
            sendLine(pendingInput_.substr(0, newline));
            pendingInput_.erase(0, newline + 1);
        }
        if (inputEnded_ && !pendingInput_.empty()) {
            sendLine(pendingInput_);
            pendingInput_.clear();
        }
    }

    void sendLine(std::string line) {
        if (line.ends_with('\r')) line.pop_back();
        if (line.starts_with("~~")) {
            line.erase(0, 1);
        } else if (line.starts_with("~")) {
            return command(line);
        }
        if (transfers_.running()) return say("a transfer is running: the line was not sent");
        connection_.writeText(utf8ToSjis(line) + "\r");
    }

    // The terminal's own commands: the manual transfers.
    void command(const std::string& line) {
        if (line == "~a") {
            if (!transfers_.running()) return say("no transfer is running");
            return transfers_.abort();
        }
        if (line == "~d") return startTransfer(TransferRequest::download());
        if (line.starts_with("~u ") && line.find_first_not_of(' ', 3) != std::string::npos) {
            const std::string path = line.substr(line.find_first_not_of(' ', 3));
            std::error_code error;
            if (!std::filesystem::is_regular_file(path, error))
                return say("cannot upload " + path + ": not a readable file");
            return startTransfer(TransferRequest::upload(path));
        }
        say("unknown command " + line + " (~d download, ~u FILE upload, ~a abort, ~~ for ~)");
    }

    void startTransfer(const TransferRequest& request) {
        if (transfers_.running()) return say("a transfer is running already");
        if (!connection_.startTransfer(request)) say("no transfer can start now");
    }

    void transferEnded(const FileTransferOutcome& outcome) {
        if (outcome.receivedPath.empty()) return;
        say((outcome.succeeded() ? "received " : "kept the partial file ") + outcome.receivedPath);
    }

    void say(const std::string& utf8) { printer_.line(utf8); }

    std::optional<SerialSettings> port_;
    Connection& connection_;
    MainDispatcher& dispatcher_;
    TransferSession& transfers_;
    ReportPrinter& printer_;
    QEventLoop loop_;
    QSocketNotifier* input_ = nullptr;
    std::string pendingInput_;
    bool inputEnded_ = false;
    bool connected_ = false;
    bool finished_ = false;
};

}  // namespace

int runTerminalCommand(const std::vector<std::string>& args, std::optional<SerialSettings> port) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        print(kUsage, stdout);
        return 0;
    }
    std::string error;
    const std::optional<TerminalOptions> options = parseOptions(args, std::move(port), error);
    if (!options) {
        std::fprintf(stderr, "morvaline-cli terminal: %s\n%s", error.c_str(), kUsage);
        return 2;
    }

    StandaloneReporter standalone;
    Reporter& reporter = standalone.reporter;
    ReportPrinter printer;
    reporter.setSink(&printer);

    LineSettings settings;
    if (!options->logFile.empty()) {
        const std::filesystem::path file(options->logFile);
        settings.captureLog.mode = CaptureLogSettings::Mode::SameFile;
        settings.captureLog.directory = file.parent_path();
        settings.captureLog.fileName = file.filename().string();
    }
    settings.transfers.emplace();
    settings.transfers->downloadFolder = options->downloadFolder;
    LineStack line(reporter, std::move(settings));
    Connection& connection = line.connection();
    connection.setTelnetTarget(options->target);
    connection.setTrace(options->trace);
    if (!options->transcriptFile.empty() &&
        !line.recordTranscript(options->transcriptFile, &error)) {
        std::fprintf(stderr, "morvaline-cli terminal: %s\n", error.c_str());
        return 1;
    }

    TerminalSession session(connection, line.dispatcher(), *line.transfers(), printer,
                            options->port);
    connection.setObserver(&session);
    const int status = session.run();
    connection.setObserver(nullptr);
    return status;
}

void runTerminalOnLine(LineStack& line) {
    ReportPrinter printer;
    TerminalSession session(line.connection(), line.dispatcher(), *line.transfers(), printer);
    line.connection().setObserver(&session);
    printer.line("logged in: the line is yours (~d download, ~u FILE upload, Ctrl+C hangs up)");
    session.run();
    line.connection().setObserver(nullptr);
}

std::unique_ptr<ConnectionObserver> makeHostTextPrinter() {
    class Printer final : public ConnectionObserver {
        void textReceived(const FilterOutput& output) override { writeOut(stdout, output.text); }
    };
    return std::make_unique<Printer>();
}

}  // namespace morvaline
