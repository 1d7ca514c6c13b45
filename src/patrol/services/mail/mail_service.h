#pragma once
// The mail service of a patrol run, on the patrol thread: the host's list of received mail,
// reading, downloading and deleting the mails reserved for it, sending the mails written
// offline (to host IDs and, through the gateways, to the internet), the absence notices the
// host answers with, and the host's list of sent mail. What it fetches goes into the place
// lists of the document; what it does is reported through the engine's events (the item
// announcements carry the place's index in the tree as the array identifier).
//
// Host numbers of mails are used only from a complete listing of this run with no deletion
// after it; a step that needs them otherwise lists the mail first, so that a reservation
// never reaches another mail than the one it was made for.
//
// The methods are spread over mail_service.cpp (entering the reader, shared steps),
// mail_list.cpp, mail_read.cpp, mail_delete.cpp, mail_send.cpp (with the steps of the host's
// mail writer in mail_writer.cpp) and sent_list.cpp.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "patrol/engine/patrol_engine.h"
#include "patrol/services/mail/mail_handlers.h"
#include "patrol/services/mail/mail_header.h"
#include "patrol/services/mail/mail_list_lines.h"
#include "store/opened_list.h"

namespace morvaline {

class CTolDoc;
struct SentRecord;

// How the exchange about one mail ended.
enum class MailStep {
    Done,     // the host did what was asked
    Failed,   // this mail could not be handled; the next one may be
    Stopped,  // the service cannot go on now: the run is over or the host refuses the service
};

class MailService final : public MailHandlers {
public:
    // Item reservations of mails.
    static constexpr int kReserveRead = 2;
    static constexpr int kReserveDownload = 4;
    static constexpr int kReserveDelete = 7;
    // Flags of the received-mail place's reservation.
    static constexpr int kDeleteAfterReading = 0x40;

    // Patrol thread; the engine and the document outlive the service (one run).
    MailService(CPatrolEngine& engine, CTolDoc& doc);

    bool readMailList(int place, bool readUnread) override;
    bool hasReservedMail(int place) override;
    bool deleteReservedMail() override;
    bool readReservedMail(int place, int patternFlags) override;
    bool sendReservedMail(int place) override;
    void mailPassOver() override;
    void readSentList(int place) override;
    void deleteSentMail(int place) override;

    // The common entry to the host's mail reader; nothing to do when the run is in it
    // already, unless forced. False when the reader cannot be used now.
    bool EnterMailReader(bool force);

private:
    // An open list of a mail place.
    struct PlaceList {
        int place = -1;
        std::unique_ptr<OpenedList> list;
        CItemArray& items() const { return **list; }
    };

    // --- mail_service.cpp ---
    // Logs "ﾒｰﾙへ移動しました" the first time in a run, and shows the activity.
    void greet(Animation animation);
    // The received-mail places (not hidden), then every mail folder.
    std::vector<int> mailPlaces() const;
    // The lists of the given places that exist.
    std::vector<PlaceList> openLists(const std::vector<int>& places, bool create) const;
    // Lists the mail when the numbers of this run's listing are not known to be right.
    bool ensureFreshNumbers();
    // Waits for the menu prompt that follows a step; false when the run is over.
    bool settle();
    // Marks a received mail deleted on the host: number 0, its mail reservation cleared.
    void markDeleted(CItemArray& list, int index);
    // Saves a list that changed; a failure is reported.
    void saveList(CItemArray& list);
    // Gives the host a deletion command ("D..." without its CR) and answers its question:
    // Done when the host's menu is back after it; confirmed tells whether the host said
    // "削除されました。" (not every list of the host does).
    MailStep deleteOnHost(const std::string& command, bool& confirmed);

    // --- mail_read.cpp ---
    // Shows the item's mail ("RB%d") up to the end of its header: Done with the header when
    // it names the listed mail; otherwise the failure text is reported with the number and
    // the display skipped (Failed), or the service cannot go on (Stopped).
    MailStep showMail(const CItem& item, std::optional<MailHeaderBlock>& header,
                      const Text& failure);
    // Reads a shown mail's text up to the reader's prompt; false when the run is over.
    bool skipMailText();
    MailStep readMail(CItemArray& list, int index, int patternFlags);
    MailStep downloadMail(CItemArray& list, int index, int patternFlags);

    // --- mail_send.cpp ---
    struct Outgoing;  // one item to send, with everything it needs
    // Whether a mail marked as being sent by an earlier run reached the host.
    enum class EarlierSend { Went, DidNotGo, Unknown };
    MailStep sendMail(CItemArray& list, int place, int index);
    // From the host's mail writer on, the item marked as being sent.
    MailStep sendMarked(CItemArray& list, int place, int index, Outgoing& out);
    // Tells by the host's sent list (read once a run) whether the marked item went.
    EarlierSend earlierSend(const CItemArray& list, const Outgoing& out);
    // Marks the item as being sent and saves the list; false (reported) when it cannot be.
    bool markBeingSent(CItemArray& list, int index);
    // The checks and preparations that need no host; Failed when the item cannot go.
    MailStep prepareMail(const CItem& item, Outgoing& out);
    // Into the host's mail writer, up to its addressee prompt.
    MailStep enterMailWriter(Outgoing& out);
    // What a composed mail that went up becomes: its own text recorded in the place's file.
    SentRecord recordComposed(CItemArray& list, const Outgoing& out);
    // What a mail becomes whose text went without being recorded: its own text, recorded
    // in the place's file (none for a file mail).
    SentRecord recordOwnText(CItemArray& list, const CItem& item);

    // --- sent_list.cpp ---
    struct SentListing {
        std::vector<SentListEntry> entries;
        bool complete = true;  // every line of an entry's shape could be read
    };
    // Shows the sent list and keeps the place's entries in step; the listed entries, or
    // none when the list could not be read.
    std::optional<SentListing> listSentMail(int place);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    bool mailGreeted_ = false;   // "ﾒｰﾙへ移動しました" was logged in this run
    bool inMailReader_ = false;  // the host shows the mail reader
    bool numbersFresh_ = false;  // a complete listing in this run, and no deletion since
    int listedPlace_ = -1;       // the received-mail place of that listing
    bool readUnread_ = false;    // its read-unread flag
    std::optional<SentListing> sentListing_;  // the host's sent list, once read in this run
};

}  // namespace morvaline
