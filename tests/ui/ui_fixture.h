#pragma once
// The desktop program's windows over a real data set for the tests: one QApplication, a
// user with a forum room of Japanese messages (some of them comments) and a MIME mail with
// an attachment and links, modal dialogs answered by a script, and screenshots written
// into the build folder's screenshots/.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "message/iso2022jp.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "support/temp_dir.h"
#include "ui/translations.h"

namespace morvaline::test {

inline QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept to the end of the process: destroyed among the other statics at exit, the
    // application object would outlive parts of Qt it needs.
    static QApplication* app = [] {
        auto* made = new QApplication(argc, argv);
        ui::installQtTranslations(*made);
        return made;
    }();
    return *app;
}

// Runs the event loop until done() holds; false when the deadline passed first.
template <class Done>
bool spinGuiUntil(Done done, int deadlineMs = 20'000) {
    QDeadlineTimer deadline(deadlineMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Acts on the next modal dialog or popup menu once it is shown (the action runs inside its
// exec()).
inline void onNextModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal) modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}

inline void screenshot(QWidget& widget, const QString& name) {
    const QString folder = QString::fromLocal8Bit(qgetenv("MORVALINE_BINARY_DIR")) + "/screenshots";
    QDir().mkpath(folder);
    widget.grab().save(folder + '/' + name + ".png");
}

struct Places {
    int room = -1;
    int mail = 2;  // the received mail of a new user
};

class UiFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Registry> registry;
    Places places;

    void SetUp() override {
        guiApp();
        qputenv("MORVALINE_CONFIG_DIR", QByteArray::fromStdString((dir / "config").string()));
        std::filesystem::create_directories(dir / "config");
        registry = std::make_unique<Registry>(dir / "config" / "Morvaline.conf");
        registry->writeString("Settings", "BasePath", (dir / "data").string());
        registry->sync();
        std::filesystem::create_directories(dir / "data");
    }

    std::unique_ptr<CTolDoc> createUser(const std::string& id = "MVL00001", const std::string& password = "morvaline") {
        OpenRequest request;
        request.baseDirectory = dir / "data";
        request.userId = id;
        request.password = password;
        auto result = CTolDoc::open(request, *registry);
        EXPECT_TRUE(result.doc) << sjisToUtf8(result.error);
        return std::move(result.doc);
    }

    // A stored item with a text; returns its index.
    static int addStored(CItemArray& list, int parent, int kind, int number, const std::string& utf8Title,
                         const std::string& sender, const std::string& stored, std::uint32_t flags = 0) {
        const int i = list.add(parent, number, 0, sender, sj(utf8Title), kind, 1);
        const auto offset = list.appendText(stored);
        list.setOffset(i, static_cast<int>(offset.value_or(0)));
        list.setLength(i, static_cast<int>(stored.size()));
        list.setBody(i, 3);
        if (flags) list.setFlags(i, flags, flags);
        return i;
    }

    // A forum room with a thread of Japanese messages, and a MIME mail in the received mail.
    void populate(CTolDoc& doc) {
        const int sig = 5;
        const int forum = doc.tree().addForum(sig, "FJAPAN", sj("日本語フォーラム"));
        const int area = doc.tree().item(forum).m_nChild;
        places.room = doc.tree().add(area, 1, 0, "FJAPAN", sj("雑談の部屋"), kind::kRoom, 0);
        {
            OpenedList room(doc, places.room);
            const int first = addStored(*room, 0, kind::kForumMessage, 1, "はじめまして", "MVL00002",
                                        sj("こんにちは、花子です。\r\nよろしくお願いします。\r\n"));
            addStored(*room, first, kind::kForumMessage, 2, "Re: はじめまして", "MVL00003",
                      sj("太郎です。#1 へのコメントです。\r\n詳しくは http://example.jp/ を見てください。\r\n"));
            addStored(*room, 0, kind::kForumMessage, 3, "今日の天気", "MVL00002", sj("晴れです。\r\n"));
            room->markRead(1);
        }
        OpenedList mail(doc, places.mail);
        const std::string body = SjisToJis(sj("資料を送ります。\r\n問い合わせは MVL00003 か taro@example.jp へ。\r\n"));
        const std::string stored =
            sj("発信者：INET#hanako@example.jp\r\n\r\n文書名：資料の送付\r\n\r\n") +
            "From: hanako@example.jp\r\nSubject: report\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
            "--b1\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
            body +
            "\r\n--b1\r\nContent-Type: text/plain; name=\"memo.txt\"\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"memo.txt\"\r\n\r\n"
            "aGVsbG8gYXR0YWNobWVudA==\r\n--b1--\r\n";
        const int m = addStored(*mail, 0, kind::kReceivedMailMessage, 1, "資料の送付", "", stored, ITEM_FLAG_INTERNET);
        mail->setText(m, "hanako@example.jp");
    }
};

}  // namespace morvaline::test
