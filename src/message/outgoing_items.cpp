#include "message/outgoing_items.h"

#include <algorithm>
#include <iterator>

#include "message/mail_display.h"
#include "message/subjects.h"
#include "platform/atomic_file.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/editor_text.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

constexpr std::size_t kMaxTitle = 72;
constexpr std::uint32_t kForwardFlags = 0x12;

bool isMailPlace(int placeKind) {
    return placeKind == kind::kReceivedMail || placeKind == kind::kSentMail ||
           placeKind == kind::kMailFolder || placeKind == kind::kSentLog;
}

// The handle kept on the outgoing-mail place, else the user's.
std::string handleOf(const CTolDoc& doc, const CItem& place) {
    return place.m_szName.empty() ? doc.string(docstr::kHandle) : place.m_szName.str();
}

bool openProperties(const CTolDoc& doc, TemplateUse use) {
    return doc.templateSlots().at(static_cast<std::size_t>(use)).second != 0;
}

// The template an operation starts from: the caller's, or the one chosen for the use.
int chosenTemplate(const CTolDoc& doc, const TemplateOptions& options, int placeChoice,
                   TemplateUse use) {
    return options.number == TemplateOptions::kChosen ? templateFor(doc, placeChoice, use)
                                                      : std::max(options.number, 0);
}

FileTime creationTime(const TemplateOptions& options) {
    return options.now != 0 ? options.now : fileTimeNow();
}

bool reserveAtOnce(const CTolDoc& doc, bool requested) {
    return requested || doc.integer(docint::kReserveAtOnce) != 0;
}

// The whole text of a new item, and its file written; the file's number or 0.
int writeStartText(CTolDoc& doc, int templateNumber, const TemplateOptions& options,
                   const TemplateFields& fields, std::string_view text, std::string* error) {
    const std::string start = options.expand
                                  ? startText(doc, templateNumber, fields, options.locale, text)
                                  : std::string(text);
    return writeOwnText(doc, false, start, error);
}

Written failed(std::string error) {
    return {-1, false, std::move(error)};
}

}  // namespace

int templateFor(const CTolDoc& doc, int placeChoice, TemplateUse use) {
    const int chosen = placeChoice != 0
                           ? placeChoice
                           : doc.templateSlots().at(static_cast<std::size_t>(use)).first;
    return chosen < 0 ? 0 : chosen;
}

bool findTemplate(CTolDoc& doc, int number, CItem& templateItem) {
    const int place = findTemplatePlace(doc.tree());
    if (number <= 0 || place < 0) return false;
    OpenedList list(doc, place, false);
    if (!list) return false;
    const int index = list->findLastNumberKind(number, kind::kTemplate);
    if (index <= 0) return false;
    templateItem = list->item(index);
    return true;
}

std::string titleFor(CTolDoc& doc, int templateNumber, std::string_view defaultTitle,
                     const std::string* replyTo) {
    CItem templateItem;
    if (templateNumber > 0 && findTemplate(doc, templateNumber, templateItem)) {
        if (!templateItem.m_szTitle.empty())
            return sjisBoundedCopy(templateItem.m_szTitle.view(), kMaxTitle);
        if (replyTo && templateItem.hasFlag(ITEM_FLAG_COUNTED_REPLY))
            return MakeReplySubject(*replyTo, true);
    }
    return sjisBoundedCopy(defaultTitle, kMaxTitle);
}

TemplateFields fieldsFor(const CTolDoc& doc, const CItem* sourcePlace, const CItem* source,
                         std::string_view title, FileTime now) {
    TemplateFields f;
    f.created = now;
    f.ownHandle = doc.string(docstr::kHandle);
    f.ownId = doc.userId();
    f.title = title;
    if (source) {
        f.answeredHandle = source->m_szName.str();
        // A mail names its sender by address; a forum message by ID.
        f.answeredId = source->m_szID.empty() ? source->m_strText.str() : source->m_szID.str();
        f.answeredTitle = source->m_szTitle.str();
        f.answered = source->m_ftDate;
        f.answeredNumber = source->m_nNumber;
        if (sourcePlace) f.hostAddress = hostAddressOf(*sourcePlace, *source);
    }
    return f;
}

