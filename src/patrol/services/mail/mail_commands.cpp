#include "patrol/services/mail/mail_commands.h"

#include <algorithm>
#include <functional>

#include "patrol/engine/outgoing_text.h"
#include "patrol/services/mail/mail_header.h"

namespace morvaline {

std::vector<DeletionBatch> deletionBatches(std::vector<int> numbers) {
    constexpr std::size_t kMaxNumbers = 15;
    constexpr std::size_t kMaxListLength = 50;
    std::erase_if(numbers, [](int n) { return n <= 0; });
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::vector<DeletionBatch> batches;
    std::string list;
    for (const int number : numbers) {
        if (batches.empty() || list.empty()) batches.push_back({});
        DeletionBatch& batch = batches.back();
        if (!list.empty()) list += ',';
        list += std::to_string(number);
        batch.numbers.push_back(number);
        if (batch.numbers.size() == kMaxNumbers || list.size() > kMaxListLength) {
            batch.command = "D" + list;
            list.clear();
        }
    }
    if (!list.empty()) batches.back().command = "D" + list;
    return batches;
}

std::vector<std::string> splitAddressees(std::string_view list) {
    std::vector<std::string> addressees;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string address = hostField(trimHostText(list.substr(start, comma - start)));
        if (!address.empty()) addressees.push_back(std::move(address));
        start = comma + 1;
    }
    return addressees;
}

bool sentListShows(const std::vector<SentListEntry>& entries, std::string_view title,
                   const std::vector<std::string>& addressees, int sentBefore) {
    for (const std::string& addressee : addressees) {
        // The list shows internet and gateway addresses without their prefix.
        std::string_view address = addressee;
        for (const std::string_view prefix : {"INET#", "TRUNKGW#"})
            if (address.starts_with(prefix)) address.remove_prefix(prefix.size());
        const auto listed =
            std::count_if(entries.begin(), entries.end(), [&](const SentListEntry& entry) {
                return entry.addressee.address == address && !entry.subject.empty() &&
                       titleMatchesListed(title, entry.subject);
            });
        if (listed > sentBefore) return true;
    }
    return false;
}

}  // namespace morvaline
