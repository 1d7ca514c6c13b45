// Storage of CItemArray: the archive form and the message list files.

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/atomic_file.h"
#include "store/archive.h"
#include "store/item_array.h"
#include "store/tree_links.h"

namespace morvaline {

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

constexpr std::int32_t kMarker = -2;
constexpr std::int32_t kStoredIntegers = 6;
// The smallest item record: object tag, version, counts and 26 integers.
constexpr std::size_t kMinItemBytes = 2 + 4 + 4 + 26 * 4 + 4 + 4;
constexpr std::int32_t kMaxLastNumber = 64999;

// Lists of versions 1 to 3 keep their time stamp as a day count (a double, days since
// 30 December 1899); it is converted to a file time.
FileTime fromOldDate(std::int64_t bits) {
    double days = 0;
    static_assert(sizeof days == sizeof bits);
    std::memcpy(&days, &bits, sizeof days);
    constexpr double kDaysFrom1601To1899 = 109205;
    const double ticks = (days + kDaysFrom1601To1899) * static_cast<double>(kTicksPerDay);
    if (!(ticks >= 0 && ticks < 9.0e18)) return 0;  // also refuses NaN
    return static_cast<FileTime>(ticks);
}

}  // namespace

void CItemArray::serialize(ArchiveWriter& ar) const {
    Lock lock(itemLock_);
    ar.writeCount(items_.size());
    for (const auto& item : items_) {
        ar.writeObjectTag("CItem", 1);
        item->serialize(ar);
    }
    ar.writeInt32(kMarker);
    ar.writeInt32(kFormatVersion);
    ar.writeInt32(kStoredIntegers);
    for (const std::int32_t v :
         {lastNumber_, hasUnread_, firstReserved_, serialCounter_, markedCount_, outgoingCount_})
        ar.writeInt32(v);
    ar.writeInt32(0);  // strings
    ar.writeInt32(1);  // 64-bit values
    ar.writeInt64Words(timeStamp_);
    ar.writeInt32(0);
}

void CItemArray::deserialize(ArchiveReader& ar) {
    Lock lock(itemLock_);
    clear();
    const std::size_t count = ar.readBoundedCount(kMinItemBytes);
    items_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        ar.readObjectTag("CItem");
        // Default-initialised: deserialize() sets every field, so the bytes of the text
        // fields need no zeroing first.
        std::unique_ptr<CItem> item(new CItem);
        item->deserialize(ar);
        items_.push_back(std::move(item));
    }

    std::int32_t integers = 0;
    const std::int32_t first = ar.readInt32();
    if (first != kMarker) {
        // The oldest form: only the last number follows the items.
        formatVersion_ = 0;
        lastNumber_ = first;
        hasUnread_ = 1;
    } else {
        formatVersion_ = static_cast<std::uint32_t>(ar.readInt32());
        integers = ar.readBoundedInt32Count(4);
        std::int32_t values[kStoredIntegers] = {-1, 0, -1, 256, 0, 0};
        for (std::int32_t i = 0; i < integers; ++i) {
            const std::int32_t v = ar.readInt32();
            if (i < kStoredIntegers) values[i] = v;
        }
        lastNumber_ = values[0];
        hasUnread_ = values[1];
        firstReserved_ = values[2];
        serialCounter_ = values[3];
        const std::int32_t strings = ar.readBoundedInt32Count(1);
        for (std::int32_t i = 0; i < strings; ++i) ar.skipString();
        const std::int32_t times = ar.readBoundedInt32Count(8);
        for (std::int32_t i = 0; i < times; ++i) {
            const std::int64_t v = ar.readInt64Words();
            if (i == 0) timeStamp_ = formatVersion_ >= 4 ? v : fromOldDate(v);
        }
        ar.readInt32();
    }
    // Files without serials get new ones from the counter.
    if (first != kMarker || (formatVersion_ < 4 && integers < 4)) {
        serialCounter_ = 256;
        for (auto& item : items_) item->m_nSerial = ++serialCounter_;
    }
    // The counters are recounted from the items, so that a damaged count cannot disagree
    // with the flags it stands for, nor a place's flags with its list when one of the two
    // files could not be saved (a full disk).
    markedCount_ = outgoingCount_ = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const CItem& item = *items_[i];
        if (item.hasFlag(ITEM_FLAG_MARKED)) ++markedCount_;
        if (i > 0 && kind::isOutgoing(item.m_nKind, item.m_dwFlags)) ++outgoingCount_;
    }
    firstReserved_ = -1;
    for (int i = 1; i < static_cast<int>(items_.size()); ++i)
        if (items_[i]->isReserved()) {
            firstReserved_ = i;
            break;
        }
    dirty_ = formatVersion_ < 4;
}

