#include "store/item_array.h"

#include <algorithm>
#include <unistd.h>

#include "platform/text_codec.h"

namespace morvaline {

using Lock = std::lock_guard<std::recursive_mutex>;

CItemArray::CItemArray() : timeStamp_(fileTimeNow()) {}
CItemArray::~CItemArray() {
    if (appendFd_ >= 0) ::close(appendFd_);
}

CItem* CItemArray::at(int index) {
    return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index].get() : nullptr;
}

const CItem* CItemArray::at(int index) const {
    return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index].get() : nullptr;
}

int CItemArray::size() const {
    Lock lock(itemLock_);
    return static_cast<int>(items_.size());
}

bool CItemArray::valid(int index) const {
    Lock lock(itemLock_);
    return at(index) != nullptr;
}

CItem CItemArray::item(int index) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    return p ? *p : CItem();
}

void CItemArray::read(
    const std::function<void(const std::vector<std::unique_ptr<CItem>>&)>& f) const {
    Lock lock(itemLock_);
    f(items_);
}

int CItemArray::appendItem(std::unique_ptr<CItem> item, int parent) {
    // Serials count up from the counter; a counter of -1 wraps to 1.
    int serial = static_cast<int>(static_cast<std::uint32_t>(serialCounter_) + 1);
    if (serial == 0) serial = 1;
    serialCounter_ = serial;
    item->m_nSerial = serial;
    item->m_nParent = parent;
    item->m_nNext = -1;
    item->m_nPrev = -1;
    const int index = static_cast<int>(items_.size());
    if (CItem* p = at(parent)) {
        const int last = lastChild(parent);
        if (last < 0) {
            p->m_nChild = index;
        } else {
            items_[last]->m_nNext = index;
            item->m_nPrev = last;
        }
        lastChildHint_[parent] = index;
    }
    items_.push_back(std::move(item));
    dirty_ = true;
    return index;
}

int CItemArray::add(int parent, int number, int offset, std::string_view id,
                    std::string_view title, int kind, int body, FileTime date,
                    std::string_view code, std::string_view name, int refCount, int size) {
    Lock lock(itemLock_);
    auto item = std::make_unique<CItem>(parent, number, offset, id, title, kind, body, date, name,
                                        code, refCount, size);
    const bool unread = item->isUnread();
    const int index = appendItem(std::move(item), parent);
    if (ownerSerial_ != 0 && body > 0) {
        hasUnread_ = 1;
        if (unread) ownerSetFlags(ITEM_FLAG_HAS_UNREAD, ITEM_FLAG_HAS_UNREAD);
    }
    return index;
}

int CItemArray::addForum(int parent, std::string_view forumName, std::string_view title) {
    Lock lock(itemLock_);
    const int forum = add(parent, 0, 0, forumName, title, kind::kForum, 0);
    items_[forum]->m_strPath = std::string(forumName);
    add(forum, 0, 0, forumName, sj("ﾌｫｰﾗﾑ"), kind::kForumArea, 0);
    add(forum, 0, 0, forumName, "OSL", kind::kLibraryArea, 0);
    return forum;
}

void CItemArray::noteAdded(const CItem& item, std::uint32_t mask) {
    if (item.isUnread()) {
        hasUnread_ = 1;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, ITEM_FLAG_HAS_UNREAD);
    }
    if (kind::isOutgoing(item.m_nKind, item.m_dwFlags) && ++outgoingCount_ == 1)
        ownerSetFlags(ITEM_FLAG_HAS_OUTGOING, ITEM_FLAG_HAS_OUTGOING);
    if (item.hasFlag(ITEM_FLAG_MARKED) && ++markedCount_ == 1)
        ownerSetFlags(ITEM_FLAG_HAS_MARKED, ITEM_FLAG_HAS_MARKED);
    if (mask & copy::kGeneration) {
        const int generation = item.m_nGeneration;
        ownerUpdate([generation](CItem& owner) { owner.m_nGeneration = generation; });
    }
}

