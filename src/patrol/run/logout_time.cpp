#include "patrol/run/logout_time.h"

#include "patrol/run/login_texts.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_trim.h"
#include "store/host_date.h"

namespace morvaline {

bool isLogoutBanner(std::string_view line) {
    const LoginTexts& t = loginTexts();
    return line.find(t.lastLogoutBanner) != std::string_view::npos ||
           line.find(t.lastLogoutBannerKana) != std::string_view::npos;
}

FileTime bannerLogoutTime(std::string_view line) {
    const LoginTexts& t = loginTexts();
    if (line.find(t.lastLogoutBanner) != std::string_view::npos) {
        static const std::string kSlash[] = {sj("年"), sj("月")};
        static const std::string kColon[] = {sj("時"), sj("分")};
        static const std::string kDropped[] = {sj("日"), sj("秒")};
        static const std::string kWideBlank = sj("　");
        std::string text;
        const std::string_view rest = textFrom(line, 22);
        for (std::size_t i = 0; i < rest.size();) {
            const std::string_view here = rest.substr(i);
            auto startsWithAny = [&here](const std::string(&set)[2]) {
                return here.starts_with(set[0]) || here.starts_with(set[1]);
            };
            if (startsWithAny(kSlash))
                text += '/';
            else if (startsWithAny(kColon))
                text += ':';
            else if (startsWithAny(kDropped)) {
            } else if (here.starts_with(kWideBlank))
                text += ' ';
            else {
                const std::size_t width =
                    isSjisLeadByte(static_cast<unsigned char>(rest[i])) ? 2 : 1;
                text += rest.substr(i, width);
                i += width;
                continue;
            }
            i += 2;  // each of these is one double-byte character
        }
        return parseHostDate(trimHostTextEnd(text));
    }
    if (line.find(t.lastLogoutBannerKana) != std::string_view::npos) {
        const std::string text = std::string(textFrom(line, 25, 8)) + std::string(textFrom(line, 43, 9));
        return parseHostDate(trimHostTextEnd(text));
    }
    return 0;
}

LogoutComparison compareLogoutTimes(FileTime host, FileTime recorded) {
    if (recorded == 0)
        return {&texts::kNoLastLogoutTime, sj("実際の前回ﾛｸﾞｱｳﾄ: ") + formatDateTime(host), false};
    if (host == recorded) return {&texts::kLogoutTimeConsistent, {}, true};
    return {&texts::kLogoutTimeInconsistent,
            sj("実際の前回ﾛｸﾞｱｳﾄ: ") + formatDateTime(host) + sj(", Morvalineによる前回ﾛｸﾞｱｳﾄ: ") +
                formatDateTime(recorded),
            false};
}

}  // namespace morvaline