std::string startText(CTolDoc& doc, int templateNumber, const TemplateFields& fields,
                      const DateLocale* locale, std::string_view insert) {
    CItem templateItem;
    std::string stored;
    if (templateNumber <= 0 || !findTemplate(doc, templateNumber, templateItem) ||
        !readWholeFile(doc.dataDirectory() / ownTextFileName(templateItem), stored))
        return std::string(insert);
    const std::string expanded =
        ExpandTemplateText(stored, fields, locale ? *locale : DateLocale{});
    if (insert.empty()) return expanded;
    // The caller's text goes where the template leaves room: after its first empty line.
    std::size_t gap = std::string::npos;
    if (expanded.starts_with('\n'))
        gap = 1;
    else if (const std::size_t at = expanded.find("\n\n"); at != std::string::npos)
        gap = at + 2;
    std::string body(insert);
    if (!body.ends_with('\n')) body += '\n';
    if (gap == std::string::npos)
        return expanded + (expanded.empty() || expanded.ends_with('\n') ? "" : "\n") + body;
    return expanded.substr(0, gap) + body + expanded.substr(gap);
}

std::string quotedText(CTolDoc& doc, int place, const CItem& message) {
    OpenedList list(doc, place, false);
    if (!list || message.m_nLength <= 0) return {};
    const std::optional<std::string> stored = list->readText(message.m_nOffset, message.m_nLength);
    if (!stored) return {};
    std::string readable = *stored;
    if (isMailPlace(doc.tree().item(place).m_nKind)) {
        readable = MailDisplayText(*stored, message.m_dwFlags, nullptr);
        // A host mail, or a gateway text without its own header, shows the host's header
        // block first: the quote leaves it out.
        if (!message.hasFlag(ITEM_FLAG_INTERNET) || readable == *stored)
            readable = AfterHostHeader(readable).value_or(readable);
    }
    const EditorSettings settings = doc.editorSettings();
    CComDoc text(settings);
    text.setText(readable);
    const auto& paragraphs = text.paragraphs();
    std::string quoted =
        text.copy({0, 0}, {paragraphs.size() - 1, paragraphs.back().text.size()}, true);
    std::erase(quoted, '\r');
    return quoted;
}

Written NewMail(CTolDoc& doc, const NewMailRequest& request) {
    int placeIndex = findOutgoingMailPlace(doc.tree());
    if (placeIndex < 0) return failed("the data set has no outgoing-mail place");
    const bool fileMail = !request.filePath.empty();
    const CItem from = doc.tree().item(request.fromPlace);
    // Another mail place keeps a mail written there, unless it goes to someone.
    if (request.fromPlace > 0 && request.fromPlace != placeIndex &&
        from.m_nKind == kind::kSentMail && request.recipients.empty() && !fileMail)
        placeIndex = request.fromPlace;
    OpenedList list(doc, placeIndex);
    if (!list) return failed("the list of the outgoing-mail place cannot be opened");
    const CItem place = doc.tree().item(placeIndex);
    const bool writtenInMailPlace = request.fromPlace > 0 && (from.m_nKind == kind::kReceivedMail ||
                                                              from.m_nKind == kind::kSentMail ||
                                                              from.m_nKind == kind::kMailFolder);
    const CItem& choosing = writtenInMailPlace ? from : place;

    // A file mail carries no text to start from a template.
    const int templateNumber =
        fileMail ? 0
                 : chosenTemplate(doc, request.options, choosing.m_nExtra1, TemplateUse::SendMail);
    const std::string title = !request.title.empty()
                                  ? sjisBoundedCopy(request.title, kMaxTitle)
                                  : titleFor(doc, templateNumber, sj("新しいﾒｰﾙ"), nullptr);
    const FileTime now = creationTime(request.options);
    std::string error;
    const int number =
        writeStartText(doc, templateNumber, request.options,
                       fieldsFor(doc, nullptr, nullptr, title, now), request.text, &error);
    if (number == 0) return failed(error);

    CItem item(0, number, 0, "", title, fileMail ? kind::kFileMail : kind::kNewMail, 0, now,
               handleOf(doc, place));
    item.m_strText = request.recipients;
    item.m_dwFlags = fileMail ? ITEM_FLAG_READ | ITEM_FLAG_FILE_MAIL : ITEM_FLAG_READ;
    item.m_nReserve = reserveAtOnce(doc, request.reserve) ? kReserveSend : kReserveBeingWritten;
    item.m_nAux = templateNumber;
    if (fileMail) {
        item.m_strPath = request.filePath;
    } else {
        std::string paths;
        for (const std::string& path : request.attachments)
            paths += (paths.empty() ? "" : "\n") + path;
        item.m_strPath = paths;
    }
    const int index = addOwnItem(doc, *list, item, &error);
    if (index < 0) return failed(error);
    return {index, fileMail || openProperties(doc, TemplateUse::SendMail), {}};
}

