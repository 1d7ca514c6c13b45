// morvaline-cli as its users run it: a separate process with its own settings folder.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/atomic_file.h"
#include "support/private_mounts.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

class CliTest : public ::testing::Test {
protected:
    test::TempDir dir;
    // morvaline-cli with its arguments and environment, as one command line.
    std::string command(const std::string& args, const std::string& password = "secret") {
        return "env MORVALINE_CONFIG_DIR='" + (dir / "config").string() + "' XDG_DATA_HOME='" +
               (dir / "data").string() + "' MORVALINE_PASSWORD='" + password + "' '" +
               test::buildProgram("src/app/morvaline-cli") + "' " + args;
    }
    test::ProgramResult cli(const std::string& args, const std::string& password = "secret") {
        return test::runCommand(command(args, password) + " </dev/null");
    }
    std::filesystem::path userFolder() const { return dir / "data/morvaline/MVL00001"; }
};

TEST_F(CliTest, NewUserTreeListShowAndEvents) {
    auto created = cli("new-user MVL00001 --handle デモ");
    ASSERT_EQ(created.status, 0) << created.output;
    EXPECT_NE(cli("new-user MVL00001").status, 0);  // exists already

    auto tree = cli("tree MVL00001");
    ASSERT_EQ(tree.status, 0) << tree.output;
    EXPECT_NE(tree.output.find("受信ﾒｰﾙ  [4 MAIL]  messages 1, unread 1  reserved: 未読ﾒｰﾙを読む (B)"),
              std::string::npos)
        << tree.output;
    auto list = cli("list MVL00001 受信ﾒｰﾙ");
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("Morvaline へようこそ  [UN]"), std::string::npos) << list.output;
    auto show = cli("show MVL00001 2 1");
    ASSERT_EQ(show.status, 0) << show.output;
    EXPECT_NE(show.output.find("自動巡回で LUDRIX に接続すると"), std::string::npos) << show.output;
    EXPECT_NE(cli("show MVL00001 2 9").status, 0);
    EXPECT_NE(cli("list MVL00001 nowhere").status, 0);

    auto events = cli("events MVL00001");
    EXPECT_NE(events.output.find("ﾕｰｻﾞｰ ID: MVL00001 を開きました"), std::string::npos);
}

TEST_F(CliTest, QueryPrintsOneLinePerResult) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    auto found = cli("query MVL00001 --kind 2 --field title ようこそ");
    ASSERT_EQ(found.status, 0) << found.output;
    EXPECT_NE(found.output.find("Morvaline へようこそ\tMorvaline\t"), std::string::npos) << found.output;
    EXPECT_NE(found.output.find("\t-\t受信ﾒｰﾙ\n"), std::string::npos) << found.output;
    EXPECT_NE(found.output.find("ｸｴﾘｰ結果 - \"ようこそ\" (1個見つかりました)"), std::string::npos);
    auto none = cli("query MVL00001 --place 受信ﾒｰﾙ --no-subfolders 見当たらない言葉");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.output.find("検索結果は0個でした"), std::string::npos) << none.output;
    EXPECT_EQ(cli("query MVL00001 --since 2024-02-30 x").status, 1);
    EXPECT_EQ(cli("query MVL00001 --since 2024-03-01 --until 2024-02-01 x").status, 1);
}

TEST_F(CliTest, ExportWritesTextAndPagesAndAsksBeforeOverwriting) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    const std::string out = (dir / "welcome.txt").string();
    auto text = cli("export MVL00001 受信ﾒｰﾙ --text '" + out + "'");
    ASSERT_EQ(text.status, 0) << text.output;
    std::string bytes;
    ASSERT_TRUE(readWholeFile(out, bytes));
    EXPECT_NE(bytes.find("Morvaline"), std::string::npos);
    auto again = cli("export MVL00001 受信ﾒｰﾙ --text '" + out + "' --append");
    ASSERT_EQ(again.status, 0) << again.output;
    std::string twice;
    ASSERT_TRUE(readWholeFile(out, twice));
    EXPECT_EQ(twice, bytes + bytes);

    std::filesystem::create_directory(dir / "site");
    const std::string site = (dir / "site/mail").string();
    ASSERT_EQ(cli("export MVL00001 受信ﾒｰﾙ --html '" + site + "'").status, 0);
    for (const char* name : {"mail_frm.htm", "mail_cnt.htm", "mail_welc.htm", "mail_style.css", "mail_00001.htm"})
        EXPECT_TRUE(std::filesystem::exists(dir / "site" / name)) << name;
    auto asked = cli("export MVL00001 受信ﾒｰﾙ --html '" + site + "'");
    EXPECT_EQ(asked.status, 1);  // no terminal to answer the overwrite question: No
    EXPECT_NE(asked.output.find("ｴｸｽﾎﾟｰﾄは中止されました"), std::string::npos) << asked.output;
    auto trash = cli("export MVL00001 受信ﾒｰﾙ --html '" + site + "' --overwrite --remove");
    EXPECT_EQ(trash.status, 0) << trash.output;  // the data set moves removed messages to the trash
    EXPECT_NE(cli("list MVL00001 ごみ箱").output.find("ようこそ"), std::string::npos);
    EXPECT_EQ(cli("export MVL00001 受信ﾒｰﾙ --text ../x --html y").status, 1);
}

