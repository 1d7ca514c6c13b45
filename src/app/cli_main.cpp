// morvaline-cli: the system without windows, for scripts, cron and tests.

#include <QCoreApplication>

#include <algorithm>
#include <iostream>
#include <string_view>

#include "app/cli_commands.h"
#include "app/cli_terminal.h"
#include "app/user_parameter.h"

namespace {

using namespace morvaline::cli;

struct Command {
    std::string_view name;
    int (*run)(Session&, Args);
    std::string_view help;
};

constexpr Command kCommands[] = {
    {"new-user", commandNewUser, "new-user ID [--handle NAME]   create a user's data set"},
    {"tree", commandTree, "tree ID                       print the place tree"},
    {"events", commandEvents, "events ID                     print the event log"},
    {"restore", commandRestore,
     "restore ID [--from BK1|BK2|BK3]\n"
     "                                put a backup of the document in place (the newest that\n"
     "                                loads), keeping the document it replaces"},
    {"list", commandList, "list ID PLACE                 print the subject list of a place"},
    {"show", commandShow, "show ID PLACE INDEX|#NUMBER   print a stored message"},
    {"attachments", commandAttachments,
     "attachments ID PLACE INDEX|#NUMBER [--save DIR]\n"
     "                                list (and save) the attachments of a mail"},
    {"decode", commandDecode, "decode FILE [--save DIR]      read a mail file, list (and save) its attachments"},
    {"patrol", commandPatrol,
     "patrol ID [-a|-b|-c|-d|-e] [--rp PATTERN] [--verbose] [--transcript FILE]\n"
     "                                run a patrol (-a: priority A only ... -e: all)"},
    {"login-only", commandLoginOnly,
     "login-only ID [--transcript FILE]\n"
     "                                log in and hand the line to the terminal"},
    {"ap", commandAccessPoints,
     "ap list | add NAME --host HOST[:PORT] [--route N] | set N FIELD VALUE\n"
     "   | remove N | move N TO | enable N on|off | redial on|off [--interval S] [--max N]\n"
     "   | device PORT [PATH]\n"
     "                                the access points, in priority order"},
    {"reserve", commandReserve, "reserve ID PLACE [ENTRY|none]  show or set a place's reservation"},
    {"write", commandWrite,
     "write ID mail --to ADDR[,ADDR] [--file PATH | --attach PATH ...] [OPTIONS]\n"
     "   | write ID reply PLACE INDEX|#NUMBER [--to ADDR[,ADDR]] [--no-quote] [OPTIONS]\n"
     "   | write ID forward PLACE INDEX|#NUMBER --to ADDR[,ADDR] [OPTIONS]\n"
     "   | write ID post PLACE [--comment-to NUMBER] [OPTIONS]\n"
     "     OPTIONS: [--subject S] [--body-file F] [--template NAME | --no-template] [--reserve]\n"
     "              [--allow-lossy]\n"
     "                                write a mail, a reply, a forward, or a message or comment\n"
     "                                in a forum room, offline"},
    {"reserve-item", commandReserveItem,
     "reserve-item ID PLACE INDEX|#NUMBER read|download|delete|send|none [--allow-lossy]\n"
     "                                reserve a single mail or forum message for the next patrol\n"
     "                                (reserve-mail is the same command)"},
    {"reserve-mail", commandReserveItem, {}},
    {"forum", commandForum,
     "forum ID add CODE NUMBER [--title NAME] [--rooms N[,N...]] | room FORUM N [--title NAME]\n"
     "   | library CODE NUMBER [--title NAME] [--sections N[,N...]]\n"
     "                                add a SIG forum by its SIG code and number, and its rooms;\n"
     "                                or a SIG's library and its sections"},
    {"place", commandPlace,
     "place ID add posting PATH [--title NAME] [--password]\n"
     "                                add a place reached by its host path; --password takes\n"
     "                                the password from MORVALINE_PLACE_PASSWORD"},
    {"compose", commandCompose,
     "compose ID PLACE INDEX|#NUMBER --out FILE\n"
     "                                the internet message of a mail written offline"},
    {"template", commandTemplate,
     "template ID list | show NAME|#N | use USE NAME|#N|none\n"
     "   | set NAME|#N [--title T | --no-title] [--body-file F] [--counting on|off]\n"
     "                                the templates of texts written offline"},
    {"addr", commandAddressBook,
     "addr ID list | add NAME ADDRESS [--folder F] [--affiliation A] [--department D] [--memo M]\n"
     "   | folder NAME [--folder F] | remove NAME | import FILE.csv | export FILE.csv\n"
     "                                the address book"},
    {"setting", commandSetting, "setting ID [NAME [VALUE]]     the settings of writing offline"},
    {"query", commandQuery,
     "query ID [--place P] [--no-subfolders] [--field title,body,sender|all] [--case]\n"
     "         [--kind N|TEXT] [--since DATE] [--until DATE] [--months N] [--days N]\n"
     "         [--order found|number|title|handle|place|date] [WORD...]\n"
     "                                search the stored messages; one line per result"},
    {"export", commandExport,
     "export ID PLACE --text|--html OUT [--marked|--marked-comments] [--append] [--overwrite]\n"
     "         [--order registration|number|title|id|handle|date] [--reverse] [--remove]\n"
     "                                save a place's messages as one text file, or as web\n"
     "                                pages named after OUT; --remove takes them out after"},
    {"pattern", commandPattern, "pattern ID list | select NAME | save NAME   reservation patterns"},
    {"folder", commandFolder,
     "folder ID add [TITLE] [--parent PLACE] | rename FOLDER TITLE | remove FOLDER\n"
     "   | favourite PLACE              mail folders; a host place copied into the favourites"},
    {"move", commandMove,
     "move ID PLACE INDEX|#NUMBER TO-PLACE [--alone]\n"
     "                                move a message (with its comments unless --alone)"},
    {"copy", commandCopy, "copy ID PLACE INDEX|#NUMBER TO-PLACE [--alone]   copy a message"},
    {"assist", commandAssist,
     "assist ID list | add received|sent [--subject S] [--name N] [--id I] [--reply-to R]\n"
     "   [--recipient R] [--source received|FOLDER] [--folder FOLDER] [--text-only|--binary-only]\n"
     "   [--disabled] | remove received|sent N | run [received|sent]\n"
     "                                the mail assistant's rules; run sorts all mail"},
    {"expire", commandExpire,
     "expire ID [PLACE] [--dry-run] | rules | rule PLACE RULE|default|none | on | off\n"
     "                                auto-deletion by each place's rule (all places without PLACE)"},
    {"trash", commandTrash,
     "trash ID PLACE INDEX|#NUMBER|--marked|--all [--yes]   move messages to the trash"},
    {"delete", commandDelete, "delete ID PLACE INDEX|#NUMBER|--marked|--all [--yes]   delete messages"},
    {"untrash", commandUntrash,
     "untrash ID INDEX|#NUMBER|--marked|--all [--yes]   put messages of the trash back where they were"},
    {"check", commandCheck,
     "check ID [--repair]            the file check (report in CHKFILE.LOG); --repair repairs"},
    {"rebuild", commandRebuild, "rebuild ID PLACE [--yes]      rebuild a place's list from its old text"},
    {"import", commandImport,
     "import ID PLACE FILE... [--trash]\n"
     "                                import terminal logs into a place (--trash: then trash them)"},
    {"terminal", commandTerminal,
     "terminal HOST[:PORT] | --ap N [--log FILE] [--trace] [--transcript FILE] [--down DIR]\n"
     "                                talk to the host by hand (--ap N: through the modem of\n"
     "                                access point N, dialled with its commands)"},
};

// The arguments after the command's name. A user parameter of the form "ID;PASSWORD" is
// still understood: the password is taken and wiped from the process's arguments at once.
Args takeArguments(int argc, char** argv, Session& session) {
    Args args;
    for (int i = 2; i < argc; ++i) {
        if (auto password = morvaline::takeUserPassword(argv[i])) session.setPassword(*password);
        args.emplace_back(argv[i]);
    }
    return args;
}

void printUsage(std::ostream& out) {
    out << "usage: morvaline-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command& c : kCommands)
        if (!c.help.empty()) out << "  " << c.help << '\n';
    out << "\nThe password comes from MORVALINE_PASSWORD or is asked for on the terminal (the\n"
           "old form ID;PASSWORD of a user parameter is understood and wiped at once).\n"
           "MORVALINE_CONFIG_DIR chooses the folder of the settings file.\n";
}

}  // namespace

int main(int argc, char** argv) {
    // The event loop serves the commands that talk to the host.
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h") {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string_view name = argv[1];
    for (const Command& command : kCommands) {
        if (command.name != name) continue;
        if (std::find(argv + 2, argv + argc, std::string_view("--help")) != argv + argc) {
            std::cout << "usage: morvaline-cli " << command.help << '\n';
            return 0;
        }
        try {
            Session session;
            return command.run(session, takeArguments(argc, argv, session));
        } catch (const CommandError& e) {
            std::cerr << "morvaline-cli " << name << ": " << e.utf8Message << '\n';
            return 1;
        } catch (const std::exception& e) {
            // Caught, so that the stack unwinds and an open data set is closed cleanly.
            std::cerr << "morvaline-cli " << name << ": " << e.what() << '\n';
            return 1;
        }
    }
    std::cerr << "morvaline-cli: unknown command '" << name << "'\n";
    printUsage(std::cerr);
    return 2;
}
