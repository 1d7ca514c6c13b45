// morvaline-bench COMMAND ARGS...

#include <cstdio>
#include <string_view>

#include "bench_commands.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(const morvaline::bench::Args&);
    std::string_view help;
};

constexpr Command kCommands[] = {
    {"list-gen", morvaline::bench::listGen, "list-gen N FILE   write a message list of N items with texts"},
    {"list-load", morvaline::bench::listLoad, "list-load FILE    load a message list, print its item count"},
    {"browser-open", morvaline::bench::browserOpen,
     "browser-open FILE  open a message list as the browser window does, to its first screen"},
    {"read-file", morvaline::bench::readFile, "read-file FILE... read files' bytes (the peer of list-load)"},
    {"recv", morvaline::bench::benchRecv, "recv HOST:PORT    receive a host's text through the receive path"},
    {"rapidox", morvaline::bench::benchRapidox,
     "rapidox send FILE | recv DIR [--window N]   Rapidox over stdin and stdout"},
    {"conv", morvaline::bench::benchConv, "conv sjis2jis|jis2sjis IN OUT   convert a file's code"},
    {"mime", morvaline::bench::benchMime,
     "mime LISTFILE OUTDIR   decode the mails listed, write their texts and attachments"},
    {"query-gen", morvaline::bench::queryGen,
     "query-gen BASEDIR N M   a data set with a room of N messages and M internet mails"},
    {"query", morvaline::bench::queryRun, "query BASEDIR WORD PLACE...   the query of each place, print the hits"},
    {"uu", morvaline::bench::benchUu, "uu encode|decode IN OUT   uuencode a file, or decode a block"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        for (const Command& c : kCommands)
            if (c.name == argv[1]) return c.run(morvaline::bench::Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "usage: morvaline-bench COMMAND ARGS\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  %s\n", std::string(c.help).c_str());
    return 2;
}
