// morvaline-cli trash, delete and untrash: the user's own removal of messages, with the
// questions the commands ask (answered on the terminal, or Yes with --yes).

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_tool_run.h"
#include "platform/text_codec.h"
#include "store/mail_folders.h"
#include "tools/user_removal.h"

namespace morvaline::cli {
namespace {

int removalCommand(Session& session, Args args, UserAction action) {
    const std::string usage = action == UserAction::Restore
                                  ? "untrash ID INDEX|#NUMBER|--marked|--all [--yes]"
                                  : std::string(action == UserAction::Trash ? "trash" : "delete") +
                                        " ID PLACE INDEX|#NUMBER|--marked|--all [--yes]";
    const bool yes = takeFlag(args, "--yes");
    UserSelection what;
    if (takeFlag(args, "--marked")) what.kind = UserSelection::Kind::Marked;
    if (takeFlag(args, "--all")) what.kind = UserSelection::Kind::All;
    const std::string userId = takeArgument(args, usage);
    const OpenedUser doc = session.openUser(userId);
    const std::string placeName =
        action == UserAction::Restore ? std::to_string(findTrashPlace(*doc)) : takeArgument(args, usage);
    PlaceList list(*doc, placeName);
    if (what.kind == UserSelection::Kind::One) what.index = findMessage(*list, takeArgument(args, usage));
    expectNoMoreArguments(args, usage);

    TerminalQuestions questions(yes);
    Event cancel;
    TerminalProgress progress(utf8(action == UserAction::Restore ? textSjis(texts::kRestoring)
                                   : action == UserAction::Trash ? textSjis(texts::kMovingToTrash)
                                                                 : sj("削除しています")));
    const ToolRun run = terminalRun(questions, cancel, progress);
    UserRemovalOutcome outcome;
    runOnWorker(cancel, [&] { outcome = removeByUser(*doc, list.place(), *list, action, what, run); });
    progress.end();
    saveUser(*doc);
    if (outcome.declined) throw CommandError{"nothing was changed"};
    const char* done = outcome.done == UserAction::Delete  ? " deleted"
                       : outcome.done == UserAction::Trash ? " moved to the trash"
                                                           : " put back";
    std::cout << outcome.items.done << done << '\n';
    if (outcome.items.failed > 0)
        throw CommandError{std::to_string(outcome.items.failed) + " messages stayed where they were"};
    if (outcome.items.cancelled) throw CommandError{"stopped before the end"};
    return 0;
}

}  // namespace

int commandTrash(Session& session, Args args) { return removalCommand(session, std::move(args), UserAction::Trash); }
int commandDelete(Session& session, Args args) { return removalCommand(session, std::move(args), UserAction::Delete); }
int commandUntrash(Session& session, Args args) {
    return removalCommand(session, std::move(args), UserAction::Restore);
}

}  // namespace morvaline::cli
