#include "app/cli_terminal.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "comm/connection.h"
#include "patrol/comm_block.h"
#include "patrol/transcript.h"
#include "platform/main_dispatcher.h"
#include "platform/text_codec.h"
#include "store/event_log.h"
#include "store/report.h"

namespace morvaline {
namespace {

constexpr const char* kUsage =
    "usage: morvaline-cli terminal HOST[:PORT] [--log FILE] [--trace] [--transcript FILE]\n";

struct TerminalOptions {
    TelnetTarget target;
    std::string logFile;
    std::string transcriptFile;
    bool trace = false;
};

std::optional<TerminalOptions> parseOptions(const std::vector<std::string>& args,
                                            std::string& error) {
    TerminalOptions options;
    bool haveHost = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--log" || arg == "--transcript") {
            if (i + 1 == args.size()) {
                error = arg + " needs a file name";
                return std::nullopt;
            }
            (arg == "--log" ? options.logFile : options.transcriptFile) = args[++i];
        } else if (arg.starts_with("-")) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (haveHost) {
            error = "more than one host given";
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
    if (!haveHost) {
        error = "no host given";
        return std::nullopt;
    }
    return options;
}

void writeOut(std::FILE* stream, const std::string& sjis) {
    const std::string utf8 = sjisToUtf8(sjis);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

// Reports and status lines go to stderr, marked so that they stand apart from host text.
class ReportPrinter final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override {
        writeOut(stderr, "* " + sjisText + "\n");
    }
    void addPatrolLine(const std::string&) override {}
};

// Ctrl+C and termination as an event for the loop: the signals are blocked and read from
// a signalfd, so no handler runs at an arbitrary point of the program.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&mask_);
        sigaddset(&mask_, SIGINT);
        sigaddset(&mask_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &mask_, &previous_);
        fd_ = ::signalfd(-1, &mask_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~StopSignals() {
        if (fd_ >= 0) ::close(fd_);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    int fd() const { return fd_; }
    void drain() {
        signalfd_siginfo info;
        while (::read(fd_, &info, sizeof info) == sizeof info) {
        }
    }

private:
    sigset_t mask_{};
    sigset_t previous_{};
    int fd_ = -1;
};

// main thread
class TerminalSession final : public ConnectionObserver {
public:
    TerminalSession(Connection& connection, MainDispatcher& dispatcher)
        : connection_(connection), dispatcher_(dispatcher) {}

    int run() {
        StopSignals stopSignals;
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

        connection_.resolve();
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

    void status(const std::string& sjisText) override { writeOut(stderr, "* " + sjisText + "\n"); }

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
        connection_.writeText(utf8ToSjis(line) + "\r");
    }

    Connection& connection_;
    MainDispatcher& dispatcher_;
    QEventLoop loop_;
    QSocketNotifier* input_ = nullptr;
    std::string pendingInput_;
    bool inputEnded_ = false;
    bool connected_ = false;
    bool finished_ = false;
};

}  // namespace

int runTerminalCommand(const std::vector<std::string>& args) {
    std::string error;
    const std::optional<TerminalOptions> options = parseOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "morvaline-cli terminal: %s\n%s", error.c_str(), kUsage);
        return 2;
    }

    MainDispatcher dispatcher;
    CommBlock block;
    EventLog eventLog;
    const SoundSettings sounds;
    Reporter reporter(eventLog, sounds);
    ReportPrinter printer;
    reporter.setSink(&printer);

    Connection connection(block, dispatcher, reporter);
    connection.setTelnetTarget(options->target);
    connection.setTrace(options->trace);
    CaptureLogSettings log;
    log.mode = CaptureLogSettings::Mode::Off;
    if (!options->logFile.empty()) {
        const std::filesystem::path file(options->logFile);
        log.mode = CaptureLogSettings::Mode::SameFile;
        log.directory = file.parent_path();
        log.fileName = file.filename().string();
    }
    connection.setCaptureLog(log);

    TranscriptWriter transcript;
    if (!options->transcriptFile.empty()) {
        if (!transcript.open(options->transcriptFile, &error)) {
            std::fprintf(stderr, "morvaline-cli terminal: %s\n", error.c_str());
            return 1;
        }
        connection.setTranscript(&transcript);
    }

    TerminalSession session(connection, dispatcher);
    connection.setObserver(&session);
    const int status = session.run();
    connection.setObserver(nullptr);
    return status;
}

}  // namespace morvaline
