#pragma once
// What the patrol engine tells the main thread about its work: report lines, item and
// place changes and the activity shown. The GUI, the command line program and the tests
// each implement it. The engine calls it on the patrol thread; an implementation that
// lives on the main thread is reached through a forwarder (session/patrol_events_forwarder.h).
//
// Item and place changes are the store's notices (store/change_notices.h).

#include <string_view>

#include "store/change_notices.h"
#include "store/texts.h"

namespace morvaline {

// The activity animations; the numbers are their resource IDs.
enum class Animation : int {
    Connecting = 182,
    LoggingIn = 183,
    LoggingOut = 204,
    ReadingMail = 206,
    SendingMail = 207,
    SentList = 208,
    Sig = 209,
    Library = 210,
    Forum = 211,
    UnknownPlace = 213,
    Notices = 214,
    Board = 215,
};

class PatrolEvents : public ChangeNotices {
public:
    virtual ~PatrolEvents() = default;

    // A line for the status, the event log and the patrol window: a text of the string
    // table with "%1" filled in (Shift_JIS). Returns when the line was reported.
    virtual void report(const Text& text, std::string_view arg1 = {}) = 0;

    // The following, and the notices of ChangeNotices, are announcements; they return at once.
    virtual void activity(Animation /*animation*/) {}
    // Comments read in the place of this serial were hung under the messages they answer:
    // its comment tree changed.
    virtual void commentsLinked(int /*placeSerial*/) {}
    // The run ended without logout: the terminal takes over the line.
    virtual void activateTerminal() {}

    // Runs the mail assistant over the received mail (bit 1) and the sent mail (bit 2);
    // returns when it has run.
    virtual void sortMail(int /*bits*/) {}
};

}  // namespace morvaline
