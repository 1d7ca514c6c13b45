// The room list refresh: the forum's menu (and the menus of its folders) read from the host
// and the rooms of the tree brought in step with it: new rooms and folders added, renamed
// ones renamed, closed ones reported, the highest message numbers stored.

#include <set>
#include <string>

#include "link/result_codes.h"
#include "patrol/services/forum/forum_lines.h"
#include "patrol/services/forum/forum_service.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/listing_merge.h"

namespace morvaline {
namespace {

std::vector<MenuRoom> menuRooms(std::string_view menu) {
    std::vector<MenuRoom> rooms;
    std::size_t start = 0;
    while (start < menu.size()) {
        const std::size_t end = std::min(menu.find('\n', start), menu.size());
        for (MenuRoom& room : parseMenuRooms(menu.substr(start, end - start)))
            rooms.push_back(std::move(room));
        start = end + 1;
    }
    return rooms;
}

// The key under which a menu entry and a place of the tree meet: the kind and the number.
std::string placeKey(int kind, int number) { return std::to_string(kind) + "/" + std::to_string(number); }

// One menu level merged into the children of a place of the tree.
class MenuMerge {
public:
    MenuMerge(CPatrolEngine& engine, CItemArray& tree, bool whole, const std::vector<int>& dueRooms,
              std::map<int, int>& highest)
        : engine_(engine), tree_(tree), whole_(whole), due_(dueRooms.begin(), dueRooms.end()),
          highest_(highest) {}

    // Merges the entries into the children of parent; the folders taken, as (place,
    // number), to be read next.
    std::vector<std::pair<int, int>> merge(int parent, const std::vector<MenuRoom>& entries) {
        std::vector<const MenuRoom*> rooms;
        std::vector<ListedItems::Entry> listed;
        for (const MenuRoom& entry : entries) {
            if (entry.kind == MenuRoom::Kind::Talk) continue;
            rooms.push_back(&entry);
            listed.push_back({placeKey(kindOf(entry), entry.number), entry.number});
        }
        CItemArray* const lists[] = {&tree_};
        const ListingMatch match = matchListing(
            lists,
            [parent](const CItem& item) -> std::optional<std::string> {
                if (item.m_nParent != parent ||
                    (item.m_nKind != kind::kRoom && item.m_nKind != kind::kRoomGroup))
                    return {};
                return placeKey(item.m_nKind, item.m_nNumber);
            },
            listed);
        std::vector<std::pair<int, int>> folders;
        std::set<int> listedPlaces;
        for (std::size_t i = 0; i < rooms.size(); ++i) {
            const MenuRoom& entry = *rooms[i];
            const bool folder = entry.kind == MenuRoom::Kind::Folder;
            int place = match.found[i] ? match.found[i]->index : -1;
            if (!taken(place, folder)) continue;
            if (place < 0) {
                place = addRoom(tree_, parent, entry.number, entry.name, kindOf(entry));
                if (place < 0) continue;
                engine_.events().report(texts::kNewForumFound, entry.name);
                engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Added, tree_, place));
            } else if (!entry.name.empty() && tree_.item(place).m_szTitle.view() != entry.name) {
                tree_.setTitle(place, entry.name);
                engine_.events().report(texts::kForumRenamed, entry.name);
                engine_.events().placeNotice(
                    PlaceNotice::of(PlaceChange::ReservationChanged, tree_, place));
            }
            listedPlaces.insert(place);
            if (folder) {
                folders.emplace_back(place, entry.number);
                continue;
            }
            highest_[place] = entry.highest;
            if (roomHighest(tree_.item(place)) != entry.highest) {
                tree_.setSize(place, entry.highest);
                engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree_, place));
            }
        }
        // Rooms the host no longer lists (only those the refresh took).
        const CItem owner = tree_.item(parent);
        for (int child = owner.m_nChild, steps = 0; child >= 0 && steps < tree_.size();
             child = tree_.item(child).m_nNext, ++steps) {
            const CItem room = tree_.item(child);
            if (room.m_nKind == kind::kRoom && room.m_nNumber > 0 &&
                room.m_nNumber <= kHighestServedRoom && !listedPlaces.contains(child) &&
                taken(child, false))
                engine_.events().report(texts::kForumNotFound, room.m_szTitle.view());
        }
        return folders;
    }

private:
    // With only some rooms due, only those rooms and the folders that hold them are taken.
    static int kindOf(const MenuRoom& entry) {
        return entry.kind == MenuRoom::Kind::Folder ? kind::kRoomGroup : kind::kRoom;
    }
    bool taken(int place, bool folder) const {
        if (whole_) return true;
        if (place < 0) return false;
        if (!folder) return due_.contains(place);
        for (const int room : due_)
            if (tree_.isBelow(room, place)) return true;
        return false;
    }

    CPatrolEngine& engine_;
    CItemArray& tree_;
    bool whole_;
    std::set<int> due_;
    std::map<int, int>& highest_;
};

}  // namespace

std::optional<std::map<int, int>> ForumService::refreshRooms(int forum, bool whole,
                                                             const std::vector<int>& dueRooms) {
    std::string menu;
    if (navigator_.GoToPlace(forum, forumMenus(), &menu) != result::Ok) return std::nullopt;
    std::map<int, int> highest;
    MenuMerge merge(engine_, doc_.tree(), whole, dueRooms, highest);
    std::vector<std::pair<int, int>> folders = merge.merge(forum, menuRooms(menu));
    for (const auto& [folder, number] : folders) {
        std::string folderMenu;
        const result::Code read = navigator_.readFolderMenu(number, forumMenus(), folderMenu);
        if (read == result::PlaceFailed) continue;
        if (read != result::Ok) return std::nullopt;
        merge.merge(folder, menuRooms(folderMenu));
    }
    return highest;
}

}  // namespace morvaline
