// End to end: the mail service of morvaline-cli patrols against ludrix-host: listing,
// reading, deleting, sending, forwarding, the sent list, and file mails both ways.

#include <gtest/gtest.h>

#include <cstdio>

#include "mail_patrol_fixture.h"
#include "support/private_mounts.h"

namespace morvaline {
namespace {

constexpr int kMails = 25;

// MVL00001 with 25 mails in pages of 15; MVL00002; MVL00003, who is away.
std::string world() {
    std::string mails;
    for (int n = 1; n <= kMails; ++n) {
        char mail[256];
        std::snprintf(
            mail, sizeof mail,
            R"(%s{"from": "MVL00002", "from_name": "ハナコ", "date": "1999/12/%02d 10:00:00",
                          "subject": "メール%02d", "state": "read", "body": ["本文%02dです。", "以上"]})",
            n == 1 ? "" : ",", n, n, n);
        mails += mail;
    }
    return R"({"host": {"page_size": 15},
 "users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00", "mailbox": [)" +
           mails + R"(]},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ", "login_notices": "off"},
  {"id": "MVL00003", "password": "taro", "handle": "タロウ", "login_notices": "off",
   "absence": {"period": "2000/01/01～2000/01/10", "message": ["旅行中です。"]}}
 ]})";
}

class MailPatrolTest : public MailPatrolFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start(world())); }
};

TEST_F(MailPatrolTest, APatrolListsReadsDeletesSendsAndForwardsMailAndTheNextStoresNothingTwice) {
    // The first patrol lists two pages and reads every new mail ("未読ﾒｰﾙを読む").
    patrol();
    std::vector<std::string> received = listed("2");
    ASSERT_EQ(received.size(), 1u + kMails) << received.front();
    EXPECT_NE(lineOf("2", "メール01").find("#1 "), std::string::npos);
    EXPECT_NE(lineOf("2", "メール25").find("#25 "), std::string::npos);
    auto shown = cli("show MVL00001 2 '#17'");
    EXPECT_NE(shown.output.find("文書名：メール17\r\n\r\n本文17です。\r\n以上"), std::string::npos)
        << shown.output;

    // Another terminal deleted mail 07 on the host: the next listing marks it deleted, with
    // number 0, and renumbers the others.
    changeWorld(
        "w[\"users\"][0][\"mailbox\"] = [m for m in w[\"users\"][0][\"mailbox\"] if m[\"subject\"] "
        "!= \"メール07\"]");
    patrol();
    EXPECT_EQ(listed("2").size(), 1u + kMails);
    const std::string gone = lineOf("2", "メール07");
    EXPECT_NE(gone.find("D]"), std::string::npos) << gone;
    EXPECT_EQ(gone.find('#'), std::string::npos) << gone;
    EXPECT_NE(lineOf("2", "メール08").find("#7 "), std::string::npos);

    // Twenty deletions, a mail to two IDs of which one is away, an internet mail, a forward,
    // and the sent list.
    for (int n = 1; n <= 21; ++n) {
        if (n == 7) continue;
        char title[16];
        std::snprintf(title, sizeof title, "メール%02d", n);
        auto reserved = cli("reserve-mail MVL00001 2 " +
                            std::to_string(std::stoi(lineOf("2", title))) + " delete");
        ASSERT_EQ(reserved.status, 0) << reserved.output;
    }
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "ご確認ください。\n..と書いた行\n"));
    const std::string body = " --body-file '" + (dir / "body.txt").string() + "' --reserve";
    ASSERT_EQ(cli("write MVL00001 mail --to MVL00002,MVL00003 --subject 連絡" + body).status, 0);
    ASSERT_EQ(cli("write MVL00001 mail --to someone@example.com --subject Hello" + body).status, 0);
    ASSERT_EQ(cli("write MVL00001 forward 2 " + std::to_string(std::stoi(lineOf("2", "メール24"))) +
                  " --to MVL00002 --subject 回覧" + body)
                  .status,
              0);
    ASSERT_EQ(cli("reserve MVL00001 14 1").status, 0);
    auto third = patrol(3);  // one addressee refused the mail
    EXPECT_NE(third.output.find("morvaline-cli patrol: the run ended normally, but 2 steps failed: "
                                "宛先 MVL00003 にはﾒｰﾙを送れませんでした; "
                                "すべてのID宛には送信できませんでした\n"),
              std::string::npos)
        << third.output;
    EXPECT_EQ(count(third.output, "を削除しました"), 2) << third.output;
    EXPECT_NE(third.output.find("ﾎｽﾄのﾒｰﾙ 20,19,18,17,16,15,14,13,12,11,10,9,8,7,6 を削除しました"),
              std::string::npos);
    EXPECT_NE(third.output.find("ﾎｽﾄのﾒｰﾙ 5,4,3,2,1 を削除しました"), std::string::npos);
    EXPECT_NE(third.output.find("宛先 MVL00003 にはﾒｰﾙを送れませんでした"), std::string::npos);

    EXPECT_EQ(inWorld("[m[\"subject\"] for m in w[\"users\"][0][\"mailbox\"]]"),
              "['メール22', 'メール23', 'メール24', 'メール25']");
    EXPECT_EQ(inWorld("[(m[\"subject\"], m[\"body\"][:2]) for m in w[\"users\"][1][\"mailbox\"]]"),
              "[('連絡', ['ご確認ください。', ' ..と書いた行']), ('回覧', ['ご確認ください。', ' "
              "..と書いた行'])]");
    EXPECT_EQ(
        inWorld(
            "any(\"本文24です。\" in line for line in w[\"users\"][1][\"mailbox\"][1][\"body\"])"),
        "True");
    EXPECT_EQ(inWorld("len(w[\"users\"][2][\"mailbox\"])"), "0");
    EXPECT_EQ(inWorld("[(m[\"to\"], m[\"subject\"]) for m in w[\"internet_outbox\"]]"),
              "[('INET#someone@example.com', 'Hello')]");

    for (const char* title : {"連絡", "Hello", "回覧"})
        EXPECT_EQ(lineOf("3", title).find("S]"), std::string::npos);
    EXPECT_NE(lineOf("3", "不在通知").find("MVL00003"), std::string::npos);
    for (const char* title : {"連絡", "Hello", "回覧"})
        EXPECT_NE(lineOf("14", title).find('#'), std::string::npos);
    int deleted = 0;
    for (const std::string& line : listed("2")) deleted += line.ends_with("D]") ? 1 : 0;
    EXPECT_EQ(deleted, 21);

    // Nothing is stored twice by the next patrol.
    const std::size_t receivedCount = listed("2").size();
    const std::size_t outgoingCount = listed("3").size();
    const std::size_t sentCount = listed("14").size();
    auto fourth = patrol();
    EXPECT_EQ(fourth.output.find("を送信しました"), std::string::npos) << fourth.output;
    EXPECT_EQ(listed("2").size(), receivedCount);
    EXPECT_EQ(listed("3").size(), outgoingCount);
    EXPECT_EQ(listed("14").size(), sentCount);
}

