#pragma once
// The dial-up connection that a Telnet access point may bring up first: a NetworkManager
// connection, driven through the nmcli program (the entry name is the connection's id).
// Dialling is "nmcli connection up", an entry already active is used as it is (and left
// up at the end), hang-up is "nmcli connection down" followed by polling the active
// connections for at most 30 seconds. Without nmcli on the PATH there is no dial-up: the
// connection goes on without dialling, and the event log says so once.
//
// Main thread. The steps that take long run nmcli in the background; DataArrived is set
// when a dial is up, failed or not needed, as for the other connection steps.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/comm_block.h"
#include "store/report.h"

class QProcess;
class QTimer;

namespace morvaline {

class DialUp {
public:
    // The user name and password of an entry (UTF-8).
    struct Credentials {
        std::string user;
        std::string password;
    };
    // Asks for the credentials, offering the stored ones; empty when the user cancelled.
    using Ask = std::function<std::optional<Credentials>(const std::string& entry,
                                                         const Credentials& stored)>;

    // program: the nmcli to run; looked up on the PATH when it has no slash.
    DialUp(CommBlock& block, Reporter& reporter, std::string program = "nmcli");
    ~DialUp();
    DialUp(const DialUp&) = delete;
    DialUp& operator=(const DialUp&) = delete;

    void setAsk(Ask ask) { ask_ = std::move(ask); }
    bool loaded() const { return !program_.empty(); }

    // Request 108: true to go on with the attempt (DataArrived is set when the dial-up is
    // up, failed or was not needed); false when the attempt ends here (the entry is
    // unknown, the user cancelled the password: result Cancelled).
    bool dial(const std::string& entry, bool askAlways);
    // Hangs up the connection this program dialled, if any, in the background.
    void hangUp();
    bool hangingUp() const { return hangingUp_; }
    // Called when a hang-up has finished.
    void setHangUpFinished(std::function<void()> finished) { hangUpFinished_ = std::move(finished); }

private:
    struct Result {
        int exitCode = -1;
        std::string out;
        std::string err;
    };
    // Runs nmcli and waits for it (for the quick questions).
    Result run(const QStringList& args, int timeoutMs);
    bool isActive(const std::string& entry);
    void dialled(const Result& result);
    void pollDown();
    void hangUpDone();

    CommBlock& block_;
    Reporter& reporter_;
    std::string program_;  // empty: nmcli is not there
    bool toldNotLoaded_ = false;
    Ask ask_;
    QObject context_;
    std::unique_ptr<QProcess> dialling_;
    std::string entry_;  // the connection this program brought up, or empty
    bool hangingUp_ = false;
    std::unique_ptr<QTimer> poll_;
    int hangUpGeneration_ = 0;  // a time limit of an earlier hang-up ends nothing
    std::function<void()> hangUpFinished_;
};

}  // namespace morvaline