TEST_F(CliTest, FailuresSayWhatWentWrong) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    auto wrong = cli("tree MVL00001", "other");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.output.find("ﾊﾟｽﾜｰﾄﾞが間違っています"), std::string::npos) << wrong.output;
    auto missing = cli("tree NOBODY");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("このﾕｰｻﾞｰID用のﾌｧｲﾙは見つかりませんでした"), std::string::npos);
    ASSERT_TRUE(writeFileAtomically(dir / "data/morvaline/MVL00001/MVL00001.KVR", "damaged"));
    auto damaged = cli("tree MVL00001");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.output.find("正常なｱﾌﾟﾘｹｰｼｮﾝ用のﾌｧｲﾙではありません"), std::string::npos);
    EXPECT_EQ(cli("no-such-command").status, 2);
}

TEST_F(CliTest, ACommandThatFailsAfterOpeningTheDataSetStillClosesItCleanly) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    for (const char* failing : {"list MVL00001 99", "show MVL00001 2 99", "show MVL00001 2 x",
                                "attachments MVL00001 2 99", "reserve MVL00001 1 1",
                                "pattern MVL00001 select nobody", "patrol MVL00001 extra",
                                "reserve-mail MVL00001 2 99 read",
                                "write MVL00001 forward 2 99 --to MVL00002"}) {
        auto failed = cli(failing);
        EXPECT_EQ(failed.status, 1) << failing << "\n" << failed.output;
        auto next = cli("tree MVL00001");
        EXPECT_EQ(next.status, 0) << next.output;
        EXPECT_EQ(next.output.find("正しく終了していません"), std::string::npos)
            << "after " << failing << ":\n" << next.output;
    }
}

TEST_F(CliTest, ADamagedOrMissingListIsReportedAndLeftAsItIs) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    const auto listFile = dir / "data/morvaline/MVL00001/MAIL.IA0";
    std::string whole;
    ASSERT_TRUE(readWholeFile(listFile, whole));
    const std::string truncated = whole.substr(0, whole.size() / 2);
    ASSERT_TRUE(writeFileAtomically(listFile, truncated));
    for (const char* command : {"list MVL00001 2", "show MVL00001 2 1", "reserve-mail MVL00001 2 1 read"}) {
        auto refused = cli(command);
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_NE(refused.output.find("the message list MAIL.IA0 of '受信ﾒｰﾙ' is damaged"), std::string::npos)
            << command << "\n" << refused.output;
    }
    auto tree = cli("tree MVL00001");
    EXPECT_NE(tree.output.find("受信ﾒｰﾙ  [4 MAIL]  ! list damaged"), std::string::npos) << tree.output;
    std::string after;
    ASSERT_TRUE(readWholeFile(listFile, after));
    EXPECT_EQ(after, truncated);

    std::filesystem::remove(listFile);
    auto lost = cli("list MVL00001 受信ﾒｰﾙ");
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.output.find("MAIL.IA0 of '受信ﾒｰﾙ' is missing, though its text file MAIL.JA0 holds messages"),
              std::string::npos)
        << lost.output;
    EXPECT_NE(cli("tree MVL00001").output.find("! list missing"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(listFile));
    // A place that never stored anything simply has no messages.
    EXPECT_NE(cli("list MVL00001 送信簿").output.find("holds no messages"), std::string::npos);
}

