#pragma once
// Where the host's dialogue stands among the SIGs, and the way from there to a place of a
// SIG: its area (the forum or the library of a SIG forum), a folder of the area, or the
// menu that lists a room. Forums use it now; libraries go the same way. Patrol thread.
//
// A SIG is reached by "J" and its code; the last line of its banner names its current
// code, which the place takes when it changed. An area is reached by its number in the
// SIG's menu (a group's number first when it has one), a folder by its number in the
// area's menu. "S" leaves a room or a folder; "M" leaves the area for the menus above,
// after which nothing is assumed about where the host stands.
//
// Locations, and what moves between them:
//   Elsewhere --"J" code--> Sig --number(s)--> Area --number--> Folder
//   Area or Folder --a room command of the caller--> Room (enteredRoom)
//   Room --"S"--> the menu it was entered from; Folder --"S"--> Area; Area --"M"--> Elsewhere

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/result_codes.h"
#include "patrol/engine/patrol_engine.h"

namespace morvaline {

class CItemArray;
class CTolDoc;

// The menus of one kind of area, as the host shows them after the area's number.
struct AreaMenus {
    std::vector<std::string> prompts;  // any of them ends the area's menu
    std::string pageBreak;             // a full page of the menu waits for CR here
    const Text* notReached = nullptr;  // logged with the area's name when its number is refused
};

// Pages of one menu read at most; later pages are turned but not kept.
inline constexpr int kMaxMenuPages = 1000;

// The SIG's code in the last line of its banner ("パソコンＳＩＧ  (PCSIG)"): letters and
// digits in round brackets after two blanks.
std::optional<std::string> sigBannerCode(std::string_view banner);

// The places of a kind below an area (rooms of a message area, sections of a library), in
// tree order through its folders; hidden places are left out.
std::vector<int> placesBelow(const CItemArray& tree, int area, int kind);

class SigNavigator {
public:
    SigNavigator(CPatrolEngine& engine, CTolDoc& doc);

    // To the menu of the place: the area for an area, the folder for a folder, the menu
    // listing a room for a room. 0, result::PlaceFailed when the host refused the way
    // (reported), or the result code that ended the run. With areaMenu the area is
    // entered anew and the text of its menu (all pages) goes there.
    result::Code GoToPlace(int place, const AreaMenus& menus, std::string* areaMenu = nullptr);
    // From the area's menu: the menu of its folder numbered number, read into text and
    // left again. 0, result::PlaceFailed when the host has no such folder, or the result
    // code that ended the run.
    result::Code readFolderMenu(int number, const AreaMenus& menus, std::string& text);
    // A room entered by a command at the menu the navigator brought the caller to.
    void enteredRoom(int room);
    bool inRoom(int room) const { return at_ == At::Room && room_ == room; }
    // "S" and the menu's prompt: out of the room, or out of the current folder.
    result::Code leaveRoom();
    result::Code leaveFolder();
    // "M" and the menu's prompt: out of the area; then nothing is assumed.
    result::Code leaveArea();
    // The host stands somewhere unknown (after "F", a failed step ...).
    void lost() { at_ = At::Elsewhere; }

    // The area (kind 0 or 1) that holds the place, or -1.
    int areaOf(int place) const;
    // The name shown for an area: the SIG forum's title when the area belongs to one.
    std::string areaName(int area) const;
    // The host path of an area: "CODE/n" or "CODE/g/n".
    std::string areaPath(int area) const;

private:
    enum class At { Elsewhere, Sig, Area, Folder, Room };

    result::Code GoToSig(int place);
    result::Code sendAreaNumbers(int area, const AreaMenus& menus, std::string* menu);
    // Reads up to the end of a menu (after its number was sent), answering its page breaks.
    enum class MenuEnd { Menu, Refused };
    Waited<MenuEnd> readMenu(const AreaMenus& menus, std::string* text);
    // The host refused a number: reported, and PlaceFailed once its prompt has come.
    result::Code refused(const AreaMenus& menus, std::string_view name);
    result::Code enterFolder(int folder, const AreaMenus& menus);
    void enteredArea(int area);
    void enteredFolder(int folder);
    // The code in the banner differs from the place's: the places of the SIG forum take it.
    void renameSig(int area, const std::string& code);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    At at_ = At::Elsewhere;
    std::string sig_;  // the SIG's code, from At::Sig on
    int area_ = -1;
    std::vector<int> folders_;  // the folders entered, top-down
    int room_ = -1;
    bool roomFromFolder_ = false;
};

}  // namespace morvaline
