// morvaline as a process, offscreen: the user parameter with its password wiped from the
// process's arguments, the single-instance refusal between two processes, the login
// dialog without a user parameter, termination that saves the data set, --help, and the
// installed program started from a temporary prefix.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "comm/access_point.h"
#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "support/ludrix_host.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "ui/startup.h"

extern char** environ;

namespace morvaline {
namespace {

// A child process with its standard error read line by line.
class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env) {
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStrings = env;
        for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : envStrings) envp.push_back(e.data());
        envp.push_back(nullptr);
        int err[2];
        if (::pipe(err) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        fd_ = err[0];
    }
    ~Child() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) ::close(fd_);
    }
    pid_t pid() const { return pid_; }
    // Waits until the output holds text; false when the deadline passed or the pipe closed.
    bool waitFor(const std::string& text, int deadlineMs = 60'000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
        while (output_.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return false;
            output_.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    // The exit status, waiting at most deadlineMs; -1 when it did not end.
    int wait(int deadlineMs = 60'000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > end) return -1;
            // Draining the pipe keeps the child from blocking on a full one.
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buffer[512];
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0) output_.append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    const std::string& output() const { return output_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool exited_ = false;
    std::string output_;
};

class ProcessTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> env;

    void SetUp() override {
        env = {"QT_QPA_PLATFORM=offscreen", "MORVALINE_STARTUP_TRACE=1",
               "MORVALINE_CONFIG_DIR=" + (dir / "config").string(), "XDG_DATA_HOME=" + (dir / "xdg").string(),
               "XDG_RUNTIME_DIR=" + dir.path().string()};
        std::filesystem::create_directories(dir / "config");
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeString("Settings", "BasePath", (dir / "data").string());
        OpenRequest request;
        request.baseDirectory = dir / "data";
        std::filesystem::create_directories(request.baseDirectory);
        request.userId = "MVL00001";
        request.password = "secret77";
        auto result = CTolDoc::open(request, registry);
        ASSERT_TRUE(result.doc) << sjisToUtf8(result.error);
        result.doc->close();
        ASSERT_TRUE(registry.sync());
    }
    static std::string program() { return test::buildProgram("src/app/morvaline"); }
    static std::string commandLine(pid_t pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(ProcessTest, TheUserParameterOpensTheDataSetAndASecondStartIsRefused) {
    Child first(program(), {"-NOSPLASH", "mvl00001;secret77"}, env);
    ASSERT_TRUE(first.waitFor("opened MVL00001")) << first.output();
    const std::string args = commandLine(first.pid());
    EXPECT_EQ(args.find("secret77"), std::string::npos);
    EXPECT_NE(args.find("mvl00001"), std::string::npos);

    Child second(program(), {"MVL00001;secret77"}, env);
    EXPECT_EQ(second.wait(), 1) << second.output();
    EXPECT_EQ(second.output().find("opened"), std::string::npos);
    EXPECT_EQ(::kill(first.pid(), 0), 0);  // the first one goes on

    ::kill(first.pid(), SIGTERM);
    EXPECT_EQ(first.wait(), 0) << first.output();
    Registry registry(dir / "config" / "Morvaline.conf");
    EXPECT_EQ(registry.readInt("MVL00001", "CloseSuccess", 0), 1);
}

TEST_F(ProcessTest, AWrongPasswordInTheUserParameterEndsTheProgram) {
    Child child(program(), {"MVL00001;wrong"}, env);
    // The reason is shown in a message box, and printed.
    ASSERT_TRUE(child.waitFor("ﾊﾟｽﾜｰﾄﾞが間違っています")) << child.output();
    ::kill(child.pid(), SIGTERM);
    EXPECT_EQ(child.wait(), 1);
    EXPECT_EQ(child.output().find("opened"), std::string::npos);
}

TEST_F(ProcessTest, OptionXPatrolsOnceIdleAndClosesWhenThePatrolHasEnded) {
    // The sample world, with this data set's password for its first user.
    const char* source = std::getenv("MORVALINE_SOURCE_DIR");
    std::string world;
    ASSERT_TRUE(readWholeFile(std::string(source ? source : ".") + "/host/worlds/sample.json", world));
    const std::string password = "\"password\": \"morvaline\"";
    ASSERT_NE(world.find(password), std::string::npos);
    world.replace(world.find(password), password.size(), "\"password\": \"secret77\"");
    ASSERT_TRUE(writeFileAtomically(dir / "world.json", world));
    test::LudrixHost host((dir / "world.json").string());
    ASSERT_GT(host.port(), 0);
    {
        Registry registry(dir / "config" / "Morvaline.conf");
        AccessPointList aps = loadAccessPoints(registry, ui::moduleDirectory() / "MODEMDAT.INI");
        AccessPoint ap = AccessPoint::makeNew();
        ap.telnetName = "127.0.0.1";
        ap.telnetPort = std::to_string(host.port());
        ap.route = 1;
        aps.entries.push_back(ap);
        saveAccessPoints(registry, aps);
        ASSERT_TRUE(registry.sync());
    }
    Child child(program(), {"-x", "MVL00001;secret77"}, env);
    EXPECT_EQ(child.wait(180'000), 0) << child.output();
    Registry registry(dir / "config" / "Morvaline.conf");
    EXPECT_EQ(registry.readInt("MVL00001", "CloseSuccess", 0), 1);
    OpenRequest request;
    request.baseDirectory = dir / "data";
    request.userId = "MVL00001";
    request.password = "secret77";
    auto opened = CTolDoc::open(request, registry);
    ASSERT_TRUE(opened.doc);
    OpenedList mail(*opened.doc, 2);
    EXPECT_GT(mail->size(), 2);  // the welcome message and what the patrol fetched
}

TEST_F(ProcessTest, WithoutTheUserParameterTheLoginDialogIsShown) {
    Child child(program(), {"/x"}, env);
    ASSERT_TRUE(child.waitFor("morvaline: login")) << child.output();
    ::kill(child.pid(), SIGTERM);
    EXPECT_EQ(child.wait(), 1);
}

TEST_F(ProcessTest, HelpDescribesTheCommandLine) {
    const auto result = test::runCommand("'" + program() + "' --help");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("USERID;PASSWORD"), std::string::npos);
    EXPECT_NE(result.output.find("-ResetBarState"), std::string::npos);
}

TEST_F(ProcessTest, TheInstalledProgramsStartFromAnyPrefix) {
    const std::string prefix = (dir / "prefix").string();
    const auto installed = test::runCommand("cmake --install '" + test::buildProgram("") + "' --prefix '" + prefix + "'");
    ASSERT_EQ(installed.status, 0) << installed.output;
    for (const char* file : {"bin/morvaline", "bin/morvaline-cli", "share/morvaline/MODEMDAT.INI",
                             "share/morvaline/VANMENU.INI", "share/applications/morvaline.desktop",
                             "share/icons/hicolor/scalable/apps/morvaline.svg", "share/man/man1/morvaline.1",
                             "share/man/man1/morvaline-cli.1"})
        EXPECT_TRUE(std::filesystem::exists(dir / "prefix" / file)) << file;
    const auto help = test::runCommand("'" + prefix + "/bin/morvaline-cli' patrol --help");
    EXPECT_EQ(help.status, 0) << help.output;
    Child child(prefix + "/bin/morvaline", {"MVL00001;secret77"}, env);
    ASSERT_TRUE(child.waitFor("opened MVL00001")) << child.output();
    ::kill(child.pid(), SIGTERM);
    EXPECT_EQ(child.wait(), 0) << child.output();
}

}  // namespace
}  // namespace morvaline
