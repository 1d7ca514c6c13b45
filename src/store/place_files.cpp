#include "store/place_files.h"

#include "store/item_array.h"

namespace morvaline {
std::optional<PlaceFileNames> placeFileNames(std::string_view id, int kind, int number,
                                             std::uint32_t flags, int forumLetterIndex) {
    std::string base;
    for (const char c : id) {
        if (c == '/') continue;
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') return std::nullopt;
        base += c;
    }
    if (kind > kind::kCircle || (flags & ITEM_FLAG_HIDDEN)) {
        kind = kind::kMailFolder;
        number = 0;
    }
    int listLetter, textLetter;
    if (kind == kind::kForum || kind == kind::kRoot || kind == kind::kTrash) {
        listLetter = '0';
        textLetter = '1';
    } else if (kind == kind::kClub || kind == kind::kCircle) {
        listLetter = 2 * kind + 24;
        textLetter = 2 * kind + 25;
    } else if (kind >= 0) {
        listLetter = 2 * kind + 65;
        textLetter = 2 * kind + 66;
    } else {
        return std::nullopt;
    }
    if (number < 0 || forumLetterIndex < 0) return std::nullopt;
    const int second = 'A' + number % 26;
    const long third = '0' + static_cast<long>(number / 26);
    const long forumLetter = 'A' + static_cast<long>(forumLetterIndex);
    if (third > '~' || forumLetter > '~') return std::nullopt;
    std::string letters{static_cast<char>(second), static_cast<char>(third)};
    if (forumLetterIndex != 0) letters += static_cast<char>(forumLetter);
    return PlaceFileNames{base + "." + static_cast<char>(listLetter) + letters,
                          base + "." + static_cast<char>(textLetter) + letters};
}

std::optional<PlaceFileNames> placeFileNames(const CItemArray& tree, int index) {
    const CItem place = tree.item(index);
    if (!tree.valid(index)) return std::nullopt;
    int forumLetterIndex = 0;
    if (tree.valid(place.m_nParent)) {
        const CItem parent = tree.item(place.m_nParent);
        if (parent.m_nKind == kind::kRoomGroup) forumLetterIndex = parent.m_nNumber;
    }
    return placeFileNames(place.m_szID.view(), place.m_nKind, place.m_nNumber, place.m_dwFlags,
                          forumLetterIndex);
}

bool placeHoldsList(int kind) {
    return (kind >= 0 && kind <= kind::kMax && kind != kind::kRoomGroup) || kind == kind::kForum ||
           kind == kind::kRoot || kind == kind::kTrash;
}

}  // namespace morvaline
