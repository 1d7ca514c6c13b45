// morvaline-cli place: places reached by their host path (the GO command) added to the tree:
// posting places and boards, and clubs and circles by their code (their paths "CLUB/code"
// and "CIRCLE/code"). A password that the host asks for on the way is read from the environment
// (MORVALINE_PLACE_PASSWORD), never from the arguments, and kept where the data set keeps
// it: the place's code field.

#include <cstdlib>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "platform/text_codec.h"
#include "store/document.h"

namespace morvaline::cli {
namespace {

struct PlaceKind {
    const char* word;
    int kind;
    const char* defaultTitle;
};

constexpr PlaceKind kPlaceKinds[] = {
    {"posting", kind::kSentMail, "投稿"},
    {"board", kind::kBoard, "掲示板"},
    {"club", kind::kClub, "ｸﾗﾌﾞ"},
    {"circle", kind::kCircle, "ｻｰｸﾙ"},
    {"section", kind::kLibrary, "OSL"},
};

// The host path: elements of letters, digits and "~", "_", "-" parted by "/".
std::string checkedPath(const std::string& path) {
    bool fresh = true;
    for (const char c : path) {
        if (c == '/') {
            if (fresh) break;
            fresh = true;
            continue;
        }
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           c == '~' || c == '_' || c == '-';
        if (!plain) throw CommandError{"a host path is letters and digits parted by '/', not '" + path + "'"};
        fresh = false;
    }
    if (path.empty() || fresh || path.size() > kMaxPath)
        throw CommandError{"a host path is letters and digits parted by '/', not '" + path + "'"};
    return path;
}

}  // namespace

int commandPlace(Session& session, Args args) {
    constexpr std::string_view usage =
        "place ID add posting|board|section PATH | club|circle CODE [--title NAME] [--password]";
    const std::string title = takeOption(args, "--title");
    const bool withPassword = takeFlag(args, "--password");
    const std::string userId = takeArgument(args, usage);
    const std::string action = takeArgument(args, usage);
    if (action != "add") throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    const std::string what = takeArgument(args, usage);
    std::string path = checkedPath(takeArgument(args, usage));
    expectNoMoreArguments(args, usage);
    const PlaceKind* chosen = nullptr;
    for (const PlaceKind& k : kPlaceKinds)
        if (what == k.word) chosen = &k;
    if (!chosen) throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    // A club or circle is found by its code at the club menu.
    const bool club = chosen->kind == kind::kClub || chosen->kind == kind::kCircle;
    if (club && path.find('/') != std::string::npos)
        throw CommandError{"a club or circle is named by its code alone, not '" + path + "'"};
    const std::string code = path.substr(0, path.find('/'));
    // A library section keeps its number in its library's menu, the path's last element.
    const std::string last = path.substr(path.rfind('/') + 1);
    if (chosen->kind == kind::kLibrary && (path.find('/') == std::string::npos || last.size() > 3 ||
                                           last.find_first_not_of("0123456789") != std::string::npos))
        throw CommandError{"a library section's path ends in its number, not '" + path + "'"};
    if (club) path = (chosen->kind == kind::kClub ? "CLUB/" : "CIRCLE/") + path;

    std::string password;
    if (withPassword) {
        const char* env = std::getenv("MORVALINE_PLACE_PASSWORD");
        password = env ? utf8ToSjis(env) : std::string();
        if (password.empty() || password.size() >= kCodeSize)
            throw CommandError{"--password takes 1 to 8 bytes from MORVALINE_PLACE_PASSWORD"};
    }
    const OpenedUser doc = session.openUser(userId);
    if (chosen->kind == kind::kSentMail && code == "MAIL")
        throw CommandError{"the code MAIL is the outgoing mail's"};
    CItemArray& tree = doc->tree();
    const std::string name = title.empty() ? sj(chosen->defaultTitle) + " " + code : utf8ToSjis(title);
    const int place = tree.add(0, 0, 0, code, name, chosen->kind, 0, fileTimeNow(), password);
    tree.setPath(place, path);
    if (chosen->kind == kind::kLibrary) tree.setNumber(place, std::stoi(path.substr(path.rfind('/') + 1)));
    saveUser(*doc);
    std::cout << place << "  " << utf8(tree.item(place).m_szTitle.view()) << "  [" << path << "]\n";
    return 0;
}

}  // namespace morvaline::cli
