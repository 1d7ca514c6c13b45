#include "patrol/services/mail/mail_match.h"

#include "patrol/services/mail/mail_list_lines.h"

namespace morvaline {

void keepListedKey(CItem& item, int listedDay, std::string_view listedSender) {
    item.m_nSpare[0] = listedDay;
    item.m_strExtra = std::string(listedSender);
}

void keepOwnKey(CItemArray& list, int index) {
    const CItem item = list.item(index);
    if (item.m_nSpare[0] != 0) return;
    list.setSpare(index, 0, dayNumber(item.m_ftDate));
    list.setExtraText(index, item.m_strText.view());
}

std::string mailKey(int day, std::string_view party, std::string_view subject) {
    std::string key = std::to_string(day);
    key += '\n';
    key += party;
    key += '\n';
    key += subject;
    return key;
}

std::string receivedMailKey(const CItem& item) {
    if (item.m_nSpare[0] != 0)
        return mailKey(item.m_nSpare[0], item.m_strExtra.view(), item.m_szTitle.view());
    return mailKey(dayNumber(item.m_ftDate), item.m_strText.view(), item.m_szTitle.view());
}

}  // namespace morvaline