int CItemArray::addCopy(int parent, const CItem& source, std::uint32_t mask) {
    Lock lock(itemLock_);
    auto item = std::make_unique<CItem>(source, mask & ~(copy::kParent | copy::kNext |
                                                         copy::kPrev | copy::kChild | copy::kSerial));
    const CItem& added = *item;
    const int index = appendItem(std::move(item), parent);
    if (added.isReserved() && (firstReserved_ < 0 || index < firstReserved_)) {
        firstReserved_ = index;
        ownerSetFlags(ITEM_FLAG_HAS_RESERVED, ITEM_FLAG_HAS_RESERVED);
    }
    noteAdded(added, mask);
    if (mask & copy::kLastNumber) lastNumber_ = source.m_nNumber;
    return index;
}

void CItemArray::update(int index, const CItem& source, std::uint32_t mask) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p) return;
    const bool wasOutgoing = kind::isOutgoing(p->m_nKind, p->m_dwFlags);
    const bool wasMarked = p->hasFlag(ITEM_FLAG_MARKED);
    const bool wasUnread = p->isUnread();
    const int oldReserve = p->m_nReserve;
    p->assign(source, mask & ~(copy::kParent | copy::kNext | copy::kPrev | copy::kChild));
    dirty_ = true;
    if (wasOutgoing != kind::isOutgoing(p->m_nKind, p->m_dwFlags)) {
        outgoingCount_ += wasOutgoing ? -1 : 1;
        ownerSetFlags(ITEM_FLAG_HAS_OUTGOING, outgoingCount_ > 0 ? ITEM_FLAG_HAS_OUTGOING : 0);
    }
    if (wasMarked != p->hasFlag(ITEM_FLAG_MARKED)) {
        markedCount_ += wasMarked ? -1 : 1;
        ownerSetFlags(ITEM_FLAG_HAS_MARKED, markedCount_ > 0 ? ITEM_FLAG_HAS_MARKED : 0);
    }
    if (oldReserve != p->m_nReserve) recountReserved();
    if (p->isUnread()) {
        hasUnread_ = 1;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, ITEM_FLAG_HAS_UNREAD);
    } else if (wasUnread && !hasUnreadItems()) {
        hasUnread_ = 0;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, 0);
    }
    if (mask & copy::kGeneration) {
        const int generation = p->m_nGeneration;
        ownerUpdate([generation](CItem& owner) { owner.m_nGeneration = generation; });
    }
}

// Field setters: each marks the list dirty.
#define MORVALINE_SETTER(name, type, field)      \
    void CItemArray::name(int index, type value) { \
        Lock lock(itemLock_);                      \
        if (CItem* p = at(index)) {                \
            p->field = value;                      \
            dirty_ = true;                         \
        }                                          \
    }
MORVALINE_SETTER(setNumber, int, m_nNumber)
MORVALINE_SETTER(setOffset, int, m_nOffset)
MORVALINE_SETTER(setLength, int, m_nLength)
MORVALINE_SETTER(setRefCount, int, m_nRefCount)
MORVALINE_SETTER(setSize, int, m_nSize)
MORVALINE_SETTER(setAux, int, m_nAux)
MORVALINE_SETTER(setTarget, int, m_nTarget)
MORVALINE_SETTER(setDate, FileTime, m_ftDate)
MORVALINE_SETTER(setId, std::string_view, m_szID)
MORVALINE_SETTER(setTitle, std::string_view, m_szTitle)
MORVALINE_SETTER(setCode, std::string_view, m_szCode)
MORVALINE_SETTER(setName, std::string_view, m_szName)
MORVALINE_SETTER(setText, std::string_view, m_strText)
MORVALINE_SETTER(setGeneration, int, m_nGeneration)
MORVALINE_SETTER(setPath, std::string_view, m_strPath)
MORVALINE_SETTER(setExtra1, int, m_nExtra1)
MORVALINE_SETTER(setExtra2, int, m_nExtra2)
MORVALINE_SETTER(setDeleteRule, int, m_nDeleteRule)
MORVALINE_SETTER(setExtraText, std::string_view, m_strExtra)
#undef MORVALINE_SETTER

