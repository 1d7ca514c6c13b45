// morvaline-cli folder, move, copy and assist: the user's mail folders, moving messages
// between places and the mail assistant's rules.

#include <iostream>

#include "app/cli_commands.h"
#include "platform/text_codec.h"
#include "store/item_transfer.h"
#include "store/mail_folders.h"
#include "tools/mail_assistant.h"

namespace morvaline::cli {
namespace {

int mailFolderNumber(const CTolDoc& doc, const std::string& name) {
    const CItem folder = doc.tree().item(findPlace(doc, name));
    if (folder.m_nKind != kind::kMailFolder) throw CommandError{"'" + name + "' is not a mail folder"};
    return folder.m_nTarget;
}

int kindMaskOption(Args& args) {
    if (takeFlag(args, "--text-only")) return kAssistText;
    if (takeFlag(args, "--binary-only")) return kAssistBinary;
    return kAssistAllKinds;
}

void printRules(CTolDoc& doc) {
    std::cout << "received mail:\n";
    for (std::size_t i = 0; i < doc.receiveRules().size(); ++i) {
        const CAssist& r = doc.receiveRules()[i];
        std::cout << "  " << i + 1 << (r.enabled ? "   " : " - ") << utf8(describe(r, doc.tree())) << '\n';
    }
    std::cout << "sent mail:\n";
    for (std::size_t i = 0; i < doc.sendRules().size(); ++i) {
        const CAssistSend& r = doc.sendRules()[i];
        std::cout << "  " << i + 1 << (r.enabled ? "   " : " - ") << utf8(describe(r, doc.tree())) << '\n';
    }
}

template <class Rules>
void removeRule(Rules& rules, const std::string& which) {
    const std::size_t n = which.find_first_not_of("0123456789") == std::string::npos && which.size() < 6
                              ? std::stoul(which)
                              : 0;
    if (n == 0 || n > rules.size()) throw CommandError{"no rule " + which};
    rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(n - 1));
}

}  // namespace

