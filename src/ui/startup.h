#pragma once
// The way from the program's start to a user's data set open in the main window: the
// data files check, the base folder, the user parameter or the login dialog with the
// new-user wizard, the single-instance rule, and the start-up options applied to the data
// set. Main thread.

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>

#include "ui/startup_options.h"

namespace morvaline {
class CTolDoc;
class Registry;
}  // namespace morvaline

namespace morvaline::ui {

class MainWindow;
struct NewUserAnswers;

// The folder that holds MODEMDAT.INI and VANMENU.INI; the full path of the first file
// missing in it, when one is.
std::filesystem::path moduleDirectory();
std::optional<std::filesystem::path> missingDataFile(const std::filesystem::path& moduleDirectory);

class Startup {
public:
    Startup(Registry& registry, StartupOptions options);

    // The whole start-up with the window shown: the exit status when the program is to end
    // at once, nothing when it goes on with a data set open.
    std::optional<int> run(MainWindow& window);
    // The login dialog until a data set is open or the user cancels ("他のIDで開く" too).
    void loginLoop(MainWindow& window, const QString& userId);

    std::filesystem::path baseDirectory() const;
    // Opens a user's data set (asking the program that has it open, if any, to come to
    // the front instead); the reason is shown on failure. Null when nothing was opened.
    std::unique_ptr<CTolDoc> openUser(MainWindow& window, const QString& userId, const std::string& sjisPassword,
                                      bool automatic);

private:
    // The new-user wizard; a user ID it could not create is left in userId for the login
    // dialog.
    void newUser(MainWindow& window, QString& userId);
    bool createUser(MainWindow& window, const NewUserAnswers& answers);
    void applyOptions(CTolDoc& doc);

    Registry& registry_;
    StartupOptions options_;
    bool firstRun_ = false;
};

}  // namespace morvaline::ui
