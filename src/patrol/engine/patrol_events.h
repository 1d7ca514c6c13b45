#pragma once
// What the patrol engine tells the main thread about its work: report lines, item and
// place changes and the activity shown. The GUI, the command line program and the tests
// each implement it. The engine calls it on the patrol thread; an implementation that
// lives on the main thread is reached through a forwarder (session/patrol_events_forwarder.h).
//
// Changes name items and places by serial number, never by index: the patrol thread goes on
// changing the lists while a notice waits for the main thread, and a deletion shifts the
// indices of every later item. A view keeps its own rows and, in its main-thread handler,
// finds the row of the serial (CItemArray::findSerial).

#include <string_view>

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

class CItemArray;

// What happened to an item or a place; the values are the numbers of the notifications,
// kept for the logs.
enum class ItemChange : int { Added = 9, Changed = 15, FileTransferred = 38 };
enum class PlaceChange : int { Added = 33, Changed = 34, ReservationChanged = 44 };

struct ItemNotice {
    ItemChange change = ItemChange::Changed;
    int placeSerial = 0;  // the serial of the item's place in the place tree
    int serial = 0;       // the item's serial in the place's message list

    // The notice of item index of a place's list, made right after the change.
    static ItemNotice of(ItemChange change, const CItemArray& list, int index);
    bool operator==(const ItemNotice&) const = default;
};

struct PlaceNotice {
    PlaceChange change = PlaceChange::Changed;
    int serial = 0;  // the place's serial in the place tree

    // The notice of place index of the tree, made right after the change.
    static PlaceNotice of(PlaceChange change, const CItemArray& tree, int index);
    bool operator==(const PlaceNotice&) const = default;
};

class PatrolEvents {
public:
    virtual ~PatrolEvents() = default;

    // A line for the status, the event log and the patrol window: a text of the string
    // table with "%1" filled in (Shift_JIS). Returns when the line was reported.
    virtual void report(const Text& text, std::string_view arg1 = {}) = 0;

    // The following are announcements; they return at once.
    // An item of a place's list was added or changed, or its file was transferred and its
    // path recorded.
    virtual void itemNotice(const ItemNotice& /*notice*/) {}
    // A place was added to the tree, or its properties, reservation or name changed.
    virtual void placeNotice(const PlaceNotice& /*notice*/) {}
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
