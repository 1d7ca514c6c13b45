#include "models/message_snapshot.h"

#include <algorithm>

#include "store/item_array.h"

namespace morvaline {
namespace {

// The sender text of a mail is short; a damaged long text is not copied whole.
constexpr std::size_t kMaxSenderBytes = 160;

bool isMailKind(int k) {
    return k == kind::kSentListEntry || k == kind::kSentFileMail || k == kind::kOtherMail ||
           k == kind::kReceivedMailMessage || k == kind::kSentMailMessage;
}

}  // namespace

bool MessageRow::unread() const { return body > 0 && !(flags & ITEM_FLAG_READ); }
bool MessageRow::marked() const { return (flags & ITEM_FLAG_MARKED) != 0; }
bool MessageRow::outgoing() const { return kind::isOutgoing(kind, flags); }

TextRef MessageSnapshot::keep(std::string_view text) {
    TextRef ref{static_cast<std::uint32_t>(texts_.size()), static_cast<std::uint32_t>(text.size())};
    texts_ += text;
    return ref;
}

MessageRow MessageSnapshot::rowOf(const CItem& item) {
    MessageRow r;
    r.parent = item.m_nParent;
    r.child = item.m_nChild;
    r.next = item.m_nNext;
    r.kind = item.m_nKind;
    r.number = item.m_nNumber;
    r.body = item.m_nBody;
    r.reserve = item.m_nReserve;
    r.size = item.m_nSize;
    r.refCount = item.m_nRefCount;
    r.generation = item.m_nGeneration;
    r.serial = item.m_nSerial;
    r.flags = item.m_dwFlags;
    r.date = item.m_ftDate;
    r.id = keep(item.m_szID.view());
    r.title = keep(item.m_szTitle.view());
    r.name = keep(item.m_szName.view());
    if (isMailKind(item.m_nKind)) r.sender = keep(item.m_strText.view().substr(0, sjisCutLength(item.m_strText.view(), kMaxSenderBytes)));
    return r;
}

MessageSnapshot MessageSnapshot::of(const CItemArray& list, int placeKind) {
    MessageSnapshot s(placeKind);
    list.read([&s](const std::vector<std::unique_ptr<CItem>>& items) {
        s.rows_.reserve(items.size());
        s.texts_.reserve(items.size() * 48);
        for (const auto& item : items) s.rows_.push_back(s.rowOf(*item));
    });
    return s;
}

bool MessageSnapshot::threaded() const { return kind::isThreaded(placeKind_); }

int MessageSnapshot::indexOfSerial(int serial) const {
    if (!bySerialMade_) {
        bySerial_.clear();
        bySerial_.reserve(rows_.size());
        for (int i = 0; i < size(); ++i) bySerial_.emplace_back(rows_[static_cast<std::size_t>(i)].serial, i);
        std::sort(bySerial_.begin(), bySerial_.end());
        bySerialMade_ = true;
    }
    const auto it = std::lower_bound(bySerial_.begin(), bySerial_.end(), std::pair<int, int>(serial, -1));
    return it != bySerial_.end() && it->first == serial ? it->second : -1;
}

void MessageSnapshot::replace(int index, const CItem& item) {
    if (item.m_nSerial != rows_.at(static_cast<std::size_t>(index)).serial) bySerialMade_ = false;
    rows_[static_cast<std::size_t>(index)] = rowOf(item);
}

void MessageSnapshot::append(const CItem& item) {
    if (bySerialMade_) {
        const std::pair<int, int> entry(item.m_nSerial, size());
        if (bySerial_.empty() || bySerial_.back() < entry) bySerial_.push_back(entry);
        else bySerialMade_ = false;
    }
    rows_.push_back(rowOf(item));
}

}  // namespace morvaline
