// End to end: patrols against hosts that differ in every detail their description leaves
// open (ludrix-host's settings): how lists pad numbers and dates and cut subjects, the
// first header line and the header's spacing and lines, whether a deletion is confirmed in
// words, when "メールは届いていません。" is said, a notice list that stops for the return
// key, the order of the goodbye texts. On each, three patrols must read every mail once,
// mark nothing deleted that is on the host, save no file under another mail, and store the
// host's logout time.

#include <cstdio>
#include <filesystem>
#include <map>
#include <span>

#include "mail_patrol_fixture.h"
#include "message/mail_display.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

constexpr int kReceived = 2;  // the received-mail place of a new data set

struct HostVariant {
    const char* name;
    std::vector<const char*> settings;  // host settings, NAME=VALUE
};

void PrintTo(const HostVariant& variant, std::ostream* out) {
    *out << variant.name;
}

// The names are those of the tests in CMakeLists.txt.
const HostVariant kVariants[] = {
    {"AsDescribed", {}},
    {"DateFirstBlankPadded",
     {"header_first_line=date", "header_gap=true", "title_blank=　", "extra_recipients=20",
      "list_numbers=left", "date_padding=blank", "list_subject_width=20", "delete_notice=false",
      "notice_page=1", "logout=farewell-first"}},
    {"ZeroPaddedNoMailWhenAllRead",
     {"list_numbers=zero", "title_blank= ", "no_mail=no-unread", "notice_page=2",
      "logout=date-only"}},
};

// A mail of the host's world and what its display shows (nothing for a file mail).
struct WorldMail {
    const char* subject;
    const char* fields;  // the mail's other JSON fields
    const char* shown;
    const char* file = nullptr;  // the name of the file it carries
    int seed = 0;                // of the file's bytes
};

const WorldMail kFirstMails[] = {
    {"テキスト01",
     R"("from": "MVL00002", "from_name": "ハナコ", "date": "1999/12/01 10:00:00", "body": ["本文01です。"])",
     "本文01です。"},
    {"テキスト02",
     R"("from": "MVL00002", "from_name": "ハナコ", "date": "1999/12/02 10:00:00", "body": ["本文02です。"])",
     "本文02です。"},
    {"テキスト03",
     R"("from": "MVL00003", "from_name": "タロウ", "date": "1999/12/03 10:00:00", "body": ["本文03です。"])",
     "本文03です。"},
    {"第三四半期の報告書と来期の計画について",
     R"("from": "MVL00002", "from_name": "ハナコ", "date": "1999/12/04 10:00:00", "body": ["報告です。"])",
     "報告です。"},
    {"Hello from the net",
     R"("from": "INET#ichiro@example.com", "from_name": "Ichiro", "date": "1999/12/05 10:00:00", "compose": {"text": "ネットからの本文"})",
     "ネットからの本文"},
    {"No header block",
     R"("from": "INET#plain@example.com", "date": "1999/12/06 10:00:00", "body": ["header-less text"])",
     "header-less text"},
    {"写真A",
     R"("from": "MVL00003", "from_name": "タロウ", "date": "1999/12/07 10:00:00", "file": {"name": "PHOTO_A.DAT", "size": 1000, "seed": 1})",
     "", "PHOTO_A.DAT", 1},
};
// Mails that arrive after the first patrol, numbered after the ones deleted then. (Each
// file takes some ten seconds: the end of a transfer is a control byte that counts only
// after as long a silence.)
const WorldMail kLaterMails[] = {
    {"テキスト09",
     R"("from": "MVL00002", "from_name": "ハナコ", "date": "2000/01/05 09:00:00", "body": ["本文09です。"])",
     "本文09です。"},
    {"写真C",
     R"("from": "MVL00002", "from_name": "ハナコ", "date": "2000/01/05 09:30:00", "file": {"name": "PHOTO_C.DAT", "size": 700, "seed": 3})",
     "", "PHOTO_C.DAT", 3},
};
const char* const kDeleted[] = {"テキスト01", "テキスト02"};

std::string mailsJson(std::span<const WorldMail> mails) {
    std::string json;
    for (const WorldMail& m : mails)
        json += std::string(json.empty() ? "" : ",") + R"({"subject": ")" + m.subject + "\", " +
                m.fields + "}";
    return "[" + json + "]";
}

