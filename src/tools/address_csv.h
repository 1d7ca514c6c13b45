#pragma once
// The address book as CSV: one line "name,address,affiliation,department,memo" per address
// entry (folders are not written). The file holds Shift_JIS text with CR LF line ends.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

class CAddrArray;

// Every address entry in the order of the book; a field holding a comma, a double quote, CR
// or LF is written between double quotes, with its quotes doubled.
std::string ExportAddressCsv(const CAddrArray& book);

// Adds one entry under the root for every line of the text (a name in use gets "~1", "~2"
// ...); missing trailing fields are empty, empty lines are skipped, a quoted field goes on
// over line ends. The text is read completely first: a malformed text (a quoted field that
// never ends) adds nothing. Returns the number of entries added, or nothing with *error set
// (naming the line, UTF-8).
std::optional<int> ImportAddressCsv(CAddrArray& book, std::string_view text, std::string* error);

}  // namespace morvaline
