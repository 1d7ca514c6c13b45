#pragma once
// CTolDoc: everything about one user except the message texts and lists: the place tree,
// reservation menus and patterns, deletion and mail assistant rules, the address book,
// file-name counters, patrol history, the event log and the user's settings. One document
// is open per data set; a lock file in the data folder keeps out a second process.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/lock_file.h"
#include "store/address_book.h"
#include "store/archive.h"
#include "store/assist_rule.h"
#include "store/delete_rule.h"
#include "store/document_backup.h"
#include "store/editor_settings.h"
#include "store/event_log.h"
#include "store/item_array.h"
#include "store/report.h"
#include "store/reserve.h"
#include "store/user_settings.h"

namespace morvaline {

class Registry;

// The five counters of numbered file names.
enum class FileCounter { C, T, M, U, R };

// Positions of the document integers that the store itself uses.
namespace docint {
inline constexpr int kCount = 73;
inline constexpr int kCounterC = 2;
inline constexpr int kCounterT = 3;
inline constexpr int kGeneration = 27;
inline constexpr int kNewWindow = 29;
inline constexpr int kCounterM = 36;
inline constexpr int kCurrentPattern = 43;
inline constexpr int kEventLogMax = 44;
inline constexpr int kAdjustProfileAtLogin = 45;  // answer the host's profile question
inline constexpr int kPatrolLevel = 46;           // priority level of a patrol, 0 ("A") ... 4 (all)
// The six editor integers lie together: normal width, quoted width, tab width, word wrap,
// unsplittable-word rule, kinsoku. A normal width of 0 means never stored (defaults).
inline constexpr int kEditorFirst = 47;
inline constexpr int kReserveAtOnce = 53;        // new items are reserved for the patrol at once
inline constexpr int kStrictUserIds = 55;        // recipients must be IDs or gateway addresses
inline constexpr int kCounterU = 61;
inline constexpr int kCounterR = 62;
inline constexpr int kAutoDeleteDeletes = 63;
inline constexpr int kTrashCommandsDelete = 64;
inline constexpr int kMoveAsks = 65;
inline constexpr int kMoveCommentChoice = 66;
inline constexpr int kAutoDeleteOn = 67;
inline constexpr int kAutoDeleteAsks = 68;
// The browser asks before moving to another place in search of unread messages, and of
// new, marked or being-written ones.
inline constexpr int kConfirmUnreadMove = 69;
inline constexpr int kConfirmMove = 70;
}  // namespace docint

// Positions of the document times.
namespace doctime {
inline constexpr int kCount = 7;
inline constexpr int kSaved = 0;
inline constexpr int kCreated = 1;
inline constexpr int kLastLogout = 2;  // the host's logout time recorded at the last patrol
}  // namespace doctime

// Positions of the document strings.
namespace docstr {
inline constexpr int kCount = 10;
inline constexpr int kLogFileName = 0;
inline constexpr int kHandle = 1;  // the user's handle name
// The editor's quote mark and its two kinsoku character sets.
inline constexpr int kQuoteMark = 2;
inline constexpr int kLineStartForbidden = 3;
inline constexpr int kLineEndForbidden = 4;
// Internet mail domains: the network's own (the user's address), and those that the
// recipient forms "LDX>" and "CIS>" reach. Empty: the defaults of mail_domains.h.
inline constexpr int kOwnMailDomain = 5;
inline constexpr int kLudrixGatewayDomain = 6;
inline constexpr int kCisGatewayDomain = 7;
}  // namespace docstr

// A document file that is refused as a whole: not a document, or written by a newer version.
class DocumentRefused : public ArchiveError {
public:
    explicit DocumentRefused(const Text& reason)
        : ArchiveError(std::string(reason.utf8)), reason_(reason) {}
    const Text& reason() const { return reason_; }

private:
    Text reason_;
};

struct OpenRequest {
    std::filesystem::path baseDirectory;  // the folder that holds the users' data folders
    std::string userId;
    std::string password;    // as entered; empty when none was entered
    bool automatic = false;  // opened at start-up: a missing user is not created
    // For commands that only read: works on a data folder that cannot be written, shares
    // the data set with other readers, and writes nothing (not even the close flag).
    bool readOnly = false;
};

class CTolDoc {
public:
    static constexpr std::int32_t kVersion = 63;
    static constexpr std::uint32_t kMagic = 0xAAAAAAAA;
    static constexpr std::size_t kMaxPassword = 24;
    static constexpr int kReservationMenus = 19;
    static constexpr int kTemplateSlots = 13;
    static constexpr int kDeleteSlots = 18;
    static constexpr int kPatrolTimes = 8;