void CItemArray::setSpare(int index, int slot, std::int32_t value) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p || slot < 0 || slot >= static_cast<int>(std::size(p->m_nSpare))) return;
    p->m_nSpare[slot] = value;
    dirty_ = true;
}

void CItemArray::setBody(int index, int body) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p) return;
    p->m_nBody = body;
    dirty_ = true;
    if (p->isUnread()) {
        hasUnread_ = 1;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, ITEM_FLAG_HAS_UNREAD);
    }
}

void CItemArray::setKind(int index, int kind) {
    CItem copyOf = item(index);
    copyOf.m_nKind = kind;
    update(index, copyOf, copy::kKind);
}

void CItemArray::setFlags(int index, std::uint32_t mask, std::uint32_t value) {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    if (!p) return;
    CItem changed = *p;
    if (changed.setFlags(mask, value)) update(index, changed, copy::kFlags);
}

void CItemArray::setReserve(int index, int reserve) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p || p->m_nReserve == reserve) return;
    p->m_nReserve = reserve;
    dirty_ = true;
    if (p->isReserved()) {
        if (firstReserved_ < 0 || index < firstReserved_) firstReserved_ = index;
        ownerSetFlags(ITEM_FLAG_HAS_RESERVED, ITEM_FLAG_HAS_RESERVED);
    } else if (index == firstReserved_) {
        recountReserved();
    }
}

void CItemArray::recountReserved() {
    firstReserved_ = -1;
    for (int i = 1; i < static_cast<int>(items_.size()); ++i) {
        if (items_[i]->isReserved()) {
            firstReserved_ = i;
            break;
        }
    }
    ownerSetFlags(ITEM_FLAG_HAS_RESERVED, firstReserved_ >= 0 ? ITEM_FLAG_HAS_RESERVED : 0);
}

void CItemArray::ownerUpdate(const std::function<void(CItem&)>& f) {
    if (!ownerTree_ || ownerSerial_ == 0) return;
    Lock treeLock(ownerTree_->itemLock_);
    const int index = ownerTree_->findSerial(ownerSerial_);
    if (CItem* owner = ownerTree_->at(index)) {
        f(*owner);
        ownerTree_->dirty_ = true;
    }
}

void CItemArray::ownerSetFlags(std::uint32_t mask, std::uint32_t value) {
    ownerUpdate([mask, value](CItem& owner) { owner.setFlags(mask, value); });
}

// --- Marks and read state ---------------------------------------------------------------

void CItemArray::toggleMark(int index) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p) return;
    p->m_dwFlags ^= ITEM_FLAG_MARKED;
    dirty_ = true;
    if (p->hasFlag(ITEM_FLAG_MARKED)) {
        if (++markedCount_ == 1) ownerSetFlags(ITEM_FLAG_HAS_MARKED, ITEM_FLAG_HAS_MARKED);
    } else if (--markedCount_ <= 0) {
        markedCount_ = 0;
        ownerSetFlags(ITEM_FLAG_HAS_MARKED, 0);
    }
}

void CItemArray::clearMarks() {
    Lock lock(itemLock_);
    for (int i = 0; i < static_cast<int>(items_.size()) && markedCount_ > 0; ++i)
        if (items_[i]->hasFlag(ITEM_FLAG_MARKED)) toggleMark(i);
    // A count that disagreed with the flags is put right.
    markedCount_ = 0;
    ownerSetFlags(ITEM_FLAG_HAS_MARKED, 0);
}

void CItemArray::markRead(int index) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p || p->hasFlag(ITEM_FLAG_READ)) return;
    p->m_dwFlags |= ITEM_FLAG_READ;
    dirty_ = true;
    if (!hasUnreadItems()) {
        hasUnread_ = 0;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, 0);
    }
}

