// Sending the mails written offline: a mail or a forward as text, a forward of a file mail,
// and a file mail uploaded. An item is marked sent only when the host has confirmed it and
// the list that records it was saved; otherwise it stays reserved with its text, and the
// place's text file is cut back to where the item's text began. While the host has the
// mail in hand the item carries ITEM_FLAG_BEING_SENT on disk: a later run that finds the
// mark looks for the mail in the host's sent list before it sends it again.

#include <algorithm>
#include <filesystem>

#include "link/result_codes.h"
#include "message/composed_mail.h"
#include "message/recipients.h"
#include "patrol/services/mail/mail_commands.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/mail/mail_texts.h"
#include "patrol/services/mail/mail_writer.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"
#include "store/document.h"
#include "store/outgoing_mail.h"

namespace morvaline {

struct MailService::Outgoing {
    CItem item;
    std::string title;  // made safe for a line of its own
    std::vector<std::string> addressees;
    std::optional<OutgoingText> text;  // the item's own text; none for a file mail
    // A mail with attached files to the internet: composed as an internet message, which
    // goes up to the gateway as a file.
    std::optional<ComposedMail> composed;
    // A forward: the list of the received mail it forwards, and that mail.
    std::optional<OpenedList> source;
    int sourceIndex = -1;
    CItem forwarded;
    // The stored text of a forwarded mail that the host no longer has: it goes out as a new
    // mail with this text after the item's own.
    std::vector<std::string> appended;
    bool sourceGone = false;  // the forwarded mail is no longer in the store

    bool forwardFromReader() const {
        return source && !forwarded.hasFlag(ITEM_FLAG_DELETED) && forwarded.m_nNumber > 0;
    }
};

bool MailService::sendReservedMail(int place) {
    if (!doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED)) return false;
    OpenedList list(doc_, place, false);
    if (!list) return false;
    bool sent = false;
    const int first = list->firstReserved();
    for (int i = first < 1 ? 1 : first; i < list->size() && engine_.result() == result::Ok; ++i) {
        const CItem item = list->item(i);
        if (item.m_nReserve != kReserveSend) continue;
        if (item.hasFlag(ITEM_FLAG_SKIP_ONCE)) {
            list->setFlags(i, ITEM_FLAG_SKIP_ONCE, 0);
            continue;
        }
        if (item.m_nKind != kind::kNewMail && item.m_nKind != kind::kFileMail &&
            item.m_nKind != kind::kForwardMail)
            continue;
        const MailStep step = sendMail(*list, place, i);
        if (step == MailStep::Done) sent = true;
        if (step == MailStep::Stopped) break;
    }
    saveList(*list);
    return sent;
}

MailStep MailService::sendMail(CItemArray& list, int place, int index) {
    Outgoing out;
    out.item = list.item(index);
    out.title = hostField(out.item.m_szTitle.view());
    MailStep step = prepareMail(out.item, out);
    if (out.sourceGone) {
        // A later patrol could not send it either.
        list.setReserve(index, -1);
        engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    }
    if (step == MailStep::Done && out.item.hasFlag(ITEM_FLAG_BEING_SENT)) {
        switch (earlierSend(list, out)) {
            case EarlierSend::Went:
                finishSent(engine_, doc_, list, index, recordOwnText(list, out.item));
                return MailStep::Done;
            case EarlierSend::Unknown:
                step = engine_.result() == result::Ok ? MailStep::Failed : MailStep::Stopped;
                break;
            case EarlierSend::DidNotGo:
                break;
        }
    }
    if (step == MailStep::Done && !markBeingSent(list, index)) step = MailStep::Failed;
    if (step != MailStep::Done) {
        engine_.events().report(texts::kMailNotSent, out.title);
        return step;
    }
    step = sendMarked(list, place, index, out);
    // A mail the host did not take is no longer being sent; after a run that ended the
    // mark stays, since the host may have taken it.
    if (step == MailStep::Failed) list.setFlags(index, ITEM_FLAG_BEING_SENT, 0);
    return step;
}

MailService::EarlierSend MailService::earlierSend(const CItemArray& list, const Outgoing& out) {
    if (!sentListing_) sentListing_ = listSentMail(-1);
    if (!sentListing_) return EarlierSend::Unknown;
    int sentBefore = 0;
    for (int i = 1; i < list.size(); ++i) {
        const CItem item = list.item(i);
        if ((item.m_nKind == kind::kSentMailMessage || item.m_nKind == kind::kSentFileMail) &&
            item.m_szTitle.view() == out.item.m_szTitle.view() &&
            item.m_strText.view() == out.item.m_strText.view())
            ++sentBefore;
    }
    if (sentListShows(sentListing_->entries, out.title, out.addressees, sentBefore))
        return EarlierSend::Went;
    return sentListing_->complete ? EarlierSend::DidNotGo : EarlierSend::Unknown;
}

