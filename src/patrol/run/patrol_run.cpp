#include "patrol/run/patrol_run.h"

#include "link/result_codes.h"
#include "patrol/run/mail_handlers.h"
#include "store/document.h"

namespace morvaline {
namespace {

// A reservation flag of the received-mail place: fetch the list even when the host did not
// announce new mail.
constexpr int kMailAlwaysList = 0x80;
constexpr int kMailReadUnread = 0x10;
// The flags of the mail folders worked before any received-mail place: nothing more than
// their own reservations.
constexpr int kNoMailPlaceFlags = 0;

}  // namespace

PatrolRun::PatrolRun(CPatrolEngine& engine, CTolDoc& doc, PatrolOptions options, MailHandlers* mail)
    : engine_(engine), doc_(doc), options_(std::move(options)), mail_(mail) {}

bool PatrolRun::isHidden(int place) const { return doc_.tree().item(place).hasFlag(ITEM_FLAG_HIDDEN); }

DueCheck PatrolRun::isDue(int place, bool peek) {
    const int kind = doc_.tree().item(place).m_nKind;
    const CReserveArray* menu =
        kind >= 0 && kind < CTolDoc::kReservationMenus ? &doc_.menu(kind) : nullptr;
    const DueCheck check = checkReservation(doc_.tree(), place, menu, options_.level, peek);
    if (check.reservationCleared) engine_.events().placeReservationChanged(place);
    return check;
}

int PatrolRun::run() {
    engine_.events().report(texts::kPatrolStarting);
    if (connect() != result::Ok) {
        // Without a line there is nothing to log out of.
        return logout(engine_.result());
    }
    engine_.setWaitTimeout(engine_.settings().timeoutMs);
    // A host that refuses the login may close the line right after saying why: what it said
    // is still read by the login screens.
    const int loggedIn = login();
    if (loggedIn != result::Ok && loggedIn != result::LineLost) return logout(loggedIn);
    if (!options_.patrol) return loggedIn == result::Ok ? result::Ok : logout(loggedIn);  // the line stays up

    if (loggedIn == result::Ok) doc_.startGeneration();
    if (answerLoginScreens() == result::Ok) {
        mailPass();
        sentList();
        mainWalk();
    }
    return logout(engine_.result());
}

void PatrolRun::mailPass() {
    if (!mail_) return;
    CItemArray& tree = doc_.tree();
    int flags = kNoMailPlaceFlags;
    bool newMail = false;
    for (int place = 0; place < tree.size() && engine_.result() == result::Ok; ++place) {
        if (isHidden(place)) continue;
        const int kind = tree.item(place).m_nKind;
        if (kind == kind::kReceivedMail) {
            const DueCheck due = isDue(place, false);
            flags = due.flags;
            const bool readUnread = (flags & kMailReadUnread) != 0;
            const bool list = due.due ? newMailAnnounced_ || (flags & kMailAlwaysList)
                                      : mail_->hasReservedMail(place);
            if (list && mail_->readMailList(place, readUnread)) newMail = true;
            if (mail_->deleteReservedMail() && mail_->hasReservedMail(place) &&
                mail_->readMailList(place, readUnread))
                newMail = true;
            mail_->readReservedMail(place, flags);
        } else if (kind == kind::kMailFolder) {
            mail_->readReservedMail(place, flags);
        }
    }
    // The outgoing mail: the place of kind 5 with the ID "MAIL".
    bool sent = false;
    for (int place = 0; place < tree.size() && engine_.result() == result::Ok; ++place) {
        const CItem item = tree.item(place);
        if (item.m_nKind == kind::kSentMail && item.m_szID == "MAIL" && !isHidden(place)) {
            sent = mail_->sendReservedMail(place);
            break;
        }
    }
    if (newMail || sent) engine_.events().sortMail((newMail ? 1 : 0) | (sent ? 2 : 0));
    mail_->mailPassOver();
}

void PatrolRun::sentList() {
    if (!mail_ || engine_.result() != result::Ok) return;
    CItemArray& tree = doc_.tree();
    for (int place = 0; place < tree.size(); ++place) {
        if (tree.item(place).m_nKind != kind::kSentLog || isHidden(place)) continue;
        if (isDue(place, false).due) mail_->readSentList(place);
        mail_->deleteSentMail(place);
        return;
    }
}

void PatrolRun::mainWalk() {
    CItemArray& tree = doc_.tree();
    for (int place = 0; place < tree.size() && engine_.result() == result::Ok; ++place) {
        if (isHidden(place)) continue;
        switch (tree.item(place).m_nKind) {
            case kind::kNewNotices:
                // Only the reservation check, so that a one-shot reservation is used up.
                isDue(place, false);
                break;
            default:
                // Forums, libraries, billing, boards, clubs, circles, notices, clipping and
                // unknown places are served by handlers that this build does not have:
                // they are passed over.
                break;
        }
    }
}

}  // namespace morvaline