TEST_F(MailPatrolTest, FileMailsComeDownAndGoUpByRapidoxAndAnUploadResumes) {
    changeWorld(
        "w[\"users\"][0][\"mailbox\"] = [{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", "
        "\"date\": \"2000/01/04 09:00:00\", \"subject\": \"写真\", "
        "\"file\": {\"name\": \"PHOTO.DAT\", \"size\": 3000, \"seed\": 5, \"time\": \"2000/01/04 "
        "08:00:00\"}}]");
    patrol();
    std::string photo;
    ASSERT_TRUE(
        readWholeFile(dir / "data" / "morvaline" / "MVL00001" / "DOWN" / "PHOTO.DAT", photo));
    EXPECT_EQ(photo.size(), 3000u);
    EXPECT_EQ(lineOf("2", "写真").find('R'), std::string::npos);  // no reservation left

    // The host kept 999 bytes of an earlier upload of the file that broke off: it asks for
    // the file from its eighth block on.
    hostOptions = {"--set", "upload_resume=true"};
    changeWorld(
        "w[\"users\"][0][\"partial_uploads\"] = [{\"name\": \"report.bin\", \"base64\": \"" +
        std::string(999 / 3 * 4, '/') + "\"}]");
    ASSERT_TRUE(writeFileAtomically(dir / "report.bin", std::string(5000, '\xFF')));
    ASSERT_EQ(cli("write MVL00001 mail --to MVL00002 --subject 報告 --file '" +
                  (dir / "report.bin").string() + "' --reserve")
                  .status,
              0);
    patrol();
    EXPECT_EQ(
        inWorld("[(m[\"subject\"], m[\"file\"][\"name\"]) for m in w[\"users\"][1][\"mailbox\"]]"),
        "[('報告', 'report.bin')]");
    EXPECT_EQ(inWorld("__import__(\"base64\").b64decode(w[\"users\"][1][\"mailbox\"][0][\"file\"]["
                      "\"base64\"]) == b\"\\xff\" * 5000"),
              "True");
    EXPECT_EQ(lineOf("3", "報告").find("S]"), std::string::npos);
    EXPECT_EQ(inWorld("\"partial_uploads\" in w[\"users\"][0]"), "False");
}

