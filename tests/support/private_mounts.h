#pragma once
// Runs a program with a folder that is read-only for it alone: a user and mount namespace
// of its own, where the folder is bound over itself read-only. This needs no privileges
// where unprivileged user namespaces are allowed (as on Debian); tests skip without them.

#include <filesystem>
#include <string>

#include "support/run_program.h"

namespace morvaline::test {

inline bool privateMountsAvailable() {
    return runCommand("unshare -rm sh -c 'mount -t tmpfs none /mnt' </dev/null").status == 0;
}

// A command line (a program and its arguments, no shell syntax) run with folder read-only.
inline std::string withReadOnlyFolder(const std::filesystem::path& folder, const std::string& commandLine) {
    return "unshare -rm sh -c 'mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" && "
           "exec \"$@\"' '" + folder.string() + "' " + commandLine;
}

}  // namespace morvaline::test
