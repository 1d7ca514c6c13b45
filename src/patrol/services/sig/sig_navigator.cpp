#include "patrol/services/sig/sig_navigator.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/item.h"

namespace morvaline {
namespace {

// The parts of a host path: the SIG's code, then the menu numbers.
struct HostPath {
    std::string code;
    std::vector<int> numbers;
};

std::optional<HostPath> splitPath(std::string_view path) {
    HostPath parts;
    std::size_t start = 0;
    bool first = true;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part =
            path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
        if (first) {
            parts.code = std::string(part);
            first = false;
        } else {
            int number = 0;
            const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), number);
            if (part.empty() || ec != std::errc() || end != part.data() + part.size() || number <= 0)
                return {};
            parts.numbers.push_back(number);
        }
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    if (parts.code.empty()) return {};
    return parts;
}

bool isArea(int kind) { return kind == kind::kForumArea || kind == kind::kLibraryArea; }

// Blanks, CR and LF removed from both ends.
std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\r' || s.front() == '\n')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> sigBannerCode(std::string_view banner) {
    constexpr std::size_t kMaxCode = kCodeSize - 1;
    std::string_view last;
    while (!banner.empty()) {
        const std::size_t end = banner.rfind('\n');
        const std::string_view line =
            trimmed(end == std::string_view::npos ? banner : banner.substr(end + 1));
        banner = end == std::string_view::npos ? std::string_view() : banner.substr(0, end);
        if (!line.empty()) {
            last = line;
            break;
        }
    }
    const std::size_t open = last.rfind("  (");
    if (open == std::string_view::npos || !last.ends_with(")")) return {};
    const std::string_view code = last.substr(open + 3, last.size() - open - 4);
    if (code.empty() || code.size() > kMaxCode) return {};
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return {};
    return std::string(code);
}

std::vector<int> placesBelow(const CItemArray& tree, int area, int kind) {
    // Folders nest a few levels at most; a deeper tree is not an area's.
    constexpr int kMaxDepth = 8;
    std::vector<int> places;
    const std::function<void(int, int)> walkBelow = [&](int parent, int depth) {
        for (int child = tree.item(parent).m_nChild, steps = 0; child >= 0 && steps < tree.size();
             child = tree.item(child).m_nNext, ++steps) {
            const CItem item = tree.item(child);
            if (item.hasFlag(ITEM_FLAG_HIDDEN)) continue;
            if (item.m_nKind == kind) places.push_back(child);
            if (item.m_nKind == kind::kRoomGroup && depth < kMaxDepth) walkBelow(child, depth + 1);
        }
    };
    walkBelow(area, 0);
    return places;
}

SigNavigator::SigNavigator(CPatrolEngine& engine, CTolDoc& doc) : engine_(engine), doc_(doc) {}

int SigNavigator::areaOf(int place) const {
    const CItemArray& tree = doc_.tree();
    for (int i = place, steps = 0; tree.valid(i) && steps < tree.size(); ++steps) {
        const CItem item = tree.item(i);
        if (isArea(item.m_nKind)) return i;
        i = item.m_nParent;
    }
    return -1;
}

std::string SigNavigator::areaName(int area) const {
    const CItem item = doc_.tree().item(area);
    const CItem parent = doc_.tree().item(item.m_nParent);
    return parent.m_nKind == kind::kForum ? parent.m_szTitle.str() : item.m_szTitle.str();
}

std::string SigNavigator::areaPath(int area) const { return sigAreaPath(doc_.tree(), area); }