Written NewPost(CTolDoc& doc, const PostRequest& request) {
    // The values of a new upload, as the library's classification questions take them: a
    // first classification, the file kind "その他", the content "完全ﾊﾟｯｹｰｼﾞ", the
    // environment "その他" and the distribution "ﾌﾘｰｳｪｱ", then the version text.
    constexpr std::int32_t kUploadValues[] = {0, 16, 0, 27, 0};
    constexpr std::uint32_t kUploadFlags = ITEM_FLAG_READ | ITEM_FLAG_FILE_MAIL;
    if (!doc.tree().valid(request.place)) return failed("no place to post in");
    const CItem place = doc.tree().item(request.place);
    if (place.m_nKind < 0) return failed("no place to post in");
    OpenedList list(doc, request.place);
    if (!list) return failed("the list of the place cannot be opened");
    const bool upload = place.m_nKind == kind::kLibrary;
    if (upload && request.filePath.size() > kMaxPath) return failed("the path of the file is too long");
    const bool comment = request.commentTo > 0;
    CItem answered;
    if (comment) {
        if (!list->valid(request.commentTo)) return failed("no message to comment on");
        answered = list->item(request.commentTo);
        // Only a message fetched from the host has a host number (an item written offline
        // keeps the number of its text file there).
        if (answered.m_nKind != kind::kForumMessage || answered.m_nNumber <= 0)
            return failed("only a message with a host number can be commented on");
    }
    struct Uses {
        int kind;
        TemplateUse message, comment;
    };
    static constexpr Uses kUses[] = {
        {kind::kRoom, TemplateUse::ForumMessage, TemplateUse::ForumComment},
        {kind::kBoard, TemplateUse::BoardMessage, TemplateUse::BoardComment},
        {kind::kClub, TemplateUse::ClubMessage, TemplateUse::ClubComment},
        {kind::kCircle, TemplateUse::CircleMessage, TemplateUse::CircleComment},
    };
    TemplateUse use = TemplateUse::UploadNote;
    for (const Uses& u : kUses)
        if (u.kind == place.m_nKind) use = comment ? u.comment : u.message;

    const int templateNumber = chosenTemplate(doc, request.options,
                                              comment ? place.m_nExtra2 : place.m_nExtra1, use);
    const std::string answeredTitle = answered.m_szTitle.str();
    const std::string defaultTitle = comment  ? MakeReplySubject(answeredTitle, false)
                                     : upload ? sj("新しいﾌｧｲﾙ")
                                              : sj("新しいﾒｯｾｰｼﾞ");
    const std::string title =
        !request.title.empty()
            ? sjisBoundedCopy(request.title, kMaxTitle)
            : titleFor(doc, templateNumber, defaultTitle, comment ? &answeredTitle : nullptr);
    const FileTime now = creationTime(request.options);
    std::string error;
    const int number = writeStartText(doc, templateNumber, request.options,
                                      fieldsFor(doc, &place, comment ? &answered : nullptr, title, now),
                                      request.text, &error);
    if (number == 0) return failed(error);

    CItem item(0, number, 0, "", title, upload ? kind::kUpload : kind::kComment, 0, now,
               doc.string(docstr::kHandle));
    item.m_dwFlags = upload ? kUploadFlags : ITEM_FLAG_READ;
    item.m_nReserve = reserveAtOnce(doc, request.reserve) ? kReservePost : kReserveBeingWritten;
    item.m_nAux = templateNumber;
    item.m_nTarget = comment ? answered.m_nNumber : 0;
    if (upload) {
        std::copy(std::begin(kUploadValues), std::end(kUploadValues), item.m_nSpare);
        item.m_nSpare[1] = request.fileKind;
        item.m_strExtra = "1.0";
        item.m_strPath = request.filePath;
    }
    const int parent = comment && kind::isThreaded(place.m_nKind) ? request.commentTo : 0;
    const int index = addOwnItem(doc, *list, item, &error, parent);
    if (index < 0) return failed(error);
    return {index, openProperties(doc, use), {}};
}

