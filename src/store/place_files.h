#pragma once
// Names of the two files of a place in the user's data folder: its message list and its
// message text file, built from the place's ID, kind, number and flags.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

class CItemArray;

struct PlaceFileNames {
    std::string list;  // e.g. "MAIL.IA0"
    std::string text;  // e.g. "MAIL.JA0"
};

// forumLetterIndex: the number of the parent when the parent is a room group (kind 11),
// else 0. Empty when the name would leave printable ASCII (a number or index too large, a
// control byte in the ID).
std::optional<PlaceFileNames> placeFileNames(std::string_view id, int kind, int number,
                                             std::uint32_t flags, int forumLetterIndex);

// The file names of place index of the place tree.
std::optional<PlaceFileNames> placeFileNames(const CItemArray& tree, int index);

// True for the places that hold a message list: every non-negative kind except the room
// groups (kind 11), and the forums, the root and the trash.
bool placeHoldsList(int kind);

}  // namespace morvaline
