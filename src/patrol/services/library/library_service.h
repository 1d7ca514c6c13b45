#pragma once
// The library service of a patrol run, on the patrol thread. The walk hands it the libraries
// of SIG forums (kind 1) and the sections (kind 3) that lie outside them. A library that is due gets its list of
// sections refreshed from its menu (new sections added, renamed ones renamed, closed ones
// reported); then each section below it, in tree order: a due section gets its file list
// (new entries from the last known number on), and every section works the files reserved
// in it: descriptions read, files downloaded with Rapidox.
//
// A section is entered from the library's menu by its number; "2" at its menu opens the
// file list, where "TLn", "RBn" and "DLn" are typed. A download ends at the host's main
// menu ("F"), after which the next step finds its way anew.
//
// Uploads are registered in the section's registration corner: the file goes with Rapidox,
// then its document, its comment and the answers to the host's classification questions.
//
// The methods are spread over library_service.cpp (the visit and the section list),
// library_files.cpp (file list, descriptions, downloads) and library_upload.cpp (uploads).

#include <optional>
#include <vector>

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"
#include "patrol/services/sig/sig_navigator.h"

namespace morvaline {

class CItemArray;
class CTolDoc;

class LibraryService final : public PlaceService {
public:
    // Actions: a library's "OSLの一覧取得", a section's "このOSLの一覧の取得".
    static constexpr int kListSections = 0x2;
    static constexpr int kListFiles = 0x20;
    // Reservations of a file entry.
    static constexpr int kReserveDescription = 2;
    static constexpr int kReserveDownload = 4;
    // The target of an upload item that the host took before its number was known.
    static constexpr int kUploadedUnnumbered = -1;
    // Rounds of the registration's "99" confirmation at most.
    static constexpr int kMaxConfirmRounds = 10;
    // Pages of a file list read at most.
    static constexpr int kMaxListPages = 10000;

    LibraryService(CPatrolEngine& engine, CTolDoc& doc);

    bool serves(int kind) const override;
    void reach(int place, PatrolWalk& walk) override;

private:
    // Where a step left the walk of a library.
    enum class Step {
        Done,         // done, or this section failed; go on
        Unreachable,  // the library cannot be reached: its visit ends
        Stopped,      // the run is over
    };

    // --- library_service.cpp ---
    void ServeOsl(int library, PatrolWalk& walk);
    // A section outside any library, reached by its host path: its file list when due, then
    // the files reserved in it.
    void serveSection(int section, PatrolWalk& walk);
    // To the section's menu (by its library's menu, or by its host path). Done with *menu
    // holding the menu and *entered set, or with *entered clear when the host refused the
    // way (reported).
    Step enterSection(int section, std::string* menu, bool* entered);
    // Brings the sections of the tree in step with the library's menu.
    Step refreshSections(int library);
    void greet(int section);
    AreaMenus libraryMenus() const;

    // --- library_files.cpp ---
    // To the section's menu and into its file list. Done when the list is open (*open set)
    // or the section has none (*open clear, the host back at the library's menu).
    Step openList(int section, bool* open);
    // Out of the file list and the section.
    Step leaveList();
    bool listOpen(int section) const { return listOpen_ == section; }
    Step ReadFileList(int section);
    Step workReserved(int section);
    Step ReadDescription(int section, CItemArray& list, int index);
    Step DownloadFile(int section, CItemArray& list, int index);
    // Reads the protocol menu up to "プロトコル=" and chooses the Rapidox line's number (2
    // when none names it); false when the run is over.
    bool chooseRapidox();

    // --- library_upload.cpp ---
    // How a step of registering an upload ended.
    enum class Went {
        Ok,
        Refused,  // the host did not take it; it stands at a menu prompt again
        Unconfirmed,  // the classification was never confirmed; left at a menu prompt
        Stopped,  // the run is over
    };
    // To the section's menu and into its registration corner. Done when there (*open set),
    // or when the section or its corner cannot be reached (*open clear, reported).
    Step openRegistration(int section, bool* open);
    // "F": from the registration corner to the main menu.
    Step leaveRegistration();
    // Sends the file of an upload item, then its document, comment and classification. An
    // upload the host took keeps its host number in the item's target (-1 until known), so
    // that a step that failed is taken up again by number, never by a second upload.
    Step UploadFile(int section, CItemArray& list, int index);
    Went registerDocument(int section, CItemArray& list, int index, const std::string& name);
    // The number of the registration of name in the "DP" list; 0 when it lists none.
    Went findRegistration(const std::string& name, int* number);
    Went writeComment(int number, const CItem& item);
    Went classify(int number, const CItem& item);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    SigNavigator navigator_;
    bool greeted_ = false;  // "OSL '%1' へ移動しました" was logged in this run
    int listOpen_ = -1;     // the section whose file list the host shows
    bool byPath_ = false;   // the section served is reached by its host path
};

}  // namespace morvaline
