// Log import: logs become messages of a place through the patrol's capture, a failing file
// ends the import, and only files imported completely go to the trash.

#include "tools/log_import.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/mail_folders.h"
#include "support/new_user.h"
#include "tools/export.h"

namespace morvaline {
namespace {

std::string boardLog(int first, int count) {
    std::string log;
    for (int n = first; n < first + count; ++n)
        log += "#25/" + std::to_string(n) + " message " + std::to_string(n) + "\r\n" + sj("★タイトル (BOARD 25)") +
               "\r\ntext\r\n  1/  1\r\n";
    return log;
}

std::string mailLog(int count) {
    std::string log;
    for (int n = 1; n <= count; ++n)
        log += "#0000000" + std::to_string(n) + "         99/12/0" + std::to_string(n) + "    10:00:00\r\n" +
               sj("発信者：MVL0000" + std::to_string(n) + "      花子\r\n文書名：件名" + std::to_string(n) +
                  "\r\n本文です。\r\n  2行目\r\n");
    return log;
}

// Each message of a place: kind, number, title, sender, date and text.
std::vector<std::string> contents(CTolDoc& doc, int place, bool withDate) {
    OpenedList list(doc, place);
    std::vector<std::string> all;
    for (int i = 1; i < list->size(); ++i) {
        const CItem m = list->item(i);
        all.push_back(std::to_string(m.m_nKind) + " #" + std::to_string(m.m_nNumber) + " " +
                      std::string(m.m_szTitle.view()) + " " + std::string(m.m_szID.view()) + " " + std::string(m.m_szName.view()) + " " +
                      (withDate ? std::to_string(m.m_ftDate) : "") + "\n" +
                      list->readText(m.m_nOffset, m.m_nLength).value_or("?"));
    }
    return all;
}

TEST(LogImport, AnExportedPlaceImportsAsTheSameMessages) {
    test::NewUser u;
    CTolDoc& doc = *u.doc;
    const int mailParent = doc.tree().findTitleKind(sj("電子ﾒｰﾙ"), kind::kFolder);
    const struct {
        std::string log;
        int from, to;
        bool dated;  // a board message is dated when it is stored
    } cases[] = {
        {boardLog(1, 3), doc.tree().add(6, 25, 0, "BOARD", "board", kind::kBoard, 0),
         doc.tree().add(6, 26, 0, "BOARD2", "board 2", kind::kBoard, 0), false},
        {mailLog(3), addMailFolder(doc, mailParent, "from"), addMailFolder(doc, mailParent, "to"), true},
    };
    for (const auto& c : cases) {
        const auto log = u.dir.path() / "session.log", exported = u.dir.path() / "export.txt";
        ASSERT_TRUE(writeFileAtomically(log, c.log));
        std::string error;
        ImportRequest request;
        request.place = c.from;
        request.files = {log};
        ASSERT_EQ(ImportLogs(doc, request, {}, &error), 1) << error;

        ExportChoices choices;
        choices.place = c.from;
        choices.folder = u.dir.path();
        choices.fileName = exported.filename().string();
        Export exporter(doc);
        ExportResult result;
        ExportListener listener;
        listener.finished = [&](const ExportResult& r) { result = r; };
        ASSERT_EQ(exporter.start(choices, {}, listener), std::nullopt);
        exporter.wait();
        ASSERT_EQ(result.exported, 3);

        request.place = c.to;
        request.files = {exported};
        ASSERT_EQ(ImportLogs(doc, request, {}, &error), 1) << error;
        const auto before = contents(doc, c.from, c.dated);
        EXPECT_EQ(before.size(), 3u);
        EXPECT_EQ(contents(doc, c.to, c.dated), before);
    }
}

TEST(LogImport, FilesImportInOrderAndOnlyCompleteOnesGoToTheTrash) {
    test::NewUser u;
    const int board = u.doc->tree().add(6, 25, 0, "BOARD", "board", kind::kBoard, 0);
    const auto dir = u.dir.path();
    ASSERT_TRUE(writeFileAtomically(dir / "one.log", boardLog(1, 2)));
    ASSERT_TRUE(writeFileAtomically(dir / "three.log", boardLog(3, 1)));
    ImportRequest request;
    request.place = board;
    request.files = {dir / "one.log", dir / "missing.log", dir / "three.log"};
    std::vector<std::filesystem::path> trashed;
    request.moveToTrash = [&](const std::filesystem::path& f) {
        trashed.push_back(f);
        return true;
    };
    std::string error;
    EXPECT_EQ(ImportLogs(*u.doc, request, {}, &error), 0);
    EXPECT_NE(error.find("missing.log"), std::string::npos) << error;
    EXPECT_EQ(trashed, std::vector<std::filesystem::path>{dir / "one.log"});
    {
        OpenedList list(*u.doc, board);
        ASSERT_EQ(list->size(), 3);  // the root and the first file's two messages
        EXPECT_EQ(list->item(2).m_szTitle.view(), "message 2");
    }

    request.files = {dir / "three.log"};
    request.kind = ImportKind::AllPlaces;  // not defined: refused, nothing read
    EXPECT_EQ(ImportLogs(*u.doc, request, {}, &error), 0);
    request.kind = ImportKind::SelectedPlace;
    for (const int place : {-1, u.doc->tree().size()}) {  // no such place: refused, nothing read
        request.place = place;
        EXPECT_EQ(ImportLogs(*u.doc, request, {}, &error), 0);
    }
    request.place = board;
    Event cancel;
    cancel.set();
    ToolRun cancelled;
    cancelled.cancel = &cancel;
    trashed.clear();
    EXPECT_EQ(ImportLogs(*u.doc, request, cancelled, &error), 0);
    EXPECT_EQ(ImportLogs(*u.doc, request, {}, &error), 1);
    EXPECT_EQ(trashed, std::vector<std::filesystem::path>{dir / "three.log"});
    OpenedList list(*u.doc, board);
    EXPECT_EQ(list->size(), 4);
}

}  // namespace
}  // namespace morvaline