std::string world() {
    return R"({"notices": [
  {"number": 1, "date": "2000/01/05 09:00:00", "title": "お知らせ1"},
  {"number": 2, "date": "2000/01/05 09:00:00", "title": "お知らせ2"},
  {"number": 3, "date": "2000/01/05 09:00:00", "title": "お知らせ3"}],
 "users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "last_logout": "2000/01/04 22:00:00",
   "mailbox": )" +
           mailsJson(kFirstMails) + R"(},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ"},
  {"id": "MVL00003", "password": "taro", "handle": "タロウ"}]})";
}

class MailHostVariants : public MailPatrolFixture,
                         public ::testing::WithParamInterface<HostVariant> {
protected:
    void SetUp() override {
        std::vector<std::string> options;
        for (const char* setting : GetParam().settings) {
            options.push_back("--set");
            options.push_back(setting);
        }
        ASSERT_NO_FATAL_FAILURE(start(world(), options));
    }

    // The bytes the host makes for a file of this seed and size.
    std::string seededFile(int seed, int size) {
        const std::string path = (dir / ("seed" + std::to_string(seed))).string();
        const auto made = test::runCommand(
            "python3 -c 'import random,sys; open(sys.argv[1], \"wb\").write(random.Random(" +
            std::to_string(seed) + ").randbytes(" + std::to_string(size) + "))' '" + path + "'");
        EXPECT_EQ(made.status, 0) << made.output;
        std::string bytes;
        EXPECT_TRUE(readWholeFile(path, bytes));
        return bytes;
    }

    // Checks the stored received mail against the host's mails: each present one stored
    // once, read or downloaded into its own file, none marked deleted; each deleted one
    // marked so. The logout time of the host's fixed clock is stored.
    void checkStore(std::span<const WorldMail> present, std::span<const char* const> deleted) {
        Registry registry(dir / "config" / "Morvaline.conf");
        auto opened =
            CTolDoc::open({dir / "data" / "morvaline", "MVL00001", "morvaline"}, registry);
        ASSERT_TRUE(opened.doc) << sjisToUtf8(opened.error);
        CTolDoc& doc = *opened.doc;
        EXPECT_EQ(doc.time(doctime::kLastLogout), *fileTimeFromFields({2000, 1, 5, 10, 0, 0, 0}));
        {
            OpenedList list(doc, kReceived);
            ASSERT_TRUE(list);
            // The stored mails by subject; the list may have shown a subject cut short.
            std::map<std::string, std::vector<CItem>> stored;
            for (int i = 1; i < list->size(); ++i) {
                const CItem item = list->item(i);
                if (item.m_nKind != kind::kReceivedMailMessage || item.m_szTitle.empty()) continue;
                for (const WorldMail& m : kFirstMails)
                    if (sj(m.subject).starts_with(item.m_szTitle.view()))
                        stored[m.subject].push_back(item);
                for (const WorldMail& m : kLaterMails)
                    if (sj(m.subject).starts_with(item.m_szTitle.view()))
                        stored[m.subject].push_back(item);
            }
            for (const char* subject : deleted) {
                SCOPED_TRACE(subject);
                ASSERT_EQ(stored[subject].size(), 1u);
                EXPECT_TRUE(stored[subject][0].hasFlag(ITEM_FLAG_DELETED));
            }
            for (const WorldMail& m : present) {
                SCOPED_TRACE(m.subject);
                ASSERT_EQ(stored[m.subject].size(), 1u);
                const CItem& item = stored[m.subject][0];
                EXPECT_FALSE(item.hasFlag(ITEM_FLAG_DELETED));
                EXPECT_EQ(item.m_nReserve, -1);
                if (m.file) {
                    const std::filesystem::path path = item.m_strPath.str();
                    EXPECT_EQ(path.filename().string(), m.file);
                    std::string bytes;
                    EXPECT_TRUE(readWholeFile(path, bytes));
                    EXPECT_GT(bytes.size(), 0u);
                    EXPECT_EQ(bytes, seededFile(m.seed, static_cast<int>(bytes.size())));
                } else {
                    const auto text = list->readText(item.m_nOffset, item.m_nLength);
                    ASSERT_TRUE(text && !text->empty());
                    EXPECT_NE(MailDisplayText(*text, item.m_dwFlags, nullptr).find(sj(m.shown)),
                              std::string::npos)
                        << sjisToUtf8(*text);
                }
            }
        }
        doc.close();
    }

    // How often the host showed each mail: "文書名：" lines in the captured text.
    int timesShown(const char* subject) {
        std::string log;
        EXPECT_TRUE(readWholeFile(dir / "data/morvaline/MVL00001/LOG/LUDRIX.LOG", log));
        const std::string label = sj("文書名：");
        int shown = 0;
        std::istringstream in(log);
        for (std::string line; std::getline(in, line);)
            if (line.starts_with(label) && line.find(sj(subject)) != std::string::npos) ++shown;
        return shown;
    }
};

