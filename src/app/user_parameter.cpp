#include "app/user_parameter.h"

#include <algorithm>
#include <cstring>

namespace morvaline {

std::optional<std::string> takeUserPassword(char* arg) {
    if (!arg || arg[0] == '-' || arg[0] == '/') return std::nullopt;
    char* semicolon = std::strchr(arg, ';');
    if (!semicolon || semicolon == arg || semicolon - arg > 8) return std::nullopt;
    std::string password(semicolon + 1);
    std::fill(semicolon, semicolon + 1 + password.size(), '\0');
    return password;
}

}  // namespace morvaline
