#pragma once
// CItemArray: items in one flat array with a tree laid over them by index links. The
// place tree of a user is one; every place that stores messages owns another, its message
// list, with the place's message text file beside it.
//
// Invariants: item 0 is the root; every other item's parent is a valid index; the children
// of an item form a chain from m_nChild through m_nNext, linked back by m_nPrev. Indices
// change when an item with a lower index is deleted; serials never change.
//
// Every method takes the item lock, so the patrol thread, tool workers and the views can
// share an array. A message list updates flags of its owner place in the place tree under
// the tree's lock: list lock first, tree lock second, never the other way round.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/item.h"

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

// Result of opening a message list from its file.
enum class ListLoad {
    Missing = 0,  // no list file and no texts: the place never stored a message
    Loaded = 1,
    Damaged = 2,  // the list file cannot be read
    Lost = 3,     // no list file, but the text file holds messages: the list was removed
};

class CItemArray {
public:
    // Version of the list files written now.
    static constexpr std::int32_t kFormatVersion = 6;

    CItemArray();
    ~CItemArray();
    CItemArray(const CItemArray&) = delete;
    CItemArray& operator=(const CItemArray&) = delete;

    // --- Adding and changing items ------------------------------------------------------
    // Appends an item as the last child of parent (-1: none); returns its index.
    int add(int parent, int number, int offset, std::string_view id, std::string_view title,
            int kind, int body, FileTime date = fileTimeNow(), std::string_view code = {},
            std::string_view name = {}, int refCount = -1, int size = 0);
    // Adds a forum (kind -4) with its message area "ﾌｫｰﾗﾑ" and library area "OSL".
    int addForum(int parent, std::string_view forumName, std::string_view title);
    // Adds a copy of source under parent, with the fields of the copy mask.
    int addCopy(int parent, const CItem& source, std::uint32_t mask);
    // Copy-assignment of the fields of the mask onto item index.
    void update(int index, const CItem& source, std::uint32_t mask);

    CItem item(int index) const;  // a copy; an empty item for a bad index
    int size() const;
    bool valid(int index) const;
    // Runs f with read access to all items under the item lock (for scans by callers).
    void read(const std::function<void(const std::vector<std::unique_ptr<CItem>>&)>& f) const;

    void setNumber(int index, int number);
    void setOffset(int index, int offset);
    void setLength(int index, int length);
    void setBody(int index, int body);
    void setKind(int index, int kind);
    void setReserve(int index, int reserve);
    void setRefCount(int index, int refCount);
    void setSize(int index, int size);
    void setAux(int index, int aux);
    // (flags & ~mask) | value; marks, read state and counters keep in step.
    void setFlags(int index, std::uint32_t mask, std::uint32_t value);
    void setTarget(int index, int target);
    void setDate(int index, FileTime date);
    void setId(int index, std::string_view id);
    void setTitle(int index, std::string_view title);
    void setCode(int index, std::string_view code);
    void setName(int index, std::string_view name);
    void setText(int index, std::string_view text);
    void setGeneration(int index, int generation);
    void setPath(int index, std::string_view path);
    void setExtra1(int index, int value);
    void setExtra2(int index, int value);
    void setDeleteRule(int index, int rule);
    // The spare values of the record (their use is the caller's).
    void setSpare(int index, int slot, std::int32_t value);
    void setExtraText(int index, std::string_view text);

    // --- Deleting -----------------------------------------------------------------------
    // Deletes items; their texts are cut out of the message text file in one rewrite, the
    // children of a deleted item take its place in its parent's chain, and a list with a
    // file is saved at once. False when the text file could not be rewritten (then
    // nothing is deleted).
    bool remove(std::vector<int> indices);
    bool remove(int index) { return remove(std::vector<int>{index}); }
    void clear();

    // --- Lookups (an index or -1) -------------------------------------------------------
    int lastChild(int index) const;
    // Depth-first in the subtree of root, children before later siblings.
    int findNumberInSubtree(int root, int number) const;
    int findTargetInSubtree(int root, int target) const;
    int findIdKindInSubtree(int root, std::string_view id, int kind) const;
    // Among the children of parent (parent -1: all items from the root).
    int findChildKind(int parent, int kind) const;
    int findChildKinds(int parent, int kind1, int kind2) const;
    int findChild(int parent, std::string_view id, int kind, int number) const;
    // Scans of all items.
    int findId(std::string_view id) const;  // skips ITEM_FLAG_HIDDEN items
    int findKind(int kind) const;
    int findTitleKind(std::string_view title, int kind) const;  // from index 1 up
    // Backward scans from the last item down to index 1.
    int findLastNumber(int number) const;
    int findLastNumberKind(int number, int kind) const;
    int findLastNumberKindDate(int number, int kind, FileTime date) const;
    int findLastTitleDate(std::string_view title, FileTime date) const;  // skips deleted
    int findSerial(int serial) const;
    int findEqual(const CItem& probe, std::uint32_t mask) const;
    // Same calendar day and either the same sender ID and the same first 45 bytes of the
    // long text, or (no sender ID given) the same long text.
    int findSameDay(FileTime date, std::string_view senderId, std::string_view text) const;

