#include "models/message_snapshot.h"

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

MessageRow MessageRow::of(const CItem& item) {
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
    r.id = item.m_szID;
    r.title = item.m_szTitle;
    r.name = item.m_szName;
    if (isMailKind(item.m_nKind)) r.sender = sjisBoundedCopy(item.m_strText.view(), kMaxSenderBytes);
    return r;
}

bool MessageRow::unread() const { return body > 0 && !(flags & ITEM_FLAG_READ); }
bool MessageRow::marked() const { return (flags & ITEM_FLAG_MARKED) != 0; }
bool MessageRow::outgoing() const { return kind::isOutgoing(kind, flags); }

MessageSnapshot MessageSnapshot::of(const CItemArray& list, int placeKind) {
    MessageSnapshot s;
    s.placeKind_ = placeKind;
    list.read([&s](const std::vector<std::unique_ptr<CItem>>& items) {
        s.rows_.reserve(items.size());
        for (const auto& item : items) s.rows_.push_back(MessageRow::of(*item));
    });
    s.bySerial_.reserve(s.rows_.size());
    for (int i = 0; i < s.size(); ++i) s.bySerial_.emplace(s.rows_[static_cast<std::size_t>(i)].serial, i);
    return s;
}

bool MessageSnapshot::threaded() const { return kind::isThreaded(placeKind_); }

int MessageSnapshot::indexOfSerial(int serial) const {
    const auto it = bySerial_.find(serial);
    return it == bySerial_.end() ? -1 : it->second;
}

void MessageSnapshot::replace(int index, MessageRow row) {
    bySerial_.erase(rows_.at(static_cast<std::size_t>(index)).serial);
    bySerial_[row.serial] = index;
    rows_[static_cast<std::size_t>(index)] = std::move(row);
}

void MessageSnapshot::append(MessageRow row) {
    bySerial_[row.serial] = size();
    rows_.push_back(std::move(row));
}

}  // namespace morvaline
