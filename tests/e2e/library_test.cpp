// End to end: the library service of morvaline-cli patrols against ludrix-host, over the
// host's screen variants (the two file list headings, a list that answers "RV" first, the
// protocol menu with Rapidox in ASCII or full-width digits, first, or not at all): the
// section list refresh, file lists of several pages in both entry forms, a description,
// downloads (one refused, one in a batch of two files), and uploads (registered with their
// document, comment and classification whichever way the host confirms them; one the host
// turns down with the transfer's "S").

#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/mail_patrol_fixture.h"

namespace morvaline {
namespace {

std::string files() {
    std::string out;
    for (int n = 1; n <= 12; ++n) {
        char date[32];
        std::snprintf(date, sizeof date, "1999/11/%02d 10:00:00", n);
        out += std::string(n > 1 ? "," : "") + R"({"name": "FILE)" + std::to_string(n) + R"(.LZH", "date": ")" +
               date + R"(", "size": )" + std::to_string(1000 * n) + R"(, "seed": )" + std::to_string(n) +
               R"(, "access": )" + std::to_string(n * 3) + (n == 4 ? R"(, "dotted": false)" : "") +
               (n == 3 ? R"(, "description": ["便利な道具です。", "二行目"])" : "") +
               (n == 5 ? R"(, "also": ["FILE6.LZH"])" : "") + "}";
    }
    // A hostile name: the download must still land in the download folder.
    return out + R"(, {"name": "../../EVIL.LZH", "date": "1999/11/13 10:00:00", "size": 99, "seed": 13,
                       "access": 9999999})";
}

std::string world(const std::string& layout) {
    return R"({"host": {"page_size": 5}, "library_layout": )" + layout + R"(,
 "users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
            "last_logout": "2000/01/04 22:00:00"}],
 "sigs": [{"code": "PCSIG", "name": "パソコンＳＩＧ", "forums": [{"number": 1, "name": "総合"}],
   "libraries": [{"number": 2, "name": "ライブラリ", "sections": [
     {"number": 4, "name": "ツール", "files": [)" + files() + R"(]},
     {"number": 5, "name": "ゲーム"}]}]}]})";
}

class LibraryPatrolTest : public MailPatrolFixture, public ::testing::WithParamInterface<const char*> {
protected:
    std::string section() { return "PCSIG/2/4"; }
    int firstNumber(const std::string& output) { return std::stoi(output); }
};

std::string layoutName(const ::testing::TestParamInfo<const char*>& info) {
    constexpr const char* kNames[] = {"AccessHeading", "PriceHeadingBackwardWide", "NoRapidoxLine"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Layouts, LibraryPatrolTest,
                         ::testing::Values(R"({})",
                                           R"({"header": "price", "list_mode": "bm", "protocols": "wide",
                                               "confirm": "twice"})",
                                           R"({"protocols": "none", "confirm": "return"})"),
                         layoutName);

