// morvaline-cli commands for mail written offline and for the reservations of single mails:
// write (a mail, a file mail or a forward, waiting for the next patrol) and reserve-mail.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/outgoing_items.h"
#include "patrol/services/mail/mail_service.h"
#include "platform/atomic_file.h"
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
        "write ID mail --to ADDR[,ADDR] [--subject S] [--body-file F] [--file PATH] [--reserve]\n"
        "       write ID forward PLACE INDEX|#NUMBER --to ADDR[,ADDR] [--subject S] [--body-file "
        "F] [--reserve]";
    const std::string to = takeOption(args, "--to");
    const std::string subject = takeOption(args, "--subject");
    const std::string bodyFile = takeOption(args, "--body-file");
    const std::string file = takeOption(args, "--file");
    const bool reserve = takeFlag(args, "--reserve");
    const std::string userId = takeArgument(args, usage);
    const std::string what = takeArgument(args, usage);
    if (to.empty()) throw CommandError{"--to names no addressee"};
    const OpenedUser doc = session.openUser(userId);
    Written written;
    if (what == "mail") {
        expectNoMoreArguments(args, usage);
        std::string path = file;
        if (!path.empty()) {
            std::error_code ec;
            const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
            if (ec || !std::filesystem::is_regular_file(absolute, ec))
                throw CommandError{"no file " + file};
            path = absolute.string();
        }
        written =
            NewMail(*doc, {.recipients = utf8ToSjis(to),
                           .title = utf8ToSjis(subject),
                           .text = bodyText(bodyFile),
                           .filePath = path,
                           .reserve = reserve});
    } else if (what == "forward") {
        const std::string placeName = takeArgument(args, usage);
        const std::string which = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        if (!file.empty()) throw CommandError{"a forward carries no file of its own"};
        int place = -1, source = -1;
        {
            const PlaceList list(*doc, placeName);
            place = list.place();
            source = findMessage(*list, which);
        }
        written = ForwardMail(*doc, {.sourcePlace = place,
                                     .sourceIndex = source,
                                     .recipients = utf8ToSjis(to),
                                     .title = utf8ToSjis(subject),
                                     .text = bodyText(bodyFile),
                                     .reserve = reserve});
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    if (written.index < 0) throw CommandError{written.error};
    saveUser(*doc);
    std::cout << "mail " << written.index << " written in "
              << utf8(doc->tree().item(findOutgoingMailPlace(doc->tree())).m_szTitle.view())
              << (reserve ? ", reserved for the next patrol\n"
                          : ", not reserved yet (reserve-mail ... send)\n");
    return 0;
}

int commandReserveMail(Session& session, Args args) {
    constexpr std::string_view usage =
        "reserve-mail ID PLACE INDEX|#NUMBER read|download|delete|send|none";
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
        list->setReserve(index, chosen->value);
        if (!list->save()) throw CommandError{"cannot write " + list->listFile().string()};
        std::cout << utf8(list->item(index).m_szTitle.view()) << ": " << chosen->word << '\n';
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
