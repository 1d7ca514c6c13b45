// The main window and its browser windows over a real data set, offscreen (or under
// xvfb-run): the arrangements, the layout record, links and attachments in the message
// view, the jump with its reservation question, and the event log window. The tests
// write screenshots of what they show into the build folder's screenshots/.

#include <QAbstractButton>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextBrowser>

#include "models/model_roles.h"
#include "platform/atomic_file.h"
#include "store/outgoing_mail.h"
#include "ui/main_window.h"
#include "ui/screen_units.h"
#include "ui_fixture.h"

namespace morvaline {
namespace {

class WindowTest : public test::UiFixture {
protected:
    std::unique_ptr<ui::MainWindow> window;

    ui::BrowserWindow& open(std::unique_ptr<CTolDoc> doc) {
        window = std::make_unique<ui::MainWindow>(*registry, true);
        window->setDocument(std::move(doc), "morvaline");
        window->resize(1100, 720);
        window->show();
        test::spinGuiUntil([&] { return window->isVisible(); });
        QApplication::processEvents();
        return *window->browser();
    }
    int serial(int place, int index) {
        OpenedList list(*window->document(), place);
        return list->item(index).m_nSerial;
    }
    int placeSerial(int place) { return window->document()->tree().item(place).m_nSerial; }
    QRect where(ui::BrowserWindow& b, QWidget& pane) {
        return QRect(pane.mapTo(&b, QPoint(0, 0)), pane.size());
    }
    void TearDown() override {
        window.reset();
        UiFixture::TearDown();
    }
};

// The anchor of a link in the message view, by its text.
QUrl anchorOf(ui::MessageView& view, const QString& text) {
    auto* browser = view.findChild<QTextBrowser*>();
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor() && it.fragment().text() == text)
                return QUrl(it.fragment().charFormat().anchorHref());
    return {};
}

TEST_F(WindowTest, EachArrangementPutsThePanesInTheirPlaces) {
    auto doc = createUser();
    populate(*doc);
    ui::BrowserWindow& b = open(std::move(doc));
    ASSERT_TRUE(b.show({placeSerial(places.room), serial(places.room, 2)}));
    QApplication::processEvents();
    EXPECT_TRUE(b.messageView().plainText().contains(QString::fromUtf8("太郎です。")));

    for (int a = 0; a < 4; ++a) {
        b.setArrangement(static_cast<Arrangement>(a));
        QApplication::processEvents();
        const QRect tree = where(b, b.placeView()), subjects = where(b, b.subjectView()),
                    message = where(b, b.messageView());
        switch (static_cast<Arrangement>(a)) {
            case Arrangement::SubjectCentred:
                EXPECT_LT(tree.right(), subjects.left());
                EXPECT_LT(subjects.bottom(), message.top());
                EXPECT_NEAR(tree.width(), ui::screenUnits(b, 140), 8);
                break;
            case Arrangement::MessageCentred:
                EXPECT_LT(tree.bottom(), subjects.top());
                EXPECT_LT(subjects.right(), message.left());
                EXPECT_NEAR(tree.height(), ui::screenUnits(b, 100), 8);
                break;
            case Arrangement::LowResolution:
                EXPECT_LT(tree.bottom(), subjects.top());
                EXPECT_LT(subjects.bottom(), message.top());
                break;
            case Arrangement::TwoTop:
                EXPECT_LT(tree.right(), subjects.left());
                EXPECT_LT(tree.bottom(), message.top());
                EXPECT_NEAR(tree.height(), ui::screenUnits(b, 120), 8);
                break;
        }
        // Widened as a user would, so that the deep places of the forum read whole.
        const int widths[][2] = {{230, -1}, {300, 160}, {-1, -1}, {-1, 230}};
        b.setPaneSizes(widths[a][0], widths[a][1]);
        QApplication::processEvents();
        test::screenshot(*window, QStringLiteral("main-arrangement-%1").arg(a));
    }
    b.setArrangement(Arrangement::SubjectCentred);
    b.setPaneSizes(230, -1);
    ASSERT_TRUE(b.show({placeSerial(places.mail), serial(places.mail, 2)}));
    QApplication::processEvents();
    test::screenshot(*window, "main-mail");
}

TEST_F(WindowTest, TheLayoutRecordBringsTheWindowBackAsItWas) {
    auto doc = createUser();
    populate(*doc);
    {
        ui::BrowserWindow& b = open(std::move(doc));
        b.setArrangement(Arrangement::TwoTop);
        SubjectOptions subjects = b.subjectOptions();
        subjects.showNumber = true;
        subjects.order = SubjectOrder::Title;
        b.setSubjectOptions(subjects);
        ASSERT_TRUE(b.show({placeSerial(places.room), serial(places.room, 3)}));
        window->newEventLog();
        ASSERT_TRUE(window->closeDocument());
    }
    ui::BrowserWindow& b = open(createUser());
    EXPECT_EQ(b.arrangement(), Arrangement::TwoTop);
    EXPECT_TRUE(b.subjectOptions().showNumber);
    EXPECT_EQ(b.subjectOptions().order, SubjectOrder::Title);
    EXPECT_EQ(b.selection().message, serial(places.room, 3));
    EXPECT_EQ(window->eventLogs().size(), 1);
}

TEST_F(WindowTest, LinksInTheMessageViewJumpAndWriteAndAttachmentsAreSaved) {
    auto doc = createUser();
    populate(*doc);
    ui::BrowserWindow& b = open(std::move(doc));
    ASSERT_TRUE(b.show({placeSerial(places.room), serial(places.room, 2)}));
    const QUrl toFirst = anchorOf(b.messageView(), "#1");
    ASSERT_TRUE(toFirst.isValid());
    EXPECT_TRUE(anchorOf(b.messageView(), "http://example.jp/").isValid());
    b.messageView().activateLink(toFirst);
    EXPECT_EQ(b.selection().message, serial(places.room, 1));

    ASSERT_TRUE(b.show({placeSerial(places.mail), serial(places.mail, 2)}));
    EXPECT_TRUE(b.messageView().plainText().contains(QString::fromUtf8("資料を送ります。")));
    ASSERT_EQ(b.messageView().attachments().size(), 1u);
    const SaveResult saved = b.messageView().saveAttachment(0, QString::fromStdString(dir.path().string()));
    ASSERT_EQ(saved.status, SaveStatus::Saved);
    std::string bytes;
    ASSERT_TRUE(readWholeFile(dir / "memo.txt", bytes));
    EXPECT_EQ(bytes, "hello attachment");

    // An ID in the text starts a mail to it.
    b.messageView().activateLink(anchorOf(b.messageView(), "MVL00003"));
    OpenedList outgoing(*window->document(), findOutgoingMailPlace(window->document()->tree()));
    bool found = false;
    for (int i = 1; i < outgoing->size(); ++i) found = found || outgoing->item(i).m_nKind == kind::kNewMail;
    EXPECT_TRUE(found);
}

TEST_F(WindowTest, JumpingToAMissingNumberAsksAndReservesReadingIt) {
    auto doc = createUser();
    populate(*doc);
    ui::BrowserWindow& b = open(std::move(doc));
    ASSERT_TRUE(b.show({placeSerial(places.room), -1}));
    QString asked;
    test::onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        asked = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    b.jump(9);
    EXPECT_EQ(asked, QString::fromUtf8("指定したﾒｯｾｰｼﾞは見つかりません。このﾒｯｾｰｼﾞを読む予約をしますか?"));
    OpenedList room(*window->document(), places.room);
    const int reservation = room->findLastNumber(9);
    ASSERT_GT(reservation, 0);
    EXPECT_EQ(room->item(reservation).m_nReserve, 2);
    EXPECT_EQ(b.selection().message, room->item(reservation).m_nSerial);
}

// The subject list of a room with a message in each state that its icons tell apart,
// and a reserved place in the tree; the jump is asked for through its menu command.
TEST_F(WindowTest, IconsTellTheStatesApartAndTheJumpCommandAsksForANumber) {
    auto doc = createUser();
    populate(*doc);
    doc->startGeneration();
    {
        OpenedList room(*doc, places.room);
        const int fresh = addStored(*room, 0, kind::kForumMessage, 4, "新着のお知らせ", "MVL00004", sj("新着\r\n"));
        room->setGeneration(fresh, doc->generation());
        room->toggleMark(addStored(*room, 0, kind::kForumMessage, 5, "ﾏｰｸした発言", "MVL00002", sj("印\r\n")));
        room->markRead(room->size() - 1);
        addStored(*room, 0, kind::kForumMessage, 6, "削除された発言", "MVL00003", sj("x\r\n"), ITEM_FLAG_DELETED);
        addStored(*room, 0, kind::kForumMessage, 7, "保留中の発言", "MVL00003", sj("x\r\n"), ITEM_FLAG_HELD);
        const int toRead = room->add(0, 8, 0, "", sj("読む予約"), kind::kForumMessage, 0);
        room->setReserve(toRead, 2);
        addStored(*room, 1, kind::kComment, 0, "作文中のｺﾒﾝﾄ", "", sj("書きかけ\r\n"), ITEM_FLAG_READ);
    }
    doc->tree().setReserve(places.room, doc->menu(kind::kRoom).entries().front().id);
    ui::BrowserWindow& b = open(std::move(doc));
    SubjectOptions options = b.subjectOptions();
    options.showNumber = options.showId = true;
    b.setSubjectOptions(options);
    b.setPaneSizes(230, 260);
    ASSERT_TRUE(b.show({placeSerial(places.room), serial(places.room, 1)}));
    b.subjectView().expandAll();
    QApplication::processEvents();
    EXPECT_EQ(b.subjectModel().rowCount(b.subjectModel().index(0, 0)), 7);
    test::screenshot(*window, "main-states");

    QAction* jump = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text() == QString::fromUtf8("ｼﾞｬﾝﾌﾟ...")) jump = a;
    ASSERT_NE(jump, nullptr);
    test::onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setIntValue(3);
        test::screenshot(*dialog, "jump-dialog");
        dialog->accept();
    });
    jump->trigger();
    EXPECT_EQ(b.selection().message, serial(places.room, 3));
}