    // --- Tree walks -----------------------------------------------------------------------
    bool isBelow(int index, int ancestor) const;
    bool hasMarkedAncestor(int index) const;
    // Next item in reading order; comments and shortcuts below other messages are passed over.
    int nextInReadingOrder(int index) const;
    // The next following sibling that is a comment or a shortcut.
    int nextCommentOrShortcut(int index) const;
    // Titles of the ancestors, farthest first, joined by " / "; stops at the root or a folder.
    std::string displayPath(int index) const;

    // --- Marks and read state -----------------------------------------------------------
    void toggleMark(int index);
    void clearMarks();
    void markRead(int index);
    void markUnread(int index);
    void markAllRead();
    // Marks unread every message that counts as new for the generation window.
    void markNewUnread(int currentGeneration, int window);
    static bool isNewGeneration(int generation, int currentGeneration, int window);
    bool isNew(int index, int currentGeneration, int window) const;
    bool hasUnreadItems() const;

    // --- Counters and list state ----------------------------------------------------------
    int markedCount() const;
    int outgoingCount() const;
    int firstReserved() const;
    int lastNumber() const;
    void setLastNumber(int number);
    bool dirty() const;
    void setDirty(bool dirty);
    std::uint32_t formatVersion() const;
    FileTime timeStamp() const;
    int serialCounter() const;

    // --- Owner, files, use count ------------------------------------------------------------
    // The place of the place tree that owns this message list.
    void setOwner(CItemArray* tree, int ownerSerial);
    int ownerSerial() const;
    void setFiles(std::filesystem::path listFile, std::filesystem::path textFile);
    const std::filesystem::path& listFile() const { return listFile_; }
    const std::filesystem::path& textFile() const { return textFile_; }
    int addUse();
    int releaseUse();  // returns the remaining use count

    // --- The message text file ------------------------------------------------------------
    // Appends bytes to the text file (created when missing); the offset at which they start,
    // or empty when the file cannot be written (nothing is left half-appended).
    std::optional<std::int64_t> appendText(std::string_view bytes);
    // The bytes [offset, offset + length) of the text file, or empty when it cannot be read.
    std::optional<std::string> readText(std::int64_t offset, std::int64_t length);
    // Cuts the text file back to length bytes, taking back a text whose sending failed;
    // never lengthens it. False when the file could not be cut.
    bool truncateText(std::int64_t length);
    // While kept open (the calls nest), appends reuse one open text file instead of opening
    // it for each text: a reader stores thousands of messages in a row.
    void keepTextFileOpen(bool keep);

    // --- Storage ------------------------------------------------------------------------------
    void serialize(ArchiveWriter& ar) const;
    // Throws ArchiveError for a damaged archive.
    void deserialize(ArchiveReader& ar);
    // Loads the list file set by setFiles. A list file is written as soon as a list is made
    // (CTolDoc::openList), before any text, so a text file without its list means damage.
    ListLoad open();
    // Loads a list file's bytes as open() does (Missing is never the answer).
    ListLoad load(std::string_view bytes);
    // Writes the list file (not when the list has no items); false on failure.
    bool save();
    // Checks the tree links read from a file: indices in range, chains consistent, no cycles.
    bool linksValid() const;

private:
    CItem* at(int index);
    const CItem* at(int index) const;
    int appendItem(std::unique_ptr<CItem> item, int parent);
    void unlink(int index);
    void noteAdded(const CItem& item, std::uint32_t mask);
    void recountReserved();
    void ownerSetFlags(std::uint32_t mask, std::uint32_t value);
    void ownerUpdate(const std::function<void(CItem&)>& f);
    template <typename Pred>
    int findBackward(Pred pred) const;
    template <typename Pred>
    int findInSubtree(int root, Pred pred) const;
    void afterLoad();
    void fillMissingLengths();
    // Deleting texts replaces two files, the text file and the list whose offsets match it.
    // The new text and then the new list are written beside the old ones under pending
    // names; the pending list decides the change, which the next open finishes after a crash.
    enum class TextCut { None, Written, Failed };
    static std::filesystem::path pendingPath(const std::filesystem::path& file);
    TextCut writeCutText(const std::vector<int>& removed,
                         std::vector<std::pair<std::int64_t, std::int64_t>>& merged);
    bool commitCut();
    void recoverInterruptedCut();

    mutable std::recursive_mutex itemLock_;
    std::mutex fileLock_;
    int keepTextOpen_ = 0;  // guarded by fileLock_
    int appendFd_ = -1;     // the text file kept open for appending; guarded by fileLock_
    std::vector<std::unique_ptr<CItem>> items_;
    int useCount_ = 0;
    std::uint32_t formatVersion_ = 0;
    int lastNumber_ = -1;
    int hasUnread_ = 0;
    bool dirty_ = false;
    FileTime timeStamp_;
    int firstReserved_ = -1;
    CItemArray* ownerTree_ = nullptr;
    int ownerSerial_ = 0;
    std::filesystem::path listFile_;
    std::filesystem::path textFile_;
    int serialCounter_ = 256;
    int markedCount_ = 0;
    int outgoingCount_ = 0;
    // Last child of a parent as last seen, so that appending stays cheap in long lists.
    mutable std::unordered_map<int, int> lastChildHint_;
};

}  // namespace morvaline
