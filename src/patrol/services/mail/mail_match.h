#pragma once
// Finding the stored item of an entry of the host's mail lists, so that a mail is never
// stored twice.
//
// A received mail is known by the day, the subject and the sender that the list shows.
// Reading the mail replaces the item's date (the full time of its header) and, for an
// internet mail, its sender (the From: address), so the list's own day and sender are kept
// with the item in the spare fields of its record: m_nSpare[0] holds the listed day as
// yyyymmdd and m_strExtra the listed sender. Items stored without them (a captured log)
// are known by their date's day, their sender and their subject.
//
// The keys are matched with the store's listing merge (store/listing_merge.h).

#include <string>
#include <string_view>

#include "store/item.h"
#include "store/item_array.h"

namespace morvaline {

// Keeps the listed day and sender with a received mail's item.
void keepListedKey(CItem& item, int listedDay, std::string_view listedSender);
// The same for a stored item that has none yet: its own day and sender become its key.
void keepOwnKey(CItemArray& list, int index);

// The key of a stored received mail: its listed day, sender and subject.
std::string receivedMailKey(const CItem& item);
std::string mailKey(int day, std::string_view party, std::string_view subject);

}  // namespace morvaline
