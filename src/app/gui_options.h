#pragma once
// The command line of morvaline: options begin with "/" or "-" and are compared without
// regard to case (r, x, a ... e, z, NoSplash, ResetBarState, rp NAME); the first plain
// word is the user parameter, "ID" or "ID;PASSWORD".

#include <string>
#include <vector>

#include "ui/startup_options.h"

namespace morvaline {

// argv after Qt took its own options; a password in the user parameter is taken and wiped.
ui::StartupOptions parseGuiOptions(int argc, char** argv, std::vector<std::string>* unknown = nullptr);

}  // namespace morvaline
