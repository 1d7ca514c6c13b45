#pragma once
// Turning a captured terminal log into stored messages of one place, line by line: board
// messages (a message tag line, a title line, the text up to the prompt) in rooms, boards,
// clubs and circles, and mails (a mail list line, the header up to "文書名：", the text up
// to the prompt) in mail places.

#include <string>
#include <string_view>

#include "store/fetched_message.h"
#include "store/item.h"

namespace morvaline {

class CItemArray;

class LogCapture {
public:
    // A message is closed after this many lines; later lines up to the next message are
    // not stored.
    static constexpr int kMaxLines = 3098;

    LogCapture(CItemArray& list, const CItem& place, int generation);
    // One line of the log without its line end. False when a text could not be written.
    bool feed(std::string_view line);
    // Stores the message still open at the end of the log.
    bool finish();
    int stored() const { return stored_; }

private:
    enum class State {
        Outside,    // between messages
        TagSeen,    // a board message tag was seen; its title line must follow
        MailHeader, // a mail list line was seen; header lines up to "文書名："
        Body,       // the text of a message
        Overflow,   // the message was closed at its line limit
    };
    bool feedBoard(std::string_view line);
    bool feedMail(std::string_view line);
    bool appendBodyLine(std::string_view line);
    bool close();  // stores the open message
    bool store();

    CItemArray& list_;
    CItem place_;
    int generation_;
    bool boards_;
    State state_ = State::Outside;
    FetchedMessage message_;
    bool accept_ = false;
    int stored_ = 0;
};

}  // namespace morvaline
