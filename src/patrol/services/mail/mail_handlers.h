#pragma once
// The mail service as the patrol walk uses it: the received-mail list, reading,
// downloading and deleting reserved mails, sending the mails written offline and the
// host's list of sent mail. Patrol thread.

namespace morvaline {

class MailHandlers {
public:
    virtual ~MailHandlers() = default;

    // Fetches the received-mail list of the place; true when new entries were added.
    virtual bool readMailList(int place, bool readUnread) = 0;
    // True when the place's message list holds mails reserved for reading, downloading or
    // deleting.
    virtual bool hasReservedMail(int place) = 0;
    // Deletes on the host the mails that the store lists for deletion; true when any was.
    virtual bool deleteReservedMail() = 0;
    // Works the reservations (read, download, delete) of the mail items of a place, with
    // the action flags of the received-mail place's reservation.
    virtual bool readReservedMail(int place, int patternFlags) = 0;
    // Sends the reserved items of the outgoing-mail place; true when anything was sent.
    virtual bool sendReservedMail(int place) = 0;
    // The mail pass is over: the mail folders that received items are tidied and saved.
    virtual void mailPassOver() = 0;
    // The host's list of sent mail, and the deletions reserved there.
    virtual void readSentList(int place) = 0;
    virtual void deleteSentMail(int place) = 0;
};

}  // namespace morvaline
