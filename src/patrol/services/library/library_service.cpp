#include "patrol/services/library/library_service.h"

#include <map>
#include <set>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/library/library_lines.h"
#include "patrol/services/path/go_by_path.h"
#include "patrol/services/library/library_texts.h"
#include "store/document.h"
#include "store/forum_rooms.h"

namespace morvaline {

LibraryService::LibraryService(CPatrolEngine& engine, CTolDoc& doc)
    : engine_(engine), doc_(doc), navigator_(engine, doc) {}

bool LibraryService::serves(int kind) const { return kind == kind::kLibraryArea || kind == kind::kLibrary; }

void LibraryService::reach(int place, PatrolWalk& walk) {
    if (doc_.tree().item(place).m_nKind == kind::kLibraryArea) ServeOsl(place, walk);
    // A section below a library is served with it.
    else if (navigator_.areaOf(place) < 0) serveSection(place, walk);
}

AreaMenus LibraryService::libraryMenus() const {
    const LibraryTexts& host = libraryTexts();
    return {{host.menuPrompts.begin(), host.menuPrompts.end()}, menuTexts().pressReturn,
            &texts::kLibraryNotReached};
}

void LibraryService::greet(int section) {
    if (greeted_) return;
    greeted_ = true;
    engine_.events().report(texts::kMovedToLibrary, doc_.tree().item(section).m_szTitle.view());
    engine_.events().activity(Animation::Library);
}

LibraryService::Step LibraryService::refreshSections(int library) {
    std::string menu;
    const result::Code reached = navigator_.GoToPlace(library, libraryMenus(), &menu);
    if (reached != result::Ok) return reached == result::PlaceFailed ? Step::Unreachable : Step::Stopped;
    CItemArray& tree = doc_.tree();
    std::map<int, int> byNumber;  // number -> section directly below the library
    for (int child = tree.item(library).m_nChild, steps = 0; child >= 0 && steps < tree.size();
         child = tree.item(child).m_nNext, ++steps)
        if (tree.item(child).m_nKind == kind::kLibrary) byNumber[tree.item(child).m_nNumber] = child;
    std::set<int> listed;
    for (const MenuSection& entry : menuSections(menu)) {
        const auto found = byNumber.find(entry.number);
        if (found == byNumber.end()) {
            const int added = addRoom(tree, library, entry.number, entry.name, kind::kLibrary);
            if (added < 0) continue;
            engine_.events().report(texts::kNewLibraryFound, entry.name);
            engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Added, tree, added));
            listed.insert(entry.number);
            continue;
        }
        listed.insert(entry.number);
        if (tree.item(found->second).m_szTitle.view() != entry.name) {
            tree.setTitle(found->second, entry.name);
            engine_.events().report(texts::kLibraryRenamed, entry.name);
            engine_.events().placeNotice(PlaceNotice::of(PlaceChange::ReservationChanged, tree, found->second));
        }
    }
    for (const auto& [number, section] : byNumber)
        if (!listed.contains(number))
            engine_.events().report(texts::kLibraryNotFound, tree.item(section).m_szTitle.view());
    return Step::Done;
}

LibraryService::Step LibraryService::enterSection(int section, std::string* menu, bool* entered) {
    const CItem place = doc_.tree().item(section);
    *entered = false;
    if (byPath_) {
        ScreenReached reached = GoByPath(engine_, doc_.tree(), section);
        if (reached.code != result::Ok) {
            if (reached.code != result::PlaceFailed) return Step::Stopped;
            engine_.events().report(texts::kLibraryNotReached, place.m_szTitle.view());
            return Step::Unreachable;
        }
        *menu = std::move(reached.screen);
        // Nothing is known of the menus above: "S" leaves the section, then the way is lost.
        navigator_.lost();
    } else {
        if (const result::Code reached = navigator_.GoToPlace(section, libraryMenus()); reached != result::Ok)
            return reached == result::PlaceFailed ? Step::Unreachable : Step::Stopped;
        engine_.Send(std::to_string(place.m_nNumber) + "\r");
        if (engine_.CaptureUntil(menuTexts().promptLine, *menu) != result::Ok ||
            engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok)
            return Step::Stopped;
        if (menu->find(libraryTexts().wrongCommand) != std::string::npos) {
            engine_.events().report(texts::kLibraryNotReached, place.m_szTitle.view());
            return Step::Done;
        }
    }
    navigator_.enteredRoom(section);
    greet(section);
    *entered = true;
    return Step::Done;
}

void LibraryService::serveSection(int section, PatrolWalk& walk) {
    navigator_.lost();
    listOpen_ = -1;
    const DueCheck due = walk.isDue(section, false);
    if (!due.due && !doc_.tree().item(section).hasFlag(ITEM_FLAG_HAS_RESERVED)) return;
    byPath_ = true;
    Step step = Step::Done;
    if (due.due) step = ReadFileList(section);
    if (step == Step::Done && doc_.tree().item(section).hasFlag(ITEM_FLAG_HAS_RESERVED)) workReserved(section);
    byPath_ = false;
    navigator_.lost();
}

void LibraryService::ServeOsl(int library, PatrolWalk& walk) {
    navigator_.lost();
    listOpen_ = -1;
    if (walk.isDue(library, false).due) {
        const Step refreshed = refreshSections(library);
        if (refreshed != Step::Done) return;
    }
    for (const int section : placesBelow(doc_.tree(), library, kind::kLibrary)) {
        if (engine_.result() != result::Ok) return;
        const CItem place = doc_.tree().item(section);
        if (place.m_nNumber <= 0) continue;
        Step step = Step::Done;
        const DueCheck due = walk.isDue(section, false);
        if (due.due && (due.flags & kListFiles)) step = ReadFileList(section);
        if (step == Step::Done && doc_.tree().item(section).hasFlag(ITEM_FLAG_HAS_RESERVED))
            step = workReserved(section);
        if (step != Step::Done) break;
    }
    if (engine_.result() == result::Ok) navigator_.leaveArea();
}

}  // namespace morvaline
