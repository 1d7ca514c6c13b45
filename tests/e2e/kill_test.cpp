// End to end: morvaline-cli killed with SIGKILL at seeded moments of a patrol that reads
// mail, downloads files and sends mails (one with a file) to ludrix-host; after each kill
// the next patrol completes, the data set holds every mail once and every file whole, and
// the host's saved world holds every sent mail once.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "mail_patrol_fixture.h"

namespace morvaline {
namespace {

// Four seeds of five kills each: 20 kills, in four tests that run side by side.
constexpr int kKillsPerSeed = 5;
constexpr int kDownloadSize = 20000;
constexpr int kUploadSize = 30000;

std::string world() {
    std::string mails;
    for (int n = 1; n <= 4; ++n)
        mails += "{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", \"date\": \"2000/01/04 09:0" +
                 std::to_string(n) + ":00\", \"subject\": \"本文" + std::to_string(n) +
                 "\", \"body\": [\"本文です。\", \"以上\"]},";
    for (int n = 1; n <= 2; ++n)
        mails += "{\"from\": \"MVL00002\", \"from_name\": \"ハナコ\", \"date\": \"2000/01/04 10:0" +
                 std::to_string(n) + ":00\", \"subject\": \"写真" + std::to_string(n) +
                 "\", \"file\": {\"name\": \"PHOTO" + std::to_string(n) +
                 ".DAT\", \"size\": " + std::to_string(kDownloadSize) +
                 ", \"seed\": " + std::to_string(n) + "}},";
    mails.pop_back();
    return R"({"users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00", "mailbox": [)" +
           mails + R"(]},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ", "login_notices": "off"}]})";
}

// A patrol as a process group of its own, whose output lines are read as they come.
class RunningPatrol {
public:
    explicit RunningPatrol(const std::string& commandLine) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::dup2(fds[1], 1);
            ::dup2(fds[1], 2);
            ::close(fds[0]);
            ::close(fds[1]);
            // The shell becomes the program, so that waiting for the child waits until the
            // killed program is gone with its lock of the data set.
            const std::string exec = "exec env " + commandLine;
            ::execl("/bin/sh", "sh", "-c", exec.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::setpgid(pid_, pid_);  // also here, so that kill() never misses the group
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
    }
    ~RunningPatrol() {
        if (out_) std::fclose(out_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    RunningPatrol(const RunningPatrol&) = delete;
    RunningPatrol& operator=(const RunningPatrol&) = delete;
    // Reads lines until `lines` were read; false when the output ended first.
    bool readLines(int lines) {
        char buffer[4096];
        for (int n = 0; n < lines; ++n)
            if (!out_ || !std::fgets(buffer, sizeof buffer, out_)) return false;
        return true;
    }
    void kill() { ::kill(-pid_, SIGKILL); }

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

class KillTest : public MailPatrolFixture, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(start(world()));
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeInt("MVL00001", "RapidoxQuietTime", 100);
        ASSERT_TRUE(registry.sync());
        ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "ご確認ください。\n"));
        ASSERT_TRUE(writeFileAtomically(dir / "report.bin", std::string(kUploadSize, '\x5A')));
        for (const char* subject : {"連絡1", "連絡2"})
            ASSERT_EQ(cli("write MVL00001 mail --to MVL00002 --subject " + std::string(subject) +
                          " --body-file '" + (dir / "body.txt").string() + "' --reserve")
                          .status,
                      0);
        ASSERT_EQ(cli("write MVL00001 mail --to MVL00002 --subject 資料 --file '" +
                      (dir / "report.bin").string() + "' --reserve")
                      .status,
                  0);
    }
    // Puts the data set and the host's world back as they were saved.
    void restore(const std::string& saved) {
        host.reset();
        std::filesystem::remove_all(dir / "data");
        std::filesystem::copy(dir / saved / "data", dir / "data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(dir / saved / "world.json", worldFile,
                                   std::filesystem::copy_options::overwrite_existing);
        startHost();
        ASSERT_EQ(cli("ap set 1 TelnetPort " + std::to_string(host->port())).status, 0);
    }
    void save(const std::string& name) {
        std::filesystem::create_directories(dir / name);
        std::filesystem::copy(dir / "data", dir / name / "data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(worldFile, dir / name / "world.json");
    }
    // After a whole patrol: every mail once, fetched, every file whole, every mail sent once.
    void expectEverythingOnce() {
        const std::vector<std::string> received = listed("2");
        for (const char* title : {"本文1", "本文2", "本文3", "本文4", "写真1", "写真2"}) {
            int found = 0;
            for (const std::string& line : received)
                if (line.find("  " + std::string(title) + "  [") != std::string::npos) {
                    ++found;
                    EXPECT_EQ(line.find("R]"), std::string::npos) << line;  // fetched
                }
            EXPECT_EQ(found, 1) << title;
        }
        for (int n = 1; n <= 2; ++n) {
            const auto file =
                dir / "data/morvaline/MVL00001/DOWN" / ("PHOTO" + std::to_string(n) + ".DAT");
            const auto same = test::runCommand(
                "python3 -c 'import random,sys; "
                "sys.stdout.buffer.write(random.Random(" +
                std::to_string(n) + ").randbytes(" + std::to_string(kDownloadSize) +
                "))' | cmp - '" + file.string() + "'");
            EXPECT_EQ(same.status, 0) << same.output;
            EXPECT_FALSE(std::filesystem::exists(file.string() + ".part"));
        }
        const std::vector<std::string> outgoing = listed("3");
        for (const char* title : {"連絡1", "連絡2", "資料"}) {
            int found = 0;
            for (const std::string& line : outgoing)
                if (line.find("  " + std::string(title) + "  [") != std::string::npos) {
                    ++found;
                    EXPECT_EQ(line.find("S]"), std::string::npos) << line;  // sent
                }
            EXPECT_EQ(found, 1) << title;
        }
        EXPECT_EQ(inWorld("sorted((m[\"subject\"], len(__import__(\"base64\").b64decode("
                          "m[\"file\"][\"base64\"])) if m.get(\"file\") else 0) "
                          "for m in w[\"users\"][1][\"mailbox\"])"),
                  "[('資料', " + std::to_string(kUploadSize) + "), ('連絡1', 0), ('連絡2', 0)]");
    }
};

TEST_P(KillTest, APatrolKilledAtAnyMomentLosesNothingAndNothingIsStoredOrSentTwice) {
    save("start");
    // A whole patrol, to learn how many lines it prints.
    int lines = 0;
    {
        RunningPatrol patrol(cliCommand("patrol MVL00001"));
        while (patrol.readLines(1)) ++lines;
    }
    ASSERT_GT(lines, 10);
    {
        SCOPED_TRACE("a patrol that was not killed");
        expectEverythingOnce();
    }
    std::mt19937 random(GetParam());
    for (int kill = 0; kill < kKillsPerSeed && !HasFailure(); ++kill) {
        ASSERT_NO_FATAL_FAILURE(restore("start"));
        const int at = 1 + static_cast<int>(random() % static_cast<unsigned>(lines - 1));
        SCOPED_TRACE("killed after line " + std::to_string(at));
        {
            RunningPatrol patrol(cliCommand("patrol MVL00001"));
            // A patrol that printed fewer lines this time ends by itself.
            if (patrol.readLines(at)) patrol.kill();
        }
        const auto after = cli("patrol MVL00001");
        ASSERT_EQ(after.status, 0) << after.output;
        expectEverythingOnce();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, KillTest, ::testing::Values(20261207u, 1u, 77u, 4242u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "Seed" + std::to_string(info.index + 1);
                         });

}  // namespace
}  // namespace morvaline
