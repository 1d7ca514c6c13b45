#pragma once
// Runs one of the project's programs as a child process and collects what it printed.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace morvaline::test {

struct ProgramResult {
    int status = -1;
    std::string output;  // standard output and standard error
};

// A program of the build folder, e.g. "src/app/morvaline-cli".
inline std::string buildProgram(const std::string& relative) {
    const char* build = std::getenv("MORVALINE_BINARY_DIR");
    return std::string(build ? build : ".") + "/" + relative;
}

// Runs a shell command line; environment assignments may precede the program.
inline ProgramResult runCommand(const std::string& commandLine) {
    ProgramResult result;
    FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace morvaline::test