int commandFolder(Session& session, Args args) {
    constexpr std::string_view usage =
        "folder ID add [TITLE] [--parent PLACE] | rename FOLDER TITLE | remove FOLDER | favourite PLACE";
    const std::string userId = takeArgument(args, usage);
    const std::string action = takeArgument(args, usage);
    const std::string parentName = takeOption(args, "--parent");
    const OpenedUser doc = session.openUser(userId);
    CItemArray& tree = doc->tree();
    int index = -1;
    if (action == "add") {
        const std::string title = args.empty() ? std::string() : utf8ToSjis(takeArgument(args, usage));
        const int parent = parentName.empty() ? tree.findTitleKind(sj("電子ﾒｰﾙ"), kind::kFolder)
                                              : findPlace(*doc, parentName);
        index = addMailFolder(*doc, parent < 0 ? 0 : parent, title);
        if (index < 0) throw CommandError{"no mail folder can be added there"};
    } else if (action == "rename") {
        index = findPlace(*doc, takeArgument(args, usage));
        if (!renameMailFolder(*doc, index, utf8ToSjis(takeArgument(args, usage))))
            throw CommandError{"only a mail folder is renamed here, and only to a title"};
    } else if (action == "remove") {
        index = findPlace(*doc, takeArgument(args, usage));
        std::string error;
        if (!removeMailFolder(*doc, index, &error)) throw CommandError{error};
    } else if (action == "favourite") {
        const int source = findPlace(*doc, takeArgument(args, usage));
        index = addPlaceCopy(*doc, source, tree.findKind(kind::kFavourites));
        if (index < 0) throw CommandError{"only a place of the host can be added to the favourites"};
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    expectNoMoreArguments(args, usage);
    saveUser(*doc);
    if (action != "remove") std::cout << index << ' ' << utf8(tree.item(index).m_szTitle.view()) << '\n';
    return 0;
}

namespace {

int transferCommand(Session& session, Args args, bool move) {
    const std::string_view usage = move ? "move ID PLACE INDEX|#NUMBER TO-PLACE [--alone]"
                                        : "copy ID PLACE INDEX|#NUMBER TO-PLACE [--alone]";
    const bool alone = takeFlag(args, "--alone");
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    const std::string which = takeArgument(args, usage);
    const std::string targetName = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.openUser(userId);
    PlaceList from(*doc, placeName);
    const int target = findPlace(*doc, targetName);
    if (target == from.place()) throw CommandError{"the message is in that place already"};
    OpenedList to(*doc, target);
    if (!to) throw CommandError{"'" + targetName + "' holds no messages or its list cannot be read"};
    const std::vector<int> selection = transferSelection(*from, {findMessage(*from, which)}, !alone);
    bool inBoth = false;
    const std::vector<int> done = move ? moveItems(*doc, *from, selection, *to, 0, &inBoth)
                                       : copyItems(*doc, *from, selection, *to);
    if (done.empty()) throw CommandError{"the message could not be written to '" + targetName + "'; nothing changed"};
    saveUser(*doc);
    if (inBoth) throw CommandError{"the message was copied but could not be removed from its place"};
    std::cout << done.size() << (move ? " moved\n" : " copied\n");
    return 0;
}

}  // namespace

int commandMove(Session& session, Args args) { return transferCommand(session, std::move(args), true); }
int commandCopy(Session& session, Args args) { return transferCommand(session, std::move(args), false); }

int commandAssist(Session& session, Args args) {
    constexpr std::string_view usage =
        "assist ID list | add received|sent [--subject S] [--name N] [--id I] [--reply-to R]\n"
        "   [--recipient R] [--source received|FOLDER] [--folder FOLDER] [--text-only|--binary-only]\n"
        "   [--disabled] | remove received|sent N | run [received|sent]";
    const std::string userId = takeArgument(args, usage);
    const std::string action = takeArgument(args, usage);
    const OpenedUser doc = session.openUser(userId);
    if (action == "add") {
        const std::string which = takeArgument(args, usage);
        const std::string folder = takeOption(args, "--folder");
        const int folderNumber = folder.empty() ? 0 : mailFolderNumber(*doc, folder);
        const int enabled = takeFlag(args, "--disabled") ? 0 : 1;
        const int mask = kindMaskOption(args);
        if (which == "received") {
            CAssist r;
            r.subject = utf8ToSjis(takeOption(args, "--subject"));
            r.name = utf8ToSjis(takeOption(args, "--name"));
            r.id = utf8ToSjis(takeOption(args, "--id"));
            r.replyTo = utf8ToSjis(takeOption(args, "--reply-to"));
            r.folder = folderNumber;
            r.enabled = enabled;
            r.kindMask = mask;
            doc->receiveRules().push_back(r);
        } else if (which == "sent") {
            CAssistSend r;
            r.subject = utf8ToSjis(takeOption(args, "--subject"));
            r.recipient = utf8ToSjis(takeOption(args, "--recipient"));
            const std::string source = takeOption(args, "--source");
            r.source = source.empty() ? -1 : source == "received" ? 0 : mailFolderNumber(*doc, source);
            r.folder = folderNumber;
            r.enabled = enabled;
            r.kindMask = mask;
            doc->sendRules().push_back(r);
        } else {
            throw CommandError{"usage: morvaline-cli " + std::string(usage)};
        }
    } else if (action == "remove") {
        const std::string which = takeArgument(args, usage);
        const std::string n = takeArgument(args, usage);
        if (which == "received") removeRule(doc->receiveRules(), n);
        else if (which == "sent") removeRule(doc->sendRules(), n);
        else throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    } else if (action == "run") {
        const std::string which = args.empty() ? std::string() : takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        SortOutcome received, sent;
        if (which != "sent") received = SortReceivedMail(*doc, false);
        if (which != "received") sent = SortSentMail(*doc, false);
        saveUser(*doc);
        std::cout << received.moved << " received and " << sent.moved << " sent mails moved\n";
        if (received.failed + sent.failed > 0)
            throw CommandError{std::to_string(received.failed + sent.failed) +
                               " mails stayed: their folder could not be written"};
        return 0;
    } else if (action != "list") {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    expectNoMoreArguments(args, usage);
    if (action != "list") saveUser(*doc);
    printRules(*doc);
    return 0;
}

}  // namespace morvaline::cli
