// morvaline-cli commands for mail written offline and for the reservations of single mails:
// write (a mail, a file mail or a forward, waiting for the next patrol) and reserve-mail.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/composed_mail.h"
#include "message/outgoing_items.h"
#include "message/recipients.h"
#include "patrol/services/mail/mail_service.h"
#include "platform/atomic_file.h"
#include "platform/date_locale.h"
#include "platform/text_codec.h"
#include "store/outgoing_mail.h"

namespace morvaline::cli {
namespace {

// The text of a UTF-8 file as Shift_JIS; empty when no file is named.
std::string bodyText(const std::string& file) {
    if (file.empty()) return {};
    std::string text;
    if (!readWholeFile(file, text)) throw CommandError{"cannot read " + file};
    return utf8ToSjis(text);
}

// A local file named on the command line, as an absolute path.
std::string existingFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec || !std::filesystem::is_regular_file(absolute, ec))
        throw CommandError{"no file " + path};
    return absolute.string();
}

// The addressees must be able to go out: names of the address book known once, the list
// not too long, and, with strict IDs, every one an ID or a gateway address.
void checkRecipients(CTolDoc& doc, const std::string& recipients) {
    const ExpandedRecipients expanded =
        ExpandRecipients(recipients, doc.addressBook(), doc.integer(docint::kStrictUserIds) != 0);
    switch (expanded.error) {
        case RecipientError::None:
            return;
        case RecipientError::DuplicateName:
            throw CommandError{utf8(textSjis(texts::kAddressBookNameTwice)) + ": " +
                               utf8(expanded.failed)};
        case RecipientError::TooLong:
            throw CommandError{utf8(textSjis(texts::kAddresseesTooLong))};
        case RecipientError::NotAnId:
            throw CommandError{utf8(textSjis(texts::kAddresseeNotAnId)) + ": " +
                               utf8(expanded.failed)};
    }
}

std::string lossMessage(const std::vector<std::string>& lost) {
    std::string characters;
    for (const std::string& c : lost) characters += c;
    return "not reserved: internet mail cannot carry " + utf8(characters) +
           " (--allow-lossy sends it without them)";
}

// A mail to the internet with characters ISO-2022-JP cannot carry is not reserved unless
// the caller accepts their loss; true when the item is reserved afterwards.
bool keepReservationOnlyIfCarried(CTolDoc& doc, int place, int index, bool allowLossy,
                                  int unreserved) {
    OpenedList list(doc, place, false);
    if (!list) return false;
    const CItem item = list->item(index);
    if (item.m_nReserve != kReserveSend) return false;
    const std::vector<std::string> lost = CharactersLostOnTheInternet(doc, item);
    if (lost.empty() || allowLossy) return true;
    list->setReserve(index, unreserved);
    if (!list->save()) throw CommandError{"cannot write " + list->listFile().string()};
    std::cerr << lossMessage(lost) << '\n';
    return false;
}

struct Reservation {
    const char* word;
    int value;
};

constexpr Reservation kReservations[] = {
    {"read", MailService::kReserveRead},
    {"download", MailService::kReserveDownload},
    {"delete", MailService::kReserveDelete},
    {"send", kReserveSend},
    {"none", -1},
};

// Which reservations make sense for an item; the reason when this one does not.
std::string refusal(const CItem& item, int reserve) {
    const bool received = item.m_nKind == kind::kReceivedMailMessage;
    const bool outgoing = item.m_nKind == kind::kNewMail || item.m_nKind == kind::kFileMail ||
                          item.m_nKind == kind::kForwardMail;
    if (reserve == -1) return {};
    if (reserve == kReserveSend)
        return outgoing ? std::string() : "only a mail written offline can be sent";
    // An entry of the host's list of sent mail can be deleted there.
    if (item.m_nKind == kind::kSentListEntry && reserve == MailService::kReserveDelete) return {};
    if (!received) return "only a received mail can be read, downloaded or deleted";
    if (reserve == MailService::kReserveDownload && !item.hasFlag(ITEM_FLAG_FILE_MAIL))
        return "this mail carries no file";
    if (reserve != MailService::kReserveDelete && item.hasFlag(ITEM_FLAG_DELETED))
        return "this mail is no longer on the host";
    return {};
}

}  // namespace

