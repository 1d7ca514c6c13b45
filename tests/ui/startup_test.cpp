// The start-up in the program's own process: the login dialog loop with a wrong password
// first, the new-user wizard of the first run, and the start-up patrol whose item
// announcements the views follow while it runs against ludrix-host.

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QWizard>

#include "comm/access_point.h"
#include "models/model_roles.h"
#include "support/ludrix_host.h"
#include "ui/login_dialog.h"
#include "ui/main_window.h"
#include "ui/startup.h"
#include "ui_fixture.h"

namespace morvaline {
namespace {

class StartupTest : public test::UiFixture {
protected:
    void fillLogin(QWidget* dialog, const QString& password) {
        dialog->findChildren<QLineEdit*>().back()->setText(password);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }
};

TEST_F(StartupTest, TheLoginDialogComesBackAfterAWrongPasswordAndThenOpens) {
    createUser()->close();
    ui::StartupOptions options;
    options.userId = "MVL00001";
    options.maintenance = true;
    ui::MainWindow window(*registry, true);
    ui::Startup startup(*registry, options);
    window.setStartup(&startup);
    window.show();
    int dialogs = 0;
    QString warning;
    test::onNextModal([&](QWidget* login) {
        ++dialogs;
        test::screenshot(*login, "login-dialog");
        // The ID is known: the focus starts in the password box (whether or not the window
        // is active yet).
        EXPECT_EQ(login->focusWidget(), login->findChildren<QLineEdit*>().back());
        fillLogin(login, "wrong");
        test::onNextModal([&](QWidget* box) {
            warning = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
            test::onNextModal([&](QWidget* again) {
                ++dialogs;
                fillLogin(again, "morvaline");
            });
        });
    });
    EXPECT_FALSE(startup.run(window).has_value());
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(warning, QString::fromUtf8("ﾊﾟｽﾜｰﾄﾞが間違っています"));
    ASSERT_NE(window.document(), nullptr);
    EXPECT_EQ(window.document()->userId(), "MVL00001");
    EXPECT_EQ(registry->readString("Settings", "RecentUserID"), "MVL00001");
}

TEST_F(StartupTest, CancellingTheLoginDialogEndsTheStartUp) {
    ui::MainWindow window(*registry, true);
    ui::Startup startup(*registry, {});
    test::onNextModal([](QWidget* login) { static_cast<QDialog*>(login)->reject(); });
    EXPECT_EQ(startup.run(window), 1);
    EXPECT_EQ(window.document(), nullptr);
}

TEST_F(StartupTest, TheFirstRunShowsTheNewUserWizardAndCreatesTheUser) {
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "xdg").string()));
    registry->removeKey("Settings", "BasePath");
    registry->sync();
    ui::MainWindow window(*registry, true);
    ui::Startup startup(*registry, {});
    test::onNextModal([](QWidget* modal) {
        auto* wizard = qobject_cast<QWizard*>(modal);
        ASSERT_NE(wizard, nullptr);
        const QList<QLineEdit*> fields = wizard->findChildren<QLineEdit*>();
        ASSERT_GE(fields.size(), 6);
        fields[0]->setText("mvl00009");
        fields[1]->setText("secret");
        fields[2]->setText("secret");
        wizard->resize(520, 360);
        test::screenshot(*wizard, "new-user-wizard");
        wizard->next();
        // 21 double-byte characters do not fit the 40 bytes of a handle.
        fields[3]->setText(QString(21, QChar(0x3042)));
        QString refused;
        test::onNextModal([&](QWidget* box) {
            refused = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        wizard->next();
        EXPECT_EQ(wizard->currentId(), 1);
        EXPECT_EQ(refused, QString::fromUtf8("ﾊﾝﾄﾞﾙ名は半角40文字 (全角20文字) 以内で入力してください"));
        fields[3]->setText(QString::fromUtf8("山田花子"));
        test::screenshot(*wizard, "new-user-wizard-handle");
        wizard->next();
        fields[5]->setText("127.0.0.1");
        test::screenshot(*wizard, "new-user-wizard-access");
        wizard->accept();
    });
    EXPECT_FALSE(startup.run(window).has_value());
    qunsetenv("XDG_DATA_HOME");
    ASSERT_NE(window.document(), nullptr);
    EXPECT_EQ(window.document()->userId(), "MVL00009");
    EXPECT_EQ(window.document()->string(docstr::kHandle), sj("山田花子"));
    EXPECT_EQ(registry->readString("Settings", "RecentUserID"), "MVL00009");
    const AccessPointList aps = loadAccessPoints(*registry, ui::moduleDirectory() / "MODEMDAT.INI");
    ASSERT_EQ(aps.entries.size(), 1u);
    EXPECT_EQ(aps.entries[0].telnetName, "127.0.0.1");
}

TEST_F(StartupTest, TheNewUserWizardLeavesAnExistingUserAlone) {
    createUser()->close();
    ui::MainWindow window(*registry, true);
    ui::Startup startup(*registry, {});
    QString warning, prefilled;
    test::onNextModal([&](QWidget* login) {
        for (QPushButton* button : login->findChildren<QPushButton*>())
            if (button->text() == QString::fromUtf8("新規作成(&N)")) button->click();
        test::onNextModal([&](QWidget* modal) {
            auto* wizard = qobject_cast<QWizard*>(modal);
            ASSERT_NE(wizard, nullptr);
            const QList<QLineEdit*> fields = wizard->findChildren<QLineEdit*>();
            fields[0]->setText("mvl00001");
            fields[1]->setText("other");
            fields[2]->setText("other");
            wizard->accept();
            test::onNextModal([&](QWidget* box) {
                warning = static_cast<QMessageBox*>(box)->text();
                static_cast<QMessageBox*>(box)->accept();
                test::onNextModal([&](QWidget* again) {
                    prefilled = again->findChild<QComboBox*>()->currentText();
                    static_cast<QDialog*>(again)->reject();
                });
            });
        });
    });
    EXPECT_EQ(startup.run(window), 1);
    EXPECT_EQ(warning, QString::fromUtf8("ﾕｰｻﾞｰ ID MVL00001 のﾃﾞｰﾀは既にあります。ﾛｸﾞｲﾝして開いてください"));
    EXPECT_EQ(prefilled, "MVL00001");
    EXPECT_EQ(window.document(), nullptr);
}

TEST(PasswordBoxTest, TakesHalfWidthCharactersUpToTheHostsLimit) {
    test::guiApp();
    QLineEdit box;
    ui::makePasswordBox(box);
    // Typed as a keyboard or an input method delivers them, one character at a time.
    const auto type = [&box](const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&box, &press);
        }
    };
    type(QString::fromUtf8("ab 日本ｶc"));
    EXPECT_EQ(box.text(), "ab c");
    type(QString(30, 'x'));
    EXPECT_EQ(box.text().size(), 24);
}

