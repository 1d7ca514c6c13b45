#include "ui/startup.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>

#include "comm/access_point.h"
#include "platform/atomic_file.h"
#include "platform/base_paths.h"
#include "platform/instance_socket.h"
#include "platform/registry.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "ui/login_dialog.h"
#include "ui/main_window.h"
#include "ui/new_user_wizard.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {
namespace {

constexpr const char* kDataFiles[] = {"MODEMDAT.INI", "VANMENU.INI"};

// Whether the user's data folder holds a document.
bool userExists(const std::filesystem::path& base, const QString& userId) {
    std::error_code ec;
    const std::string id = userId.toStdString();
    return std::filesystem::exists(base / id / (id + ".KVR"), ec);
}

QStringList knownUsers(const std::filesystem::path& base) {
    QStringList users;
    for (const QString& name : QDir(QString::fromStdString(base.string())).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (userExists(base, name)) users << name;
    return users;
}

QString fromSjis(const std::string& sjis) { return QString::fromStdString(sjisToUtf8(sjis)); }

}  // namespace

std::filesystem::path moduleDirectory() {
    // Beside the program first (as the files were kept there), else the data folder.
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && std::filesystem::exists(exe.parent_path() / kDataFiles[0], ec)) return exe.parent_path();
    return moduleDataDirectory();
}

std::optional<std::filesystem::path> missingDataFile(const std::filesystem::path& directory) {
    std::error_code ec;
    for (const char* name : kDataFiles)
        if (!std::filesystem::is_regular_file(directory / name, ec)) return directory / name;
    return std::nullopt;
}

Startup::Startup(Registry& registry, StartupOptions options) : registry_(registry), options_(std::move(options)) {}

std::filesystem::path Startup::baseDirectory() const {
    const std::string configured = registry_.readString("Settings", "BasePath");
    return configured.empty() ? defaultBaseDirectory() : std::filesystem::path(configured);
}

std::optional<int> Startup::run(MainWindow& window) {
    const std::filesystem::path module = moduleDirectory();
    registry_.writeString("Settings", "ModulePath", module.string() + "/");
    if (const auto missing = missingDataFile(module)) {
        QMessageBox::critical(&window, QString::fromUtf8(kProgramName),
                              QString::fromUtf8(kFileMissing).arg(QString::fromStdString(missing->string())));
        return 1;
    }
    firstRun_ = registry_.readString("Settings", "BasePath").empty();
    if (options_.password) {
        auto doc = openUser(window, QString::fromStdString(options_.userId), utf8ToSjis(*options_.password), true);
        if (!doc) return 1;
        applyOptions(*doc);
        window.setDocument(std::move(doc), utf8ToSjis(*options_.password));
        window.startPatrolWhenIdle(options_.patrolMode);
        return std::nullopt;
    }
    loginLoop(window, QString::fromStdString(options_.userId));
    if (!window.document()) return 1;
    window.startPatrolWhenIdle(options_.patrolMode);
    return std::nullopt;
}

void Startup::loginLoop(MainWindow& window, const QString& prefill) {
    QString userId = prefill.isEmpty() ? QString::fromStdString(registry_.readString("Settings", "RecentUserID")) : prefill;
    for (;;) {
        bool tried = false;
        if (firstRun_) {
            newUser(window, userId);
            firstRun_ = false;
            tried = true;
        } else {
            LoginDialog dialog(knownUsers(baseDirectory()), userId, options_.maintenance, &window);
            if (qEnvironmentVariableIsSet("MORVALINE_STARTUP_TRACE")) std::fputs("morvaline: login\n", stderr);
            const int outcome = dialog.exec();
            if (outcome == LoginDialog::Cancelled) return;
            if (outcome == LoginDialog::Customize) {
                const QString base = QFileDialog::getExistingDirectory(&window, QString::fromUtf8(kLoginCustomizeTitle),
                                                                       QString::fromStdString(baseDirectory().string()));
                if (!base.isEmpty()) registry_.writeString("Settings", "BasePath", base.toStdString());
                continue;
            }
            if (outcome == LoginDialog::NewUser) {
                newUser(window, userId);
                tried = true;
            } else {
                userId = dialog.userId();
                CTolDoc* open = window.document();
                if (open && QString::fromStdString(open->userId()).compare(userId, Qt::CaseInsensitive) == 0) {
                    QMessageBox::information(&window, QString::fromUtf8(kLoginTitle), QString::fromUtf8(kAlreadyOpen));
                    return;
                }
                if (open && !window.closeDocument()) return;
                const std::string password = utf8ToSjis(dialog.password().toStdString());
                auto doc = openUser(window, userId, password, false);
                if (doc) {
                    registry_.writeString("Settings", "RecentUserID", userId.toStdString());
                    applyOptions(*doc);
                    window.setDocument(std::move(doc), password);
                }
                tried = true;
            }
        }
        if (tried) registry_.writeString("Settings", "BasePath", baseDirectory().string());
        registry_.sync();
        if (window.document()) return;
    }
}

