// The host's list of sent mail: its entries are kept as items of the sent-list place, and
// the entries reserved for deletion there are deleted on the host.

#include <algorithm>

#include "link/result_codes.h"
#include "patrol/services/mail/mail_match.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/mail/mail_texts.h"
#include "store/document.h"
#include "store/listing_merge.h"

namespace morvaline {
namespace {

// m_nAux of a sent-list item: the mail was a forward.
constexpr int kForwardedEntry = 1;

std::string entryKey(const SentListEntry& entry) {
    return mailKey(dayNumber(entry.date), entry.addressee.address, entry.subject);
}

std::string itemKey(const CItem& item) {
    return mailKey(dayNumber(item.m_ftDate), item.m_strText.view(), item.m_szTitle.view());
}

bool isSentEntry(const CItem& item) {
    return item.m_nKind == kind::kSentListEntry && !item.hasFlag(ITEM_FLAG_DELETED);
}

}  // namespace

void MailService::readSentList(int place) {
    listSentMail(place);
}

std::optional<MailService::SentListing> MailService::listSentMail(int place) {
    const MailTexts& t = mailTexts();
    if (engine_.SendEchoed("JSMAIL\r") != result::Ok) return std::nullopt;
    const Waited<MailTexts::SentList> shown = engine_.WaitForScreen(t.sentList);
    if (!shown) return std::nullopt;
    inMailReader_ = false;
    if (!shown.is(MailTexts::SentList::List)) {
        if (!settle() || !shown.is(MailTexts::SentList::Nothing)) return std::nullopt;
        return SentListing();
    }
    if (engine_.WaitFor(t.sentSecondHeading, false) != result::Ok ||
        engine_.WaitFor("\n", false) != result::Ok)
        return std::nullopt;
    greet(Animation::SentList);

    SentListing listing;
    std::vector<SentListEntry>& entries = listing.entries;
    for (;;) {
        std::string line;
        const Waited<MenuRead> got = engine_.ReadMenuLine(line);
        if (!got) return std::nullopt;
        if (got.is(MenuRead::LastPage)) break;
        if (got.is(MenuRead::MorePages)) {
            engine_.Send("N\r");
            continue;
        }
        std::optional<SentListEntry> entry = parseSentListLine(line);
        if (!entry) {
            if (looksLikeSentEntry(line)) listing.complete = false;
            continue;
        }
        std::string subjectLine;
        if (engine_.CaptureUntil("\r\n", subjectLine) != result::Ok) return std::nullopt;
        entry->file = subjectLineKind(subjectLine) == SubjectLine::File;
        // The subject as an item's title holds it.
        entry->subject = FixedText<kTitleSize>(subjectOf(subjectLine)).str();
        entries.push_back(std::move(*entry));
    }

    OpenedList list(doc_, place);
    if (!list) return listing;
    std::vector<ListedItems::Entry> keys;
    for (const SentListEntry& entry : entries) keys.push_back({entryKey(entry), entry.number});
    CItemArray* const arrays[] = {&*list};
    const std::vector<std::optional<ListedItems::Ref>> found =
        matchListing(
            arrays,
            [](const CItem& item) -> std::optional<std::string> {
                if (!isSentEntry(item)) return std::nullopt;
                return itemKey(item);
            },
            keys)
            .found;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const SentListEntry& entry = entries[e];
        const std::uint32_t flags = ITEM_FLAG_READ | (entry.file ? ITEM_FLAG_FILE_MAIL : 0);
        if (const std::optional<ListedItems::Ref>& ref = found[e]) {
            const CItem item = list->item(ref->index);
            if (item.m_nNumber == entry.number && item.m_strExtra == entry.confirmation &&
                (item.m_dwFlags & ITEM_FLAG_FILE_MAIL) == (flags & ITEM_FLAG_FILE_MAIL))
                continue;
            list->setNumber(ref->index, entry.number);
            list->setExtraText(ref->index, entry.confirmation);
            list->setFlags(ref->index, ITEM_FLAG_FILE_MAIL, flags & ITEM_FLAG_FILE_MAIL);
            engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, *list, ref->index));
            continue;
        }
        CItem item(0, entry.number, 0, "", entry.subject, kind::kSentListEntry, 0, entry.date,
                   entry.addressee.name);
        item.m_strText = entry.addressee.address;
        item.m_strExtra = entry.confirmation;
        item.m_dwFlags = flags;
        item.m_nAux = entry.forwarded ? kForwardedEntry : 0;
        item.m_nGeneration = doc_.generation();
        using namespace copy;
        const int added = list->addCopy(
            0, item,
            kNumber | kKind | kFlags | kAux | kDate | kTitle | kName | kText | kGeneration);
        engine_.events().itemNotice(ItemNotice::of(ItemChange::Added, *list, added));
    }
    saveList(*list);
    return listing;
}

void MailService::deleteSentMail(int place) {
    if (!doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED)) return;
    OpenedList list(doc_, place, false);
    if (!list) return;
    std::vector<int> reserved;
    for (int i = 1; i < list->size(); ++i) {
        const CItem item = list->item(i);
        if (isSentEntry(item) && item.m_nReserve == kReserveDelete) reserved.push_back(i);
    }
    if (reserved.empty()) return;
    const std::optional<SentListing> listing = listSentMail(place);
    if (!listing) {
        engine_.events().report(texts::kSentMailNotDeleted);
        return;
    }
    // Each reserved item names one entry by its send date, subject and addressee.
    std::vector<std::pair<int, int>> toDelete;  // (number, index)
    for (const int index : reserved) {
        const std::string key = itemKey(list->item(index));
        std::vector<int> numbers;
        for (const SentListEntry& entry : listing->entries)
            if (entryKey(entry) == key) numbers.push_back(entry.number);
        if (numbers.size() > 1) {
            engine_.events().report(texts::kSentMailAmbiguous);
        } else if (numbers.empty() && !listing->complete) {
            // Maybe one of the entries that could not be read: tried again next time.
            engine_.events().report(texts::kSentMailNotDeleted);
        } else if (numbers.empty()) {
            // Nothing to delete: the host no longer lists it.
            engine_.events().report(texts::kSentMailNotDeleted);
            list->setReserve(index, -1);
            engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, *list, index));
        } else {
            toDelete.emplace_back(numbers.front(), index);
        }
    }
    // Deleting from the highest number down keeps the lower numbers valid.
    std::sort(toDelete.begin(), toDelete.end(), std::greater<>());
    for (const auto& [number, index] : toDelete) {
        bool confirmed = false;
        const MailStep step = deleteOnHost("D" + std::to_string(number), confirmed);
        if (step == MailStep::Stopped) break;
        // The sent list says "削除されました。" of every mail it deleted.
        if (step == MailStep::Failed || !confirmed) {
            engine_.events().report(texts::kSentMailNotDeleted);
            continue;
        }
        list->setFlags(index, ITEM_FLAG_DELETED, ITEM_FLAG_DELETED);
        list->setNumber(index, 0);
        list->setReserve(index, -1);
        engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, *list, index));
    }
    saveList(*list);
}

}  // namespace morvaline