TEST_F(StartupTest, TheViewsFollowAPatrolWhileItRuns) {
    const char* source = std::getenv("MORVALINE_SOURCE_DIR");
    test::LudrixHost host(std::string(source ? source : ".") + "/host/worlds/sample.json");
    ASSERT_GT(host.port(), 0);
    AccessPointList aps = loadAccessPoints(*registry, ui::moduleDirectory() / "MODEMDAT.INI");
    AccessPoint ap = AccessPoint::makeNew();
    ap.name = "local";
    ap.telnetName = "127.0.0.1";
    ap.telnetPort = std::to_string(host.port());
    ap.route = 1;
    aps.entries.push_back(ap);
    saveAccessPoints(*registry, aps);
    registry->sync();

    auto doc = createUser();
    const int mailSerial = doc->tree().item(2).m_nSerial;
    ui::MainWindow window(*registry, true);
    window.setDocument(std::move(doc), "morvaline");
    window.show();
    ui::BrowserWindow& b = *window.browser();
    ASSERT_TRUE(b.show({mailSerial, -1}));
    const QModelIndex root = b.subjectModel().index(0, 0);
    const int before = b.subjectModel().rowCount(root);

    int rowsWhileRunning = -1;
    bool ended = false;
    int result = -1;
    ASSERT_TRUE(window.patrolControl().start("morvaline", [&](int code) {
        ended = true;
        result = code;
    }));
    ASSERT_TRUE(test::spinGuiUntil([&] {
        if (window.patrolControl().running()) rowsWhileRunning = b.subjectModel().rowCount(b.subjectModel().index(0, 0));
        return ended;
    }, 120'000));
    EXPECT_EQ(result, 0);
    // The mail list was merged into the shown list row by row, without a refill by hand.
    EXPECT_GE(rowsWhileRunning, before);
    EXPECT_GE(b.subjectModel().rowCount(b.subjectModel().index(0, 0)), before + 4);
    EXPECT_FALSE(window.patrolControl().running());
}

}  // namespace
}  // namespace morvaline