    struct OpenResult {
        std::unique_ptr<CTolDoc> doc;
        std::string error;  // Shift_JIS; empty on success
        int errorId = 0;
        bool created = false;
        bool askFileCheck = false;  // the previous run did not close the document cleanly
        // When the document is damaged or gone: the newest backup that loads, if any.
        std::optional<DocumentBackup> backup;
    };

    // Opens the user's document, or builds a new user when the data folder is missing and
    // a password was entered.
    static OpenResult open(const OpenRequest& request, Registry& registry, ReportSink* sink = nullptr);

    ~CTolDoc();
    CTolDoc(const CTolDoc&) = delete;
    CTolDoc& operator=(const CTolDoc&) = delete;

    // Saves the open message lists that changed, then the document with three rotating
    // backups; false with error() set when something could not be written.
    bool save();
    // Records the clean end ("CloseSuccess" = 1) and releases the data set.
    void close();
    const std::string& error() const { return error_; }

    // --- Message lists ----------------------------------------------------------------------
    // Opens the message list of a place (created with its root item when its file is
    // missing); null when the place holds none or its file is damaged (reported).
    CItemArray* openList(int placeIndex);
    // The same, for tools: never creates a list; reports the load when logging. With
    // outcome, says why there is no list (Missing also for a place that holds none).
    CItemArray* openExistingList(int placeIndex, bool logging, ListLoad* outcome = nullptr);
    void closeList(CItemArray* list);
    // Deletes the list and text files of a place that goes away; false when its list is
    // open (in use) or a file could not be deleted.
    bool discardList(int placeIndex);

    // --- Numbered names and places ----------------------------------------------------------
    // Takes the next number of a counter whose probe file does not exist (1 ... 999999).
    int nextFileNumber(FileCounter counter);
    // Adds a kind 15 place "~U%06d" with its host path; returns its index or -1.
    int addUnknownPlace(int parent, std::string_view title, std::string_view path);

    // --- Contents ---------------------------------------------------------------------------
    CItemArray& tree() { return tree_; }
    const CItemArray& tree() const { return tree_; }
    CReserveArray& menu(int kind) { return menus_.at(static_cast<std::size_t>(kind)); }
    std::vector<CRsrvPat>& patterns() { return patterns_; }
    CDeleteArray& deleteRules() { return deleteRules_; }
    std::vector<CAssist>& receiveRules() { return receiveRules_; }
    std::vector<CAssistSend>& sendRules() { return sendRules_; }
    CAddrArray& addressBook() { return addressBook_; }
    EventLog& eventLog() { return eventLog_; }
    Reporter& reporter() { return reporter_; }
    UserSettings& settings() { return settings_; }
    const std::string& userId() const { return userId_; }
    const std::filesystem::path& dataDirectory() const { return dataDir_; }
    std::filesystem::path documentPath() const;
    // The document's integers and times; safe on any thread (the patrol reads and records
    // them while the user interface may too).
    int integer(int position) const;
    void setInteger(int position, int value);
    FileTime time(int position) const;
    void setTime(int position, FileTime t);
    const std::string& string(int position) const { return strings_.at(static_cast<std::size_t>(position)); }
    void setString(int position, std::string s) { strings_.at(static_cast<std::size_t>(position)) = std::move(s); }
    int generation() const { return integer(docint::kGeneration); }
    int newWindow() const { return integer(docint::kNewWindow); }
    // Per use: the template number and the flag that opens the property window after an
    // item was made.
    const std::array<std::pair<std::int32_t, std::int32_t>, kTemplateSlots>& templateSlots() const {
        return templateSlots_;
    }
    void setTemplateSlot(int slot, int templateNumber, int openProperties);
    // The deletion rule ID of each default slot (0: none).
    int deleteSlot(int slot) const { return deleteSlots_.at(static_cast<std::size_t>(slot)); }
    void setDeleteSlot(int slot, int ruleId) { deleteSlots_.at(static_cast<std::size_t>(slot)) = ruleId; }
    // The editor settings stored in the document; the defaults when none were stored.
    EditorSettings editorSettings() const;
    void setEditorSettings(const EditorSettings& settings);
    const std::array<FileTime, kPatrolTimes>& patrolTimes() const { return patrolTimes_; }
    // The layout records of the open windows and the record of the main window, as the
    // user interface wrote them (27 integers each; their meaning is the interface's).
    using WindowRecord = std::array<std::int32_t, 27>;
    std::vector<WindowRecord> windowRecords() const;
    void setWindowRecords(std::vector<WindowRecord> records);
    WindowRecord mainWindowRecord() const;
    void setMainWindowRecord(const WindowRecord& record);
    // The words of past queries, newest first, at most kSearchHistory (main thread).
    static constexpr std::size_t kSearchHistory = 64;
    const std::vector<std::string>& searchHistory() const { return recentStrings_; }
    // Moves a word to the front of the history (an older equal entry goes, and the oldest
    // when the history is full); an empty word is not kept.
    void rememberSearchWord(std::string_view word);
    // Starts a patrol generation: the generation rises and the start time is remembered.
    void startGeneration();

