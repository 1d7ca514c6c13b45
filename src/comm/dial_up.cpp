#include "comm/dial_up.h"

#include <unistd.h>

#include <utility>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include "link/result_codes.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

constexpr int kQuestionTimeoutMs = 10'000;
// The hang-up looks at the active connections this often; after the limit it counts as
// done, so that a patrol can start again.
constexpr int kHangUpPollMs = 250;
constexpr int kHangUpLimitMs = 30'000;

std::string findProgram(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// nmcli's terse output escapes ':' and '\' with a backslash.
std::string unescapeTerse(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) ++i;
        out += field[i];
    }
    return out;
}

// The first line of nmcli's complaint, for the event log.
std::string firstLine(const std::string& text) {
    const std::string line = trimmed(text.substr(0, text.find('\n')));
    return line.empty() ? "nmcli" : line;
}

QStringList entryArgs(std::initializer_list<const char*> head, const std::string& entry) {
    QStringList args;
    for (const char* a : head) args << QString::fromLatin1(a);
    args << QStringLiteral("id") << QString::fromStdString(entry);
    return args;
}

}  // namespace

DialUp::DialUp(CommBlock& block, Reporter& reporter, std::string program)
    : block_(block), reporter_(reporter), program_(findProgram(program)) {}

DialUp::~DialUp() {
    if (dialling_) {
        QObject::disconnect(dialling_.get(), nullptr, &context_, nullptr);
        dialling_->kill();
        dialling_->waitForFinished(kQuestionTimeoutMs);
    }
}

DialUp::Result DialUp::run(const QStringList& args, int timeoutMs) {
    QProcess process;
    process.start(QString::fromStdString(program_), args);
    Result result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(timeoutMs);
        result.err = "nmcli did not answer";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

bool DialUp::isActive(const std::string& entry) {
    const Result active =
        run({QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME"),
             QStringLiteral("connection"), QStringLiteral("show"), QStringLiteral("--active")},
            kQuestionTimeoutMs);
    std::size_t at = 0;
    while (at < active.out.size()) {
        const std::size_t end = std::min(active.out.find('\n', at), active.out.size());
        if (unescapeTerse(std::string_view(active.out).substr(at, end - at)) == entry) return true;
        at = end + 1;
    }
    return false;
}

// Steps: no entry or no nmcli -> go on; active already -> go on, never hung up by us; the
// entry's kind and stored secrets -> the password asked for when none is stored or the
// access point says always -> "connection up" in the background -> DataArrived.
bool DialUp::dial(const std::string& sjisEntry, bool askAlways) {
    const std::string ours = std::exchange(entry_, std::string());
    if (sjisEntry.empty() || !loaded()) {
        if (!sjisEntry.empty() && !toldNotLoaded_) {
            reporter_.report(texts::kDialUpNotLoaded);
            toldNotLoaded_ = true;
        }
        block_.dataArrived.set();
        return true;
    }
    const std::string entry = sjisToUtf8(sjisEntry);
    if (isActive(entry)) {
        // Brought up by this program for an earlier attempt: still hung up at the end.
        if (entry == ours) entry_ = entry;
        reporter_.report(texts::kDialUpAlreadyUp, sjisEntry);
        block_.dataArrived.set();
        return true;
    }
    const Result kind = run(entryArgs({"-g", "connection.type", "connection", "show"}, entry),
                            kQuestionTimeoutMs);
    if (kind.exitCode != 0) {
        reporter_.report(texts::kDialUpError, utf8ToSjis(firstLine(kind.err)));
        block_.dataArrived.set();
        return false;
    }
    const std::string prefix = trimmed(kind.out);
    const auto stored = [&](const std::string& key) {
        const std::string field = prefix + "." + key;
        return trimmed(run(entryArgs({"-s", "-g", field.c_str(), "connection", "show"}, entry),
                           kQuestionTimeoutMs)
                           .out);
    };
    std::optional<Credentials> given;
    if (const Credentials stored_{stored("username"), stored("password")};
        askAlways || stored_.password.empty()) {
        given = ask_ ? ask_(entry, stored_) : std::nullopt;
        if (!given) {
            block_.setResultIfOk(result::Cancelled);
            block_.dataArrived.set();
            return false;
        }
    }

    // A password typed now goes to nmcli in a file only this user can read, never in the
    // arguments (which every user of the machine can see); a stored one NetworkManager
    // has itself.
    QStringList args = entryArgs({"connection", "up"}, entry);
    auto secrets = std::make_shared<QTemporaryFile>();
    if (given && !given->password.empty()) {
        if (!secrets->open()) {
            reporter_.report(texts::kDialUpError, utf8ToSjis(secrets->errorString().toStdString()));
            block_.dataArrived.set();
            return false;
        }
        const std::string line = prefix + ".password:" + given->password + "\n";
        secrets->write(line.data(), static_cast<qint64>(line.size()));
        secrets->flush();
        args << QStringLiteral("passwd-file") << secrets->fileName();
    }
    reporter_.report(texts::kDialUpDialling, sjisEntry);
    dialling_ = std::make_unique<QProcess>();
    QProcess* process = dialling_.get();
    QObject::connect(process, &QProcess::finished, &context_, [this, process, entry, secrets] {
        Result done;
        done.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
        done.err = process->readAllStandardError().toStdString();
        if (done.exitCode == 0) entry_ = entry;
        dialled(done);
    });
    QObject::connect(process, &QProcess::errorOccurred, &context_, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) dialled({-1, {}, "nmcli could not be started"});
    });
    process->start(QString::fromStdString(program_), args);
    return true;
}

