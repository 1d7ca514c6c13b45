#pragma once
// Dates and times written by picture strings, as the template fields "作成日付", "作成時刻",
// "相手の日付" and "相手の時刻" ask for them. A date picture knows d, dd (day), ddd, dddd
// (day name), M, MM (month), MMM, MMMM (month name), y, yy, yyyy (year) and g, gg (era);
// a time picture h, hh (12-hour), H, HH (24-hour), m, mm, s, ss, t, tt (AM/PM). Text in
// single quotes ('' for a quote itself) and every other character are copied. Pictures and
// names are Shift_JIS.

#include <string>
#include <string_view>

#include "platform/date_locale.h"
#include "platform/file_time.h"

namespace morvaline {

std::string FormatDatePicture(FileTime time, std::string_view picture, const DateLocale& locale);
std::string FormatTimePicture(FileTime time, std::string_view picture, const DateLocale& locale);

// The value of a date field with its format argument: none or "標準の短い形式" the short
// date, "標準の長い形式" the long date, anything else a picture. A time 0 is no time and
// gives an empty text.
std::string FormatDateField(FileTime time, std::string_view argument, const DateLocale& locale);
// The value of a time field: no argument the user's time format, "標準" the locale's own,
// anything else a picture.
std::string FormatTimeField(FileTime time, std::string_view argument, const DateLocale& locale);

}  // namespace morvaline
