// morvaline-cli addr: the address book, its folders and entries, and its CSV files.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "tools/address_csv.h"

namespace morvaline::cli {
namespace {

void printNode(const CAddrArray& book, int index, int depth) {
    const auto& nodes = book.nodes();
    // Children are reached through links a damaged book could make circular.
    if (depth > static_cast<int>(nodes.size())) return;
    for (int c = nodes[static_cast<std::size_t>(index)].firstChild; c >= 0;
         c = nodes[static_cast<std::size_t>(c)].next) {
        const CAddr& a = nodes[static_cast<std::size_t>(c)];
        std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ');
        if (a.type == CAddr::kFolder) {
            std::cout << "[" << utf8(a.name) << "]\n";
            printNode(book, c, depth + 1);
            continue;
        }
        std::cout << utf8(a.name) << "  " << utf8(a.address);
        for (const std::string* extra : {&a.affiliation, &a.department, &a.memo})
            if (!extra->empty()) std::cout << "  " << utf8(*extra);
        std::cout << '\n';
    }
}

// The node of a name (UTF-8); the root for an empty name.
int findNode(const CAddrArray& book, const std::string& name, int type) {
    if (name.empty()) return 0;
    const int index = book.findByName(utf8ToSjis(name));
    if (index <= 0 || book.nodes()[static_cast<std::size_t>(index)].type != type)
        throw CommandError{"no " + std::string(type == CAddr::kFolder ? "folder" : "entry") + " '" +
                           name + "' in the address book"};
    return index;
}

}  // namespace

int commandAddressBook(Session& session, Args args) {
    constexpr std::string_view usage =
        "addr ID list | add NAME ADDRESS [--folder F] [--affiliation A] [--department D] "
        "[--memo M]\n"
        "       | folder NAME [--folder F] | remove NAME | import FILE.csv | export FILE.csv";
    const std::string folder = takeOption(args, "--folder");
    const std::string affiliation = takeOption(args, "--affiliation");
    const std::string department = takeOption(args, "--department");
    const std::string memo = takeOption(args, "--memo");
    const std::string userId = takeArgument(args, usage);
    const std::string what = takeArgument(args, usage);
    const OpenedUser doc = session.openUser(userId);
    CAddrArray& book = doc->addressBook();
    if (book.nodes().empty()) throw CommandError{"the address book has no root folder"};
    if (what == "list") {
        expectNoMoreArguments(args, usage);
        printNode(book, 0, 0);
        return 0;
    }
    if (what == "export") {
        const std::string file = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        std::string error;
        if (!writeFileAtomically(file, ExportAddressCsv(book), &error)) throw CommandError{error};
        return 0;
    }
    if (what == "add" || what == "folder") {
        const std::string name = takeArgument(args, usage);
        const std::string address = what == "add" ? takeArgument(args, usage) : std::string();
        expectNoMoreArguments(args, usage);
        const int parent = findNode(book, folder, CAddr::kFolder);
        const int index =
            what == "add"
                ? book.addNode(parent, CAddr::kEntry, 0, utf8ToSjis(address), utf8ToSjis(name),
                               utf8ToSjis(affiliation), utf8ToSjis(department), utf8ToSjis(memo))
                : book.addNode(parent, CAddr::kFolder, 0, "", utf8ToSjis(name));
        std::cout << utf8(book.nodes()[static_cast<std::size_t>(index)].name) << '\n';
    } else if (what == "remove") {
        const std::string name = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        const int index = book.findByName(utf8ToSjis(name));
        if (index <= 0 || !book.deleteNode(index))
            throw CommandError{"no '" + name + "' in the address book"};
    } else if (what == "import") {
        const std::string file = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        std::string text;
        if (!readWholeFile(file, text))
            throw CommandError{utf8(formatText(texts::kCannotOpenFile, utf8ToSjis(file)))};
        std::string error;
        const std::optional<int> added = ImportAddressCsv(book, text, &error);
        if (!added) throw CommandError{file + ": " + error + "; nothing imported"};
        std::cout << *added << " entries imported\n";
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
