// Deleting items from a CItemArray, with their texts cut out of the message text file.

#include <algorithm>
#include <fstream>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "store/archive.h"
#include "store/item_array.h"
#include "store/pending_pair.h"

namespace morvaline {

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

struct Range {
    std::int64_t begin, end;
};

// The byte position that offset moves to when the (sorted, merged) ranges are cut out.
std::int64_t shiftedOffset(std::int64_t offset, const std::vector<Range>& cut) {
    std::int64_t removed = 0;
    for (const Range& r : cut) {
        if (r.begin >= offset) break;
        removed += std::min(r.end, offset) - r.begin;
    }
    return offset - removed;
}

}  // namespace

void CItemArray::unlink(int index) {
    CItem& d = *items_[index];
    const int prev = d.m_nPrev, next = d.m_nNext, parent = d.m_nParent, child = d.m_nChild;
    CItem* parentItem = at(parent);
    // The children of the deleted item take its place in the chain, one level up.
    int first = next, last = prev;
    if (child >= 0) {
        first = child;
        for (int c = child, steps = 0; c >= 0 && steps < size(); ++steps) {
            items_[c]->m_nParent = parent;
            last = c;
            c = items_[c]->m_nNext;
        }
        items_[child]->m_nPrev = prev;
        items_[last]->m_nNext = next;
    }
    if (prev >= 0) items_[prev]->m_nNext = first;
    else if (parentItem && parentItem->m_nChild == index) parentItem->m_nChild = first;
    if (next >= 0) items_[next]->m_nPrev = last;
    d.m_nParent = d.m_nNext = d.m_nPrev = d.m_nChild = -1;
}

std::filesystem::path CItemArray::pendingPath(const std::filesystem::path& file) { return pendingPairPath(file); }

void CItemArray::recoverInterruptedCut() {
    if (listFile_.empty() || textFile_.empty()) return;
    std::error_code ec;
    const auto pendingList = pendingPath(listFile_), pendingText = pendingPath(textFile_);
    if (std::filesystem::exists(pendingList, ec)) {
        // The new list was complete, so the cut had been decided: finish it.
        if (std::filesystem::exists(pendingText, ec)) std::filesystem::rename(pendingText, textFile_, ec);
        std::filesystem::rename(pendingList, listFile_, ec);
    } else {
        // The cut stopped before its list was written: the old pair still holds.
        std::filesystem::remove(pendingText, ec);
    }
}

CItemArray::TextCut CItemArray::writeCutText(const std::vector<int>& removed,
                                              std::vector<std::pair<std::int64_t, std::int64_t>>& merged) {
    merged.clear();
    if (ownerSerial_ == 0 || textFile_.empty()) return TextCut::None;
    std::vector<Range> cut;
    for (const int i : removed) {
        const CItem& item = *items_[i];
        if (item.m_nLength > 0 && item.m_nKind != kind::kShortcut &&
            !kind::isOutgoing(item.m_nKind, item.m_dwFlags))
            cut.push_back({item.m_nOffset, std::int64_t{item.m_nOffset} + item.m_nLength});
    }
    if (cut.empty()) return TextCut::None;
    std::sort(cut.begin(), cut.end(), [](Range a, Range b) { return a.begin < b.begin; });
    for (const Range& r : cut) {
        if (!merged.empty() && r.begin <= merged.back().second)
            merged.back().second = std::max(merged.back().second, r.end);
        else
            merged.emplace_back(r.begin, r.end);
    }

    std::lock_guard fileLock(fileLock_);
    // The file is replaced below; a kept descriptor would write to the old one.
    if (appendFd_ >= 0) {
        ::close(appendFd_);
        appendFd_ = -1;
    }
    std::ifstream in(textFile_, std::ios::binary);
    if (!in) return TextCut::None;
    // The kept bytes go once into the pending text, which replaces the old one only when
    // the list that matches it is on disk too.
    AtomicFile out(pendingPath(textFile_));
    if (!out.open()) return TextCut::Failed;
    std::vector<char> buffer(1 << 16);
    std::int64_t pos = 0;
    auto copyUpTo = [&](std::int64_t end) {
        while (end < 0 || pos < end) {
            std::int64_t want = static_cast<std::int64_t>(buffer.size());
            if (end >= 0) want = std::min(want, end - pos);
            in.read(buffer.data(), want);
            const std::streamsize got = in.gcount();
            if (got <= 0) return true;  // the file is shorter than the ranges
            if (!out.write(std::string_view(buffer.data(), static_cast<std::size_t>(got))))
                return false;
            pos += got;
        }
        return true;
    };
    for (const auto& [begin, end] : merged) {
        if (!copyUpTo(begin)) return TextCut::Failed;
        in.clear();
        in.seekg(end);
        pos = end;
        if (!in) break;  // the range reached past the end of the file
    }
    in.clear();
    if (!copyUpTo(-1) || !out.commit()) return TextCut::Failed;
    return TextCut::Written;
}