TEST_P(LibraryPatrolTest, SectionsFileListsDescriptionsAndDownloads) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam())));
    const auto added = cli("forum MVL00001 library PCSIG 2 --title ＰＣ --sections 4,6");
    ASSERT_EQ(added.status, 0) << added.output;
    const std::string library = std::to_string(firstNumber(added.output));
    ASSERT_EQ(cli("reserve MVL00001 " + library + " 1").status, 0);
    ASSERT_EQ(cli("reserve MVL00001 " + section() + " 1").status, 0);

    const auto first = patrol();
    for (const char* said : {"新しいOSL 'ゲーム' を追加しました", "OSL名が 'ツール' に変更されました",
                             "OSL 'ｾｸｼｮﾝ6' が見つかりませんでした。閉鎖された可能性があります。",
                             "OSL 'ツール' へ移動しました"})
        EXPECT_NE(first.output.find(said), std::string::npos) << said << "\n" << first.output;
    std::vector<std::string> lines = listed(section());
    ASSERT_EQ(lines.size(), 13u) << first.output;
    EXPECT_NE(lines[0].find("#1 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("FILE1.LZH"), std::string::npos) << lines[0];
    EXPECT_NE(lines[11].find("12000 bytes"), std::string::npos) << lines[11];

    // A description, a download of a file with a second one in its batch, and a download of
    // a file the host no longer has.
    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#3' read").status, 0);
    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#5' download").status, 0);
    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#7' download").status, 0);
    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#13' download").status, 0);
    ASSERT_NO_FATAL_FAILURE(changeWorld("del w[\"sigs\"][0][\"libraries\"][0][\"sections\"][0][\"files\"][6]"));
    const auto second = patrol();
    for (const char* said : {"\"FILE7.LZH\"ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙはありません。", "'FILE5.LZH' をﾀﾞｳﾝﾛｰﾄﾞしました"})
        EXPECT_NE(second.output.find(said), std::string::npos) << said << "\n" << second.output;
    EXPECT_NE(cli("show MVL00001 " + section() + " '#3'").output.find("便利な道具です。"), std::string::npos);
    const std::string five = lineOf(section(), "FILE5.LZH");
    const std::size_t at = five.find("5000 bytes  ");
    ASSERT_NE(at, std::string::npos) << five;
    const std::filesystem::path path = five.substr(at + 12);
    EXPECT_EQ(std::filesystem::file_size(path), 5000u);
    EXPECT_EQ(std::filesystem::file_size(path.parent_path() / "FILE6.LZH"), 6000u);
    const std::string evil = lineOf(section(), "../../EVIL.LZH");
    const std::size_t evilAt = evil.find("99 bytes  ");
    ASSERT_NE(evilAt, std::string::npos) << evil;
    EXPECT_EQ(std::filesystem::path(evil.substr(evilAt + 10)).parent_path(), path.parent_path()) << evil;
    EXPECT_EQ(inWorld(R"(w["sigs"][0]["libraries"][0]["sections"][0]["files"][4]["access"])"), "16");
    EXPECT_NE(second.output.find("同時に受信したﾌｧｲﾙ: " + (path.parent_path() / "FILE6.LZH").string()),
              std::string::npos) << second.output;
    // The download that reached the host's menu used its reservation; the refused one waits.
    const auto third = patrol();
    EXPECT_EQ(third.output.find("をﾀﾞｳﾝﾛｰﾄﾞしました"), std::string::npos) << third.output;
    EXPECT_NE(third.output.find("\"FILE7.LZH\"ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙはありません。"), std::string::npos);
}

TEST_P(LibraryPatrolTest, ADownloadCutOffResumesWhenReservedAgain) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam())));
    ASSERT_EQ(cli("forum MVL00001 library PCSIG 2 --sections 4").status, 0);
    ASSERT_EQ(cli("reserve MVL00001 " + section() + " 1").status, 0);
    patrol();
    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#12' download").status, 0);
    // The next host cuts the line inside the transfer.
    hostOptions = {"--transfer-fault", "cut:4", "--fault-sessions", "1"};
    ASSERT_NO_FATAL_FAILURE(changeWorld("pass"));
    const auto cut = cli("patrol MVL00001");
    EXPECT_NE(cut.status, 0) << cut.output;
    // The host reached its download menu: the reservation is used, no path is recorded, and
    // the part received waits in the download folder.
    EXPECT_EQ(lineOf(section(), "FILE12.LZH").find("12000 bytes  "), std::string::npos);
    const std::filesystem::path down = dir / "data" / "morvaline" / "MVL00001" / "DOWN";
    std::uintmax_t partial = 0;
    for (const auto& entry : std::filesystem::directory_iterator(down)) partial += entry.file_size();
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, 12000u);

    ASSERT_EQ(cli("reserve-item MVL00001 " + section() + " '#12' download").status, 0);
    const auto resumed = patrol();
    EXPECT_NE(resumed.output.find("'FILE12.LZH' をﾀﾞｳﾝﾛｰﾄﾞしました"), std::string::npos) << resumed.output;
    const std::string twelve = lineOf(section(), "FILE12.LZH");
    const std::size_t at = twelve.find("12000 bytes  ");
    ASSERT_NE(at, std::string::npos) << twelve;
    EXPECT_EQ(std::filesystem::file_size(twelve.substr(at + 13)), 12000u);
}

