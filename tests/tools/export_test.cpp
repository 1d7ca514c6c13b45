// The text export over a real data set: selection and orders, writing over a file and
// adding to it without ever leaving half a file, and removal only after a whole export.

#include "tools/export.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "store/mail_folders.h"
#include "tools/auto_delete.h"
#include "tools_fixture.h"

namespace morvaline {
namespace {

using test::at;

ExportResult runExport(CTolDoc& doc, const ExportChoices& choices, ExportListener listener = {},
                       Export* exporter = nullptr) {
    Export local(doc);
    Export& e = exporter ? *exporter : local;
    ExportResult result;
    listener.finished = [&](const ExportResult& r) { result = r; };
    const auto invalid = e.start(choices, {}, listener);
    EXPECT_EQ(invalid, std::nullopt) << sjisToUtf8(invalid.value_or(""));
    e.wait();
    return result;
}

std::string fileText(const std::filesystem::path& path) {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(path, bytes)) << path;
    return bytes;
}

class ExportTest : public ::testing::Test {
protected:
    test::ToolsUser user;
    ExportChoices choices;

    void SetUp() override {
        OpenedList list(*user.doc, test::kReceivedPlace);
        std::vector<int> all;
        for (int i = 1; i < list->size(); ++i) all.push_back(i);
        ASSERT_TRUE(list->remove(all));  // the welcome mail
        choices.place = test::kReceivedPlace;
        choices.folder = user.dir.path();
        choices.fileName = "out.txt";
    }
    // Stores mails titled by their letters, dated and named so that each order differs.
    void storeMails(const std::vector<std::tuple<std::string, FileTime, std::string>>& mails) {
        for (const auto& [title, date, name] : mails) user.storeMail(title, {"text of " + title}, date, 0, name);
    }
    // What the export of the titles in this order writes.
    std::string textsOf(const std::vector<std::string>& titles) {
        OpenedList list(*user.doc, test::kReceivedPlace);
        std::string all;
        for (const std::string& t : titles) {
            const int i = list->findTitleKind(t, kind::kReceivedMailMessage);
            all += list->readText(list->item(i).m_nOffset, list->item(i).m_nLength).value_or("?");
        }
        return all;
    }
    void mark(const std::string& title) {
        OpenedList list(*user.doc, test::kReceivedPlace);
        list->toggleMark(list->findTitleKind(title, kind::kReceivedMailMessage));
    }
    int messageCount() {
        OpenedList list(*user.doc, test::kReceivedPlace);
        return list->size() - 1;
    }
};

TEST_F(ExportTest, SelectionAndOrdersDecideWhatIsWrittenInWhichOrder) {
    storeMails({{"b", at(2024, 1, 3), "Zed"}, {"C", at(2024, 1, 1), "amy"}, {"a", at(2024, 1, 2), "Bob"}});
    mark("C");
    mark("a");
    struct Case {
        ExportWhich which;
        ExportOrder order;
        bool reverse;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {ExportWhich::All, ExportOrder::Registration, false, {"b", "C", "a"}},
        {ExportWhich::All, ExportOrder::Title, false, {"a", "b", "C"}},  // case ignored
        {ExportWhich::All, ExportOrder::Handle, true, {"b", "a", "C"}},
        {ExportWhich::All, ExportOrder::Date, false, {"C", "a", "b"}},
        {ExportWhich::Marked, ExportOrder::Registration, true, {"a", "C"}},
    };
    for (const Case& c : cases) {
        choices.which = c.which;
        choices.order = c.order;
        choices.reverse = c.reverse;
        const ExportResult r = runExport(*user.doc, choices);
        EXPECT_EQ(r.outcome, ExportOutcome::Done);
        EXPECT_EQ(r.exported, static_cast<int>(c.expected.size()));
        EXPECT_EQ(fileText(choices.folder / choices.fileName), textsOf(c.expected));
    }
}

TEST_F(ExportTest, AppendAddsAndAStoppedExportLeavesTheFileAsItWas) {
    std::vector<std::tuple<std::string, FileTime, std::string>> many;
    for (int i = 0; i < 40; ++i) many.emplace_back("m" + std::to_string(i), at(2024, 1, 1), "x");
    storeMails(many);
    const std::filesystem::path out = choices.folder / choices.fileName;
    ASSERT_TRUE(writeFileAtomically(out, "old\r\n"));
    choices.append = true;
    ASSERT_EQ(runExport(*user.doc, choices).outcome, ExportOutcome::Done);
    const std::string appended = fileText(out);
    std::vector<std::string> titles;
    for (const auto& m : many) titles.push_back(std::get<0>(m));
    EXPECT_EQ(appended, "old\r\n" + textsOf(titles));

    // Stopped once 32 texts were written: adding takes them back, writing over keeps the old,
    // and nothing is removed.
    user.doc->setInteger(docint::kTrashCommandsDelete, 1);
    for (const bool append : {true, false}) {
        choices.append = append;
        choices.removeAfter = true;
        Export exporter(*user.doc);
        ExportListener stopLate;
        stopLate.progress = [&](ExportPhase, int percent) {
            if (percent > 0) exporter.stop();
        };
        EXPECT_EQ(runExport(*user.doc, choices, stopLate, &exporter).outcome, ExportOutcome::Stopped);
        EXPECT_EQ(fileText(out), appended) << append;
        EXPECT_EQ(messageCount(), 40);
    }
}

TEST_F(ExportTest, RemovalTakesOnlyWhatAWholeExportWrote) {
    storeMails({{"keep", at(2024, 1, 1), "x"}, {"go", at(2024, 1, 2), "x"}, {"also", at(2024, 1, 3), "x"}});
    mark("go");
    mark("also");
    choices.which = ExportWhich::Marked;
    choices.removeAfter = true;

    // The file cannot be put in place (a folder has its name): nothing goes.
    std::filesystem::create_directory(choices.folder / "taken");
    choices.fileName = "taken";
    const ExportResult failed = runExport(*user.doc, choices);
    EXPECT_EQ(failed.outcome, ExportOutcome::Failed);
    EXPECT_FALSE(failed.message.empty());
    EXPECT_EQ(messageCount(), 3);

    choices.fileName = "out.txt";
    const std::string expected = textsOf({"go", "also"});
    const ExportResult done = runExport(*user.doc, choices);
    EXPECT_EQ(done.outcome, ExportOutcome::Done);
    EXPECT_EQ(done.removed, 2);
    EXPECT_EQ(fileText(choices.folder / choices.fileName), expected);
    EXPECT_EQ(messageCount(), 1);
    {
        // Moved to the trash, each knowing where it came from.
        OpenedList trash(*user.doc, findTrashPlace(*user.doc));
        ASSERT_EQ(trash->size(), 3);
        for (const int i : {1, 2})
            EXPECT_EQ(trash->item(i).m_nSpare[kFormerPlaceSpare], user.doc->tree().item(test::kReceivedPlace).m_nSerial);
    }

    // When the trash commands delete, the export deletes too.
    user.doc->setInteger(docint::kTrashCommandsDelete, 1);
    mark("keep");
    EXPECT_EQ(runExport(*user.doc, choices).removed, 1);
    EXPECT_EQ(messageCount(), 0);
    OpenedList trash(*user.doc, findTrashPlace(*user.doc));
    EXPECT_EQ(trash->size(), 3);
}

TEST_F(ExportTest, ChoicesThatCannotStartAnExport) {
    Export exporter(*user.doc);
    for (const char* bad : {"", "..", "a/b"}) {
        choices.fileName = bad;
        EXPECT_NE(exporter.start(choices, {}, {}), std::nullopt) << bad;
    }
    choices.fileName = "out.txt";
    choices.folder = user.dir / "missing";
    EXPECT_NE(exporter.start(choices, {}, {}), std::nullopt);
    choices.folder = user.dir.path();
    choices.place = 1;  // "電子ﾒｰﾙ", a folder without messages of its own
    EXPECT_NE(exporter.start(choices, {}, {}), std::nullopt);
}

}  // namespace
}  // namespace morvaline