int commandWrite(Session& session, Args args) {
    constexpr std::string_view usage =
        "write ID mail --to ADDR[,ADDR] [--file PATH | --attach PATH ...] [OPTIONS]\n"
        "       write ID reply PLACE INDEX|#NUMBER [--to ADDR[,ADDR]] [--no-quote] [OPTIONS]\n"
        "       write ID forward PLACE INDEX|#NUMBER --to ADDR[,ADDR] [OPTIONS]\n"
        "options: [--subject S] [--body-file F] [--template NAME | --no-template] [--reserve]\n"
        "         [--allow-lossy]";
    const std::string to = takeOption(args, "--to");
    const std::string subject = takeOption(args, "--subject");
    const std::string bodyFile = takeOption(args, "--body-file");
    const std::string file = takeOption(args, "--file");
    std::vector<std::string> attachments;
    for (std::string path; !(path = takeOption(args, "--attach")).empty();)
        attachments.push_back(existingFile(path));
    const std::string templateName = takeOption(args, "--template");
    const bool noTemplate = takeFlag(args, "--no-template");
    const bool noQuote = takeFlag(args, "--no-quote");
    const bool reserve = takeFlag(args, "--reserve");
    const bool allowLossy = takeFlag(args, "--allow-lossy");
    const std::string userId = takeArgument(args, usage);
    const std::string what = takeArgument(args, usage);
    if (to.empty() && what != "reply") throw CommandError{"--to names no addressee"};
    if (!templateName.empty() && noTemplate)
        throw CommandError{"--template and --no-template exclude each other"};
    const OpenedUser doc = session.openUser(userId);
    if (!to.empty()) checkRecipients(*doc, utf8ToSjis(to));

    // A body file is the whole text, unless a template is asked for; without one the text
    // starts from the template.
    const DateLocale locale = systemDateLocale();
    TemplateOptions options;
    options.locale = &locale;
    if (noTemplate) {
        options.number = 0;
    } else if (!templateName.empty()) {
        options.number = findTemplateNumber(*doc, templateName);
        options.expand = true;
    } else {
        options.expand = bodyFile.empty();
    }
    Written written;
    int place = -1;
    if (what == "mail") {
        expectNoMoreArguments(args, usage);
        if (!file.empty() && !attachments.empty())
            throw CommandError{"a file mail (--file) carries no attachments (--attach)"};
        written = NewMail(*doc, {.recipients = utf8ToSjis(to),
                                 .title = utf8ToSjis(subject),
                                 .text = bodyText(bodyFile),
                                 .filePath = file.empty() ? file : existingFile(file),
                                 .reserve = reserve,
                                 .attachments = attachments,
                                 .options = options});
    } else if (what == "forward" || what == "reply") {
        const std::string placeName = takeArgument(args, usage);
        const std::string which = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        if (!file.empty() || !attachments.empty())
            throw CommandError{"a " + what + " carries no file of its own"};
        int source = -1;
        {
            const PlaceList list(*doc, placeName);
            place = list.place();
            source = findMessage(*list, which);
        }
        if (what == "forward") {
            written = ForwardMail(*doc, {.sourcePlace = place,
                                         .sourceIndex = source,
                                         .recipients = utf8ToSjis(to),
                                         .title = utf8ToSjis(subject),
                                         .text = bodyText(bodyFile),
                                         .reserve = reserve,
                                         .options = options});
        } else {
            written = ReplyMail(*doc, {.sourcePlace = place,
                                       .sourceIndex = source,
                                       .recipients = utf8ToSjis(to),
                                       .title = utf8ToSjis(subject),
                                       .text = bodyText(bodyFile),
                                       .quote = !noQuote,
                                       .reserve = reserve,
                                       .options = options});
        }
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    if (written.index < 0) throw CommandError{written.error};
    const int outgoing = findOutgoingMailPlace(doc->tree());
    // A new mail not yet reserved is being written; a reply or a forward waits as made.
    const bool reserved = keepReservationOnlyIfCarried(*doc, outgoing, written.index, allowLossy,
                                                       what == "mail" ? kReserveBeingWritten : -1);
    saveUser(*doc);
    std::cout << "mail " << written.index << " written in "
              << utf8(doc->tree().item(outgoing).m_szTitle.view())
              << (reserved ? ", reserved for the next patrol\n"
                           : ", not reserved yet (reserve-mail ... send)\n");
    return 0;
}

int commandReserveMail(Session& session, Args args) {
    constexpr std::string_view usage =
        "reserve-mail ID PLACE INDEX|#NUMBER read|download|delete|send|none [--allow-lossy]";
    const bool allowLossy = takeFlag(args, "--allow-lossy");
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    const std::string which = takeArgument(args, usage);
    const std::string word = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const auto chosen = std::find_if(std::begin(kReservations), std::end(kReservations),
                                     [&](const Reservation& r) { return word == r.word; });
    if (chosen == std::end(kReservations))
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    const OpenedUser doc = session.openUser(userId);
    {
        const PlaceList list(*doc, placeName);
        const int index = findMessage(*list, which);
        if (const std::string why = refusal(list->item(index), chosen->value); !why.empty())
            throw CommandError{why};
        if (chosen->value == kReserveSend && !allowLossy) {
            const std::vector<std::string> lost =
                CharactersLostOnTheInternet(*doc, list->item(index));
            if (!lost.empty()) throw CommandError{lossMessage(lost)};
        }
        list->setReserve(index, chosen->value);
        if (!list->save()) throw CommandError{"cannot write " + list->listFile().string()};
        std::cout << utf8(list->item(index).m_szTitle.view()) << ": " << chosen->word << '\n';
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
