#include "app/cli_support.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_tool_run.h"
#include "platform/base_paths.h"
#include "platform/text_codec.h"
#include "store/place_files.h"

namespace morvaline::cli {

std::string utf8(std::string_view sjis) { return sjisToUtf8(sjis); }

std::string shortDate(FileTime t) {
    if (t == 0) return "                ";
    const LocalTimeFields f = fieldsFromFileTime(t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", f.year, f.month, f.day, f.hour, f.minute);
    return text;
}

void ConsoleReports::showStatus(const std::string& sjisText) {
    if (verbose_) std::cerr << utf8(sjisText) << '\n';
}

void ConsoleReports::reported(int id, const std::string& sjisText) {
    if (id == texts::kLoginSucceeded.id) loggedIn_ = true;
    if (loggedIn_ && isFailedStepReport(id)) failedSteps_.push_back(sjisText);
}

void ConsoleReports::addPatrolLine(const std::string& sjisText) {
    std::cout << utf8(sjisText) << std::endl;
}

std::string backupText(const DocumentBackup& backup) {
    const FileTime age = std::max<FileTime>(0, fileTimeNow() - backup.saved);
    const long long minutes = age / (60 * kTicksPerSecond);
    const std::string ago = minutes < 120         ? std::to_string(minutes) + " minutes"
                            : minutes < 48 * 60   ? std::to_string(minutes / 60) + " hours"
                                                  : std::to_string(minutes / (24 * 60)) + " days";
    return "the backup " + backup.path.filename().string() + " saved " + formatDateTime(backup.saved) +
           " (" + ago + " ago)";
}

void CloseUser::operator()(CTolDoc* doc) const {
    doc->close();
    delete doc;
}

void saveUser(CTolDoc& doc) {
    if (!doc.save()) throw CommandError{utf8(doc.error())};
}

Session::Session() = default;

std::filesystem::path Session::baseDirectory() const {
    const std::string configured = registry_.readString("Settings", "BasePath");
    return configured.empty() ? defaultBaseDirectory() : std::filesystem::path(configured);
}

OpenRequest Session::request(const std::string& userId, bool readOnly) {
    OpenRequest request;
    request.baseDirectory = baseDirectory();
    request.userId = userId;
    request.automatic = true;  // the command line never creates a user by opening it
    request.readOnly = readOnly;
    std::error_code ec;
    if (std::filesystem::is_directory(request.baseDirectory / userId, ec))
        request.password = password();
    return request;
}

OpenedUser Session::openUser(const std::string& userId, ReportSink* sink, bool offerCheck) {
    return open(userId, false, sink, offerCheck);
}

OpenedUser Session::readUser(const std::string& userId) { return open(userId, true, nullptr, false); }

OpenedUser Session::open(const std::string& userId, bool readOnly, ReportSink* sink, bool offerCheck) {
    auto result = CTolDoc::open(request(userId, readOnly), registry_, sink);
    if (!result.doc && result.backup) {
        throw CommandError{utf8(result.error) + "\n" + backupText(*result.backup) +
                           " loads: 'morvaline-cli restore " + userId + "' puts it in place"};
    }
    if (!result.doc) throw CommandError{utf8(result.error)};
    // The previous run ended without closing the data set: on a terminal the check is
    // offered, elsewhere (scripts, cron) the command that runs it is named.
    if (result.askFileCheck && offerCheck) {
        TerminalQuestions questions;
        if (!::isatty(STDIN_FILENO)) {
            std::cerr << "! " << utf8(textSjis(texts::kFileCheckQuestion)) << " ('morvaline-cli check " << userId
                      << " --repair' runs it)\n";
        } else if (questions.ask(texts::kFileCheckQuestion, textSjis(texts::kFileCheckQuestion), false) ==
                   Answer::Yes) {
            runFileCheck(*result.doc, questions);
        }
    }
    return OpenedUser(result.doc.release());
}

std::string Session::password(bool confirm) {
    if (password_) return *password_;
    if (const char* env = std::getenv("MORVALINE_PASSWORD")) return *(password_ = utf8ToSjis(env));
    if (!::isatty(STDIN_FILENO)) throw CommandError{"no password: set MORVALINE_PASSWORD"};
    auto ask = [](const char* prompt) { return askSecret(prompt).value_or(std::string()); };
    std::string entered = ask("Password: ");
    if (confirm && ask("Password again: ") != entered)
        throw CommandError{"the two passwords differ"};
    return *(password_ = utf8ToSjis(entered));
}

std::optional<std::string> Session::askSecret(const char* prompt) {
    std::cerr << prompt << std::flush;
    const bool terminal = ::isatty(STDIN_FILENO);
    termios old{};
    if (terminal) {
        ::tcgetattr(STDIN_FILENO, &old);
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::cerr << '\n';
    if (!got) return std::nullopt;
    return line;
}

int findPlace(const CTolDoc& doc, const std::string& name) {
    const CItemArray& tree = doc.tree();
    if (!name.empty() && name.size() < 9 && name.find_first_not_of("0123456789") == std::string::npos) {
        const int index = std::stoi(name);
        if (tree.valid(index)) return index;
    }
    const std::string sjisName = utf8ToSjis(name);
    for (int i = 0; i < tree.size(); ++i)
        if (tree.item(i).m_szTitle.view() == sjisName) return i;
    const int byId = tree.findId(sjisName);
    if (byId >= 0) return byId;
    for (int i = 0; i < tree.size(); ++i)
        if (tree.item(i).m_strPath.view() == sjisName) return i;
    throw CommandError{"no place '" + name + "' (give its index, title or ID; see the tree command)"};
}

namespace {

std::string noListReason(const CTolDoc& doc, int place, ListLoad outcome) {
    const std::string title = "'" + utf8(doc.tree().item(place).m_szTitle.view()) + "'";
    const auto names = placeFileNames(doc.tree(), place);
    const std::string list = names ? names->list : "?";
    switch (outcome) {
        case ListLoad::Damaged:
            return "the message list " + list + " of " + title +
                   " is damaged and cannot be read; it was left as it is: 'morvaline-cli check " +
                   doc.userId() + " --repair' rebuilds it";
        case ListLoad::Lost:
            return "the message list " + list + " of " + title + " is missing, though its text file " +
                   (names ? names->text : "?") + " holds messages; nothing was changed: 'morvaline-cli check " + doc.userId() +
                   " --repair' rebuilds it";
        case ListLoad::Missing:
        case ListLoad::Loaded:
            break;
    }
    return "place " + title + " holds no messages";
}

}  // namespace

PlaceList::PlaceList(CTolDoc& doc, const std::string& placeName)
    : place_(findPlace(doc, placeName)), list_(doc, place_, false) {
    if (!list_) throw CommandError{noListReason(doc, place_, list_.outcome())};
}

void Session::setPassword(const std::string& utf8Password) { password_ = utf8ToSjis(utf8Password); }

std::string takeOption(Args& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) throw CommandError{std::string(name) + " needs a value"};
        std::string value = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + 2));
        return value;
    }
    return {};
}

bool takeFlag(Args& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

std::string takeArgument(Args& args, std::string_view usage) {
    if (args.empty() || args.front().starts_with("--"))
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    std::string value = args.front();
    args.erase(args.begin());
    return value;
}

void expectNoMoreArguments(const Args& args, std::string_view usage) {
    if (!args.empty())
        throw CommandError{"unexpected '" + args.front() + "'; usage: morvaline-cli " +
                           std::string(usage)};
}

}  // namespace morvaline::cli
