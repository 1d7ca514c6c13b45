#pragma once
// The rule that one user's data set is open in at most one running program: the data set's
// lock file refuses a second opener, and a local socket named for the user's data folder
// lets the second program ask the first one to come to the front instead.
//
// The question on the socket is "OPEN <user ID>\n"; the answer is "1\n" when that user is
// open there (the IDs compared without regard to case), else "0\n".

#include <QLocalServer>
#include <QString>

#include <filesystem>
#include <functional>

namespace morvaline {

// The socket's name for a user's data folder (per system user, so that users of one
// machine never meet).
QString instanceSocketName(const std::filesystem::path& dataDirectory);

// Asks the program that has the data set open, if any, to come to the front; true when it
// answered that it has the user open. Waits at most timeoutMs.
bool askOpenElsewhere(const std::filesystem::path& dataDirectory, const QString& userId, int timeoutMs = 2000);

// Listens while a data set is open here. Main thread.
class InstanceServer {
public:
    // activate: called when another program asked for the user that is open here.
    explicit InstanceServer(std::function<void()> activate) : activate_(std::move(activate)) {}
    // Starts answering for the user; false when the socket cannot be made.
    bool listen(const std::filesystem::path& dataDirectory, const QString& userId);
    void close();

private:
    QLocalServer server_;
    QString userId_;
    std::function<void()> activate_;
};

}  // namespace morvaline
