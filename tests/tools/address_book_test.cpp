// The address book: deleting nodes, collecting names, and CSV export and import, checked
// against Python's csv module.

#include "tools/address_csv.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/address_book.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

CAddrArray sampleBook() {
    CAddrArray book;
    book.addNode(-1, CAddr::kFolder, 0, "", sj("ｱﾄﾞﾚｽ帳"));
    const int friends = book.addNode(0, CAddr::kFolder, 0, "", sj("友人"));
    book.addNode(friends, CAddr::kEntry, 0, "MVL00002", sj("花子"));
    const int club = book.addNode(friends, CAddr::kFolder, 0, "", sj("ｸﾗﾌﾞ"));
    book.addNode(club, CAddr::kEntry, 0, "a@example.com", "Alice");
    book.addNode(friends, CAddr::kEntry, 0, "MVL00003", sj("次郎"));
    book.addNode(0, CAddr::kEntry, 0, "MVL00004", sj("三郎"));
    return book;
}

std::vector<std::string> names(const CAddrArray& book) {
    std::vector<std::string> out;
    for (const CAddr& a : book.nodes()) out.push_back(sjisToUtf8(a.name));
    return out;
}

TEST(AddressBook, NamesAreCollectedFromNestedFolders) {
    const CAddrArray book = sampleBook();
    std::string list;
    book.collectNames(1, list);
    EXPECT_EQ(list, sj("花子,Alice,次郎"));
    book.collectNames(6, list);
    EXPECT_EQ(list, sj("花子,Alice,次郎,三郎"));
    std::string all;
    book.collectNames(0, all);
    EXPECT_EQ(all, list);
    // A repeated name gets a number.
    CAddrArray twice = sampleBook();
    EXPECT_EQ(twice.nodes()[twice.addNode(0, CAddr::kEntry, 0, "x", sj("花子"))].name,
              sj("花子~1"));
    EXPECT_EQ(twice.nodes()[twice.addNode(0, CAddr::kEntry, 0, "y", sj("花子"))].name,
              sj("花子~2"));
}

TEST(AddressBook, DeletingKeepsEveryOtherLinkValid) {
    CAddrArray book = sampleBook();
    // An entry: the nodes after it move down by one.
    ASSERT_TRUE(book.deleteNode(2));
    EXPECT_TRUE(book.linksValid());
    EXPECT_EQ(names(book),
              (std::vector<std::string>{"ｱﾄﾞﾚｽ帳", "友人", "ｸﾗﾌﾞ", "Alice", "次郎", "三郎"}));
    EXPECT_EQ(book.nodes()[1].firstChild, 2);
    EXPECT_EQ(book.nodes()[3].parent, 2);
    EXPECT_EQ(book.nodes()[4].prev, 2);

    // A folder goes with everything in it; nothing is left pointing at it.
    ASSERT_TRUE(book.deleteNode(1));
    EXPECT_TRUE(book.linksValid());
    EXPECT_EQ(names(book), (std::vector<std::string>{"ｱﾄﾞﾚｽ帳", "三郎"}));
    EXPECT_EQ(book.nodes()[0].firstChild, 1);
    EXPECT_EQ(book.nodes()[1].prev, -1);
    EXPECT_EQ(book.addNode(0, CAddr::kEntry, 0, "z", "Z"), 2);
    EXPECT_TRUE(book.linksValid());

    EXPECT_FALSE(book.deleteNode(0));  // the root stays
    EXPECT_FALSE(book.deleteNode(9));
}

TEST(AddressBook, CsvRoundTripThroughPythonsCsvModule) {
    test::TempDir dir;
    CAddrArray book = sampleBook();
    book.addNode(0, CAddr::kEntry, 0, "MVL00005", sj("四郎"), sj("営業, 第一"), "",
                 sj("\"至急\"と\r\n二行目"));
    const std::string csv = ExportAddressCsv(book);
    EXPECT_NE(csv.find(sj("MVL00005,\"営業, 第一\",,\"\"\"至急\"\"と\r\n二行目\"\r\n")),
              std::string::npos);
    ASSERT_TRUE(writeFileAtomically(dir / "book.csv", csv));

    // Python reads what was written and writes it back in its own quoting.
    const auto python = test::runCommand(
        "PYTHONIOENCODING=utf-8 python3 -c 'import csv,sys\n"
        "rows = list(csv.reader(open(sys.argv[1], encoding=\"cp932\", newline=\"\")))\n"
        "print(len(rows), rows[-1][4].replace(\"\\r\\n\", \"|\"))\n"
        "w = csv.writer(open(sys.argv[2], \"w\", encoding=\"cp932\", newline=\"\"), "
        "quoting=csv.QUOTE_ALL)\n"
        "w.writerows(rows)' '" +
        (dir / "book.csv").string() + "' '" + (dir / "back.csv").string() + "'");
    ASSERT_EQ(python.status, 0) << python.output;
    EXPECT_EQ(python.output, "5 \"至急\"と|二行目\n");

    std::string back;
    ASSERT_TRUE(readWholeFile(dir / "back.csv", back));
    CAddrArray imported;
    imported.addNode(-1, CAddr::kFolder, 0, "", sj("ｱﾄﾞﾚｽ帳"));
    std::string error;
    ASSERT_EQ(ImportAddressCsv(imported, back, &error), 5) << error;
    ASSERT_EQ(imported.nodes().size(), 6u);
    const CAddr& last = imported.nodes()[5];
    EXPECT_EQ(last.address, "MVL00005");
    EXPECT_EQ(last.affiliation, sj("営業, 第一"));
    EXPECT_EQ(last.memo, sj("\"至急\"と\r\n二行目"));
    EXPECT_EQ(ExportAddressCsv(imported), csv);  // folders are not exported
}

TEST(AddressBook, CsvImportTakesShortLinesAndRefusesBrokenFiles) {
    CAddrArray book;
    book.addNode(-1, CAddr::kFolder, 0, "", sj("ｱﾄﾞﾚｽ帳"));
    std::string error;
    EXPECT_EQ(
        ImportAddressCsv(book, "Bob,MVL00006\n\r\n\"Ca\"\"rol\"x,\"a,b\",c,d,e,extra\n", &error),
        2);
    ASSERT_EQ(book.nodes().size(), 3u);
    EXPECT_EQ(book.nodes()[1].name, "Bob");
    EXPECT_EQ(book.nodes()[1].memo, "");
    EXPECT_EQ(book.nodes()[2].name, "Ca\"rolx");
    EXPECT_EQ(book.nodes()[2].address, "a,b");
    EXPECT_EQ(book.nodes()[2].memo, "e");

    // A quoted field that never closes: the line is named and nothing is added.
    EXPECT_FALSE(ImportAddressCsv(book, "Dave,x\nEve,\"open\nmore\n", &error));
    EXPECT_EQ(error, "line 2: a quoted field is never closed");
    EXPECT_EQ(book.nodes().size(), 3u);
}

}  // namespace
}  // namespace morvaline