Written ReplyMail(CTolDoc& doc, const ReplyRequest& request) {
    const int placeIndex = findOutgoingMailPlace(doc.tree());
    if (placeIndex < 0) return failed("the data set has no outgoing-mail place");
    OpenedList source(doc, request.sourcePlace, false);
    if (!source || !source->valid(request.sourceIndex) || request.sourceIndex == 0)
        return failed("no message to answer");
    const CItem message = source->item(request.sourceIndex);
    if (!kind::isMessage(message.m_nKind) || message.m_nKind == kind::kShortcut)
        return failed("no message to answer");
    OpenedList list(doc, placeIndex);
    if (!list) return failed("the list of the outgoing-mail place cannot be opened");
    const CItem place = doc.tree().item(placeIndex);
    const CItem sourcePlace = doc.tree().item(request.sourcePlace);
    // A forum message is answered in its room; a mail to its author is a mail to one person.
    const bool toAuthor = !isMailPlace(sourcePlace.m_nKind);
    const TemplateUse use = toAuthor ? TemplateUse::MailToAuthor : TemplateUse::ReplyMail;

    std::string recipients = request.recipients;
    if (recipients.empty())
        recipients = message.m_strText.empty() ? message.m_szID.str() : message.m_strText.str();
    if (recipients.empty()) return failed("the message names no sender to answer");

    const int templateNumber = chosenTemplate(
        doc, request.options, toAuthor ? sourcePlace.m_nAux : sourcePlace.m_nExtra2, use);
    const std::string answered = message.m_szTitle.str();
    const std::string title =
        !request.title.empty()
            ? sjisBoundedCopy(request.title, kMaxTitle)
            : titleFor(doc, templateNumber, MakeReplySubject(answered, false), &answered);
    const FileTime now = creationTime(request.options);
    std::string insert = request.quote ? quotedText(doc, request.sourcePlace, message) : "";
    if (!request.text.empty()) insert += (insert.empty() ? "" : "\n") + request.text;
    std::string error;
    const int number =
        writeStartText(doc, templateNumber, request.options,
                       fieldsFor(doc, &sourcePlace, &message, title, now), insert, &error);
    if (number == 0) return failed(error);

    CItem item(0, number, 0, "", title, kind::kNewMail, 0, now, handleOf(doc, place));
    item.m_strText = recipients;
    item.m_dwFlags = ITEM_FLAG_READ;
    item.m_nReserve = reserveAtOnce(doc, request.reserve) ? kReserveSend : -1;
    item.m_nAux = templateNumber;
    const int index = addOwnItem(doc, *list, item, &error);
    if (index < 0) return failed(error);
    if (!linkToSource(doc, *source, request.sourceIndex, request.sourcePlace, *list, index,
                      placeIndex, sj(toAuthor ? "発言者へのﾒｰﾙのｼｮｰﾄｶｯﾄ" : "返信ﾒｰﾙへのｼｮｰﾄｶｯﾄ"),
                      &error))
        return failed(error);
    return {index, openProperties(doc, use), {}};
}

