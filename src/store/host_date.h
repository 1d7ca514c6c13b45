#pragma once
// Dates and times as the host writes them in lists, headers and banners:
// "99/12/31 23:59", "1999/12/31 23:59:30", "12/31 23:59".

#include <string_view>

#include "platform/file_time.h"

namespace morvaline {

namespace hostdate {
inline constexpr int kNoYear = 0x100;   // the text begins with the month
inline constexpr int kDateOnly = 0x2;   // whatever follows the date is ignored
}  // namespace hostdate

// The file time of the text (local time as written), or 0 when it is not a date. Two-digit
// years are widened around the pivot of the current year + 5; without a year, the current
// year is taken, or the one before when the month lies ahead.
FileTime parseHostDate(std::string_view text, int options, const LocalTimeFields& now);
FileTime parseHostDate(std::string_view text, int options = 0);

}  // namespace morvaline
