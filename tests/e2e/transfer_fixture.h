#pragma once
// What the end-to-end transfer tests share: worlds for ludrix-host with file mails whose
// bytes the test knows, a line to the host with its own connection, transfer session and
// patrol thread (several run at once on the test's event loop), and the host dialogue of
// a file mail download ("DLn") and upload (JSEND, "UP") on the engine's primitives.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "comm/connection.h"
#include "link/result_codes.h"
#include "message/base64.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/run/telnet_attempt.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "session/patrol_session.h"
#include "session/transfer_session.h"
#include "support/qt_support.h"

namespace morvaline::test {

// --- File contents and worlds ---

// size bytes: all 0xFF, or from a seed with a 0xFF every few bytes (Telnet escaping).
inline std::string fileBytes(std::size_t size, std::uint32_t seed, bool allFF = false) {
    std::string bytes(size, '\xFF');
    if (allFF) return bytes;
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 5 == 0 ? 0xFF : random() & 0xFF);
    return bytes;
}

struct WorldUser {
    std::string id;                       // 8 letters or digits; the password is "secret"
    std::optional<std::string> fileName;  // a file mail carrying these bytes
    std::string fileBytes;
};

inline constexpr const char* kPassword = "secret";

// A world file: users who log in without questions, each with at most one file mail.
inline bool writeWorld(const std::filesystem::path& path, const std::vector<WorldUser>& users) {
    QJsonArray list;
    for (const WorldUser& u : users) {
        QJsonArray mailbox;
        if (u.fileName) {
            QJsonObject file{{"name", QString::fromStdString(*u.fileName)},
                             {"base64", QString::fromStdString(Base64Encode(u.fileBytes))},
                             {"time", "1999/12/29 20:45:10"}};
            mailbox.append(QJsonObject{{"from", "MVL00002"},
                                       {"from_name", "Sender"},
                                       {"date", "1999/12/29 21:00:00"},
                                       {"subject", "file"},
                                       {"file", file}});
        }
        list.append(QJsonObject{{"id", QString::fromStdString(u.id)},
                                {"password", kPassword},
                                {"handle", "T"},
                                {"last_logout", QJsonValue::Null},
                                {"login_notices", "off"},
                                {"mailbox", mailbox}});
    }
    const QJsonObject world{{"users", list}, {"notices", QJsonArray{}}};
    const QByteArray json = QJsonDocument(world).toJson(QJsonDocument::Compact);
    return writeFileAtomically(path, std::string_view(json.constData(), json.size()));
}

// The bytes of the file mail titled `subject` in the mailbox of user `id` of a world file
// the host saved; empty when there is none (yet).
inline std::optional<std::string> savedFileMail(const std::filesystem::path& world,
                                                const std::string& id, const std::string& subject) {
    std::string text;
    if (!readWholeFile(world, text)) return std::nullopt;
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    for (const QJsonValue user : doc.object()["users"].toArray()) {
        if (user["id"].toString().toStdString() != id) continue;
        for (const QJsonValue mail : user["mailbox"].toArray()) {
            if (mail["subject"].toString().toStdString() != subject || !mail["file"].isObject())
                continue;
            return Base64Decode(mail["file"]["base64"].toString().toStdString());
        }
    }
    return std::nullopt;
}

// --- A line to the host ---

class SilentReports final : public ReportSink {
public:
    void showStatus(const std::string& sjisText) override {
        std::lock_guard lock(mutex_);
        lines_.push_back(sjisToUtf8(sjisText));
    }
    void addPatrolLine(const std::string&) override {}
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

class NoEvents final : public PatrolEvents {
public:
    void report(const Text&, std::string_view) override {}
};

// One connection to the host with its transfers (none when withTransfers is false: no
// transfer can start on it) and a patrol thread for the dialogue.
class HostLine {
public:
    using Dialogue = std::function<int(CPatrolEngine&)>;

    HostLine(int port, TransferSettings settings, bool withTransfers = true)
        : reporter_(eventLog_, sounds_),
          line_(reporter_, lineSettings(std::move(settings), withTransfers)),
          session_(line_, events_) {
        reporter_.setSink(&reports_);
        line_.connection().setTelnetTarget({"127.0.0.1", std::to_string(port)});
    }

    // Connects, then runs the dialogue on the patrol thread; the line is hung up after it.
    void start(Dialogue dialogue) {
        DialogueSettings settings;
        settings.timeoutMs = 60'000;
        const bool started = session_.start(
            true, settings,
            [dialogue = std::move(dialogue), timeout = settings.timeoutMs](CPatrolEngine& e) {
                if (const int r = attemptTelnet(e); r != result::Ok) return r;
                e.setWaitTimeout(timeout);
                const int r = dialogue(e);
                e.line().hangUp();
                return r;
            },
            [this](int code) {
                exitCode_ = code;
                ended_ = true;
            });
        if (!started) ended_ = true;
    }
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }
    std::vector<std::string> statusLines() { return reports_.lines(); }

private:
    static LineSettings lineSettings(TransferSettings transfers, bool withTransfers) {
        LineSettings settings;
        if (withTransfers) settings.transfers = std::move(transfers);
        return settings;
    }