TEST_F(CliTest, ADamagedDocumentNamesTheBackupThatLoadsAndRestoreInstallsIt) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    ASSERT_EQ(cli("reserve MVL00001 2 2").status, 0);  // a save: the new user becomes BK1
    std::string document;
    ASSERT_TRUE(readWholeFile(userFolder() / "MVL00001.KVR", document));
    ASSERT_TRUE(writeFileAtomically(userFolder() / "MVL00001.KVR", document.substr(0, 300)));

    auto damaged = cli("tree MVL00001");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.output.find("の読み込みに失敗しました"), std::string::npos) << damaged.output;
    EXPECT_NE(damaged.output.find("the backup MVL00001.BK1 saved "), std::string::npos) << damaged.output;
    EXPECT_NE(damaged.output.find(" minutes ago) loads: 'morvaline-cli restore MVL00001' puts it in place"),
              std::string::npos)
        << damaged.output;

    EXPECT_EQ(cli("restore MVL00001 --from BK3").status, 1);  // there is none
    auto restored = cli("restore MVL00001");
    ASSERT_EQ(restored.status, 0) << restored.output;
    EXPECT_NE(restored.output.find("restored the backup MVL00001.BK1"), std::string::npos) << restored.output;
    EXPECT_NE(restored.output.find("kept as " + (userFolder() / "MVL00001.KVR.damaged").string()),
              std::string::npos)
        << restored.output;
    auto tree = cli("tree MVL00001");
    EXPECT_EQ(tree.status, 0) << tree.output;
    EXPECT_NE(tree.output.find("未読ﾒｰﾙを読む"), std::string::npos) << tree.output;  // as before the change

    std::filesystem::remove(userFolder() / "MVL00001.KVR");  // a deleted document, too
    EXPECT_NE(cli("list MVL00001 2").output.find("the backup MVL00001.BK1"), std::string::npos);
}

TEST_F(CliTest, AReadOnlyDataFolderIsReadButNotWrittenAndSaysWhy) {
    if (!test::privateMountsAvailable()) GTEST_SKIP() << "no user namespaces for a read-only folder";
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    auto readOnly = [&](const std::string& args) {
        return test::runCommand(test::withReadOnlyFolder(userFolder(), command(args)) + " </dev/null");
    };
    for (const char* reading : {"tree MVL00001", "list MVL00001 2", "show MVL00001 2 1", "events MVL00001"}) {
        auto read = readOnly(reading);
        EXPECT_EQ(read.status, 0) << reading << "\n" << read.output;
    }
    for (const char* writing : {"reserve MVL00001 2 2", "patrol MVL00001", "reserve-mail MVL00001 2 1 read"}) {
        auto refused = readOnly(writing);
        EXPECT_EQ(refused.status, 1) << writing;
        EXPECT_NE(refused.output.find(userFolder().string() + "\nﾌｫﾙﾀﾞに書き込めません (Read-only file system)"),
                  std::string::npos)
            << writing << "\n" << refused.output;
        EXPECT_EQ(refused.output.find("使用中"), std::string::npos) << refused.output;
    }
    // Nothing was written: the data set was closed cleanly before and still is.
    EXPECT_EQ(cli("tree MVL00001").output.find("正しく終了していません"), std::string::npos);
}

TEST_F(CliTest, TheOldUserParameterWithItsPasswordIsUnderstood) {
    ASSERT_EQ(cli("new-user MVL00001").status, 0);
    const std::string cliPath = test::buildProgram("src/app/morvaline-cli");
    const std::string env = "MORVALINE_CONFIG_DIR='" + (dir / "config").string() + "' XDG_DATA_HOME='" +
                            (dir / "data").string() + "' ";
    EXPECT_EQ(test::runCommand(env + "'" + cliPath + "' tree 'MVL00001;secret' </dev/null").status, 0);
    auto wrong = test::runCommand(env + "'" + cliPath + "' tree 'MVL00001;other' </dev/null");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.output.find("other"), std::string::npos);  // never echoed
}

