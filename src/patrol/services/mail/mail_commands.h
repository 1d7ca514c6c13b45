#pragma once
// Commands of the mail service built from stored data. Pure functions.

#include <string>
#include <string_view>
#include <vector>

#include "patrol/services/mail/mail_list_lines.h"

namespace morvaline {

// One deletion command of the mail reader: "D" and its numbers, e.g. "D20,19,18".
struct DeletionBatch {
    std::string command;       // without the final CR
    std::vector<int> numbers;  // in the order of the command
};

// The numbers (positive; duplicates removed) in descending order, so that a deletion never
// moves the numbers of mails still to be deleted, in commands of at most 15 numbers whose
// list ends as soon as it is longer than 50 characters (the number that made it longer is
// still in it).
std::vector<DeletionBatch> deletionBatches(std::vector<int> numbers);

// The addressees of a mail: the item's list separated by ",", each trimmed and freed of
// control bytes; empty entries are left out.
std::vector<std::string> splitAddressees(std::string_view list);

// Whether the host's sent list shows a mail with this title to one of these addressees
// more often than the sentBefore mails of the same title and addressees that are recorded
// as sent: then a send that a run could not see to its end reached the host.
bool sentListShows(const std::vector<SentListEntry>& entries, std::string_view title,
                   const std::vector<std::string>& addressees, int sentBefore);

}  // namespace morvaline
