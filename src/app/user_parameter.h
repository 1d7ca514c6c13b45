#pragma once
// The old user parameter "ID;PASSWORD": the password is taken out of the argument and its
// bytes are wiped in the process's own copy of its arguments at once, so that no process
// listing shows it.

#include <optional>
#include <string>

namespace morvaline {

// For an argument of the form "ID;PASSWORD" (an ID of 1 to 8 characters, not an option):
// returns the password and leaves "ID" in arg. Nothing for any other argument.
std::optional<std::string> takeUserPassword(char* arg);

}  // namespace morvaline
