// morvaline-cli commands for items written offline and for the reservations of single
// items: write (a mail, a file mail, a reply, a forward, or a message or comment in a forum
// room, waiting for the next patrol) and reserve-item (formerly reserve-mail).

#include <iostream>
#include <variant>

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

// The reservation a word asks for on an item, or the reason why it does not fit. A post
// written offline is sent with its own reservation; a forum message is read or deleted
// with the same reservations as a mail.
std::variant<int, std::string> reservationFor(const CItem& item, const Reservation& chosen) {
    const int k = item.m_nKind;
    const bool mail = k == kind::kReceivedMailMessage;
    const bool forum = k == kind::kForumMessage && item.m_nNumber > 0;
    const bool libraryFile = k >= kind::kLibraryFileFirst && k <= kind::kLibraryFileLast;
    if (chosen.value == -1) return -1;
    // A library's file: "read" its description, or "download" it.
    if (libraryFile) {
        if (chosen.value == MailService::kReserveRead || chosen.value == MailService::kReserveDownload)
            return chosen.value;
        return std::string("a library's file can be read (its description) or downloaded");
    }
    if (chosen.value == kReserveSend) {
        if (k == kind::kNewMail || k == kind::kFileMail || k == kind::kForwardMail) return kReserveSend;
        if (k == kind::kComment || k == kind::kUpload) return kReservePost;
        return std::string("only a mail or a message written offline can be sent");
    }
    // An entry of the host's list of sent mail can be deleted there.
    if (k == kind::kSentListEntry && chosen.value == MailService::kReserveDelete) return chosen.value;
    if (!mail && !forum)
        return std::string("only a received mail or a forum message can be read or deleted");
    if (chosen.value == MailService::kReserveDownload && !(mail && item.hasFlag(ITEM_FLAG_FILE_MAIL)))
        return std::string("this message carries no file");
    if (chosen.value != MailService::kReserveDelete && item.hasFlag(ITEM_FLAG_DELETED))
        return std::string("this message is no longer on the host");
    return chosen.value;
}

}  // namespace

int commandWrite(Session& session, Args args) {
    constexpr std::string_view usage =
        "write ID mail --to ADDR[,ADDR] [--file PATH | --attach PATH ...] [OPTIONS]\n"
        "       write ID reply PLACE INDEX|#NUMBER [--to ADDR[,ADDR]] [--no-quote] [OPTIONS]\n"
        "       write ID forward PLACE INDEX|#NUMBER --to ADDR[,ADDR] [OPTIONS]\n"
        "       write ID upload PLACE --file PATH [--kind N] [OPTIONS]\n"
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
    const std::string commentTo = takeOption(args, "--comment-to");
    const bool reserve = takeFlag(args, "--reserve");
    const bool allowLossy = takeFlag(args, "--allow-lossy");
    const std::string fileKind = takeOption(args, "--kind");
    const std::string userId = takeArgument(args, usage);
    const std::string what = takeArgument(args, usage);
    if (to.empty() && what != "reply" && what != "post" && what != "upload") throw CommandError{"--to names no addressee"};
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
    if (what == "post" || what == "upload") {
        const bool upload = what == "upload";
        const std::string placeName = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        if (!to.empty() || !attachments.empty() || file.empty() != !upload || (!upload && !fileKind.empty()))
            throw CommandError{upload ? "an upload takes one file (--file) and no addressee"
                                      : "a post has no addressee and no file"};
        place = findPlace(*doc, placeName);
        if ((doc->tree().item(place).m_nKind == kind::kLibrary) != upload)
            throw CommandError{upload ? "files are uploaded to a library section" : "a library section takes uploads"};
        constexpr int kOtherKind = 16;  // "その他", the last of the file kinds
        if (!fileKind.empty() && (fileKind.size() > 2 || fileKind.find_first_not_of("0123456789") != std::string::npos ||
                                  std::stoi(fileKind) > kOtherKind))
            throw CommandError{"--kind must be a number from 0 to 16, not '" + fileKind + "'"};
        const int kindIndex = fileKind.empty() ? kOtherKind : std::stoi(fileKind);
        int source = 0;
        if (!commentTo.empty()) {
            const PlaceList list(*doc, placeName);
            source = findMessage(*list, commentTo.starts_with("#") ? commentTo : "#" + commentTo);
        }
        written = NewPost(*doc, {.place = place,
                                 .commentTo = source,
                                 .title = utf8ToSjis(subject),
                                 .text = bodyText(bodyFile),
                                 .reserve = reserve,
                                 .options = options,
                                 .filePath = upload ? existingFile(file) : std::string(),
                                 .fileKind = kindIndex});
        if (written.index < 0) throw CommandError{written.error};
        saveUser(*doc);
        std::cout << (upload ? "upload " : source ? "comment " : "message ") << written.index << " written in "
                  << utf8(doc->tree().item(place).m_szTitle.view())
                  << (reserve ? ", reserved for the next patrol\n"
                              : ", not reserved yet (reserve-item ... send)\n");
        return 0;
    }
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
                           : ", not reserved yet (reserve-item ... send)\n");
    return 0;
}

int commandReserveItem(Session& session, Args args) {
    constexpr std::string_view usage =
        "reserve-item ID PLACE INDEX|#NUMBER read|download|delete|send|none [--allow-lossy]";
    const bool allowLossy = takeFlag(args, "--allow-lossy");
    const std::string fileKind = takeOption(args, "--kind");
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
        const std::variant<int, std::string> reservation = reservationFor(list->item(index), *chosen);
        if (const auto* why = std::get_if<std::string>(&reservation)) throw CommandError{*why};
        if (chosen->value == kReserveSend && !allowLossy) {
            const std::vector<std::string> lost =
                CharactersLostOnTheInternet(*doc, list->item(index));
            if (!lost.empty()) throw CommandError{lossMessage(lost)};
        }
        list->setReserve(index, std::get<int>(reservation));
        if (!list->save()) throw CommandError{"cannot write " + list->listFile().string()};
        std::cout << utf8(list->item(index).m_szTitle.view()) << ": " << chosen->word << '\n';
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
