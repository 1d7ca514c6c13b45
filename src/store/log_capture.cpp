#include "store/log_capture.h"

#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_trim.h"
#include "store/host_date.h"
#include "store/host_lines.h"
#include "store/item_array.h"

namespace morvaline {
namespace {

constexpr int kHighestNamedRoom = 20;

std::string_view trimmed(std::string_view s) {
    return trim(s, " ");
}

// The message number of a tag: the digits after its last "/".
int tagNumber(std::string_view tag) {
    int number = 0;
    for (const char c : tag.substr(tag.rfind('/') + 1))
        if (c >= '0' && c <= '9' && number < 100'000'000) number = number * 10 + (c - '0');
    return number;
}

}  // namespace

LogCapture::LogCapture(CItemArray& list, const CItem& place, int generation)
    : list_(list), place_(place), generation_(generation), boards_(kind::isThreaded(place.m_nKind)) {}

bool LogCapture::store() {
    if (!accept_) return true;
    const int index = storeFetchedMessage(list_, std::move(message_), generation_);
    message_ = FetchedMessage();
    if (index < 0) return false;
    ++stored_;
    return true;
}

bool LogCapture::close() {
    state_ = State::Outside;
    return store();
}

bool LogCapture::appendBodyLine(std::string_view line) {
    if (isUuEndLine(line)) message_.flags |= ITEM_FLAG_UUENCODED;
    message_.lines.emplace_back(line);
    if (static_cast<int>(message_.lines.size()) < kMaxLines) return true;
    state_ = State::Overflow;
    return store();
}

bool LogCapture::feed(std::string_view line) {
    return boards_ ? feedBoard(line) : feedMail(line);
}

bool LogCapture::feedBoard(std::string_view line) {
    if (const std::size_t tag = messageTagLength(line); tag > 0 && state_ != State::TagSeen) {
        const bool ok = state_ == State::Body ? store() : true;
        const std::string_view tagLine = cutCommentMarker(line);
        message_ = FetchedMessage();
        message_.kind = kind::kForumMessage;
        message_.number = tagNumber(line.substr(1, tag - 1));
        message_.title = sjisBoundedCopy(trimmed(tagLine.substr(tag)), 72);
        message_.date = fileTimeNow();
        message_.lines.emplace_back(tagLine);
        state_ = State::TagSeen;
        return ok;
    }
    switch (state_) {
        case State::TagSeen: {
            if (!isTitleLine(line)) {
                state_ = State::Outside;
                return true;
            }
            // The title line names the room: rooms up to 20 take only their own messages.
            const std::size_t open = line.find('(');
            const std::string_view room = trimmed(line.substr(open + 1, line.find(')', open) - open - 1));
            accept_ = place_.m_nNumber > kHighestNamedRoom || room == place_.m_szTitle.view();
            message_.lines.emplace_back(line);
            state_ = State::Body;
            return true;
        }
        case State::Body:
            return isBoardPrompt(line) ? close() : appendBodyLine(line);
        case State::Outside:
        case State::Overflow:
        case State::MailHeader:
            return true;
    }
    return true;
}

bool LogCapture::feedMail(std::string_view line) {
    static const std::string kTitleLabel = sj("文書名：");
    if (isMailListLine(line)) {
        const bool ok = state_ == State::Body ? store() : true;
        message_ = FetchedMessage();
        message_.kind = kind::kReceivedMailMessage;
        message_.date = parseHostDate(mailListDate(line));
        // Stored as a patrol stores a mail: the first line, one empty line (whether or not
        // the log shows one), the other header lines.
        message_.lines = {std::string(line), std::string()};
        accept_ = true;
        state_ = State::MailHeader;
        return ok;
    }
    switch (state_) {
        case State::MailHeader:
            if (line.empty() && message_.lines.size() == 2) return true;
            message_.lines.emplace_back(line);
            if (const MailSender sender = parseSenderLine(line); !sender.address.empty()) {
                message_.text = sender.address;
                message_.name = sender.name;
                if (sender.internet) message_.flags |= ITEM_FLAG_INTERNET;
            } else if (line.starts_with(kTitleLabel)) {
                message_.title = sjisBoundedCopy(line.substr(kTitleLabel.size()), 72);
                state_ = State::Body;
            }
            return true;
        case State::Body:
            if (!isMailPrompt(line)) return appendBodyLine(line);
            // The host ends a mail's text with an empty line before its prompt.
            if (message_.lines.back().empty()) message_.lines.pop_back();
            return close();
        case State::Outside:
        case State::Overflow:
        case State::TagSeen:
            return true;
    }
    return true;
}

bool LogCapture::finish() { return state_ == State::Body ? close() : true; }

}  // namespace morvaline
