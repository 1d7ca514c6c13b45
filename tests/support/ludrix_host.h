#pragma once
// ludrix-host as a child process for a test: started with a world and options on an
// ephemeral port of 127.0.0.1, stopped when the object goes.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace morvaline::test {

class LudrixHost {
public:
    // world: a world file; options: further command-line options of the host.
    explicit LudrixHost(const std::string& world, const std::vector<std::string>& options = {}) {
        const char* source = std::getenv("MORVALINE_SOURCE_DIR");
        const std::string program = std::string(source ? source : ".") + "/host/ludrix-host";
        std::vector<std::string> args = {program, "--world", world, "--port", "0"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
        // The first line names the port: "ludrix-host listening on 127.0.0.1:PORT".
        char line[256];
        if (pid_ > 0 && output_ && std::fgets(line, sizeof line, output_)) {
            const std::string text = line;
            const std::string prefix = "ludrix-host listening on 127.0.0.1:";
            if (text.rfind(prefix, 0) == 0) port_ = std::atoi(text.c_str() + prefix.size());
        }
        // With --modem a second line names the modem's device: "ludrix-host modem on PATH".
        const bool modem = std::find(options.begin(), options.end(), "--modem") != options.end();
        if (modem && port_ > 0 && std::fgets(line, sizeof line, output_)) {
            std::string text = line;
            const std::string prefix = "ludrix-host modem on ";
            if (!text.empty() && text.back() == '\n') text.pop_back();
            if (text.rfind(prefix, 0) == 0) modemPath_ = text.substr(prefix.size());
        }
    }
    ~LudrixHost() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_) std::fclose(output_);
    }
    LudrixHost(const LudrixHost&) = delete;
    LudrixHost& operator=(const LudrixHost&) = delete;

    int port() const { return port_; }
    // The modem's device (with --modem), or empty.
    const std::string& modemPath() const { return modemPath_; }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    int port_ = 0;
    std::string modemPath_;
};

}  // namespace morvaline::test
