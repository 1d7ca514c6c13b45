#include "patrol/services/forum/room_messages.h"

#include <limits>

#include "message/post_title.h"
#include "store/document.h"
#include "store/fetched_message.h"

namespace morvaline {

RoomMessages::RoomMessages(CTolDoc& doc, int room)
    : list_(doc, room), room_(room), path_(doc.tree().item(room).m_strPath.str()),
      userId_(doc.userId()) {
    if (!list_) return;
    list_->keepTextFileOpen(true);
    list_->read([this](const std::vector<std::unique_ptr<CItem>>& items) {
        for (std::size_t i = 1; i < items.size(); ++i) {
            const CItem& item = *items[i];
            if (item.m_nKind != kind::kForumMessage) continue;
            if (item.m_nNumber > 0) byNumber_[item.m_nNumber] = static_cast<int>(i);
            else if (item.m_szID.view() == userId_)
                posted_.emplace(postTitleLine(item), static_cast<int>(i));
        }
    });
}

RoomMessages::~RoomMessages() {
    if (list_) list_->keepTextFileOpen(false);
}

int RoomMessages::find(int number) const {
    const auto it = byNumber_.find(number);
    return it == byNumber_.end() ? -1 : it->second;
}

int RoomMessages::parentFor(int target, int number) const {
    if (target <= 0 || target >= number) return 0;
    const int answered = find(target);
    return answered > 0 ? answered : 0;
}

CItem RoomMessages::newItem(const ForumMessage& m, int generation) const {
    CItem item(0, m.number, 0, m.senderId, m.title, kind::kForumMessage, 0, m.date, m.handle, {},
               m.comments);
    item.m_dwFlags = m.flags;
    // A target at or above the message's own number cannot be an earlier message.
    item.m_nTarget = m.target > 0 && m.target < m.number ? m.target : 0;
    item.m_nGeneration = generation;
    item.m_strPath = path_ + "/" + std::to_string(m.number);
    return item;
}

RoomMessages::Result RoomMessages::add(const CItem& item, int target) {
    using namespace copy;
    const int parent = parentFor(target, item.m_nNumber);
    const int index =
        list_->addCopy(parent, item,
                       kNumber | kOffset | kLength | kBody | kKind | kFlags | kDate | kId | kTitle |
                           kName | kTarget | kRefCount | kGeneration | kPath);
    byNumber_[item.m_nNumber] = index;
    return {Stored::Added, index, parent > 0};
}

RoomMessages::Result RoomMessages::store(ForumMessage& message, int generation) {
    const int existing = find(message.number);
    if (existing > 0 && list_->item(existing).m_nBody > 0) return {Stored::AlreadyThere, existing, false};
    // The user's own post come back: its record keeps the text that was sent and takes the
    // host's number, so that the message is not there twice.
    if (existing < 0 && message.senderId == userId_) {
        const auto own = posted_.find(message.titleLine);
        if (own != posted_.end()) {
            const int index = own->second;
            posted_.erase(own);
            CItem numbered = newItem(message, generation);
            using namespace copy;
            list_->update(index, numbered, kNumber | kDate | kTitle | kName | kRefCount | kPath);
            byNumber_[message.number] = index;
            return {Stored::Posted, index, false};
        }
    }

    std::vector<std::string>& lines = message.lines;
    removePromptLines(lines);
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();
    const std::optional<std::int64_t> offset = list_->appendText(text);
    if (!offset || *offset + static_cast<std::int64_t>(text.size()) > kMaxOffset) {
        if (offset) list_->truncateText(*offset);
        return {};
    }
    CItem item = newItem(message, generation);
    item.m_nOffset = static_cast<std::int32_t>(*offset);
    item.m_nLength = static_cast<std::int32_t>(text.size());
    item.m_nBody = static_cast<std::int32_t>(lines.size());
    if (existing > 0) {
        using namespace copy;
        list_->update(existing, item,
                      kOffset | kLength | kBody | kFlags | kDate | kId | kTitle | kName |
                          kRefCount | kGeneration);
        return {Stored::Filled, existing, false};
    }
    return add(item, message.target);
}

RoomMessages::Result RoomMessages::storeTitle(int number, FileTime date, const std::string& title,
                                              int target, int generation) {
    const int existing = find(number);
    if (existing > 0) {
        // A message known only by its title takes the newer one; a stored text stays as it is.
        if (list_->item(existing).m_nBody <= 0) list_->setTitle(existing, title);
        return {Stored::AlreadyThere, existing, false};
    }
    ForumMessage message;
    message.number = number;
    message.target = target;
    message.title = title;
    message.date = date;
    return add(newItem(message, generation), target);
}

}  // namespace morvaline