std::unique_ptr<CTolDoc> Startup::openUser(MainWindow& window, const QString& userId, const std::string& password,
                                           bool automatic) {
    const std::filesystem::path base = baseDirectory();
    const QString id = userId.trimmed().toUpper();
    if (askOpenElsewhere(base / id.toStdString(), id)) return nullptr;  // the other one came to the front
    OpenRequest request;
    request.baseDirectory = base;
    request.userId = id.toStdString();
    request.password = password;
    request.automatic = automatic;
    auto result = CTolDoc::open(request, registry_, &window);
    if (!result.doc) {
        // Also for a start from a terminal or a script, where nobody may see the window.
        std::fprintf(stderr, "morvaline: %s\n", sjisToUtf8(result.error).c_str());
        QMessageBox::warning(&window, QString::fromUtf8(kProgramName), fromSjis(result.error));
        return nullptr;
    }
    if (result.askFileCheck) window.reportFileCheckQuestion();
    return std::move(result.doc);
}

void Startup::newUser(MainWindow& window, QString& userId) {
    NewUserWizard wizard(&window);
    if (wizard.exec() == QDialog::Accepted && !createUser(window, wizard.answers())) userId = wizard.answers().userId;
}

bool Startup::createUser(MainWindow& window, const NewUserAnswers& answers) {
    const std::filesystem::path base = baseDirectory();
    // The wizard makes new users only: an existing data set is opened by logging in.
    if (userExists(base, answers.userId)) {
        QMessageBox::warning(&window, QString::fromUtf8(kWizardTitle), QString::fromUtf8(kUserExists).arg(answers.userId));
        return false;
    }
    makePrivateDirectories(base);
    OpenRequest request;
    request.baseDirectory = base;
    request.userId = answers.userId.toStdString();
    request.password = utf8ToSjis(answers.password.toStdString());
    auto result = CTolDoc::open(request, registry_, &window);
    if (!result.doc) {
        QMessageBox::warning(&window, QString::fromUtf8(kWizardTitle), fromSjis(result.error));
        return false;
    }
    result.doc->setString(docstr::kHandle, sjisBoundedCopy(utf8ToSjis(answers.handle.toStdString()), kMaxHandleBytes));
    if (!answers.accessHost.isEmpty()) {
        AccessPointList list = loadAccessPoints(registry_, moduleDirectory() / "MODEMDAT.INI");
        AccessPoint ap = AccessPoint::makeNew();
        ap.name = utf8ToSjis(answers.accessName.toStdString());
        ap.telnetName = answers.accessHost.toStdString();
        ap.telnetPort = std::to_string(answers.accessPort);
        list.entries.push_back(std::move(ap));
        saveAccessPoints(registry_, list);
    }
    registry_.writeString("Settings", "RecentUserID", request.userId);
    registry_.writeString("Settings", "BasePath", base.string());
    result.doc->save();
    applyOptions(*result.doc);
    window.setDocument(std::move(result.doc), request.password);
    return true;
}

void Startup::applyOptions(CTolDoc& doc) {
    if (!options_.pattern.empty()) doc.selectPattern(utf8ToSjis(options_.pattern));
    if (options_.priority >= 0) doc.setInteger(docint::kPatrolLevel, options_.priority);
}

}  // namespace morvaline::ui
