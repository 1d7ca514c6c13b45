// The HTML export of a forum room whose title, subjects, handles and texts hold markup:
// Python's HTML parser reads every page back (each text node equals the stored text, no
// tag came from a message), the contents nest by thread depth, the page names and links
// follow the numbers, and Qt draws the pages offscreen into screenshots.

#include "tools/export.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <array>
#include <fstream>

#include "platform/atomic_file.h"
#include "support/run_program.h"
#include "tools_fixture.h"

namespace morvaline {
namespace {

using test::at;

QGuiApplication& guiApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

std::string escapedLine(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

// Draws a page as a reader sees it and saves it among the build's screenshots.
QString render(const std::filesystem::path& page, const std::string& screenshot) {
    guiApp();
    std::string bytes;
    EXPECT_TRUE(readWholeFile(page, bytes));
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(sjisToUtf8(bytes)));
    doc.setTextWidth(640);
    QImage image(640, static_cast<int>(doc.size().height()) + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc.drawContents(&painter);
    painter.end();
    const std::filesystem::path folder = std::filesystem::path(test::buildProgram("screenshots"));
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(image.save(QString::fromStdString((folder / screenshot).string())));
    return doc.toPlainText();
}

TEST(ExportHtml, PagesHoldTheStoredTextsEscapedAndLinkedByThread) {
    test::ToolsUser user;
    const int room = user.addRoom(sj("雑談 <b>&\"室\""));
    const std::vector<std::string> header = {"#1", "H2", "H3", "H4"};
    auto lines = [&](std::vector<std::string> body) {
        std::vector<std::string> all = header;
        all.insert(all.end(), body.begin(), body.end());
        return all;
    };
    const std::string nasty = sj("<script>alert(\"x\")</script> & 表示");
    const int first = user.storeForum(room, 1, nasty, lines({"x < y && \"z\"", "</pre><b>bold?</b>"}),
                                      at(2024, 3, 1), 0, "A&B<i>");
    const int second = user.storeForum(room, 2, "no text yet", {}, at(2024, 3, 2), first);
    user.storeForum(room, 123, sj("三段目"), lines({sj("深い返事")}), at(2024, 3, 3), second);
    user.storeForum(room, 4, "last", lines({"end"}), at(2024, 3, 4));
    {
        OpenedList list(*user.doc, room);
        list->setBody(second, 0);  // titles only: not exported, its reply sits two levels down
    }

    ExportChoices choices;
    choices.place = room;
    choices.format = ExportFormat::Html;
    choices.folder = user.dir / "site";
    choices.fileName = "room & <1>";
    std::filesystem::create_directory(choices.folder);
    HtmlSettings html;
    html.locale.shortDate = "yyyy/MM/dd";
    Export exporter(*user.doc);
    ExportResult result;
    ExportListener listener;
    listener.finished = [&](const ExportResult& r) { result = r; };
    ASSERT_EQ(exporter.start(choices, html, listener), std::nullopt);
    exporter.wait();
    ASSERT_EQ(result.outcome, ExportOutcome::Done) << sjisToUtf8(result.message);
    EXPECT_EQ(result.exported, 3);

    const std::string b = choices.fileName;
    const std::string title = "雑談 [b]&\"室\"";
    const std::string p1 = b + "_00001.htm", p123 = b + "_00123.htm", p4 = b + "_00004.htm";
    const std::string link1 = "room%20%26%20%3C1%3E_00001.htm", link123 = "room%20%26%20%3C1%3E_00123.htm",
                      link4 = "room%20%26%20%3C1%3E_00004.htm";
    const std::vector<std::array<std::string, 3>> expected = {
        {b + "_cnt.htm", "title", title},
        {b + "_cnt.htm", "entry:0", "1|" + link1 + "|<script>alert(\"x\")</script> & 表示"},
        {b + "_cnt.htm", "entry:1", "3|" + link123 + "|三段目"},
        {b + "_cnt.htm", "entry:2", "1|" + link4 + "|last"},
        {b + "_welc.htm", "title", title + " へようこそ"},
        {p1, "title", title + ": <script>alert(\"x\")</script> & 表示"},
        {p1, "subject", "<script>alert(\"x\")</script> & 表示"},
        {p1, "byline", "A&B<i> 2024/03/01"},
        {p1, "pre", "\r\nx < y && \"z\"\r\n</pre><b>bold?</b>\r\n"},
        {p1, "link:前へ", ""},
        {p1, "link:次へ", link123},
        {p1, "link:上へ", ""},
        {p123, "link:前へ", link1},
        {p123, "link:上へ", ""},  // it answers a message that was not exported
        {p123, "pre", "\r\n深い返事\r\n"},
        {p4, "link:次へ", ""},
    };
    const std::filesystem::path expectations = user.dir / "expected.tsv";
    {
        std::ofstream out(expectations, std::ios::binary);
        for (const auto& [file, what, value] : expected) out << file << '\t' << what << '\t' << escapedLine(value) << '\n';
    }
    const char* source = std::getenv("MORVALINE_SOURCE_DIR");
    const test::ProgramResult oracle =
        test::runCommand("python3 '" + std::string(source ? source : ".") + "/tests/tools/html_oracle.py' '" +
                         choices.folder.string() + "' '" + expectations.string() + "'");
    EXPECT_EQ(oracle.status, 0) << oracle.output;

    // The numbers show with "#" and the contents link goes to the frame page's target.
    std::string page;
    ASSERT_TRUE(readWholeFile(choices.folder / p123, page));
    EXPECT_NE(page.find("#123 <b>"), std::string::npos);
    EXPECT_NE(page.find("target=\"_top\">" + sj("目次")), std::string::npos);

    const QString shown = render(choices.folder / p1, "export-html-page.png");
    EXPECT_TRUE(shown.contains(QString::fromUtf8("<script>alert(\"x\")</script> & 表示")));
    EXPECT_TRUE(shown.contains(QString::fromUtf8("</pre><b>bold?</b>")));
    EXPECT_TRUE(render(choices.folder / (b + "_cnt.htm"), "export-html-contents.png").contains(QString::fromUtf8("三段目")));

    // Exporting again asks before overwriting; No stops before any file is written.
    const std::filesystem::file_time_type before = std::filesystem::last_write_time(choices.folder / p1);
    int asked = 0;
    listener.askOverwrite = [&](const std::string&) { return ++asked, false; };
    ASSERT_EQ(exporter.start(choices, html, listener), std::nullopt);
    exporter.wait();
    EXPECT_EQ(result.outcome, ExportOutcome::Stopped);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::filesystem::last_write_time(choices.folder / p1), before);
}

}  // namespace
}  // namespace morvaline
