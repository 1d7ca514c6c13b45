#pragma once
// The host's time of the previous logout, as its greeting banners show it after login,
// and the comparison with the time that the program recorded.

#include <string>
#include <string_view>

#include "platform/file_time.h"
#include "store/texts.h"

namespace morvaline {

// The time of a banner line that contains "前回使用終了日時は  " (the text from byte 22,
// with 年 月 日 時 分 秒 rewritten) or "ｾﾞﾝｶｲ LOG OUT" (the date at byte 25, the time at
// byte 43); 0 when the line is neither or the time does not parse.
FileTime bannerLogoutTime(std::string_view line);
// True when the line is one of the two banners.
bool isLogoutBanner(std::string_view line);

struct LogoutComparison {
    const Text* text;  // the report
    std::string arg;   // its %1 (Shift_JIS)
    bool matched;
};
// Compares the host's time with the recorded one (0: unknown).
LogoutComparison compareLogoutTimes(FileTime host, FileTime recorded);

}  // namespace morvaline