result::Code SigNavigator::GoToSig(int place) {
    const int area = areaOf(place);
    const std::optional<HostPath> path = area < 0 ? std::nullopt : splitPath(areaPath(area));
    // A code beginning with "~" names a place reached by its full path, not a SIG.
    if (!path || path->code.starts_with("~")) {
        engine_.events().report(texts::kSigNotReached, path ? path->code : std::string());
        return result::PlaceFailed;
    }
    if (at_ == At::Sig && sig_ == path->code) return result::Ok;
    if (at_ != At::Elsewhere && at_ != At::Sig) {
        if (const result::Code left = leaveArea(); left != result::Ok) return left;
    }
    at_ = At::Elsewhere;
    std::string banner;
    if (const result::Code echoed = engine_.SendEchoed("J" + path->code); echoed != result::Ok)
        return echoed;
    engine_.Send("\r");
    if (const result::Code shown = engine_.WaitFor("\r\n", false); shown != result::Ok) return shown;
    if (const result::Code read = engine_.CaptureUntil(menuTexts().promptLine, banner); read != result::Ok)
        return read;
    if (const result::Code ended = engine_.WaitFor(menuTexts().promptEnd, false); ended != result::Ok)
        return ended;
    const std::optional<std::string> code = sigBannerCode(banner);
    if (!code) {
        engine_.events().report(texts::kSigNotReached, path->code);
        return result::PlaceFailed;
    }
    if (*code != path->code) {
        renameSig(area, *code);
        engine_.events().report(texts::kSigCodeChanged, *code);
    }
    engine_.events().report(texts::kMovedToSig, *code);
    engine_.events().activity(Animation::Sig);
    at_ = At::Sig;
    sig_ = *code;
    return result::Ok;
}

Waited<SigNavigator::MenuEnd> SigNavigator::readMenu(const AreaMenus& menus, std::string* text) {
    static const std::string kRefused = "\n" + sj("番号またはコマンドが間違っています。訂正して下さい。");
    std::vector<Prompt> prompts = {{kRefused, false}};
    const int pageBreak = menus.pageBreak.empty() ? -1 : static_cast<int>(prompts.size());
    if (pageBreak > 0) prompts.push_back({menus.pageBreak, false});
    for (const std::string& prompt : menus.prompts) prompts.push_back({prompt, false});
    for (int pages = 1;; ++pages) {
        std::string page;
        const Waited<int> got = engine_.WaitForPrompts(prompts, text ? &page : nullptr);
        if (!got) return Waited<MenuEnd>::ended(got.code());
        if (text && pages <= kMaxMenuPages) *text += page;
        if (text && pages == kMaxMenuPages + 1)
            engine_.events().report(texts::kListCutShort, std::to_string(kMaxMenuPages));
        if (got.which() == 0) return Waited<MenuEnd>::prompt(MenuEnd::Refused);
        if (got.which() != pageBreak) return Waited<MenuEnd>::prompt(MenuEnd::Menu);
        engine_.Send("\r");
        if (const result::Code echoed = engine_.WaitFor("\r\n", false); echoed != result::Ok)
            return Waited<MenuEnd>::ended(echoed);
    }
}

result::Code SigNavigator::refused(const AreaMenus& menus, std::string_view name) {
    if (menus.notReached) engine_.events().report(*menus.notReached, name);
    const result::Code settled = engine_.WaitForMenuPrompt();
    return settled == result::Ok ? result::PlaceFailed : settled;
}

result::Code SigNavigator::sendAreaNumbers(int area, const AreaMenus& menus, std::string* menu) {
    const std::optional<HostPath> path = splitPath(areaPath(area));
    if (!path || path->numbers.empty()) {
        if (menus.notReached) engine_.events().report(*menus.notReached, areaName(area));
        return result::PlaceFailed;
    }
    // A group's number first, then the area's.
    for (std::size_t i = 0; i + 1 < path->numbers.size(); ++i) {
        engine_.Send(std::to_string(path->numbers[i]) + "\r");
        if (const result::Code settled = engine_.WaitForMenuPrompt(); settled != result::Ok)
            return settled;
    }
    engine_.Send(std::to_string(path->numbers.back()) + "\r");
    const Waited<MenuEnd> got = readMenu(menus, menu);
    if (!got) return got.code();
    if (got.is(MenuEnd::Refused)) return refused(menus, areaName(area));
    enteredArea(area);
    return result::Ok;
}

result::Code SigNavigator::readFolderMenu(int number, const AreaMenus& menus, std::string& text) {
    engine_.Send(std::to_string(number) + "\r");
    const Waited<MenuEnd> got = readMenu(menus, &text);
    if (!got) return got.code();
    if (got.is(MenuEnd::Refused)) return refused({}, {});
    engine_.Send("S\r");
    return engine_.WaitForMenuPrompt();
}

void SigNavigator::enteredArea(int area) {
    at_ = At::Area;
    area_ = area;
    folders_.clear();
}

void SigNavigator::enteredFolder(int folder) {
    at_ = At::Folder;
    folders_.push_back(folder);
}

