#include "platform/base_paths.h"

#include <cstdlib>
#include <unistd.h>

#include <system_error>

#ifndef MORVALINE_SOURCE_DATA_DIR
#define MORVALINE_SOURCE_DATA_DIR ""
#endif

namespace morvaline {
namespace {

std::filesystem::path homeDirectory() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::filesystem::path(home) : std::filesystem::path("/tmp");
}

std::filesystem::path xdgDirectory(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    // The conventions require an absolute path; a relative one is ignored.
    if (value && *value == '/') return value;
    return homeDirectory() / fallbackUnderHome;
}

std::filesystem::path executableDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

}  // namespace

std::filesystem::path defaultBaseDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share") / "morvaline";
}

std::filesystem::path configDirectory() {
    const char* overridden = std::getenv("MORVALINE_CONFIG_DIR");
    if (overridden && *overridden) return overridden;
    return xdgDirectory("XDG_CONFIG_HOME", ".config") / "Velkra";
}

std::filesystem::path registryFile() { return configDirectory() / "Morvaline.conf"; }

std::filesystem::path moduleDataDirectory() {
    std::error_code ec;
    const auto exeDir = executableDirectory();
    if (!exeDir.empty()) {
        const auto installed = exeDir.parent_path() / "share" / "morvaline";
        if (std::filesystem::is_directory(installed, ec)) return installed;
    }
    return MORVALINE_SOURCE_DATA_DIR;
}

}  // namespace morvaline
