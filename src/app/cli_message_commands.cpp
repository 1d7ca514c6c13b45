// morvaline-cli commands that read stored messages: list, show, attachments, and decode
// for a mail file from outside the program.

#include <cstdio>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/attachment_save.h"
#include "message/mail_display.h"
#include "message/mime_mail.h"
#include "message/mime_repair.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"

namespace morvaline::cli {
namespace {

// One letter per state, as the subject list shows it.
std::string flagLetters(const CItem& item, int generation, int window) {
    std::string letters;
    if (item.isUnread()) letters += 'U';
    if (CItemArray::isNewGeneration(item.m_nGeneration, generation, window)) letters += 'N';
    if (item.hasFlag(ITEM_FLAG_MARKED)) letters += 'M';
    if (item.hasFlag(ITEM_FLAG_DELETED)) letters += 'D';
    if (item.hasFlag(ITEM_FLAG_HELD)) letters += 'H';
    if (item.isReserved()) letters += 'R';
    if (item.hasFlag(ITEM_FLAG_FILE_MAIL)) letters += 'F';
    if (item.hasFlag(ITEM_FLAG_INTERNET)) letters += 'I';
    if (kind::isOutgoing(item.m_nKind, item.m_dwFlags)) letters += 'S';
    return letters;
}

// The sender as the subject list shows it: the address or ID, and the handle.
std::string sender(const CItem& item) {
    std::string text = utf8(item.m_szID.empty() ? item.m_strText.view() : item.m_szID.view());
    if (!item.m_szName.empty()) text += " (" + utf8(item.m_szName.view()) + ")";
    return text;
}

// The text that the message view shows, with the attachments of a mail.
std::string displayText(CItemArray& list, const CItem& item, AttachmentList* attachments) {
    const auto stored = list.readText(item.m_nOffset, item.m_nLength);
    if (!stored) throw CommandError{"cannot read " + list.textFile().string()};
    return MailDisplayText(*stored, item.m_dwFlags, attachments);
}

void printAttachments(const AttachmentList& attachments, const std::string& saveFolder) {
    int n = 0;
    for (const Attachment& a : attachments) {
        std::cout << ++n << "  " << utf8(a.name) << " (" << EstimatedAttachmentKB(a) << "KB)";
        if (!saveFolder.empty()) {
            const SaveResult saved = SaveAttachment(saveFolder, a, ExistingFile::Keep);
            if (saved.status == SaveStatus::Saved) std::cout << "  saved as " << saved.path.string();
            else if (saved.status == SaveStatus::DecodeFailed) std::cout << "  damaged: not saved";
            else std::cout << "  not saved: " << saved.error;
        }
        std::cout << '\n';
    }
    if (n == 0) std::cout << "no attachments\n";
}

// Opens the user and the message list of a place; closes both however the command ends.
struct OpenList {
    OpenedUser doc;
    PlaceList placeList;
    OpenList(Session& session, const std::string& userId, const std::string& place)
        : doc(session.readUser(userId)), placeList(*doc, place) {}
    CItemArray& list() { return *placeList; }
};

}  // namespace

int findMessage(const CItemArray& list, const std::string& which) {
    const bool byNumber = !which.empty() && which[0] == '#';
    const std::string digits = byNumber ? which.substr(1) : which;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
        throw CommandError{"'" + which + "' is neither an index nor #NUMBER"};
    const int value = std::stoi(digits);
    const int index = byNumber ? list.findLastNumber(value) : value;
    if (index <= 0 || !list.valid(index)) throw CommandError{"no message " + which};
    return index;
}

int commandList(Session& session, Args args) {
    constexpr std::string_view usage = "list ID PLACE";
    const std::string userId = takeArgument(args, usage);
    const std::string place = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    OpenList open(session, userId, place);
    const CItemArray& list = open.list();
    const auto printItem = [&](int i, int depth) {
        const CItem item = list.item(i);
        char head[48];
        std::snprintf(head, sizeof head, "%5d %6s ", i,
                      item.m_nNumber > 0 ? ("#" + std::to_string(item.m_nNumber)).c_str() : "");
        std::cout << head << shortDate(item.m_ftDate) << "  " << sender(item) << "  "
                  << std::string(static_cast<std::size_t>(depth) * 2, ' ')
                  << utf8(item.m_szTitle.view()) << "  ["
                  << flagLetters(item, open.doc->generation(), open.doc->newWindow()) << "]";
        // A library's file: its size and where it was downloaded to.
        if (item.m_nKind >= kind::kLibraryFileFirst && item.m_nKind <= kind::kLibraryFileLast)
            std::cout << "  " << item.m_nSize << " bytes" << (item.m_strPath.empty() ? "" : "  ")
                      << item.m_strPath.view();
        std::cout << "\n";
    };
    if (!kind::isThreaded(open.doc->tree().item(open.placeList.place()).m_nKind)) {
        for (int i = 1; i < list.size(); ++i) printItem(i, 0);
        return 0;
    }
    // A threaded place: comments indented under the messages they answer, walked with a
    // stack of its own, since threads can be long.
    std::vector<std::pair<int, int>> next = {{list.item(0).m_nChild, 0}};
    for (int printed = 0; !next.empty() && printed < list.size();) {
        auto& [item, depth] = next.back();
        if (item <= 0) {
            next.pop_back();
            continue;
        }
        const int shown = item;
        const int level = depth;
        item = list.item(shown).m_nNext;
        printItem(shown, level);
        ++printed;
        next.push_back({list.item(shown).m_nChild, level + 1});
    }
    return 0;
}

int commandShow(Session& session, Args args) {
    constexpr std::string_view usage = "show ID PLACE INDEX|#NUMBER";
    const std::string userId = takeArgument(args, usage);
    const std::string place = takeArgument(args, usage);
    const std::string which = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    OpenList open(session, userId, place);
    const CItem item = open.list().item(findMessage(open.list(), which));
    std::cout << utf8(item.m_szTitle.view()) << "\n" << sender(item) << "  " << shortDate(item.m_ftDate)
              << "\n\n" << utf8(displayText(open.list(), item, nullptr));
    return 0;
}

int commandAttachments(Session& session, Args args) {
    constexpr std::string_view usage = "attachments ID PLACE INDEX|#NUMBER [--save DIR]";
    const std::string saveFolder = takeOption(args, "--save");
    const std::string userId = takeArgument(args, usage);
    const std::string place = takeArgument(args, usage);
    const std::string which = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    OpenList open(session, userId, place);
    AttachmentList attachments;
    displayText(open.list(), open.list().item(findMessage(open.list(), which)), &attachments);
    printAttachments(attachments, saveFolder);
    return 0;
}

int commandDecode(Session&, Args args) {
    constexpr std::string_view usage = "decode FILE [--save DIR]";
    const std::string saveFolder = takeOption(args, "--save");
    const std::string file = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    std::string raw;
    if (!readWholeFile(file, raw)) throw CommandError{"cannot read " + file};
    // Mail files from elsewhere may end their lines with LF alone.
    std::string mail;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) mail += '\r';
        mail += raw[i];
    }
    AttachmentList attachments;
    std::cout << utf8(DecodeMimeMail(RepairMimeHeaders(mail), &attachments)) << "\n-- attachments\n";
    printAttachments(attachments, saveFolder);
    return 0;
}

}  // namespace morvaline::cli