void SigNavigator::enteredRoom(int room) {
    roomFromFolder_ = at_ == At::Folder;
    at_ = At::Room;
    room_ = room;
}

result::Code SigNavigator::enterFolder(int folder, const AreaMenus& menus) {
    engine_.Send(std::to_string(doc_.tree().item(folder).m_nNumber) + "\r");
    const Waited<MenuEnd> got = readMenu(menus, nullptr);
    if (!got) return got.code();
    if (got.is(MenuEnd::Refused)) return refused(menus, doc_.tree().item(folder).m_szTitle.view());
    enteredFolder(folder);
    return result::Ok;
}

result::Code SigNavigator::leaveRoom() {
    if (at_ != At::Room) return result::Ok;
    engine_.Send("S\r");
    if (const result::Code settled = engine_.WaitForMenuPrompt(); settled != result::Ok) return settled;
    at_ = roomFromFolder_ ? At::Folder : At::Area;
    return result::Ok;
}

result::Code SigNavigator::leaveFolder() {
    if (const result::Code left = leaveRoom(); left != result::Ok) return left;
    if (at_ != At::Folder) return result::Ok;
    engine_.Send("S\r");
    if (const result::Code settled = engine_.WaitForMenuPrompt(); settled != result::Ok) return settled;
    folders_.pop_back();
    at_ = folders_.empty() ? At::Area : At::Folder;
    return result::Ok;
}

result::Code SigNavigator::leaveArea() {
    while (at_ == At::Room || at_ == At::Folder) {
        if (const result::Code left = leaveFolder(); left != result::Ok) return left;
    }
    if (at_ != At::Area) return result::Ok;
    engine_.Send("M\r");
    at_ = At::Elsewhere;
    return engine_.WaitForMenuPrompt();
}

result::Code SigNavigator::GoToPlace(int place, const AreaMenus& menus, std::string* areaMenu) {
    const int area = areaOf(place);
    if (area < 0) return result::PlaceFailed;
    // The folders on the way, top-down.
    std::vector<int> folders;
    for (int i = place; i != area && doc_.tree().valid(i); i = doc_.tree().item(i).m_nParent)
        if (doc_.tree().item(i).m_nKind == kind::kRoomGroup) folders.insert(folders.begin(), i);

    if (const result::Code left = leaveRoom(); left != result::Ok) return left;
    // Out of folders that are not on the way, and out of another area.
    while (at_ == At::Folder && (area_ != area || areaMenu || folders_.size() > folders.size() ||
                                 !std::equal(folders_.begin(), folders_.end(), folders.begin()))) {
        if (const result::Code left = leaveFolder(); left != result::Ok) return left;
    }
    if (at_ == At::Area && (area_ != area || areaMenu)) {
        if (const result::Code left = leaveArea(); left != result::Ok) return left;
    }
    if (at_ != At::Area && at_ != At::Folder) {
        if (const result::Code reached = GoToSig(place); reached != result::Ok) return reached;
        if (const result::Code entered = sendAreaNumbers(area, menus, areaMenu); entered != result::Ok)
            return entered;
    }
    for (std::size_t i = folders_.size(); i < folders.size(); ++i) {
        if (const result::Code entered = enterFolder(folders[i], menus); entered != result::Ok)
            return entered;
    }
    return result::Ok;
}

void SigNavigator::renameSig(int area, const std::string& code) {
    CItemArray& tree = doc_.tree();
    const CItem areaItem = tree.item(area);
    const int top = tree.item(areaItem.m_nParent).m_nKind == kind::kForum ? areaItem.m_nParent : area;
    const std::optional<HostPath> old = splitPath(areaPath(area));
    if (!old) return;
    const std::string prefix = old->code;
    for (int i = 0; i < tree.size(); ++i) {
        if (i != top && !tree.isBelow(i, top)) continue;
        const std::string path = tree.item(i).m_strPath.str();
        if (path == prefix || path.starts_with(prefix + "/")) {
            tree.setPath(i, code + path.substr(prefix.size()));
            engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree, i));
        }
    }
    // An area whose path was its ID: the path now carries the new code.
    if (tree.item(area).m_strPath.empty() && tree.item(top).m_strPath.empty()) {
        tree.setPath(area, code + areaPath(area).substr(prefix.size()));
        engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree, area));
    }
}

}  // namespace morvaline
