#include "store/forum_rooms.h"

#include "store/item_array.h"

namespace morvaline {
namespace {

constexpr int kMaxMenuNumber = 999;

bool validCode(std::string_view code) {
    if (code.empty() || code.size() >= kCodeSize) return false;
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

}  // namespace

std::string sigAreaPath(const CItemArray& tree, int area) {
    const CItem item = tree.item(area);
    if (!item.m_strPath.empty()) return item.m_strPath.str();
    const CItem parent = tree.item(item.m_nParent);
    if (parent.m_nKind == kind::kForum && !parent.m_strPath.empty()) return parent.m_strPath.str();
    return item.m_szID.str();
}

int addSigForum(CItemArray& tree, int parent, std::string_view code, const std::vector<int>& numbers,
                std::string_view title) {
    if (!validCode(code) || numbers.empty()) return -1;
    std::string path;
    for (const char c : code) path += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (const int number : numbers) {
        if (number < 1 || number > kMaxMenuNumber) return -1;
        path += "/" + std::to_string(number);
    }
    return tree.addForum(parent, path, title.empty() ? std::string_view(path) : title);
}

int addRoom(CItemArray& tree, int areaOrFolder, int number, std::string_view title, int placeKind) {
    if (number < 1 || number > kMaxMenuNumber || !tree.valid(areaOrFolder)) return -1;
    if (placeKind != kind::kRoom && placeKind != kind::kRoomGroup && placeKind != kind::kLibrary)
        return -1;
    const CItem menu = tree.item(areaOrFolder);
    for (int child = menu.m_nChild, steps = 0; child >= 0 && steps < tree.size();
         child = tree.item(child).m_nNext, ++steps) {
        const CItem item = tree.item(child);
        if (item.m_nKind == placeKind && item.m_nNumber == number) return -1;
    }
    int area = areaOrFolder;
    while (tree.valid(area) && tree.item(area).m_nKind == kind::kRoomGroup) area = tree.item(area).m_nParent;
    // Rooms belong to a message area, library sections to a library area, folders to either.
    const int areaKind = tree.valid(area) ? tree.item(area).m_nKind : -1;
    const bool fits = placeKind == kind::kRoom      ? areaKind == kind::kForumArea
                      : placeKind == kind::kLibrary ? areaKind == kind::kLibraryArea
                                                    : areaKind == kind::kForumArea || areaKind == kind::kLibraryArea;
    if (!fits) return -1;
    const std::string areaPath = sigAreaPath(tree, area);
    std::string menuPath = areaPath;
    if (menu.m_nKind == kind::kRoomGroup)
        menuPath = menu.m_strPath.empty() ? areaPath + "/" + std::to_string(menu.m_nNumber)
                                          : menu.m_strPath.str();
    const std::string code = areaPath.substr(0, areaPath.find('/'));
    const int room = tree.add(areaOrFolder, number, 0, tree.item(area).m_szID.view(), title,
                              placeKind, 0, fileTimeNow(), code);
    tree.setPath(room, menuPath + "/" + std::to_string(number));
    return room;
}

}  // namespace morvaline
