#include "patrol/services/mail/mail_pass.h"

#include "link/result_codes.h"
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

MailPass::MailPass(CPatrolEngine& engine, CTolDoc& doc, std::unique_ptr<MailHandlers> mail)
    : engine_(engine), doc_(doc), mail_(std::move(mail)) {}

bool MailPass::isHidden(int place) const {
    return doc_.tree().item(place).hasFlag(ITEM_FLAG_HIDDEN);
}

void MailPass::beforeWalk(PatrolWalk& walk) {
    mailPass(walk);
    sentList(walk);
}

void MailPass::mailPass(PatrolWalk& walk) {
    CItemArray& tree = doc_.tree();
    int flags = kNoMailPlaceFlags;
    bool newMail = false;
    for (int place = 0; place < tree.size() && engine_.result() == result::Ok; ++place) {
        if (isHidden(place)) continue;
        const int kind = tree.item(place).m_nKind;
        if (kind == kind::kReceivedMail) {
            const DueCheck due = walk.isDue(place, false);
            flags = due.flags;
            const bool readUnread = (flags & kMailReadUnread) != 0;
            const bool list = due.due ? walk.newMailAnnounced() || (flags & kMailAlwaysList)
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

void MailPass::sentList(PatrolWalk& walk) {
    if (engine_.result() != result::Ok) return;
    CItemArray& tree = doc_.tree();
    for (int place = 0; place < tree.size(); ++place) {
        if (tree.item(place).m_nKind != kind::kSentLog || isHidden(place)) continue;
        if (walk.isDue(place, false).due) mail_->readSentList(place);
        mail_->deleteSentMail(place);
        return;
    }
}

}  // namespace morvaline