TEST_P(MailHostVariants, EveryMailIsReadOnceAndNothingOnTheHostIsMarkedDeleted) {
    const std::string matched =
        "実際の前回ﾛｸﾞｱｳﾄとMorvalineによる前回ﾛｸﾞｱｳﾄと時刻が一致しています。";
    // The first patrol reads every mail and downloads the files.
    const auto first = patrol();
    EXPECT_NE(first.output.find("ﾛｸﾞｲﾝに成功しました"), std::string::npos) << first.output;
    ASSERT_NO_FATAL_FAILURE(checkStore(kFirstMails, {}));

    // Two mails are to be deleted, one forwarded; two more arrive. The second patrol
    // deletes, and the host numbers its mails anew before the new ones are read.
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "回覧します。\n"));
    const auto forward =
        cli("write MVL00001 forward 2 " + std::to_string(std::stoi(lineOf("2", "テキスト03"))) +
            " --to MVL00002 --subject 回覧 --body-file '" + (dir / "body.txt").string() +
            "' --reserve");
    ASSERT_EQ(forward.status, 0) << forward.output;
    for (const char* subject : kDeleted) {
        const auto reserved = cli("reserve-mail MVL00001 2 " +
                                  std::to_string(std::stoi(lineOf("2", subject))) + " delete");
        ASSERT_EQ(reserved.status, 0) << reserved.output;
    }
    ASSERT_TRUE(writeFileAtomically(dir / "later.json", mailsJson(kLaterMails)));
    ASSERT_NO_FATAL_FAILURE(changeWorld("w[\"users\"][0][\"mailbox\"] += json.load(open(\"" +
                                        (dir / "later.json").string() + "\"))"));
    const auto second = patrol();
    EXPECT_NE(second.output.find(matched), std::string::npos) << second.output;
    EXPECT_EQ(inWorld("[m[\"subject\"] for m in w[\"users\"][0][\"mailbox\"] if m[\"subject\"] in "
                      "(\"テキスト01\", \"テキスト02\")]"),
              "[]");
    EXPECT_EQ(inWorld("len(w[\"users\"][0][\"mailbox\"])"), "7");
    EXPECT_EQ(inWorld("[(m[\"subject\"], \"本文03です。\" in m[\"body\"]) for m in "
                      "w[\"users\"][1][\"mailbox\"]]"),
              "[('回覧', True)]");
    std::vector<WorldMail> present(std::begin(kFirstMails) + 2, std::end(kFirstMails));
    present.insert(present.end(), std::begin(kLaterMails), std::end(kLaterMails));
    ASSERT_NO_FATAL_FAILURE(checkStore(present, kDeleted));

    // The third finds nothing to do, and nothing changes.
    const auto third = patrol();
    EXPECT_NE(third.output.find(matched), std::string::npos) << third.output;
    ASSERT_NO_FATAL_FAILURE(checkStore(present, kDeleted));
    // Each was read once; the forwarded one was shown once more to forward it.
    for (const WorldMail& m : present)
        EXPECT_EQ(timesShown(m.subject), std::string(m.subject) == "テキスト03" ? 2 : 1)
            << m.subject;
}

INSTANTIATE_TEST_SUITE_P(Hosts, MailHostVariants, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<HostVariant>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace morvaline
