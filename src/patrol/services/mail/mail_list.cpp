// The list of received mail: every entry the host lists finds its stored item (whose number
// it updates) or becomes a new item; mails that a complete listing no longer shows are
// marked deleted. A listing is complete when every line of an entry's shape could be read
// and the last page was reached; "メールは届いていません。" is no listing at all.

#include "link/result_codes.h"
#include "patrol/services/mail/mail_match.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/mail/mail_texts.h"
#include "store/document.h"
#include "store/listing_merge.h"

namespace morvaline {
namespace {

constexpr std::uint32_t kNewMailMask = copy::kNumber | copy::kKind | copy::kReserve | copy::kFlags |
                                       copy::kDate | copy::kTitle | copy::kName | copy::kText |
                                       copy::kGeneration;

bool isReceivedMail(const CItem& item) {
    return item.m_nKind == kind::kReceivedMailMessage && !item.hasFlag(ITEM_FLAG_DELETED);
}

// A mail as the list shows it.
struct ListedMail {
    ReceivedListEntry entry;
    std::string subject;  // as an item's title holds it
    bool fileMail = false;
};

struct ReceivedList {
    std::vector<ListedMail> mails;
    bool complete = true;  // no entry was left unread
};

// Reads the reader's list from its first page on, turning the pages; empty when the run
// ended before the last page.
std::optional<ReceivedList> readReceivedList(CPatrolEngine& engine) {
    ReceivedList list;
    std::vector<ListedMail>& mails = list.mails;
    for (;;) {
        std::string line;
        const Waited<MenuRead> got = engine.ReadMenuLine(line);
        if (!got) return std::nullopt;
        if (got.is(MenuRead::LastPage)) return list;
        if (got.is(MenuRead::MorePages)) {
            engine.Send("N\r");
            continue;
        }
        std::optional<ReceivedListEntry> entry = parseReceivedListLine(line);
        if (!entry) {
            if (looksLikeReceivedEntry(line)) list.complete = false;
            continue;
        }
        std::string subjectLine;
        if (engine.CaptureUntil("\r\n", subjectLine) != result::Ok) return std::nullopt;
        if (subjectLineKind(subjectLine) == SubjectLine::AddressGoesOn) {
            if (entry->sender.network) entry->sender.address += addressContinuation(subjectLine);
            if (engine.CaptureUntil("\r\n", subjectLine) != result::Ok) return std::nullopt;
        }
        mails.push_back({std::move(*entry), FixedText<kTitleSize>(subjectOf(subjectLine)).str(),
                         subjectLineKind(subjectLine) == SubjectLine::File});
    }
}

}  // namespace

bool MailService::readMailList(int place, bool readUnread) {
    if (engine_.SendEchoed("JREAD\r") != result::Ok) return false;
    const Waited<MailTexts::ReaderList> shown = engine_.WaitForScreen(mailTexts().readerList);
    if (!shown) return false;
    if (!shown.is(MailTexts::ReaderList::List)) {
        // No list: a host may say "メールは届いていません。" of unread mail alone, so it
        // tells nothing about the stored mails.
        inMailReader_ = false;
        (void)settle();
        return false;
    }
    greet(Animation::ReadingMail);
    inMailReader_ = true;
    std::optional<ReceivedList> listed = readReceivedList(engine_);
    if (!listed || engine_.result() != result::Ok) return false;
    const std::vector<ListedMail>& shownMails = listed->mails;

    // The listed mails are looked for in the place and in every mail folder.
    std::vector<int> places = mailPlaces();
    std::erase(places, place);
    places.insert(places.begin(), place);
    std::vector<PlaceList> lists = openLists(places, false);
    if (lists.empty() || lists.front().place != place) {
        lists.insert(lists.begin(), PlaceList{place, std::make_unique<OpenedList>(doc_, place)});
        if (!*lists.front().list) return false;  // reported by the document
    }
    // The stored mail of each listed one, and which stored mails this listing names.
    std::vector<CItemArray*> arrays;
    for (const PlaceList& list : lists) arrays.push_back(&list.items());
    std::vector<ListedItems::Entry> keys;
    for (const ListedMail& mail : shownMails)
        keys.push_back(
            {mailKey(dayNumber(mail.entry.date), mail.entry.sender.address, mail.subject),
             mail.entry.number});
    const ListingMatch match = matchListing(
        arrays,
        [](const CItem& item) -> std::optional<std::string> {
            if (!isReceivedMail(item)) return std::nullopt;
            return receivedMailKey(item);
        },
        keys);

    std::vector<CItem> fresh;
    for (std::size_t m = 0; m < shownMails.size(); ++m) {
        const ReceivedListEntry& entry = shownMails[m].entry;
        if (const std::optional<ListedItems::Ref>& ref = match.found[m]) {
            CItemArray& list = lists[static_cast<std::size_t>(ref->list)].items();
            if (ref->number != entry.number) list.setNumber(ref->index, entry.number);
            keepOwnKey(list, ref->index);
            continue;
        }
        const bool fileMail = shownMails[m].fileMail;
        CItem item(0, entry.number, 0, "", shownMails[m].subject, kind::kReceivedMailMessage, 0,
                   entry.date, entry.sender.name);
        item.m_dwFlags = fileMail ? ITEM_FLAG_FILE_MAIL : 0;
        item.m_strText = entry.sender.address;
        item.m_nReserve = !readUnread ? -1 : fileMail ? kReserveDownload : kReserveRead;
        item.m_nGeneration = doc_.generation();
        keepListedKey(item, dayNumber(entry.date), entry.sender.address);
        fresh.push_back(std::move(item));
    }

    // A complete listing names every mail the host has.
    for (std::size_t l = 0; l < lists.size() && listed->complete; ++l) {
        CItemArray& list = lists[l].items();
        for (int i = 1; i < static_cast<int>(match.named[l].size()); ++i) {
            const CItem item = list.item(i);
            // Only mails known from a listing can have left the host (not, say, a welcome text).
            const bool known = item.m_nNumber > 0 || item.m_nSpare[0] != 0;
            if (!isReceivedMail(item) || !known || match.isNamed(static_cast<int>(l), i)) continue;
            markDeleted(list, i);
        }
    }
    CItemArray& received = lists.front().items();
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it)
        engine_.events().itemNotice(
            ItemNotice::of(ItemChange::Added, received, received.addCopy(0, *it, kNewMailMask)));
    for (const PlaceList& placeList : lists) saveList(placeList.items());
    numbersFresh_ = true;
    listedPlace_ = place;
    readUnread_ = readUnread;
    return !fresh.empty();
}

}  // namespace morvaline
