#include "message/post_title.h"

#include "platform/ascii_case.h"
#include "message/subjects.h"
#include "platform/sjis.h"
#include "store/item.h"

namespace morvaline {

std::string postTitleLine(const CItem& item) {
    std::string title = item.m_szTitle.str();
    if (item.m_nTarget > 0) {
        std::string probe = title;
        if (ReplyNumberFromSubject(probe) != item.m_nTarget) {
            std::string_view rest = title;
            if (startsWithNoCase(rest, "RE:")) rest.remove_prefix(3);
            while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            title = "RE:#" + std::to_string(item.m_nTarget) + " " + std::string(rest);
        }
    }
    return sjisBoundedCopy(title, kPostTitleMax);
}

}  // namespace morvaline