Written ForwardMail(CTolDoc& doc, const ForwardRequest& request) {
    const int placeIndex = findOutgoingMailPlace(doc.tree());
    if (placeIndex < 0) return failed("the data set has no outgoing-mail place");
    OpenedList source(doc, request.sourcePlace, false);
    if (!source || !source->valid(request.sourceIndex) ||
        source->item(request.sourceIndex).m_nKind != kind::kReceivedMailMessage)
        return failed("only a received mail can be forwarded");
    OpenedList list(doc, placeIndex);
    if (!list) return failed("the list of the outgoing-mail place cannot be opened");
    const CItem mail = source->item(request.sourceIndex);
    const CItem place = doc.tree().item(placeIndex);
    const CItem sourcePlace = doc.tree().item(request.sourcePlace);

    const int templateNumber =
        chosenTemplate(doc, request.options, sourcePlace.m_nAux, TemplateUse::ForwardMail);
    const std::string forwardTitle = MakeForwardSubject(mail.m_szTitle.view());
    const std::string templateTitle = titleFor(doc, templateNumber, {}, nullptr);
    const std::string title = !request.title.empty()   ? sjisBoundedCopy(request.title, kMaxTitle)
                              : !templateTitle.empty() ? templateTitle
                                                       : forwardTitle;
    const FileTime now = creationTime(request.options);
    std::string error;
    const int number =
        writeStartText(doc, templateNumber, request.options,
                       fieldsFor(doc, &sourcePlace, &mail, title, now), request.text, &error);
    if (number == 0) return failed(error);

    CItem item(0, number, 0, "", title, kind::kForwardMail, 0, now, handleOf(doc, place));
    item.m_strText = request.recipients;
    // A forward titled by its template is flagged as a plain mail would be.
    item.m_dwFlags = templateTitle.empty() ? kForwardFlags : ITEM_FLAG_READ;
    item.m_nReserve = reserveAtOnce(doc, request.reserve) ? kReserveSend : -1;
    item.m_nAux = templateNumber;
    const int index = addOwnItem(doc, *list, item, &error);
    if (index < 0) return failed(error);
    if (!linkToSource(doc, *source, request.sourceIndex, request.sourcePlace, *list, index,
                      placeIndex, sj("転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ"), &error))
        return failed(error);
    return {index, openProperties(doc, TemplateUse::ForwardMail), {}};
}

Written NewTemplate(CTolDoc& doc, std::string_view name, std::string_view text) {
    const int placeIndex = findTemplatePlace(doc.tree());
    if (placeIndex < 0) return failed("the data set has no template place");
    OpenedList list(doc, placeIndex);
    if (!list) return failed("the list of the template place cannot be opened");
    std::string error;
    const int number = writeOwnText(doc, true, text, &error);
    if (number == 0) return failed(error);
    // Unnamed, it shows by its default title, which items written from it take over.
    CItem item(0, number, 0, "", name.empty() ? sj("新しいﾃﾝﾌﾟﾚｰﾄ") : std::string(),
               kind::kTemplate, 0, fileTimeNow(), name);
    item.m_dwFlags = ITEM_FLAG_READ;
    const int index = addOwnItem(doc, *list, item, &error);
    if (index < 0) return failed(error);
    return {index, false, {}};
}

}  // namespace morvaline
