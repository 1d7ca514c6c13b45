#pragma once
// What the command line of the desktop program asks for.

#include <optional>
#include <string>

namespace morvaline::ui {

struct StartupOptions {
    int patrolMode = 0;     // 0 none, 1 patrol when idle (r), 2 and close afterwards (x)
    int priority = -1;      // -1 none, else 0 (A only) ... 4 (all)
    std::string pattern;    // a reservation pattern to select (UTF-8), from rp
    bool maintenance = false;
    bool noSplash = false;
    bool resetBarState = false;
    std::string userId;                   // upper case; empty when none was given
    std::optional<std::string> password;  // from "ID;PASSWORD" (UTF-8)
};

}  // namespace morvaline::ui