TEST_F(CliTest, DecodeSavesAttachmentsWithoutOverwriting) {
    const std::string mail =
        "From: a@example.jp\n"
        "Subject: files\n"
        "MIME-Version: 1.0\n"
        "Content-Type: multipart/mixed; boundary=\"XX\"\n"
        "\n"
        "--XX\n"
        "Content-Type: text/plain; charset=us-ascii\n"
        "\n"
        "see the file\n"
        "--XX\n"
        "Content-Type: application/octet-stream; name=\"../../evil.bin\"\n"
        "Content-Transfer-Encoding: base64\n"
        "\n"
        "aGVsbG8=\n"
        "--XX--\n";
    ASSERT_TRUE(writeFileAtomically(dir / "mail.eml", mail));
    std::filesystem::create_directory(dir / "out");
    for (int round = 0; round < 2; ++round) {
        auto decoded = cli("decode '" + (dir / "mail.eml").string() + "' --save '" + (dir / "out").string() + "'");
        ASSERT_EQ(decoded.status, 0) << decoded.output;
        EXPECT_NE(decoded.output.find("see the file"), std::string::npos) << decoded.output;
    }
    std::string saved;
    ASSERT_TRUE(readWholeFile(dir / "out/evil.bin", saved));
    EXPECT_EQ(saved, "hello");
    EXPECT_TRUE(std::filesystem::exists(dir / "out/evil (2).bin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "evil.bin"));
}

TEST_F(CliTest, WritingFromTemplatesAndTheAddressBook) {
    ASSERT_EQ(cli("new-user MVL00001 --handle 太郎").status, 0);
    ASSERT_TRUE(writeFileAtomically(dir / "t.txt", "(相手ﾊﾝﾄﾞﾙ名)様 (笑)\n\n(私のﾊﾝﾄﾞﾙ名)\n"));
    auto set = cli("template MVL00001 set お礼 --body-file '" + (dir / "t.txt").string() +
                   "' --title 御礼 --counting on");
    ASSERT_EQ(set.status, 0) << set.output;
    EXPECT_EQ(set.output, "template #8  お礼\n");
    EXPECT_NE(cli("template MVL00001 list").output.find("#8  お礼  title: 御礼  RE^n"),
              std::string::npos);
    EXPECT_EQ(cli("template MVL00001 show お礼").output, "(相手ﾊﾝﾄﾞﾙ名)様 (笑)\n\n(私のﾊﾝﾄﾞﾙ名)\n\n");
    EXPECT_EQ(cli("template MVL00001 use 電子ﾒｰﾙの送信 '#8'").status, 0);
    EXPECT_NE(cli("template MVL00001 show nothing").status, 0);

    // Addressees by name; a text from the template; what cannot be sent is refused.
    EXPECT_EQ(cli("addr MVL00001 add 花子 MVL00002").status, 0);
    auto written = cli("write MVL00001 mail --to 花子 --reserve");
    ASSERT_EQ(written.status, 0) << written.output;
    EXPECT_NE(cli("list MVL00001 3").output.find("花子 (太郎)  御礼  [RS]"), std::string::npos);
    EXPECT_EQ(cli("setting MVL00001 strict-ids on").status, 0);
    auto strict = cli("write MVL00001 mail --to たろう");
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.output.find("宛先IDが正しく指定されていません: たろう"), std::string::npos);
    auto lossy = cli("write MVL00001 mail --to a@example.com --subject ①の件 --no-template --reserve");
    EXPECT_EQ(lossy.status, 0);
    EXPECT_NE(lossy.output.find("not reserved: internet mail cannot carry ①"), std::string::npos)
        << lossy.output;
    EXPECT_EQ(cli("reserve-mail MVL00001 3 2 send").status, 1);
    EXPECT_EQ(cli("reserve-mail MVL00001 3 2 send --allow-lossy").status, 0);
    EXPECT_EQ(cli("setting MVL00001 line-width 200").status, 1);
    EXPECT_EQ(cli("setting MVL00001 own-domain 'a b'").status, 1);
    EXPECT_EQ(cli("setting MVL00001 own-domain example.org").output, "own-domain = example.org\n");

    // A malformed CSV file imports nothing; what is exported imports again.
    ASSERT_TRUE(writeFileAtomically(dir / "bad.csv", "A,1\nB,\"open\n"));
    auto bad = cli("addr MVL00001 import '" + (dir / "bad.csv").string() + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("line 2"), std::string::npos) << bad.output;
    ASSERT_EQ(cli("addr MVL00001 export '" + (dir / "book.csv").string() + "'").status, 0);
    EXPECT_EQ(cli("addr MVL00001 import '" + (dir / "book.csv").string() + "'").output,
              "1 entries imported\n");
    EXPECT_EQ(cli("addr MVL00001 list").output, "花子  MVL00002\n花子~1  MVL00002\n");
    EXPECT_EQ(cli("addr MVL00001 remove 花子~1").status, 0);

    // A forward composed for the gateway: new addressing, then the mail passed on.
    ASSERT_EQ(cli("write MVL00001 forward 2 1 --to 花子,b@example.com --no-template").status, 0);
    auto composed = cli("compose MVL00001 3 3 --out '" + (dir / "fw.eml").string() + "'");
    ASSERT_EQ(composed.status, 0) << composed.output;
    std::string eml;
    ASSERT_TRUE(readWholeFile(dir / "fw.eml", eml));
    EXPECT_TRUE(eml.starts_with("From: =?ISO-2022-JP?B?"));
    EXPECT_NE(eml.find("To: MVL00002, b@example.com\r\nSubject: FW:Morvaline =?ISO-2022-JP?B?"),
              std::string::npos);
    // The welcome mail is a host mail: its text follows as ISO-2022-JP, never as 8-bit bytes.
    EXPECT_NE(eml.find("charset=iso-2022-jp\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(std::all_of(eml.begin(), eml.end(), [](char c) { return (c & 0x80) == 0; }));
    EXPECT_NE(cli("compose MVL00001 2 1 --out x").status, 0);  // a received mail
    EXPECT_NE(cli("addr MVL00001 import '" + (dir / "none.csv").string() + "'").output.find("がｵｰﾌﾟﾝできません"),
              std::string::npos);
}

}  // namespace
}  // namespace morvaline
