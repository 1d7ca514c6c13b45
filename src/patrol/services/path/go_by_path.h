#pragma once
// The way to a place by its host path (the GO command), and the generic screen handler that
// answers what the host shows on the way. Boards, clubs, circles, posting places, library
// sections outside a library, notices and unknown places are reached this way. Patrol
// thread.
//
// The host path is split at "/": "J" and the first element jump to a service by its code,
// each further element is a number or command typed at the menu reached so far. After
// each element the screen handler answers the host's intermediate screens:
//   - a service that costs an information fee is refused ("N" to its question) and the
//     place fails;
//   - "PASSWORD:" gets the place's password, once; a second prompt, a place without a
//     password or the host's refusal of it fails the place;
//   - a screen that waits for a text is left at once with "..";
//   - "リターンキーを押して下さい=" is answered with CR;
//   - a prompt of the ending set ends the screen; one whose command list offers ",N," has
//     a further page, which is fetched (up to kMaxScreenPages).
// A step the host refused ("番号またはコマンドが間違っています。") fails the place too.

#include <string>
#include <string_view>

#include "link/result_codes.h"
#include "patrol/engine/patrol_engine.h"

namespace morvaline {

class CItemArray;
class CItem;

// Pages of one screen fetched at most.
inline constexpr int kMaxScreenPages = 50;
// Bytes of a screen kept at most; the rest is read and dropped.
inline constexpr std::size_t kMaxScreenText = 1 << 20;

struct ScreenReached {
    result::Code code = result::Ok;  // Ok, PlaceFailed (the place is not reachable), or the
                                     // result code that ended the run
    std::string screen;              // what the host showed, all pages, up to the prompt
    std::string prompt;              // the prompt that ended it, from its LF to ")="

    explicit operator bool() const { return code == result::Ok; }
};

// How the way ends at the place.
enum class PathEnd {
    Prompt,     // at the prompt that ends the place's screen
    TextEntry,  // at a text entry that waits for its first line (a posting place)
};

// The password the host asks for on the way to a place: the code field of a place reached by
// its host path (boards, clubs, circles, posting places ...); empty for the places of a SIG.
std::string placePassword(const CItem& place);

// Answers the screen that follows a command, as above. name is the place's name for the
// reports. With PathEnd::TextEntry a text entry ends the screen instead of being left.
ScreenReached AnswerScreen(CPatrolEngine& engine, std::string_view name, std::string_view password,
                           PathEnd end = PathEnd::Prompt);

// Goes to the place by its host path. For a forum area or a library area the last element
// is not sent: it is the menu number that the forum or library code uses. With
// PathEnd::TextEntry a text entry after the last element is left open: it ends the way.
ScreenReached GoByPath(CPatrolEngine& engine, const CItemArray& tree, int place,
                       PathEnd end = PathEnd::Prompt);

}  // namespace morvaline
