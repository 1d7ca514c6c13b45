#pragma once
// The rows of a query's results as the result window shows them, their sort orders, the
// window's title and a row as the clipboard takes it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "tools/query.h"

namespace morvaline {

class CTolDoc;

struct QueryRow {
    QueryHit hit;
    int found = 0;          // position in the order found
    bool exists = false;    // the place and the message are still there
    std::string subject;    // Shift_JIS, at most 72 bytes
    std::string handle;     // at most 39 bytes
    std::string place;      // the place's title
    FileTime date = 0;      // 0: none
    int number = 0;
    bool marked = false;
};

// The rows of the results in the order found; a result whose place or message is gone
// gives a row with empty texts and no date.
std::vector<QueryRow> queryRows(CTolDoc& doc, const std::vector<QueryHit>& hits);

// The result window's orders.
enum class QueryOrder : int { Found = 0, Number = 1, Title = 2, Handle = 3, Place = 4, Date = 5 };
// Sorts stably: equal rows keep the order found. Texts compare without regard to the case
// of single-byte letters; numbers and dates ascend.
void sortQueryRows(std::vector<QueryRow>& rows, QueryOrder order);

// "ｸｴﾘｰ結果 - "WORD" (N個見つかりました)", with the limit note once the limit was reached.
std::string queryWindowTitle(std::string_view word, std::size_t count);

// A row as the clipboard takes it: subject, handle, date, number ("-" for none) and place
// joined by TAB characters. The caller formats the date.
std::string queryRowText(const QueryRow& row, std::string_view dateText);

}  // namespace morvaline
