#pragma once
// The reader of a room's message display, the core of every room read: after a read
// command it turns the host's messages into items of the room's list, up to the room's
// prompt. Patrol thread.
//
// A message begins at a tag line ("#12/30" or "#12") followed by a header line
// ("★タイトル (ID) ...") and the title line; its text runs to the next message or the
// prompt. A message counts as read only when the next message or the prompt closed it: a
// read that breaks off (the line lost, a cancel, silence) keeps the open message out, so
// that the next read fetches it again.
//
// Inside a message a line that merely looks like a tag ("#12 について") is text: it starts
// a message only when a valid header line follows it. Without an open message, or when
// the line has the full "#n/m" form, a missing header means the host's display is out of
// step and ends the run.

#include "patrol/engine/patrol_engine.h"
#include "patrol/services/forum/room_messages.h"

namespace morvaline {

struct ReadOutcome {
    enum class End {
        Prompt,   // the room's prompt ended the messages
        NoData,   // the host said there was nothing to read
        RunOver,  // the run ended (its result code says why)
    };
    End end = End::RunOver;
    int complete = 0;     // messages read to their end (stored, filled in or already there)
    int stored = 0;       // of which went into the list as new text
    int lastNumber = 0;   // the highest number among the complete messages
    int highest = 0;      // the room's highest number from a "#n/m" line; 0 when none came
    bool linked = false;  // a comment was hung under the message it answers
};

class MessageReader {
public:
    // At most this many lines that look like tags are reported per read; the rest are
    // taken as text silently.
    static constexpr int kMaxTagWarnings = 10;

    MessageReader(CPatrolEngine& engine, RoomMessages& room, int generation);
    ReadOutcome read();

private:
    struct Open;  // the message being collected
    // The next line: one put back first, else from the host (or a room prompt that ended
    // the messages).
    Waited<LineRead> next(std::string& line);
    void close(Open& open, ReadOutcome& outcome);

    CPatrolEngine& engine_;
    RoomMessages& room_;
    int generation_;
    std::optional<std::string> putBack_;
    int warnings_ = 0;
};

}  // namespace morvaline
