#include "link/line_requests.h"

namespace morvaline {

LoginMode loginModeOf(int route) {
    switch (route) {
        case 1:
            return LoginMode::AfterBrace;
        case 2:
        case 3:
            return LoginMode::Script;
        case 4:
            return LoginMode::AlreadyAtHost;
        default:
            return LoginMode::Wait;
    }
}

}  // namespace morvaline
