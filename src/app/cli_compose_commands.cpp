// morvaline-cli compose: the internet message of a mail written offline, as it would go to
// the gateway, written to a file for a look or for another mail program.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/composed_mail.h"
#include "message/recipients.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"

namespace morvaline::cli {

int commandCompose(Session& session, Args args) {
    constexpr std::string_view usage = "compose ID PLACE INDEX|#NUMBER --out FILE";
    const std::string out = takeOption(args, "--out");
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    const std::string which = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    if (out.empty()) throw CommandError{"--out names no file"};
    const OpenedUser doc = session.openUser(userId);
    CItem item;
    {
        const PlaceList list(*doc, placeName);
        item = list->item(findMessage(*list, which));
    }
    if (item.m_nKind != kind::kNewMail && item.m_nKind != kind::kForwardMail)
        throw CommandError{"only a mail or a forward written offline is composed"};
    const ExpandedRecipients expanded = ExpandRecipients(item.m_strText.view(), doc->addressBook(),
                                                         doc->integer(docint::kStrictUserIds) != 0);
    if (expanded.error != RecipientError::None)
        throw CommandError{"the addressee " + utf8(expanded.failed) + " cannot be expanded"};
    std::string failed;
    const std::optional<ComposedMail> composed =
        ComposeOutgoingMail(*doc, item, expanded.list, &failed);
    if (!composed) throw CommandError{utf8(formatText(texts::kCannotOpenFile, utf8ToSjis(failed)))};
    std::string message;
    std::string error;
    if (!readWholeFile(composed->file.path(), message) ||
        !writeFileAtomically(out, message, &error))
        throw CommandError{"cannot write " + out + (error.empty() ? "" : ": " + error)};
    if (!composed->lost.empty()) {
        std::string lost;
        for (const std::string& c : composed->lost) lost += c;
        std::cerr << "left out: " << utf8(lost) << " (ISO-2022-JP cannot carry them)\n";
    }
    return 0;
}

}  // namespace morvaline::cli