    // --- Reservation patterns ---------------------------------------------------------------
    int currentPattern() const;  // -1 when there is none
    // Stores the reservations of every reserved place into the current pattern.
    void rememberReservations();
    // Clears every reservation, then sets those of the current pattern.
    void applyCurrentPattern();
    // Remembers the current pattern and switches to the named one; false (reported) when no
    // pattern has that name.
    bool selectPattern(std::string_view name);
    int addPattern(std::string_view name);

    // The backups of the user's document that load with the request's password, newest
    // first.
    static std::vector<DocumentBackup> loadableBackups(const OpenRequest& request, Registry& registry);
    // Puts backup `number` (0: the newest that loads) in place of the user's document,
    // which is kept under a name of its own ("<ID>.KVR.damaged", " (2)" ... when taken).
    // The data set must not be open anywhere.
    static RestoreResult restoreBackup(const OpenRequest& request, Registry& registry, int number);

    // Reads a document file's bytes without opening a data set (the file check, tools):
    // the document, or the reason it was refused.
    static OpenResult readDocumentBytes(std::string_view bytes, Registry& registry);

    // The document file's bytes, and a document read back from them.
    std::string serializeToBytes();
    void deserialize(ArchiveReader& ar);  // throws ArchiveError; refusals carry their text

private:
    CTolDoc(std::string userId, std::filesystem::path dataDir, Registry& registry);
    void empty();
    void buildNewUser(std::string_view password);
    void addDefaultTemplates();
    void addWelcomeMessage();
    void upgrade(std::int32_t version);
    void serialize(ArchiveWriter& ar);
    bool ensureFolder(const std::string& path);
    CItemArray* openListImpl(int placeIndex, bool create, bool logging, ListLoad& outcome);

    std::string userId_;
    std::filesystem::path dataDir_;
    Registry& registry_;
    LockFile lock_;
    std::string password_;
    std::string error_;
    bool closed_ = false;
    bool readOnly_ = false;

    CItemArray tree_;
    std::array<CReserveArray, kReservationMenus> menus_;
    std::vector<CRsrvPat> patterns_;
    CDeleteArray deleteRules_;
    std::vector<CAssist> receiveRules_;
    std::vector<CAssistSend> sendRules_;
    CAddrArray addressBook_;
    std::vector<std::string> recentStrings_;

    // The document file's counted groups; positions the store does not use are kept as read.
    std::array<FileTime, doctime::kCount> times_{};
    std::array<std::int32_t, docint::kCount> ints_{};
    std::array<std::string, docstr::kCount> strings_;
    std::string block_;
    std::array<std::string, 3> tables_;
    std::array<std::pair<std::int32_t, std::int32_t>, kTemplateSlots> templateSlots_{};
    std::array<std::int32_t, kDeleteSlots> deleteSlots_{};
    std::array<std::int32_t, 25> display_{};
    std::array<FileTime, kPatrolTimes> patrolTimes_{};
    std::vector<WindowRecord> windowRecords_;
    WindowRecord mainWindow_{};
    struct Triple {
        std::uint8_t byte = 0;
        std::uint16_t first = 0, second = 0;
    };
    std::vector<Triple> triples_;
    // Two string-to-integer maps; the first holds the editor's unsplittable words.
    std::array<std::vector<std::pair<std::string, std::int32_t>>, 2> maps_;
    std::vector<std::pair<std::int32_t, std::int32_t>> intPairs_;
    std::array<std::int32_t, 4> fourInts_{};

    EventLog eventLog_;
    UserSettings settings_;
    Reporter reporter_;
    int closeFlag_ = 1;

    mutable std::mutex valuesMutex_;  // guards ints_, times_, patrolTimes_ and the window records
    std::mutex listsMutex_;
    std::map<std::string, std::unique_ptr<CItemArray>> lists_;
};

}  // namespace morvaline
