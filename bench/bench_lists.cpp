// Message list benchmarks: writing a large list, loading it, opening it as the browser
// window does, and reading the same bytes plainly as the peer of both.

#include <cstdio>
#include <string>

#include "bench_commands.h"
#include "models/subject_list_model.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/item_array.h"

namespace morvaline::bench {

int listGen(const Args& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: morvaline-bench list-gen N FILE\n");
        return 2;
    }
    const int count = std::stoi(args[0]);
    const std::string file = args[1];
    CItemArray list;
    list.setFiles(file, file + ".text");
    list.add(-1, 0, 0, "BENCH.EA0", "bench", kind::kListRoot, 0);
    const std::string title = sj("ベンチマーク用の発言 その");
    const std::string body = sj("これは測定用のメッセージ本文です。\r\n二行目の文章が続きます。\r\n");
    std::string texts;
    int parent = 0;
    for (int i = 1; i <= count; ++i) {
        // Every tenth message starts a thread that the next nine comment on.
        const int p = i % 10 == 1 ? 0 : parent;
        const int index = list.add(p, i, static_cast<int>(texts.size()), "ABC" + std::to_string(10000 + i % 5000),
                                   title + std::to_string(i), i % 10 == 1 ? kind::kForumMessage : kind::kComment, 2,
                                   fileTimeNow(), {}, sj("ハンドル"));
        if (p == 0) parent = index;
        list.setLength(index, static_cast<int>(body.size()));
        list.setPath(index, "FORUM/1/" + std::to_string(i));
        texts += body;
    }
    if (!writeFileAtomically(file + ".text", texts) || !list.save()) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    std::printf("%d\n", list.size() - 1);
    return 0;
}

namespace {

// Loads the list file named by the one argument; false (said) when it cannot.
bool loadList(const Args& args, const char* usage, CItemArray& list) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: morvaline-bench %s FILE\n", usage);
        return false;
    }
    list.setFiles(args[0], args[0] + ".text");
    if (list.open() == ListLoad::Loaded) return true;
    std::fprintf(stderr, "cannot load %s\n", args[0].c_str());
    return false;
}

}  // namespace

int listLoad(const Args& args) {
    CItemArray list;
    if (!loadList(args, "list-load", list)) return 1;
    std::printf("%d\n", list.size());
    return 0;
}

// A place's message list opened as the browser window opens it, to the first screen of
// subjects: the list loaded, the subject list filled (snapshot, order, nodes) and the lines
// of the first rows built.
int browserOpen(const Args& args) {
    CItemArray list;
    if (!loadList(args, "browser-open", list)) return 1;
    SubjectListModel model;
    model.setList(&list, kind::kRoom);
    constexpr int kFirstScreen = 40;
    const QModelIndex root = model.index(0, 0);
    std::size_t characters = 0;
    for (int row = 0; row < kFirstScreen && row < model.rowCount(root); ++row)
        characters += static_cast<std::size_t>(model.index(row, 0, root).data().toString().size());
    std::printf("%d %zu\n", model.rowCount(root), characters);
    return 0;
}

int readFile(const Args& args) {
    if (args.empty()) {
        std::fprintf(stderr, "usage: morvaline-bench read-file FILE...\n");
        return 2;
    }
    std::size_t size = 0;
    unsigned sum = 0;
    for (const std::string& path : args) {
        std::string bytes;
        if (!readWholeFile(path, bytes)) return 1;
        // Touch every byte, as a parser would.
        for (const char c : bytes) sum += static_cast<unsigned char>(c);
        size += bytes.size();
    }
    std::printf("%zu %u\n", size, sum);
    return 0;
}

}  // namespace morvaline::bench
