#include "store/mail_folders.h"

#include <cstdio>

#include "platform/text_codec.h"
#include "store/document.h"
#include "store/item_transfer.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

constexpr std::uint32_t kCopiedPlaceBit = 0x80000;

bool holdsPlaces(int kind) {
    return kind == kind::kRoot || kind == kind::kFolder || kind == kind::kFavourites;
}

}  // namespace

int findTrashPlace(const CTolDoc& doc) { return doc.tree().findKind(kind::kTrash); }

int addMailFolder(CTolDoc& doc, int parent, std::string_view title) {
    CItemArray& tree = doc.tree();
    if (!tree.valid(parent) || !holdsPlaces(tree.item(parent).m_nKind)) return -1;
    const int number = doc.nextFileNumber(FileCounter::M);
    if (number == 0) return -1;
    char id[16];
    std::snprintf(id, sizeof id, "~M%06d", number);
    const std::string defaultTitle = sj("新しいﾒｰﾙ ﾌｫﾙﾀﾞ");
    const int index = tree.add(parent, 0, 0, id, title.empty() ? defaultTitle : title,
                               kind::kMailFolder, 0);
    tree.setTarget(index, number);
    return index;
}

bool renameMailFolder(CTolDoc& doc, int folder, std::string_view title) {
    CItemArray& tree = doc.tree();
    if (!tree.valid(folder) || tree.item(folder).m_nKind != kind::kMailFolder || title.empty())
        return false;
    tree.setTitle(folder, title);
    return true;
}

bool removeMailFolder(CTolDoc& doc, int folder, std::string* error) {
    CItemArray& tree = doc.tree();
    if (!tree.valid(folder) || tree.item(folder).m_nKind != kind::kMailFolder) {
        *error = "not a mail folder";
        return false;
    }
    const int serial = tree.item(folder).m_nSerial;
    {
        OpenedList list(doc, folder, false);
        if (!list && list.outcome() != ListLoad::Missing) {
            *error = "the folder's message list cannot be read; run the file check first";
            return false;
        }
        if (list && list->size() > 1) {
            const int trash = findTrashPlace(doc);
            OpenedList trashList(doc, trash);
            std::vector<int> all;
            for (int c = list->item(0).m_nChild; c >= 0; c = list->item(c).m_nNext) all.push_back(c);
            bool inBoth = false;
            if (!trashList ||
                moveItems(doc, *list, transferSelection(*list, all, true), *trashList, 0, &inBoth).empty() ||
                inBoth) {
                *error = "the folder's mail could not be moved to the trash";
                return false;
            }
        }
    }
    doc.discardList(tree.findSerial(serial));
    tree.remove(tree.findSerial(serial));
    return true;
}

int addPlaceCopy(CTolDoc& doc, int source, int parent) {
    CItemArray& tree = doc.tree();
    if (!tree.valid(source) || !tree.valid(parent) || !holdsPlaces(tree.item(parent).m_nKind))
        return -1;
    const CItem place = tree.item(source);
    if (place.m_nKind < 0 || place.m_nKind == kind::kRoomGroup) return -1;
    const bool club = place.m_nKind == kind::kClub || place.m_nKind == kind::kCircle;
    const std::string path(club ? place.m_szCode.view() : place.m_strPath.view());
    for (int c = tree.item(parent).m_nChild; c >= 0; c = tree.item(c).m_nNext) {
        const CItem child = tree.item(c);
        if (child.m_nKind == place.m_nKind && child.m_szTitle.view() == place.m_szTitle.view() &&
            child.m_strPath.view() == path)
            return c;
    }
    const int number = doc.nextFileNumber(FileCounter::R);
    if (number == 0) return -1;
    char id[16];
    std::snprintf(id, sizeof id, "~R%06d", number);
    const int index = tree.add(parent, place.m_nNumber, 0, id, place.m_szTitle.view(), place.m_nKind,
                               0, fileTimeNow(), place.m_szCode.view());
    tree.setPath(index, path);
    tree.setFlags(index, ~0u, ITEM_FLAG_HIDDEN | (place.m_dwFlags & kCopiedPlaceBit));
    return index;
}

}  // namespace morvaline