TEST_F(WindowTest, APlaceIsReservedFromItsMenu) {
    auto doc = createUser();
    populate(*doc);
    const CReserve entry = doc->menu(kind::kRoom).entries().back();
    ui::BrowserWindow& b = open(std::move(doc));
    ASSERT_TRUE(b.show({placeSerial(places.room), -1}));
    const QString label = QString::fromStdString(sjisToUtf8(entry.name));
    bool offered = false;
    test::onNextModal([&](QWidget* popup) {
        auto* menu = qobject_cast<QMenu*>(popup);
        ASSERT_NE(menu, nullptr);
        test::screenshot(*menu, "place-reservation-menu");
        for (QAction* a : menu->actions())
            if (a->text().startsWith(label)) {
                offered = true;
                a->trigger();
            }
        menu->close();
    });
    emit b.placeView().customContextMenuRequested(b.placeView().visualRect(b.placeView().currentIndex()).center());
    EXPECT_TRUE(offered);
    EXPECT_EQ(window->document()->tree().item(places.room).m_nReserve, entry.id);
}

TEST_F(WindowTest, TheEventLogWindowFollowsTheLog) {
    auto doc = createUser();
    populate(*doc);
    open(std::move(doc));
    CTolDoc& d = *window->document();
    ui::EventLogWindow* log = window->newEventLog();
    for (int i = 0; i < 105; ++i) d.reporter().report(texts::kLoggingIn);
    d.reporter().report(texts::kNoConnect);
    EXPECT_EQ(log->topLevelItemCount(), 100);
    EXPECT_EQ(log->topLevelItem(99)->text(1), QString::fromUtf8("接続できませんでした"));
    window->newEventLog();
    EXPECT_EQ(log->parentWidget()->windowTitle(), QString::fromUtf8("ｲﾍﾞﾝﾄ ﾛｸﾞ:1"));
    log->parentWidget()->showMaximized();
    QApplication::processEvents();
    test::screenshot(*window, "event-log");
    log->apply(d.eventLog().setMax(10));
    EXPECT_EQ(log->topLevelItemCount(), 10);
}

}  // namespace
}  // namespace morvaline
