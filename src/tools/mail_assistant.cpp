#include "tools/mail_assistant.h"

#include <map>
#include <vector>

#include "message/header_words.h"
#include "message/mail_display.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/change_notices.h"
#include "store/document.h"
#include "store/item_transfer.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

constexpr std::uint32_t kBinaryFlags = 0x820;

bool startsWithNoCase(std::string_view line, std::string_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

std::string_view trimmedBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string folderName(const CItemArray& tree, int number) {
    const int folder = number > 0 ? findMailFolder(tree, number) : -1;
    if (folder < 0) return sj("変更なし");
    return std::string(tree.item(folder).m_szTitle.view()) + sj(" へ移動");
}

std::string condition(const char* label, const std::string& text) {
    return text.empty() ? std::string() : sj(label) + text + sj("' が含まれて");
}

// The place that a sent mail answers or forwards, as a rule's source names it: 0 the
// received mail, a mail folder's number, -1 none.
int sourceOf(const CItemArray& tree, const CItem& mail) {
    if (mail.m_nTarget <= 0) return -1;
    const int place = tree.findSerial(mail.m_nTarget);
    if (place < 0) return -1;
    const CItem p = tree.item(place);
    if (p.m_nKind == kind::kReceivedMail) return 0;
    if (p.m_nKind == kind::kMailFolder && p.m_nTarget > 0) return p.m_nTarget;
    return -1;
}

// Moves the mails chosen for each folder in one step per folder.
SortOutcome moveToFolders(CTolDoc& doc, int place, CItemArray& list,
                          const std::map<int, std::vector<int>>& byFolder, ChangeNotices* notices) {
    SortOutcome outcome;
    // Serials, since every move shifts the indices of the source.
    std::map<int, std::vector<int>> serials;
    for (const auto& [folder, indices] : byFolder)
        for (const int i : indices) serials[folder].push_back(list.item(i).m_nSerial);
    for (const auto& [number, itemSerials] : serials) {
        const int folder = findMailFolder(doc.tree(), number);
        OpenedList target(doc, folder);
        std::vector<int> indices;
        for (const int serial : itemSerials) indices.push_back(list.findSerial(serial));
        std::vector<int> moved;
        if (target) moved = moveItems(doc, list, transferSelection(list, indices, true), *target);
        const int mails = static_cast<int>(itemSerials.size());
        if (moved.empty()) {
            outcome.failed += mails;
            continue;
        }
        outcome.moved += mails;
        if (notices)
            for (const int i : moved) notices->itemNotice(ItemNotice::of(ItemChange::Added, *target, i));
    }
    if (notices && outcome.moved > 0)
        notices->placeNotice(PlaceNotice::of(PlaceChange::Changed, doc.tree(), place));
    return outcome;
}

}  // namespace

int receivedMailKind(std::uint32_t flags) {
    const int kind = static_cast<int>(flags & kBinaryFlags);
    return kind != 0 ? kind : kAssistText;
}

int sentMailKind(int itemKind) { return itemKind == kind::kSentFileMail ? kAssistBinary : kAssistText; }

std::string replyToAddress(std::string_view storedText) {
    const std::string_view mail = AfterHostHeader(storedText).value_or(storedText);
    const std::string_view header = mail.substr(0, mail.find("\r\n\r\n"));
    std::string value;
    bool inField = false;
    std::size_t pos = 0;
    while (pos <= header.size()) {
        std::size_t end = header.find("\r\n", pos);
        if (end == std::string_view::npos) end = header.size();
        const std::string_view line = header.substr(pos, end - pos);
        pos = end + 2;
        if (inField) {
            if (line.empty() || (line.front() != ' ' && line.front() != '\t')) break;
            value += trimmedBlanks(line);
        } else if (startsWithNoCase(line, "REPLY-TO:")) {
            value = trimmedBlanks(line.substr(9));
            inField = true;
        }
    }
    if (!inField) return {};
    std::string decoded = DecodeHeaderWords(value);
    std::string_view address = decoded;
    if (const std::size_t open = address.find('<'), close = address.find('>', open == std::string_view::npos ? 0 : open);
        open != std::string_view::npos && close != std::string_view::npos) {
        address = address.substr(open + 1, close - open - 1);
    } else if (const std::size_t paren = address.find('(');
               paren != std::string_view::npos && address.find(')', paren) != std::string_view::npos) {
        address = address.substr(0, paren);
    }
    while (!address.empty() && address.front() == ' ') address.remove_prefix(1);
    while (!address.empty() && address.back() == ' ') address.remove_suffix(1);
    if (address.size() > 5 && address.starts_with("INET#")) address.remove_prefix(5);
    return std::string(address);
}