// A download that the host cancels is a failed step of a run that ends normally: the exit
// status says so and a summary line names it; the reservation stays for the next run.
TEST_F(MailPatrolTest, AFailedDownloadEndsTheRunWithStatus3AndTheNextRunFetchesTheFile) {
    {
        // The host's lone CAN is taken after 0.5 s of quiet.
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeInt("MVL00001", "RapidoxQuietTime", 500);
        ASSERT_TRUE(registry.sync());
    }
    hostOptions = {"--transfer-fault", "can:2", "--fault-sessions", "1"};
    changeWorld(
        "w[\"users\"][0][\"mailbox\"] = [{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", "
        "\"date\": \"2000/01/04 09:00:00\", \"subject\": \"写真\", "
        "\"file\": {\"name\": \"PHOTO.DAT\", \"size\": 3000, \"seed\": 5}}]");
    auto failed = patrol(3);
    EXPECT_NE(failed.output.find("morvaline-cli patrol: the run ended normally, but 1 step failed: "
                                 "ﾒｰﾙ 1 のﾌｧｲﾙを受信できませんでした。予約はそのまま残してあります。\n"),
              std::string::npos)
        << failed.output;
    patrol();
    std::string photo;
    ASSERT_TRUE(
        readWholeFile(dir / "data" / "morvaline" / "MVL00001" / "DOWN" / "PHOTO.DAT", photo));
    EXPECT_EQ(photo.size(), 3000u);
}