void CItemArray::markUnread(int index) {
    Lock lock(itemLock_);
    CItem* p = at(index);
    if (!p) return;
    if (p->hasFlag(ITEM_FLAG_READ)) {
        p->m_dwFlags &= ~ITEM_FLAG_READ;
        dirty_ = true;
    }
    if (p->isUnread()) {
        hasUnread_ = 1;
        ownerSetFlags(ITEM_FLAG_HAS_UNREAD, ITEM_FLAG_HAS_UNREAD);
    }
}

void CItemArray::markAllRead() {
    Lock lock(itemLock_);
    for (auto& p : items_)
        if (p->m_nBody > 0 && !p->hasFlag(ITEM_FLAG_READ)) {
            p->m_dwFlags |= ITEM_FLAG_READ;
            dirty_ = true;
        }
    hasUnread_ = 0;
    ownerSetFlags(ITEM_FLAG_HAS_UNREAD, 0);
}

bool CItemArray::isNewGeneration(int generation, int currentGeneration, int window) {
    return currentGeneration - window <= generation && generation <= currentGeneration;
}

bool CItemArray::isNew(int index, int currentGeneration, int window) const {
    Lock lock(itemLock_);
    const CItem* p = at(index);
    return index > 0 && p && isNewGeneration(p->m_nGeneration, currentGeneration, window);
}

void CItemArray::markNewUnread(int currentGeneration, int window) {
    Lock lock(itemLock_);
    for (int i = 1; i < static_cast<int>(items_.size()); ++i) {
        CItem& item = *items_[i];
        if (item.m_nBody > 0 && isNewGeneration(item.m_nGeneration, currentGeneration, window))
            markUnread(i);
    }
}

bool CItemArray::hasUnreadItems() const {
    Lock lock(itemLock_);
    return std::any_of(items_.begin(), items_.end(), [](const auto& p) { return p->isUnread(); });
}

// --- Counters and state -----------------------------------------------------------------

int CItemArray::markedCount() const {
    Lock lock(itemLock_);
    return markedCount_;
}
int CItemArray::outgoingCount() const {
    Lock lock(itemLock_);
    return outgoingCount_;
}
int CItemArray::firstReserved() const {
    Lock lock(itemLock_);
    return firstReserved_;
}
int CItemArray::lastNumber() const {
    Lock lock(itemLock_);
    return lastNumber_;
}
void CItemArray::setLastNumber(int number) {
    Lock lock(itemLock_);
    lastNumber_ = number;
    dirty_ = true;
}
bool CItemArray::dirty() const {
    Lock lock(itemLock_);
    return dirty_;
}
void CItemArray::setDirty(bool dirty) {
    Lock lock(itemLock_);
    dirty_ = dirty;
}
std::uint32_t CItemArray::formatVersion() const {
    Lock lock(itemLock_);
    return formatVersion_;
}
FileTime CItemArray::timeStamp() const {
    Lock lock(itemLock_);
    return timeStamp_;
}
int CItemArray::serialCounter() const {
    Lock lock(itemLock_);
    return serialCounter_;
}

void CItemArray::setOwner(CItemArray* tree, int ownerSerial) {
    Lock lock(itemLock_);
    ownerTree_ = tree;
    ownerSerial_ = ownerSerial;
}
int CItemArray::ownerSerial() const {
    Lock lock(itemLock_);
    return ownerSerial_;
}
void CItemArray::setFiles(std::filesystem::path listFile, std::filesystem::path textFile) {
    Lock lock(itemLock_);
    {
        std::lock_guard fileLock(fileLock_);
        if (appendFd_ >= 0) ::close(appendFd_);
        appendFd_ = -1;
    }
    listFile_ = std::move(listFile);
    textFile_ = std::move(textFile);
}
int CItemArray::addUse() {
    Lock lock(itemLock_);
    return ++useCount_;
}
int CItemArray::releaseUse() {
    Lock lock(itemLock_);
    if (useCount_ > 0) --useCount_;
    return useCount_;
}

}  // namespace morvaline