bool MailService::markBeingSent(CItemArray& list, int index) {
    list.setFlags(index, ITEM_FLAG_BEING_SENT, ITEM_FLAG_BEING_SENT);
    if (list.save()) return true;
    engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
    list.setFlags(index, ITEM_FLAG_BEING_SENT, 0);
    return false;
}

MailStep MailService::sendMarked(CItemArray& list, int place, int index, Outgoing& out) {
    MailStep step = enterMailWriter(out);
    if (step != MailStep::Done) {
        engine_.events().report(texts::kMailNotSent, out.title);
        return step;
    }

    int accepted = 0;
    bool someRefused = false;
    for (const std::string& address : out.addressees) {
        std::string answer;
        switch (askAddressee(engine_, address, answer)) {
            case Addressee::Accepted:
                ++accepted;
                break;
            case Addressee::Absent:
                storeAbsenceNotice(engine_, doc_.generation(), list, address,
                                   absenceNotice(answer));
                [[fallthrough]];
            case Addressee::Refused:
                someRefused = true;
                engine_.events().report(texts::kAddresseeRefused, address);
                break;
            case Addressee::RunOver:
                engine_.events().report(texts::kMailNotSent, out.title);
                return MailStep::Stopped;
        }
    }
    if (accepted == 0) {
        engine_.events().report(texts::kNotSentToAll);
        engine_.Send("M\r");
        engine_.events().report(texts::kMailNotSent, out.title);
        return settle() ? MailStep::Failed : MailStep::Stopped;
    }

    SentRecord record;
    if (out.item.m_nKind == kind::kFileMail) {
        step = uploadFile(engine_, out.title, out.item.m_strPath.str());
        record.kind = kind::kSentFileMail;
    } else if (out.composed) {
        step = uploadFile(engine_, out.title, out.composed->file.path().string());
        if (step == MailStep::Done) record = recordComposed(list, out);
    } else if (out.forwardFromReader() && out.forwarded.hasFlag(ITEM_FLAG_FILE_MAIL)) {
        step = forwardFile(engine_, out.title);
    } else {
        const std::optional<SentRecord> sent =
            sendText(engine_, list, place, index, hostTextLine(out.title), *out.text, out.appended);
        step = sent                             ? MailStep::Done
               : engine_.result() == result::Ok ? MailStep::Failed
                                                : MailStep::Stopped;
        if (sent) record = *sent;
    }
    if (step != MailStep::Done) {
        engine_.events().report(texts::kMailNotSent, out.title);
        return step;
    }
    if (someRefused) record.flags |= ITEM_FLAG_REFUSED;
    finishSent(engine_, doc_, list, index, record);
    if (someRefused) engine_.events().report(texts::kNotSentToAll);
    return MailStep::Done;
}