void DialUp::dialled(const Result& result) {
    if (dialling_) {
        QObject::disconnect(dialling_.get(), nullptr, &context_, nullptr);
        dialling_.release()->deleteLater();
    }
    if (result.exitCode == 0) {
        reporter_.report(texts::kDialUpUp);
    } else {
        reporter_.report(texts::kDialUpError, utf8ToSjis(firstLine(result.err)));
        block_.setResultIfOk(result::LineLost);
    }
    block_.dataArrived.set();
}

void DialUp::hangUp() {
    if (entry_.empty() || hangingUp_ || !loaded()) return;
    reporter_.report(texts::kDialUpHangingUp);
    hangingUp_ = true;
    const int generation = ++hangUpGeneration_;
    const auto current = [this, generation] { return hangingUp_ && generation == hangUpGeneration_; };
    // However nmcli behaves, the hang-up counts as done after the limit.
    QTimer::singleShot(kHangUpLimitMs, &context_, [this, current] {
        if (current()) hangUpDone();
    });
    auto* down = new QProcess;
    QObject::connect(down, &QProcess::finished, &context_, [this, down, current] {
        down->deleteLater();
        if (current()) pollDown();
    });
    QObject::connect(down, &QProcess::errorOccurred, &context_,
                     [this, down, current](QProcess::ProcessError e) {
                         if (e != QProcess::FailedToStart) return;
                         down->deleteLater();
                         if (current()) hangUpDone();
                     });
    down->start(QString::fromStdString(program_), entryArgs({"connection", "down"}, entry_));
}

// After "connection down": until the connection is no longer active.
void DialUp::pollDown() {
    if (!isActive(entry_)) return hangUpDone();
    poll_ = std::make_unique<QTimer>();
    QObject::connect(poll_.get(), &QTimer::timeout, &context_, [this] {
        if (!isActive(entry_)) hangUpDone();
    });
    poll_->start(kHangUpPollMs);
}

void DialUp::hangUpDone() {
    if (poll_) {
        poll_->stop();
        poll_.release()->deleteLater();  // this may run in its own time-out
    }
    entry_.clear();
    hangingUp_ = false;
    reporter_.report(texts::kDialUpDown);
    if (hangUpFinished_) hangUpFinished_();
}

}  // namespace morvaline