bool CItemArray::commitCut() {
    std::error_code ec;
    if (listFile_.empty()) {
        std::filesystem::rename(pendingPath(textFile_), textFile_, ec);
        return !ec;
    }
    ArchiveWriter ar;
    serialize(ar);
    // The pending list on disk decides the cut: from here on an interrupted cut is finished
    // by the next open (recoverInterruptedCut), before it the old files stand.
    if (!writeFileAtomically(pendingPath(listFile_), ar.bytes())) {
        std::filesystem::remove(pendingPath(textFile_), ec);
        return false;
    }
    std::filesystem::rename(pendingPath(textFile_), textFile_, ec);
    if (ec) {
        // Taken back as a whole: neither new file replaced an old one.
        std::filesystem::remove(pendingPath(listFile_), ec);
        std::filesystem::remove(pendingPath(textFile_), ec);
        return false;
    }
    std::filesystem::rename(pendingPath(listFile_), listFile_, ec);
    // A list rename that failed is finished by the next open, or overtaken by the next save.
    dirty_ = static_cast<bool>(ec);
    formatVersion_ = kFormatVersion;
    return true;
}

bool CItemArray::remove(std::vector<int> indices) {
    Lock lock(itemLock_);
    std::erase_if(indices, [this](int i) { return i <= 0 || i >= size(); });
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    if (indices.empty()) return true;

    std::vector<std::pair<std::int64_t, std::int64_t>> cutPairs;
    const TextCut textCut = writeCutText(indices, cutPairs);
    if (textCut == TextCut::Failed) return false;
    const bool textsApply = ownerSerial_ != 0 && !textFile_.empty();
    // The list as it was, to go back to when the pair of new files cannot be written.
    std::string before;
    if (textCut == TextCut::Written) {
        ArchiveWriter ar;
        serialize(ar);
        before = ar.bytes();
        std::vector<Range> cut;
        for (const auto& [begin, end] : cutPairs) cut.push_back({begin, end});
        for (auto& p : items_)
            if (p->m_nKind != kind::kShortcut)
                p->m_nOffset = static_cast<std::int32_t>(shiftedOffset(p->m_nOffset, cut));
    }

    std::vector<bool> gone(items_.size(), false);
    for (const int i : indices) {
        CItem& item = *items_[i];
        if (kind::isOutgoing(item.m_nKind, item.m_dwFlags) && outgoingCount_ > 0) --outgoingCount_;
        if (item.hasFlag(ITEM_FLAG_MARKED)) toggleMark(i);
        unlink(i);
        gone[i] = true;
    }
    std::vector<int> newIndex(items_.size(), -1);
    int kept = 0;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!gone[i]) newIndex[i] = kept++;
    auto remap = [&](std::int32_t& link) {
        if (link >= 0) link = link < static_cast<int>(newIndex.size()) ? newIndex[link] : -1;
    };
    std::vector<std::unique_ptr<CItem>> remaining;
    remaining.reserve(static_cast<std::size_t>(kept));
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (gone[i]) continue;
        CItem& item = *items_[i];
        remap(item.m_nParent);
        remap(item.m_nNext);
        remap(item.m_nPrev);
        remap(item.m_nChild);
        remaining.push_back(std::move(items_[i]));
    }
    items_ = std::move(remaining);
    lastChildHint_.clear();
    dirty_ = true;

    ownerSetFlags(ITEM_FLAG_HAS_OUTGOING, outgoingCount_ > 0 ? ITEM_FLAG_HAS_OUTGOING : 0);
    recountReserved();
    hasUnread_ = hasUnreadItems() ? 1 : 0;
    ownerSetFlags(ITEM_FLAG_HAS_UNREAD, hasUnread_ ? ITEM_FLAG_HAS_UNREAD : 0);
    if (textCut == TextCut::Written) {
        if (!commitCut()) {
            const std::uint32_t version = formatVersion_;
            ArchiveReader ar(before);
            deserialize(ar);
            formatVersion_ = version;
            afterLoad();
            return false;
        }
    } else if (textsApply && !listFile_.empty()) {
        save();
    }
    return true;
}

void CItemArray::clear() {
    Lock lock(itemLock_);
    items_.clear();
    lastChildHint_.clear();
    markedCount_ = outgoingCount_ = 0;
    firstReserved_ = -1;
    hasUnread_ = 0;
    lastNumber_ = -1;
    serialCounter_ = 256;
    formatVersion_ = 0;
    dirty_ = false;
}

}  // namespace morvaline