    EventLog eventLog_;
    SoundSettings sounds_;
    Reporter reporter_;
    SilentReports reports_;
    NoEvents events_;
    LineStack line_;
    PatrolSession session_;
    std::atomic<bool> ended_ = false;
    std::atomic<int> exitCode_ = 1;
};

// Runs the event loop until every line has ended; a failure names the lines still
// running, with their status lines.
inline ::testing::AssertionResult allEnded(const std::vector<HostLine*>& lines,
                                           int deadlineMs = 100'000) {
    const bool ended = spinUntil(
        [&] {
            for (HostLine* line : lines)
                if (!line->ended()) return false;
            return true;
        },
        deadlineMs);
    if (ended) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i]->ended()) continue;
        failure << "line " << i << " still runs; its status lines:";
        for (const std::string& status : lines[i]->statusLines()) failure << "\n  " << status;
        failure << "\n";
    }
    return failure;
}

// --- The host dialogue ---

// Logs in and waits for the main menu; questions on the way are answered "N".
inline int logIn(CPatrolEngine& e, const std::string& id) {
    static const std::string kMainPrompt = sj("番号またはコマンド(H,Q,J)=");
    if (e.WaitFor("}", false) < 0) return e.result();
    e.Send("LUDRIX\r");
    if (e.WaitFor("USER_ID:", false) < 0) return e.result();
    e.Send(id + "\r");
    if (e.WaitFor("PASSWORD: ", false) < 0) return e.result();
    e.Send(std::string(kPassword) + "\r");
    for (;;) {
        const Waited<int> r = e.WaitForAny({kMainPrompt, "(Y,N)="}, false);
        if (!r) return r.code();
        if (r.is(0)) return result::Ok;
        e.Send("N\r");
    }
}

// Logs out with "Q" at a prompt that offers it; the host closing the line is the end.
inline int logOut(CPatrolEngine& e) {
    static const std::string kThanks = sj("ご利用ありがとうございました");
    e.Send("Q\r");
    const int r = e.WaitFor(kThanks, false);
    return r >= 0 || r == result::LineLost ? result::Ok : r;
}

// What one transfer step saw: the transfer's outcome, and whether the dialogue came back
// to the host's menu after it.
struct StepResult {
    std::optional<FileTransferOutcome> outcome;
    bool dialogueWentOn = false;
};

// The file of mail `number` with "DLn" and Rapidox, from any prompt.
inline int downloadMail(CPatrolEngine& e, int number, StepResult& step) {
    static const std::string kChoose = sj("番号またはコマンド(H,Q,C)=");
    static const std::string kStart =
        sj("ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)");
    static const std::string kPressReturn = sj("リターンキーを押して下さい=");
    e.Send("JREAD\r");
    if (e.WaitForMenuPrompt() < 0) return e.result();
    e.Send("DL" + std::to_string(number) + "\r");
    if (e.WaitFor(kChoose, false) < 0) return e.result();
    e.Send("2\r");
    if (e.WaitFor(kStart, false) < 0) return e.result();
    step.outcome = TransferFile(e, TransferRequest::download());
    if (e.WaitFor(kPressReturn, false) < 0) return e.result();
    e.Send("\r");
    if (e.WaitForMenuPrompt() < 0) return e.result();
    step.dialogueWentOn = true;
    return result::Ok;
}

// A file mail to `to` with JSEND, "UP" and Rapidox, from any prompt; ends at the prompt
// "コマンド(M,S,F,H,Q,A,J)=".
inline int uploadFileMail(CPatrolEngine& e, const std::string& to, const std::string& title,
                          const std::filesystem::path& file, StepResult& step) {
    static const std::string kAddressee =
        sj("宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=");
    static const std::string kMoreAddressees = sj("追加宛先コードまたはコマンド(");
    static const std::string kKind = sj("番号またはコマンド(M,S,F,H,Q,J)=");
    static const std::string kTitle = sj("文書名を入力して下さい。\r\n>");
    static const std::string kConfirm = sj("よろしいですか(Y,N)=");
    static const std::string kStart =
        sj("ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)");
    static const std::string kAfter = sj("コマンド(M,S,F,H,Q,A,J)=");
    e.Send("JSEND\r");
    if (e.WaitFor(kAddressee, false) < 0) return e.result();
    e.Send(to + "\r");
    if (e.WaitFor(kMoreAddressees, false) < 0 || e.WaitFor(")=", false) < 0) return e.result();
    e.Send("UP\r");
    if (e.WaitFor(kKind, false) < 0) return e.result();
    e.Send("2\r");
    if (e.WaitFor(kKind, false) < 0) return e.result();
    e.Send("2\r");
    if (e.WaitFor(kTitle, false) < 0) return e.result();
    e.Send(title + "\r");
    if (e.WaitFor(kConfirm, false) < 0) return e.result();
    e.Send("Y\r");
    if (e.WaitFor(kStart, false) < 0) return e.result();
    step.outcome = TransferFile(e, TransferRequest::upload(file.string()));
    if (e.WaitFor(kAfter, false) < 0) return e.result();
    step.dialogueWentOn = true;
    return result::Ok;
}

}  // namespace morvaline::test
