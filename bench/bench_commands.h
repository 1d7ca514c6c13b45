#pragma once
// The subcommands of morvaline-bench; each returns the exit status.

#include <string>
#include <vector>

namespace morvaline::bench {

using Args = std::vector<std::string>;

int listGen(const Args& args);
int listLoad(const Args& args);
int browserOpen(const Args& args);
int readFile(const Args& args);
int benchRecv(const Args& args);
int benchRapidox(const Args& args);
int benchConv(const Args& args);
int benchMime(const Args& args);
int benchUu(const Args& args);
int queryGen(const Args& args);
int queryRun(const Args& args);

}  // namespace morvaline::bench
