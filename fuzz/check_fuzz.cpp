// Feeds damaged list and text files of a board to the file check, which answers every
// repair question with Yes: it must report and repair without crashing, overrunning or
// hanging, and afterwards the board's list must open (or be absent), never be refused.
// Input: two bytes giving the length of the list file, the list file, then the text file.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "store/document.h"
#include "store/file_check.h"
#include "store/place_files.h"

namespace {

using namespace morvaline;

struct Yes : ToolQuestions {
    Answer ask(const Text&, const std::string&, bool) override { return Answer::Yes; }
    void tell(const Text&, const std::string&) override {}
};

struct DataSet {
    std::filesystem::path base;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<CTolDoc> doc;
    int board = -1;

    DataSet() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvaline-check-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        base = pattern;
        registry = std::make_unique<Registry>(base / "Morvaline.conf");
        doc = CTolDoc::open({base, "FUZZ0001", "secret"}, *registry).doc;
        if (!doc) std::abort();
        board = doc->tree().add(0, 25, 0, "BOARD", "board", kind::kBoard, 0);
    }
    ~DataSet() {
        doc->close();
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static DataSet set;
    if (size < 2) return 0;
    const std::size_t listSize = std::min<std::size_t>(size - 2, data[0] | (data[1] << 8));
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto names = placeFileNames(set.doc->tree(), set.board);
    const auto dir = set.doc->dataDirectory();
    // What the previous input left: the board's files and the kept copies of repairs.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.path().filename().string().starts_with("BOARD.")) std::filesystem::remove(entry.path(), ec);
    writeFileAtomically(dir / names->list, bytes.substr(0, listSize));
    writeFileAtomically(dir / names->text, bytes.substr(listSize));

    Yes yes;
    ToolRun run;
    run.questions = &yes;
    CheckFiles(*set.doc, false, run);
    ListLoad outcome = ListLoad::Missing;
    CItemArray* list = set.doc->openExistingList(set.board, false, &outcome);
    if (outcome == ListLoad::Damaged || outcome == ListLoad::Lost) __builtin_trap();
    set.doc->closeList(list);
    return 0;
}
