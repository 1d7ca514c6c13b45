#pragma once
// The commands of morvaline-cli. Each takes the arguments after its name and returns the
// exit status; failures throw CommandError.

#include "app/cli_support.h"
#include "store/tool_run.h"

namespace morvaline::cli {

int commandNewUser(Session& session, Args args);
int commandTree(Session& session, Args args);
int commandEvents(Session& session, Args args);
int commandRestore(Session& session, Args args);
int commandList(Session& session, Args args);
int commandShow(Session& session, Args args);
int commandAttachments(Session& session, Args args);
int commandDecode(Session& session, Args args);
int commandTerminal(Session& session, Args args);
int commandPatrol(Session& session, Args args);
int commandLoginOnly(Session& session, Args args);
int commandAccessPoints(Session& session, Args args);
int commandReserve(Session& session, Args args);
int commandPattern(Session& session, Args args);

int commandFolder(Session& session, Args args);
int commandMove(Session& session, Args args);
int commandCopy(Session& session, Args args);
int commandAssist(Session& session, Args args);
int commandExpire(Session& session, Args args);
int commandCheck(Session& session, Args args);
int commandRebuild(Session& session, Args args);
int commandImport(Session& session, Args args);
int commandTrash(Session& session, Args args);
int commandDelete(Session& session, Args args);
int commandUntrash(Session& session, Args args);

int commandWrite(Session& session, Args args);
int commandQuery(Session& session, Args args);
int commandExport(Session& session, Args args);
int commandReserveItem(Session& session, Args args);
int commandForum(Session& session, Args args);
int commandPlace(Session& session, Args args);
int commandTemplate(Session& session, Args args);
int commandAddressBook(Session& session, Args args);
int commandSetting(Session& session, Args args);
int commandCompose(Session& session, Args args);

// Runs the file check with its report, asking questions; the exit status.
int runFileCheck(CTolDoc& doc, ToolQuestions& questions);

// The number of the template named by its name, its title or "#N"; throws CommandError when
// there is none.
int findTemplateNumber(CTolDoc& doc, const std::string& which);

// The message named by its index in the list, or "#N" for its host number; throws
// CommandError when there is none.
int findMessage(const CItemArray& list, const std::string& which);

// The exit status of a patrol: 0 when it ended normally, else 100 + the magnitude of its
// result code (113 wrong password, 104 line lost ...).
int exitStatusOfResult(int result);
// The exit status of a patrol that ended normally while some of its steps failed.
inline constexpr int kExitStepsFailed = 3;

}  // namespace morvaline::cli