bool CItemArray::linksValid() const {
    Lock lock(itemLock_);
    const int n = static_cast<int>(items_.size());
    // One root: item 0 alone has no parent.
    for (int i = 0; i < n; ++i)
        if ((items_[static_cast<std::size_t>(i)]->m_nParent < 0) != (i == 0)) return false;
    return treeLinksValid(n, [this](int i) {
        const CItem& item = *items_[static_cast<std::size_t>(i)];
        return TreeLinks{item.m_nParent, item.m_nNext, item.m_nPrev, item.m_nChild};
    });
}

void CItemArray::fillMissingLengths() {
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(textFile_, ec);
    if (ec) return;
    std::vector<std::int32_t> offsets;
    for (const auto& item : items_) offsets.push_back(item->m_nOffset);
    std::sort(offsets.begin(), offsets.end());
    for (auto& item : items_) {
        if (item->m_nLength != -1) continue;
        if (item->m_nBody <= 0) {
            item->m_nLength = 0;
            continue;
        }
        const auto next = std::upper_bound(offsets.begin(), offsets.end(), item->m_nOffset);
        const std::int64_t end =
            next != offsets.end() ? *next : static_cast<std::int64_t>(fileSize);
        item->m_nLength = static_cast<std::int32_t>(std::max<std::int64_t>(0, end - item->m_nOffset));
    }
}

void CItemArray::afterLoad() {
    if (formatVersion_ < 5) {
        for (auto& item : items_) {
            if (item->m_nTarget != -1) continue;
            const CItem* parent = at(item->m_nParent);
            item->m_nTarget = item->m_nParent > 0 && parent ? parent->m_nNumber : 0;
        }
        fillMissingLengths();
    }
    const bool unread = hasUnreadItems();
    ownerSetFlags(ITEM_FLAG_HAS_UNREAD | ITEM_FLAG_HAS_MARKED | ITEM_FLAG_HAS_OUTGOING |
                      ITEM_FLAG_HAS_RESERVED,
                  (unread ? ITEM_FLAG_HAS_UNREAD : 0) |
                      (markedCount_ > 0 ? ITEM_FLAG_HAS_MARKED : 0) |
                      (outgoingCount_ > 0 ? ITEM_FLAG_HAS_OUTGOING : 0) |
                      (firstReserved_ >= 0 ? ITEM_FLAG_HAS_RESERVED : 0));
    if (formatVersion_ < 6) {
        // Older lists kept the read position in a way that the place's target now holds.
        const int last = lastNumber_;
        const int count = static_cast<int>(items_.size());
        const int lastItemNumber = items_.empty() ? 0 : items_.back()->m_nNumber;
        bool repaired = false;
        ownerUpdate([&](CItem& owner) {
            if ((owner.m_nKind != kind::kRoom && owner.m_nKind != kind::kBoard) ||
                owner.hasFlag(ITEM_FLAG_KEEP_NUMBER))
                return;
            owner.m_nTarget = last;
            repaired = (last <= 0 || last > kMaxLastNumber) && count > 1;
        });
        if (repaired) lastNumber_ = lastItemNumber;
    }
}

ListLoad CItemArray::open() {
    Lock lock(itemLock_);
    clear();
    recoverInterruptedCut();
    std::error_code ec;
    if (!std::filesystem::exists(listFile_, ec)) {
        const auto textSize = std::filesystem::file_size(textFile_, ec);
        return !ec && textSize > 0 ? ListLoad::Lost : ListLoad::Missing;
    }
    std::string bytes;
    if (!readWholeFile(listFile_, bytes)) return ListLoad::Damaged;
    return load(bytes);
}

ListLoad CItemArray::load(std::string_view bytes) {
    Lock lock(itemLock_);
    clear();
    try {
        ArchiveReader ar(bytes);
        deserialize(ar);
    } catch (const ArchiveError&) {
        clear();
        return ListLoad::Damaged;
    }
    if (!linksValid() || (!items_.empty() && items_[0]->m_nKind != kind::kListRoot &&
                          items_[0]->m_nKind != kind::kRoot)) {
        clear();
        return ListLoad::Damaged;
    }
    afterLoad();
    return ListLoad::Loaded;
}

bool CItemArray::save() {
    Lock lock(itemLock_);
    if (items_.empty()) return true;
    ArchiveWriter ar;
    serialize(ar);
    if (!writeFileAtomically(listFile_, ar.bytes())) return false;
    // A pending list left by a cut whose last rename failed is older than this one.
    std::error_code ec;
    std::filesystem::remove(pendingPath(listFile_), ec);
    dirty_ = false;
    formatVersion_ = kFormatVersion;
    return true;
}

}  // namespace morvaline
