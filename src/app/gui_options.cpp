#include "app/gui_options.h"

#include <algorithm>
#include <cctype>

#include "app/user_parameter.h"

namespace morvaline {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

}  // namespace

ui::StartupOptions parseGuiOptions(int argc, char** argv, std::vector<std::string>* unknown) {
    ui::StartupOptions o;
    bool haveUser = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (!word.empty() && (word[0] == '-' || word[0] == '/')) {
            const std::string option = lower(word.substr(1));
            if (option == "r") o.patrolMode = 1;
            else if (option == "x") o.patrolMode = 2;
            else if (option.size() == 1 && option[0] >= 'a' && option[0] <= 'e') o.priority = option[0] - 'a';
            else if (option == "z") o.maintenance = true;
            else if (option == "nosplash") o.noSplash = true;
            else if (option == "resetbarstate") o.resetBarState = true;
            else if (option == "rp" && i + 1 < argc) o.pattern = argv[++i];
            else if (unknown) unknown->push_back(word);
            continue;
        }
        if (haveUser) {
            if (unknown) unknown->push_back(word);
            continue;
        }
        haveUser = true;
        if (auto password = takeUserPassword(argv[i])) o.password = std::move(password);
        o.userId = upper(argv[i]);
    }
    return o;
}

}  // namespace morvaline
