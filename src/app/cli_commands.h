#pragma once
// The commands of morvaline-cli. Each takes the arguments after its name and returns the
// exit status; failures throw CommandError.

#include "app/cli_support.h"

namespace morvaline::cli {

int commandNewUser(Session& session, Args args);
int commandTree(Session& session, Args args);
int commandEvents(Session& session, Args args);
int commandList(Session& session, Args args);
int commandShow(Session& session, Args args);
int commandAttachments(Session& session, Args args);
int commandDecode(Session& session, Args args);
int commandTerminal(Session& session, Args args);

}  // namespace morvaline::cli