bool matches(const CAssist& rule, std::string_view subject, std::string_view name,
             std::string_view id, std::string_view replyTo, int kind) {
    return sjisContains(id, rule.id) && sjisContains(name, rule.name) &&
           sjisContains(subject, rule.subject) && sjisContains(replyTo, rule.replyTo) &&
           (kind & rule.kindMask) != 0;
}

bool matches(const CAssistSend& rule, std::string_view subject, std::string_view recipients,
             int source, int kind) {
    if (!sjisContains(subject, rule.subject) || !sjisContains(recipients, rule.recipient) ||
        (kind & rule.kindMask) == 0)
        return false;
    // A rule without any condition never applies.
    if (rule.source == -1) return !rule.subject.empty() || !rule.recipient.empty();
    return rule.source == source;
}

int findMailFolder(const CItemArray& tree, int number) {
    int found = -1;
    tree.read([&](const std::vector<std::unique_ptr<CItem>>& items) {
        for (std::size_t i = 1; i < items.size() && found < 0; ++i)
            if (items[i]->m_nKind == kind::kMailFolder && items[i]->m_nTarget == number)
                found = static_cast<int>(i);
    });
    return found;
}

std::string describe(const CAssist& rule, const CItemArray& tree) {
    return folderName(tree, rule.folder) + sj(" (もし") + condition("題名に '", rule.subject) +
           condition("名前に '", rule.name) + condition("IDに '", rule.id) +
           condition("返信先に '", rule.replyTo) + sj("いる場合)");
}

std::string describe(const CAssistSend& rule, const CItemArray& tree) {
    std::string text = folderName(tree, rule.folder) + sj(" (もし") + condition("題名に '", rule.subject) +
                       condition("宛先に '", rule.recipient);
    const int source = rule.source > 0 ? findMailFolder(tree, rule.source) : -1;
    if (source >= 0)
        return text + sj("返信/転送元が ") + std::string(tree.item(source).m_szTitle.view()) + sj(" の場合)");
    if (rule.source == 0) return text + sj("返信/転送元が受信ﾒｰﾙの場合)");
    return text + sj("いる場合)");
}

SortOutcome SortReceivedMail(CTolDoc& doc, bool onlyLatest, ChangeNotices* notices) {
    const int place = doc.tree().findKind(kind::kReceivedMail);
    OpenedList list(doc, place, false);
    if (!list) return {};
    const std::vector<CAssist> rules = doc.receiveRules();
    const int generation = doc.generation();
    std::map<int, std::vector<int>> byFolder;
    for (int i = 1; i < list->size(); ++i) {
        const CItem mail = list->item(i);
        if (mail.m_nKind != kind::kReceivedMailMessage || mail.m_nParent != 0) continue;
        if (onlyLatest && mail.m_nGeneration != generation) continue;
        std::optional<std::string> replyTo;
        for (const CAssist& rule : rules) {
            if (!rule.enabled) continue;
            if (!rule.replyTo.empty() && !replyTo)
                replyTo = replyToAddress(list->readText(mail.m_nOffset, mail.m_nLength).value_or(""));
            if (!matches(rule, mail.m_szTitle.view(), mail.m_szName.view(), mail.m_strText.view(),
                         replyTo.value_or(""), receivedMailKind(mail.m_dwFlags)))
                continue;
            // A folder that is gone leaves the mail where it is, as "変更なし" does.
            if (rule.folder != 0 && findMailFolder(doc.tree(), rule.folder) >= 0)
                byFolder[rule.folder].push_back(i);
            break;
        }
    }
    return moveToFolders(doc, place, *list, byFolder, notices);
}

SortOutcome SortSentMail(CTolDoc& doc, bool onlyLatest, ChangeNotices* notices) {
    const int place = findOutgoingMailPlace(doc.tree());
    OpenedList list(doc, place, false);
    if (!list) return {};
    const std::vector<CAssistSend> rules = doc.sendRules();
    const int generation = doc.generation();
    std::map<int, std::vector<int>> byFolder;
    for (int i = 1; i < list->size(); ++i) {
        const CItem mail = list->item(i);
        if (mail.m_nKind != kind::kSentFileMail && mail.m_nKind != kind::kOtherMail &&
            mail.m_nKind != kind::kSentMailMessage)
            continue;
        if (mail.m_nParent != 0 || (onlyLatest && mail.m_nGeneration != generation)) continue;
        const int source = sourceOf(doc.tree(), mail);
        for (const CAssistSend& rule : rules) {
            if (!rule.enabled ||
                !matches(rule, mail.m_szTitle.view(), mail.m_strText.view(), source, sentMailKind(mail.m_nKind)))
                continue;
            if (rule.folder > 0 && findMailFolder(doc.tree(), rule.folder) >= 0)
                byFolder[rule.folder].push_back(i);
            break;
        }
    }
    return moveToFolders(doc, place, *list, byFolder, notices);
}

}  // namespace morvaline
