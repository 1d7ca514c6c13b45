#include "message/composed_mail.h"

#include <cstdio>
#include <random>

#include "message/internet_mail.h"
#include "message/jis_lossy.h"
#include "message/mail_display.h"
#include "platform/atomic_file.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {

std::optional<ComposedMail> ComposeOutgoingMail(CTolDoc& doc, const CItem& item,
                                                std::string_view recipients, std::string* error) {
    InternetMail mail;
    mail.senderName = item.m_szName.str();
    mail.userId = doc.userId();
    mail.recipients = recipients;
    mail.subject = item.m_szTitle.str();
    const std::string own = ownTextFileName(item);
    if (!own.empty() && !readWholeFile(doc.dataDirectory() / own, mail.body)) {
        *error = own;
        return std::nullopt;
    }
    if (item.m_nKind == kind::kForwardMail) {
        int place = -1, index = -1;
        if (!findForwardedMail(doc, item, place, index)) {
            *error = "the forwarded mail";
            return std::nullopt;
        }
        OpenedList list(doc, place, false);
        const CItem source = list ? list->item(index) : CItem();
        const std::optional<std::string> stored =
            list ? list->readText(source.m_nOffset, source.m_nLength) : std::nullopt;
        if (!stored) {
            *error = list ? list->textFile().filename().string() : "the forwarded mail";
            return std::nullopt;
        }
        const std::string_view text = AfterHostHeader(*stored).value_or(*stored);
        // An internet mail is passed on as it came; a host mail has no header of its own
        // and follows the comment as text.
        if (source.hasFlag(ITEM_FLAG_INTERNET))
            mail.forwarded = std::string(text);
        else
            mail.body +=
                (mail.body.empty() || mail.body.ends_with('\n') ? "" : "\n") + std::string(text);
    } else {
        for (const std::string& path : attachedFiles(item)) mail.attachments.emplace_back(path);
    }

    ComposedMail composed;
    char name[32];
    std::snprintf(name, sizeof name, "MMS%06d.EML", item.m_nNumber);
    if (!composed.file.create(name)) {
        *error = composed.file.error();
        return std::nullopt;
    }
    std::mt19937 random(std::random_device{}());
    const std::string boundary =
        MakeBoundary(28, [&random] { return static_cast<unsigned>(random()); });
    const ComposeResult result = ComposeInternetMail(
        mail, mailDomainsOf(doc), doc.editorSettings(), boundary,
        [&composed](std::string_view bytes) { return composed.file.write(bytes); });
    if (!result.ok || !composed.file.close()) {
        *error = result.error.empty() ? composed.file.error() : result.error;
        return std::nullopt;
    }
    composed.lost = result.lost;
    composed.multipart = result.multipart;
    return composed;
}

std::vector<std::string> CharactersLostOnTheInternet(CTolDoc& doc, const CItem& item) {
    const ExpandedRecipients expanded =
        ExpandRecipients(item.m_strText.view(), doc.addressBook(), false);
    bool internet = false;
    std::size_t start = 0;
    while (start <= expanded.list.size() && !internet) {
        const std::size_t comma = std::min(expanded.list.find(',', start), expanded.list.size());
        internet =
            isInternetRecipient(std::string_view(expanded.list).substr(start, comma - start));
        start = comma + 1;
    }
    if (!internet) return {};
    std::string text;
    const std::string own = ownTextFileName(item);
    if (!own.empty()) readWholeFile(doc.dataDirectory() / own, text);
    return LostInIso2022Jp(item.m_szTitle.str() + item.m_szName.str() + text);
}

}  // namespace morvaline
