// The file check over damaged data sets: each damage is reported with its number and
// repaired, and the repaired data set passes a second check.

#include "store/file_check.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/log_capture.h"
#include "store/mail_folders.h"
#include "store/place_files.h"
#include "item_fixtures.h"
#include "support/new_user.h"

namespace morvaline {
namespace {

// Answers every question with Yes and keeps what was asked.
struct YesToAll : ToolQuestions {
    std::vector<std::string> asked;
    Answer ask(const Text&, const std::string& sjisText, bool) override {
        asked.push_back(sjisToUtf8(sjisText));
        return Answer::Yes;
    }
    void tell(const Text&, const std::string&) override {}
};

test::ItemRecord recordOf(const CItem& c) {
    test::ItemRecord r;
    r.parent = c.m_nParent, r.next = c.m_nNext, r.prev = c.m_nPrev, r.child = c.m_nChild;
    r.number = c.m_nNumber, r.offset = c.m_nOffset, r.body = c.m_nBody, r.kind = c.m_nKind;
    r.reserve = c.m_nReserve, r.flags = c.m_dwFlags, r.target = c.m_nTarget, r.serial = c.m_nSerial;
    r.length = c.m_nLength, r.generation = c.m_nGeneration;
    r.strings = {std::string(c.m_szID.view()), std::string(c.m_szTitle.view()), "", "", "", "", ""};
    return r;
}

// A board (kind 12) whose messages were captured from the host's text, as a patrol stores them.
struct BoardUser : test::NewUser {
    int board = doc->tree().add(6, 25, 0, "BOARD", "board", kind::kBoard, 0);
    std::vector<std::string> titles;
    std::filesystem::path listFile, textFile;
    std::vector<test::ItemRecord> records;

