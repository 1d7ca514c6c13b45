// Deleting on the host the mails reserved for it. The mails of a command that the host
// took (its menu came back, with or without a word) are marked deleted; those of a command
// it refused keep their reservation for the next patrol. The host numbers its mails anew
// after a deletion, so the numbers of this run's listing are spent.

#include <map>

#include "link/result_codes.h"
#include "patrol/services/mail/mail_commands.h"
#include "patrol/services/mail/mail_service.h"
#include "store/document.h"

namespace morvaline {
namespace {

struct Reserved {
    std::size_t list = 0;
    int index = 0;
};

}  // namespace

bool MailService::deleteReservedMail() {
    std::vector<int> places = mailPlaces();
    std::erase_if(places, [&](int place) {
        return !doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED);
    });
    if (places.empty()) return false;
    const std::vector<PlaceList> lists = openLists(places, false);
    // Mails reserved for deletion, by number. One that has left the host is deleted already.
    const auto collect = [&] {
        std::multimap<int, Reserved> byNumber;
        for (std::size_t l = 0; l < lists.size(); ++l) {
            CItemArray& list = lists[l].items();
            for (int i = 1; i < list.size(); ++i) {
                const CItem item = list.item(i);
                if (item.m_nKind != kind::kReceivedMailMessage || item.m_nReserve != kReserveDelete)
                    continue;
                if (item.m_nNumber > 0 && !item.hasFlag(ITEM_FLAG_DELETED)) {
                    byNumber.insert({item.m_nNumber, {l, i}});
                    continue;
                }
                markDeleted(list, i);
            }
        }
        return byNumber;
    };
    std::multimap<int, Reserved> reserved = collect();
    if (!reserved.empty() && !numbersFresh_) {
        if (!ensureFreshNumbers()) return false;
        reserved = collect();
    }
    bool deleted = false;
    if (!reserved.empty() && EnterMailReader(true)) {
        std::vector<int> numbers;
        for (const auto& [number, where] : reserved) numbers.push_back(number);
        for (const DeletionBatch& batch : deletionBatches(numbers)) {
            bool confirmed = false;
            const MailStep step = deleteOnHost(batch.command, confirmed);
            if (step == MailStep::Stopped) break;
            const std::string shown = batch.command.substr(1);
            if (step == MailStep::Failed) {
                engine_.events().report(texts::kHostMailNotDeleted, shown);
                continue;
            }
            numbersFresh_ = false;
            deleted = true;
            for (const int number : batch.numbers) {
                const auto [first, last] = reserved.equal_range(number);
                for (auto it = first; it != last; ++it)
                    markDeleted(lists[it->second.list].items(), it->second.index);
            }
            engine_.events().report(texts::kHostMailDeleted, shown);
        }
    }
    for (const PlaceList& p : lists) saveList(p.items());
    return deleted;
}

}  // namespace morvaline
