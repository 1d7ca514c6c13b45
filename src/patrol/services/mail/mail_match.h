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
// Each stored item answers at most one entry of a listing, so two mails of one day with the
// same subject and sender stay two items.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// Stored items by key, each given to at most one entry of a listing.
class ListedItems {
public:
    struct Ref {
        int list = 0;    // which of the caller's lists
        int index = 0;   // the item's index there
        int number = 0;  // the item's host number before the listing
    };
    struct Entry {
        std::string key;
        int number = 0;  // the number the host lists it under
    };
    void add(const std::string& key, Ref ref);
    // The stored item of each listed entry, or none for a mail not stored yet. An entry
    // gets an item of its key that had its number if there is one, else the first one left
    // in the order they were added.
    std::vector<std::optional<Ref>> match(const std::vector<Entry>& entries);

private:
    struct Slot {
        Ref ref;
        bool taken = false;
    };
    std::unordered_map<std::string, std::vector<Slot>> slots_;
};

}  // namespace morvaline