// The disk fills up while a patrol downloads three file mails (a small file system of the
// test's own over the data folder): the run says it failed, every file in the download
// folder is either whole or a part, and the next patrol, with room again, fetches every
// file, resuming the parts, and leaves no reservation.
TEST_F(MailPatrolTest, AFullDiskLosesNoDownloadAndTheNextPatrolFetchesEveryFile) {
    if (!test::privateMountsAvailable()) GTEST_SKIP() << "no private mounts here";
    {
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeInt("MVL00001", "RapidoxQuietTime", 500);
        ASSERT_TRUE(registry.sync());
    }
    changeWorld(
        "w[\"users\"][0][\"mailbox\"] = [{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", "
        "\"date\": \"2000/01/04 09:0%d:00\" % i, \"subject\": \"写真%d\" % i, "
        "\"file\": {\"name\": \"PHOTO%d.DAT\" % i, \"size\": 200000, \"seed\": i}} "
        "for i in (1, 2, 3)]");
    const std::filesystem::path data = dir / "data";
    std::filesystem::copy(data, dir / "seed", std::filesystem::copy_options::recursive);
    const std::string down = "/morvaline/MVL00001/DOWN";
    const std::string script =
        "D='" + data.string() + "'; T='" + dir.path().string() + "'\n"
        "mount -t tmpfs -o size=400k none \"$D\" && cp -a \"$T/seed/.\" \"$D/\" || exit 90\n" +
        cliCommand("patrol MVL00001") + "\necho \"first status $?\"\n"
        "mkdir \"$T/first\" && cp -a \"$D/.\" \"$T/first/\"\n"
        "mount -o remount,size=8m \"$D\" || exit 91\n" +
        cliCommand("patrol MVL00001") + "\necho \"second status $?\"\n" +
        cliCommand("list MVL00001 2") + "\n"
        "python3 -c 'import random,sys; print(\"whole:\", all(open(\"%s/PHOTO%d.DAT\" % "
        "(sys.argv[1], i), \"rb\").read() == random.Random(i).randbytes(200000) for i in (1, 2, "
        "3)))' \"$D" + down + "\"\n"
        "ls \"$D" + down + "\"\n";
    ASSERT_TRUE(writeFileAtomically(dir / "full.sh", script));
    const auto run = test::runCommand("unshare -rm sh '" + (dir / "full.sh").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("first status 0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("予約はそのまま残してあります"), std::string::npos) << run.output;
    int parts = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir / ("first" + down))) {
        const bool part = file.path().extension() == ".part";
        parts += part;
        if (!part) {
            EXPECT_EQ(file.file_size(), 200000u) << file.path();
        }
    }
    EXPECT_GT(parts, 0);
    EXPECT_NE(run.output.find("second status 0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("whole: True\nPHOTO1.DAT\nPHOTO2.DAT\nPHOTO3.DAT\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(count(run.output, "  [NF]"), 3) << run.output;  // no reservation left
}

TEST_F(MailPatrolTest, AReplyAndAnInternetMailWithAFileArriveAsWritten) {
    changeWorld(
        "w[\"users\"][0][\"mailbox\"] = [{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", "
        "\"date\": \"2000/01/03 09:00:00\", \"subject\": \"相談\", "
        "\"body\": [\"明日の件です。\", \"よろしく\"]}]");
    patrol();

    // A reply from a template of one's own: the answered mail's fields, then its text quoted.
    ASSERT_TRUE(writeFileAtomically(
        dir / "template.txt",
        "(相手ﾊﾝﾄﾞﾙ名) さん\n(相手の日付 yyyy年M月d日) のメールについて\n\n(私のID)\n"));
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "承知しました。\n"));
    auto made = cli("template MVL00001 set 返事 --body-file '" + (dir / "template.txt").string() + "'");
    ASSERT_EQ(made.status, 0) << made.output;
    auto reply = cli("write MVL00001 reply 2 '#1' --template 返事 --reserve --body-file '" +
                     (dir / "body.txt").string() + "'");
    ASSERT_EQ(reply.status, 0) << reply.output;

    // An internet mail with a file goes up to the gateway as one MIME message.
    std::string data;
    for (int i = 0; i < 3000; ++i) data += static_cast<char>(i * 31 % 256);
    ASSERT_TRUE(writeFileAtomically(dir / "data.bin", data));
    ASSERT_TRUE(writeFileAtomically(dir / "note.txt", "ファイルを送ります。\n"));
    auto mail = cli("write MVL00001 mail --to someone@example.com --subject 写真です --reserve "
                    "--attach '" + (dir / "data.bin").string() + "' --body-file '" +
                    (dir / "note.txt").string() + "'");
    ASSERT_EQ(mail.status, 0) << mail.output;
    auto sent = patrol();
    EXPECT_EQ(count(sent.output, "を送信しました"), 2) << sent.output;

    EXPECT_EQ(inWorld("[(m[\"subject\"], m[\"body\"]) for m in w[\"users\"][1][\"mailbox\"]]"),
              "[('RE:相談', ['ハナコ さん', '2000年1月3日 のメールについて', '', '>明日の件です。', "
              "'>よろしく', '', '承知しました。', 'MVL00001'])]");
    auto decoded = test::runCommand(
        "PYTHONIOENCODING=utf-8 python3 -c '\n"
        "import base64, email, email.policy, json, sys\n"
        "w = json.load(open(sys.argv[1]))\n"
        "out = [m for m in w[\"internet_outbox\"] if m[\"file\"]]\n"
        "raw = base64.b64decode(out[0][\"file\"][\"base64\"])\n"
        "m = email.message_from_bytes(raw, policy=email.policy.default)\n"
        "parts = list(m.iter_parts())\n"
        "print(out[0][\"to\"], m[\"to\"], m[\"subject\"])\n"
        "print(parts[0].get_content().strip())\n"
        "print(parts[1].get_filename(), parts[1].get_payload(decode=True) == open(sys.argv[2], \"rb\").read())\n"
        "print(max(len(l) for l in raw.split(b\"\\r\\n\")) <= 76)\n"
        "' '" + worldFile + "' '" + (dir / "data.bin").string() + "'");
    EXPECT_EQ(decoded.status, 0) << decoded.output;
    EXPECT_EQ(decoded.output,
              "INET#someone@example.com someone@example.com 写真です\n"
              "ファイルを送ります。\n"
              "data.bin True\n"
              "True\n");
}

}  // namespace
}  // namespace morvaline