MailStep MailService::prepareMail(const CItem& item, Outgoing& out) {
    const ExpandedRecipients expanded = ExpandRecipients(item.m_strText.view(), doc_.addressBook(),
                                                         doc_.integer(docint::kStrictUserIds) != 0);
    if (expanded.error != RecipientError::None) {
        engine_.events().report(
            expanded.error == RecipientError::DuplicateName ? texts::kAddressBookNameTwice
            : expanded.error == RecipientError::TooLong     ? texts::kAddresseesTooLong
                                                            : texts::kAddresseeNotAnId);
        return MailStep::Failed;
    }
    out.addressees = splitAddressees(expanded.list);
    if (out.addressees.empty()) return MailStep::Failed;
    const bool toInternet =
        std::any_of(out.addressees.begin(), out.addressees.end(),
                    [](const std::string& a) { return isInternetRecipient(a); });
    if (item.m_nKind == kind::kNewMail && !item.m_strPath.empty() && toInternet) {
        std::string failed;
        out.composed = ComposeOutgoingMail(doc_, item, expanded.list, &failed);
        if (!out.composed) {
            engine_.events().report(texts::kCannotOpenFile, utf8ToSjis(failed));
            return MailStep::Failed;
        }
        if (!out.composed->lost.empty()) {
            std::string lost;
            for (const std::string& character : out.composed->lost) lost += character;
            engine_.events().report(texts::kCharactersNotCarried, lost);
        }
        return MailStep::Done;
    }
    if (item.m_nKind == kind::kFileMail) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(std::filesystem::path(item.m_strPath.str()), ec)) {
            engine_.events().report(texts::kCannotOpenFile, utf8ToSjis(item.m_strPath.str()));
            return MailStep::Failed;
        }
    } else {
        std::string failedFile;
        out.text = loadOutgoingText(doc_.dataDirectory(), item, &failedFile);
        if (!out.text) {
            engine_.events().report(texts::kCannotOpenFile, utf8ToSjis(failedFile));
            return MailStep::Failed;
        }
    }
    if (item.m_nKind != kind::kForwardMail) return MailStep::Done;

    int sourcePlace = -1;
    if (!findForwardedMail(doc_, item, sourcePlace, out.sourceIndex)) {
        out.sourceGone = true;
        return MailStep::Failed;
    }
    out.source.emplace(doc_, sourcePlace);
    if (!*out.source) return MailStep::Failed;
    out.forwarded = (*out.source)->item(out.sourceIndex);
    if (out.forwardFromReader()) {
        if (!ensureFreshNumbers()) return MailStep::Failed;
        out.forwarded = (*out.source)->item(out.sourceIndex);  // its number now, or gone
    }
    if (!out.forwardFromReader()) {
        const std::optional<std::string> stored =
            (*out.source)->readText(out.forwarded.m_nOffset, out.forwarded.m_nLength);
        if (!stored) {
            engine_.events().report(texts::kCannotOpenFile,
                                    (*out.source)->textFile().filename().string());
            return MailStep::Failed;
        }
        for (const std::string& line : splitTextLines(*stored))
            out.appended.push_back(hostTextLine(line));
    }
    return MailStep::Done;
}

SentRecord MailService::recordComposed(CItemArray& list, const Outgoing& out) {
    // The mail's own text is what the sent item shows; its files went with the message.
    SentRecord record = recordOwnText(list, out.item);
    if (out.composed->multipart) record.flags |= ITEM_FLAG_MIME;
    return record;
}

SentRecord MailService::recordOwnText(CItemArray& list, const CItem& item) {
    SentRecord record;
    if (item.m_nKind == kind::kFileMail) {
        record.kind = kind::kSentFileMail;
        return record;
    }
    record.flags = ITEM_FLAG_READ;
    std::string text;
    const std::string own = ownTextFileName(item);
    if (!own.empty() && readWholeFile(doc_.dataDirectory() / own, text)) {
        std::string recorded;
        for (const std::string& line : splitTextLines(text)) {
            recorded += line + "\r\n";
            ++record.lines;
        }
        if (const std::optional<std::int64_t> offset = list.appendText(recorded)) {
            record.offset = *offset;
            record.bytes = static_cast<long long>(recorded.size());
            return record;
        }
        engine_.events().report(texts::kListWriteFailed, list.textFile().filename().string());
    }
    record.lines = 0;
    return record;
}

MailStep MailService::enterMailWriter(Outgoing& out) {
    const MailTexts& t = mailTexts();
    if (out.forwardFromReader()) {
        // The reader shows the mail, and "FW" forwards the mail shown.
        if (!EnterMailReader(false)) return MailStep::Stopped;
        std::string shown;
        if (engine_.SendEchoed(std::to_string(out.forwarded.m_nNumber) + "\r") != result::Ok ||
            !engine_.WaitForScreen(t.shownMail, &shown))
            return MailStep::Stopped;
        const std::string titleLabel = "\r\n" + t.titleLabel;
        // It must be the mail to forward, or the number names another one.
        const std::size_t at = shown.find(titleLabel);
        const std::string_view title = at == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(shown).substr(at + titleLabel.size());
        if (at == std::string::npos || !titleMatchesListed(title.substr(0, title.find("\r\n")),
                                                           out.forwarded.m_szTitle.view())) {
            numbersFresh_ = false;
            return MailStep::Failed;
        }
        engine_.Send("FW\r");
    } else {
        (void)engine_.SendEchoed("JSEND\r");  // an echo that never comes ends the run
    }
    inMailReader_ = false;
    if (engine_.WaitFor(t.addresseePrompt, true) != result::Ok) return MailStep::Stopped;
    greet(Animation::SendingMail);
    return MailStep::Done;
}

}  // namespace morvaline
