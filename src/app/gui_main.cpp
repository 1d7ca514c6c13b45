// morvaline: the desktop program.

#include <QApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <iostream>
#include <optional>

#include "app/gui_options.h"
#include "app/stop_signals.h"
#include "app/user_parameter.h"
#include "platform/registry.h"
#include "store/document.h"
#include "ui/main_window.h"
#include "ui/startup.h"
#include "ui/translations.h"

namespace {

constexpr const char* kUsage =
    "usage: morvaline [OPTIONS] [USERID | USERID;PASSWORD]\n"
    "\n"
    "Options begin with - or / and may be written in either case:\n"
    "  -r              start a patrol as soon as the window is idle\n"
    "  -x              the same, and close the program when the patrol has ended\n"
    "  -a ... -e       patrol priority: A only, A and B, A to C, A to D, all\n"
    "  -z              maintenance mode (the login dialog offers the data folder)\n"
    "  -rp NAME        select the reservation pattern NAME\n"
    "  -NoSplash       no splash screen\n"
    "  -ResetBarState  lay the tool bars out afresh\n"
    "\n"
    "USERID pre-fills the login dialog; USERID;PASSWORD opens the data set at once (the\n"
    "password is wiped from the process's arguments). MORVALINE_CONFIG_DIR chooses the\n"
    "folder of the settings file Morvaline.conf.\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h" || word == "-?" || word == "/?") {
            std::cout << kUsage;
            return 0;
        }
    }
    // The password of "ID;PASSWORD" goes before anything else can see the arguments.
    std::optional<std::string> password;
    for (int i = 1; i < argc && !password; ++i) password = morvaline::takeUserPassword(argv[i]);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Morvaline");
    QApplication::setOrganizationName("Velkra");
    morvaline::ui::installQtTranslations(app);
    std::vector<std::string> unknown;
    morvaline::ui::StartupOptions options = morvaline::parseGuiOptions(argc, argv, &unknown);
    if (password) options.password = password;
    for (const std::string& word : unknown) std::cerr << "morvaline: ignoring '" << word << "'\n";

    morvaline::Registry registry;
    morvaline::ui::MainWindow window(registry, options.resetBarState);
    morvaline::ui::Startup startup(registry, options);
    window.setStartup(&startup);
    window.show();

    // Termination closes the window as the user would: the data set is saved and closed.
    morvaline::cli::StopSignals stop;
    std::optional<QSocketNotifier> stopNotifier;
    if (stop.fd() >= 0) {
        stopNotifier.emplace(stop.fd(), QSocketNotifier::Read);
        QObject::connect(&*stopNotifier, &QSocketNotifier::activated, [&] {
            stop.drain();
            // A dialog of the start-up ends as if cancelled, and the start-up with it.
            while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            window.close();
        });
    }
    if (const auto status = startup.run(window)) return *status;
    if (std::getenv("MORVALINE_STARTUP_TRACE"))
        std::cerr << "morvaline: opened " << window.document()->userId() << std::endl;
    return QApplication::exec();
}
