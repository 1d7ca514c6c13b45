#include "tools/query_results.h"

#include <algorithm>
#include <map>

#include "platform/sjis_search.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"

namespace morvaline {

std::vector<QueryRow> queryRows(CTolDoc& doc, const std::vector<QueryHit>& hits) {
    std::vector<QueryRow> rows(hits.size());
    // One opening of each place's list, however many of its messages were found.
    std::map<int, std::vector<std::size_t>> byPlace;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        rows[i].hit = hits[i];
        rows[i].found = static_cast<int>(i);
        byPlace[hits[i].placeSerial].push_back(i);
    }
    for (const auto& [placeSerial, members] : byPlace) {
        const int place = doc.tree().findSerial(placeSerial);
        if (place < 0) continue;
        const std::string placeTitle(doc.tree().item(place).m_szTitle.view());
        OpenedList list(doc, place, false);
        if (!list) continue;
        for (std::size_t i : members) {
            const int index = list->findSerial(rows[i].hit.itemSerial);
            if (index <= 0) continue;
            const CItem item = list->item(index);
            QueryRow& row = rows[i];
            row.exists = true;
            row.subject = item.m_szTitle.view();
            row.handle = item.m_szName.view();
            row.place = placeTitle;
            row.date = item.m_ftDate;
            row.number = item.m_nNumber;
            row.marked = item.hasFlag(ITEM_FLAG_MARKED);
        }
    }
    return rows;
}

void sortQueryRows(std::vector<QueryRow>& rows, QueryOrder order) {
    auto byText = [](std::string QueryRow::*field) {
        return [field](const QueryRow& a, const QueryRow& b) {
            return sjisUpperCase(a.*field) < sjisUpperCase(b.*field);
        };
    };
    switch (order) {
    case QueryOrder::Found:
        std::stable_sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.found < b.found; });
        break;
    case QueryOrder::Number:
        std::stable_sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.number < b.number; });
        break;
    case QueryOrder::Date:
        std::stable_sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.date < b.date; });
        break;
    case QueryOrder::Title: std::stable_sort(rows.begin(), rows.end(), byText(&QueryRow::subject)); break;
    case QueryOrder::Handle: std::stable_sort(rows.begin(), rows.end(), byText(&QueryRow::handle)); break;
    case QueryOrder::Place: std::stable_sort(rows.begin(), rows.end(), byText(&QueryRow::place)); break;
    }
}

std::string queryWindowTitle(std::string_view word, std::size_t count) {
    std::string title = sj("ｸｴﾘｰ結果 - ") + "\"" + std::string(word) + "\"" +
                        sj(" (" + std::to_string(count) + "個見つかりました)");
    if (count >= Query::kResultLimit) title += sj(" 個数の限度を超えたので中止しました");
    return title;
}

std::string queryRowText(const QueryRow& row, std::string_view dateText) {
    const std::string number = row.number > 0 ? std::to_string(row.number) : "-";
    return row.subject + '\t' + row.handle + '\t' + std::string(dateText) + '\t' + number + '\t' + row.place;
}

}  // namespace morvaline
