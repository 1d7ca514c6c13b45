#pragma once
// Moving through messages and places as the browser window's commands do: next and
// previous message, next unread (wrapping to the top once), next and previous new (never
// wrapping), marked and being-written messages, reserved places, and the jump to a message
// number. Plain functions over the store: they read snapshots of the place tree and of the
// message lists and return what the window is to show.
//
// Places follow the order of the place tree as the window shows it, messages the order of
// the subject list with every node expanded. Main thread.

#include <optional>

#include "models/place_order.h"
#include "models/subject_order.h"

namespace morvaline {

class CTolDoc;
class Questions;
struct Text;

// A place and a message in it, by serial (-1: none; the list root stands for "no message").
struct Selection {
    int place = -1;
    int message = -1;
    friend bool operator==(const Selection&, const Selection&) = default;
};

// Where the navigation tells the user what it found or did not find.
class NavigationReports {
public:
    virtual ~NavigationReports() = default;
    virtual void report(const Text& text) = 0;  // status line and event log
    virtual void beep() = 0;
};

enum class Direction { Down, Up };

class Navigator {
public:
    // confirmUnread / confirmMove: ask before moving to another place in search of unread,
    // or of new, marked and being-written messages.
    Navigator(CTolDoc& doc, const PlaceTreeOptions& places, const SubjectOptions& subjects,
              Questions& questions, NavigationReports& reports);
    void setConfirmations(bool confirmUnread, bool confirmMove) {
        confirmUnread_ = confirmUnread;
        confirmMove_ = confirmMove;
    }

    // Each returns the selection to show, or nothing when the selection stays.
    std::optional<Selection> message(Selection from, Direction direction);
    std::optional<Selection> unread(Selection from);
    std::optional<Selection> newMessage(Selection from, Direction direction);
    std::optional<Selection> marked(Selection from, Direction direction);
    std::optional<Selection> composing(Selection from, Direction direction);
    std::optional<Selection> reservedPlace(Selection from, Direction direction);

private:
    enum class Want { Any, Unread, New, Marked, Composing };

    bool placeHas(int placeIndex, Want want) const;
    bool messageIs(const MessageRow& row, int index, Want want) const;
    // The next place after (or before) from in tree order whose place row says it has what
    // is wanted; -1 when none.
    int nextPlace(int fromPlaceIndex, Direction direction, Want want) const;
    // Looks through a place's messages below (above) a message: the serial found or -1;
    // nothing when the place has no message list to look through.
    std::optional<int> searchPlace(int placeIndex, int afterSerial, Direction direction, Want want, bool shownOnly) const;
    std::optional<Selection> searchOnward(Selection from, Direction direction, Want want, const Text& question,
                                          bool confirm, const Text& notFound);

    CTolDoc& doc_;
    PlaceTreeOptions placeOptions_;
    SubjectOptions subjectOptions_;
    Questions& questions_;
    NavigationReports& reports_;
    bool confirmUnread_ = true;
    bool confirmMove_ = true;
    PlaceSnapshot places_;
    std::vector<int> order_;  // places in tree order
};

// The outcome of a jump to a message number.
enum class JumpResult {
    Found,          // the message is in the place; selection holds it
    Reserved,       // it was not there, and a read (download) reservation was made
    Declined,       // the user did not want a reservation
    NotFound,       // the place does not fetch its messages by number
};

// Looks a number up in the place; when it is missing from a place whose messages a patrol
// fetches by number, asks whether to reserve reading it (downloading, in a library) unless
// reserveWithoutAsking, and on Yes adds the reservation item stamped with the current time.
JumpResult jumpToNumber(CTolDoc& doc, int placeSerial, int number, Questions& questions,
                        bool reserveWithoutAsking, Selection& selection);

}  // namespace morvaline