TEST_P(LibraryPatrolTest, UploadsAreRegisteredWithTheirDocumentCommentAndClassification) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam())));
    ASSERT_EQ(cli("forum MVL00001 library PCSIG 2 --sections 4").status, 0);
    std::string content;
    for (int i = 0; i < 3000; ++i) content += static_cast<char>(i * 7 % 256);
    const std::string tool = (dir / "tool.lzh").string();
    const std::string again = (dir / "FILE1.LZH").string();
    ASSERT_TRUE(writeFileAtomically(tool, content));
    ASSERT_TRUE(writeFileAtomically(again, "again"));
    ASSERT_TRUE(writeFileAtomically((dir / "doc.txt").string(), "使い方です。\n..で始まる行\n"));
    const auto written = cli("write MVL00001 upload " + section() + " --file " + tool +
                             " --subject 便利な道具 --body-file " + (dir / "doc.txt").string() + " --kind 3 --reserve");
    ASSERT_EQ(written.status, 0) << written.output;
    // A name the section holds already: the host skips the file during the transfer.
    ASSERT_EQ(cli("write MVL00001 upload " + section() + " --file " + again + " --subject 二度目 --reserve").status, 0);

    const auto first = patrol(3);
    EXPECT_NE(first.output.find("'便利な道具' をｱｯﾌﾟﾛｰﾄﾞしました"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("'二度目' へﾌｧｲﾙをｱｯﾌﾟﾛｰﾄﾞできません"), std::string::npos) << first.output;
    const std::string added = R"(w["sigs"][0]["libraries"][0]["sections"][0]["files"][-1])";
    EXPECT_EQ(inWorld(added + R"(["name"] == "TOOL.LZH" and )" + added + R"(["comment"] == "便利な道具" and )" +
                      added + R"(["classification"] == {"kind": 4, "text": ""} and )" + added +
                      R"(["description"] == ["使い方です。", " ..で始まる行"])"),
              "True");
    EXPECT_EQ(inWorld("__import__(\"base64\").b64decode(" + added + "[\"base64\"]) == open(\"" + tool +
                      "\", \"rb\").read()"),
              "True");

    // The registered upload is never sent again; the one turned down still waits.
    const auto second = patrol(3);
    EXPECT_EQ(second.output.find("をｱｯﾌﾟﾛｰﾄﾞしました"), std::string::npos) << second.output;
    EXPECT_NE(second.output.find("'二度目' へﾌｧｲﾙをｱｯﾌﾟﾛｰﾄﾞできません"), std::string::npos) << second.output;
    EXPECT_EQ(inWorld(R"(len(w["sigs"][0]["libraries"][0]["sections"][0]["files"]))"), "14");
}

TEST_P(LibraryPatrolTest, ASectionOutsideALibraryIsReachedByItsPath) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam())));
    ASSERT_EQ(cli("place MVL00001 add section PCSIG/2/4 --title 道具箱").status, 0);
    ASSERT_EQ(cli("reserve MVL00001 道具箱 1").status, 0);
    const auto first = patrol();
    EXPECT_NE(first.output.find("OSL '道具箱' へ移動しました"), std::string::npos) << first.output;
    ASSERT_EQ(listed("道具箱").size(), 13u) << first.output;
    ASSERT_EQ(cli("reserve-item MVL00001 道具箱 '#3' read").status, 0);
    patrol();
    EXPECT_NE(cli("show MVL00001 道具箱 '#3'").output.find("便利な道具です。"), std::string::npos);
}

}  // namespace
}  // namespace morvaline
