// morvaline-bench browser-open: a place's message list opened as the browser window opens
// it, to the first screen of subjects: the list loaded, the subject list filled (snapshot,
// order, nodes) and the lines of the first rows built.

#include <cstdio>

#include "bench_commands.h"
#include "models/subject_list_model.h"
#include "store/item_array.h"

namespace morvaline::bench {

int browserOpen(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: morvaline-bench browser-open FILE\n");
        return 2;
    }
    CItemArray list;
    list.setFiles(args[0], args[0] + ".text");
    if (list.open() != ListLoad::Loaded) {
        std::fprintf(stderr, "cannot load %s\n", args[0].c_str());
        return 1;
    }
    SubjectListModel model;
    model.setList(&list, kind::kRoom);
    // The first screen: the root and the subjects below it that a window shows at once.
    constexpr int kFirstScreen = 40;
    const QModelIndex root = model.index(0, 0);
    std::size_t characters = 0;
    for (int row = 0; row < kFirstScreen && row < model.rowCount(root); ++row)
        characters += static_cast<std::size_t>(model.index(row, 0, root).data().toString().size());
    std::printf("%d %zu\n", model.rowCount(root), characters);
    return 0;
}

}  // namespace morvaline::bench