    BoardUser() {
        OpenedList list(*doc, board);
        LogCapture capture(*list, doc->tree().item(board), doc->generation());
        for (int n = 1; n <= 4; ++n) {
            const std::string title = "message " + std::to_string(n);
            titles.push_back(title);
            for (const std::string& line : {"#25/" + std::to_string(n) + " " + title, sj("★タイトル (BOARD 25)"),
                                            std::string("text of ") + title, std::string("  1/  1")})
                capture.feed(line);
        }
        capture.finish();
        list->save();
        listFile = list->listFile();
        textFile = list->textFile();
        for (int i = 0; i < list->size(); ++i) records.push_back(recordOf(list->item(i)));
    }
    std::vector<std::string> storedTitles() {
        OpenedList list(*doc, board, false);
        std::vector<std::string> t;
        for (int i = 1; list && i < list->size(); ++i) t.emplace_back(list->item(i).m_szTitle.view());
        return t;
    }
};

TEST(FileCheck, DamagedListsAreReportedByNumberRepairedAndThenPass) {
    struct Damage {
        const char* what;
        std::function<void(BoardUser&)> apply;
        const char* number;  // as the question shows it
        bool rebuilt;        // the messages come back from the text
    };
    auto withRecords = [](std::function<void(std::vector<test::ItemRecord>&)> change) {
        return [change](BoardUser& u) {
            auto r = u.records;
            change(r);
            writeFileAtomically(u.listFile, test::listFile(r));
        };
    };
    const Damage damages[] = {
        {"a count beyond the file", [](BoardUser& u) {
             std::string bytes;
             readWholeFile(u.listFile, bytes);
             bytes[0] = '\x7F';
             writeFileAtomically(u.listFile, bytes);
         }, "1", true},
        {"a truncated list", [](BoardUser& u) {
             std::string bytes;
             readWholeFile(u.listFile, bytes);
             writeFileAtomically(u.listFile, bytes.substr(0, bytes.size() / 2));
         }, "1", true},
        {"a parent out of range", withRecords([](auto& r) { r[2].parent = 999; }), "100", true},
        {"a first child out of range", withRecords([](auto& r) { r[0].child = 0x7FFFFFFF; }), "102", true},
        {"siblings in a loop", withRecords([](auto& r) { r[4].next = 1; }), "104", true},
        {"a first item that is not the root", withRecords([](auto& r) { r[0].kind = -3; }), "600", true},
        {"a text file shorter than its offsets", [](BoardUser& u) {
             std::filesystem::resize_file(u.textFile, std::filesystem::file_size(u.textFile) - 10);
         }, "609", false},
        {"a list without its text", [](BoardUser& u) { std::filesystem::remove(u.textFile); }, "609", false},
        {"a text without its list", [](BoardUser& u) { std::filesystem::remove(u.listFile); }, "1", true},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        BoardUser u;
        d.apply(u);
        YesToAll yes;
        ToolRun run;
        run.questions = &yes;
        const CheckOutcome first = CheckFiles(*u.doc, true, run);
        EXPECT_EQ(first.problems, 1);
        EXPECT_EQ(first.repaired, 1);
        ASSERT_FALSE(yes.asked.empty());
        EXPECT_NE(yes.asked.front().find(std::string("(ｴﾗｰ番号: ") + d.number + ")"), std::string::npos)
            << yes.asked.front();
        const CheckOutcome second = CheckFiles(*u.doc, false, run);
        EXPECT_EQ(second.problems, 0);
        if (d.rebuilt) {
            EXPECT_EQ(u.storedTitles(), u.titles);
        }
    }
}

TEST(FileCheck, TheLogIsPrivateAndTheOldTextIsKeptInTheDataFolder) {
    test::NewUser u;
    const int folder = addMailFolder(*u.doc, test::kMailFolderPlace);
    std::filesystem::path listFile;
    {
        OpenedList list(*u.doc, folder);
        u.store(*list, "mail", "text");
        list->save();
        listFile = list->listFile();
    }
    writeFileAtomically(listFile, "not a list");
    YesToAll yes;
    ToolRun run;
    run.questions = &yes;
    const CheckOutcome outcome = CheckFiles(*u.doc, true, run);
    EXPECT_EQ(outcome.problems, 1);
    struct stat st {};
    ASSERT_EQ(::stat((u.doc->dataDirectory() / "CHKFILE.LOG").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string log;
    readWholeFile(u.doc->dataDirectory() / "CHKFILE.LOG", log);
    EXPECT_NE(sjisToUtf8(log).find("ﾌｧｲﾙのﾁｪｯｸが開始しました\r\n"), std::string::npos);
    EXPECT_NE(sjisToUtf8(log).find("このｴﾗｰ番号は 1 です。"), std::string::npos);
    // A mail folder is not rebuilt: its old text waits in the data folder, private.
    const auto kept = u.doc->dataDirectory() / (placeFileNames(u.doc->tree(), folder)->text + ".OLD");
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(std::filesystem::exists(listFile.string() + ".BAD"));
    EXPECT_NE(yes.asked.back().find(kept.string()), std::string::npos);
}

TEST(FileCheck, TreeFaultsAreReportedAndACancelledCheckStops) {
    test::NewUser u;
    CItemArray& tree = u.doc->tree();
    const int forum = tree.addForum(5, "F", "forum");
    tree.add(forum + 1, 1, 0, "F", "not a room", kind::kBoard, 0);  // 504: a forum area's first child
    const int second = tree.add(0, 0, 0, "~TRASH", "trash 2", kind::kTrash, 0);
    YesToAll yes;
    ToolRun run;
    run.questions = &yes;
    const CheckOutcome outcome = CheckFiles(*u.doc, false, run);
    EXPECT_EQ(outcome.problems, 1);
    EXPECT_EQ(outcome.repaired, 1);  // the empty second trash went
    EXPECT_NE(yes.asked.front().find("(ｴﾗｰ番号: 504)"), std::string::npos);
    EXPECT_EQ(tree.findKind(kind::kTrash), test::kTrashPlace);
    EXPECT_FALSE(tree.valid(second) && tree.item(second).m_nKind == kind::kTrash);

    Event cancel;
    cancel.set();
    run.cancel = &cancel;
    EXPECT_TRUE(CheckFiles(*u.doc, false, run).stopped);
}

}  // namespace
}  // namespace morvaline
