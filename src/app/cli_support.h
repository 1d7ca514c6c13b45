#pragma once
// What the commands of morvaline-cli share: the settings file, opening a user's data set,
// the password, and output of the system's Shift_JIS texts as UTF-8.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/report.h"

namespace morvaline::cli {

using Args = std::vector<std::string>;

// A failure that ends the command with its message and exit status 1.
struct CommandError {
    std::string utf8Message;
};

// Prints reports: patrol lines always, status lines only when verbose. Keeps the failures
// reported once a patrol has logged in: the steps of the run that did not succeed (failed
// attempts to connect before are the dialling plan at work, not failed steps).
class ConsoleReports : public ReportSink {
public:
    explicit ConsoleReports(bool verbose = false) : verbose_(verbose) {}
    void showStatus(const std::string& sjisText) override;
    void addPatrolLine(const std::string& sjisText) override;
    void reported(int id, const std::string& sjisText) override;
    // Shift_JIS texts, in order; read once the run has ended.
    const std::vector<std::string>& failedSteps() const { return failedSteps_; }

private:
    bool verbose_;
    bool loggedIn_ = false;
    std::vector<std::string> failedSteps_;
};

// Closes a user's data set cleanly and frees it, however the command that opened it ends:
// a failing command must not leave the data set marked as not closed.
struct CloseUser {
    void operator()(CTolDoc* doc) const;
};
using OpenedUser = std::unique_ptr<CTolDoc, CloseUser>;

// Saves the data set; throws CommandError with the system's message when it cannot.
void saveUser(CTolDoc& doc);

// "the backup ID.BK1 saved YYYY/MM/DD hh:mm (N hours ago)"
std::string backupText(const DocumentBackup& backup);

class Session {
public:
    Session();
    Registry& registry() { return registry_; }
    // The folder of the users' data folders ("BasePath" in "Settings", else the default).
    std::filesystem::path baseDirectory() const;
    // Opens an existing user; throws CommandError with the system's message (and, for a
    // damaged document, the backup that restore would put in place).
    // After an unclean end the file check is offered (offerCheck: not by the check itself).
    OpenedUser openUser(const std::string& userId, ReportSink* sink = nullptr, bool offerCheck = true);
    // The same for commands that only read: works on a data folder that cannot be written.
    OpenedUser readUser(const std::string& userId);
    // The request that opens the user: folder, ID and password.
    OpenRequest request(const std::string& userId, bool readOnly = false);
    // The password from MORVALINE_PASSWORD, else asked for on the terminal (once).
    std::string password(bool confirm = false);
    // The password given with the user parameter (UTF-8).
    void setPassword(const std::string& utf8Password);
    // A line typed after the prompt, not shown on a terminal; empty at the end of the input
    // (the user gave up).
    static std::optional<std::string> askSecret(const char* prompt);

private:
    OpenedUser open(const std::string& userId, bool readOnly, ReportSink* sink, bool offerCheck);

    Registry registry_;
    std::optional<std::string> password_;
};

// The place named by its index in the place tree, its title (UTF-8), its ID or its host
// path ("PCSIG/1/2"); throws CommandError when there is none.
int findPlace(const CTolDoc& doc, const std::string& name);

// The message list of a place named as findPlace takes it, opened without creating it;
// throws CommandError saying why there is none: nothing stored yet, or a list file that is
// damaged or gone (left as it is for the file check).
class PlaceList {
public:
    PlaceList(CTolDoc& doc, const std::string& placeName);
    int place() const { return place_; }
    CItemArray& operator*() const { return *list_; }
    CItemArray* operator->() const { return &*list_; }

private:
    int place_;
    OpenedList list_;
};

// "yyyy/mm/dd hh:mm", or blanks of that width for no date (0).
std::string shortDate(FileTime t);
// The text as UTF-8 (for output).
std::string utf8(std::string_view sjis);
// Removes an option "--name VALUE" from args; empty when absent.
std::string takeOption(Args& args, std::string_view name);
bool takeFlag(Args& args, std::string_view name);
// The one remaining positional argument, or CommandError with the usage line.
std::string takeArgument(Args& args, std::string_view usage);
void expectNoMoreArguments(const Args& args, std::string_view usage);

}  // namespace morvaline::cli
