#include "message/date_pictures.h"

#include <cstdio>

#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

enum class Letters { Date, Time };

std::string number(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, digits == 2 ? "%02d" : "%d", value);
    return text;
}

// One picture letter repeated `count` times, for the fields of a date.
std::string dateElement(char letter, std::size_t count, const LocalTimeFields& f,
                        const DateLocale& locale) {
    switch (letter) {
        case 'd':
            if (count >= 4) return locale.dayNames[static_cast<std::size_t>(f.dayOfWeek)];
            if (count == 3) return locale.shortDayNames[static_cast<std::size_t>(f.dayOfWeek)];
            return number(f.day, static_cast<int>(count));
        case 'M':
            if (count >= 4) return locale.monthNames[static_cast<std::size_t>(f.month - 1)];
            if (count == 3) return locale.shortMonthNames[static_cast<std::size_t>(f.month - 1)];
            return number(f.month, static_cast<int>(count));
        case 'y':
            return count >= 3 ? number(f.year, 0) : number(f.year % 100, static_cast<int>(count));
        default:  // 'g'
            return locale.era;
    }
}

std::string timeElement(char letter, std::size_t count, const LocalTimeFields& f,
                        const DateLocale& locale) {
    const int digits = count >= 2 ? 2 : 1;
    switch (letter) {
        case 'h':
            return number(f.hour % 12 == 0 ? 12 : f.hour % 12, digits);
        case 'H':
            return number(f.hour, digits);
        case 'm':
            return number(f.minute, digits);
        case 's':
            return number(f.second, digits);
        default: {  // 't': the designator, or its first character
            const std::string& designator = f.hour < 12 ? locale.am : locale.pm;
            if (count >= 2 || designator.empty()) return designator;
            return designator.substr(0, sjisCharWidth(designator, 0));
        }
    }
}

bool isPictureLetter(char c, Letters letters) {
    const std::string_view set = letters == Letters::Date ? "dMyg" : "hHmst";
    return set.find(c) != std::string_view::npos;
}

std::string format(FileTime time, std::string_view picture, const DateLocale& locale,
                   Letters letters) {
    const LocalTimeFields f = fieldsFromFileTime(time);
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const std::size_t width = sjisCharWidth(picture, i);
        const char c = picture[i];
        if (width == 2) {
            out.append(picture.substr(i, 2));
            i += 2;
        } else if (c == '\'') {
            // Quoted text, with '' standing for a quote.
            for (++i; i < picture.size();) {
                const std::size_t w = sjisCharWidth(picture, i);
                if (w == 1 && picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out.append(picture.substr(i, w));
                i += w;
            }
        } else if (isPictureLetter(c, letters)) {
            std::size_t count = 1;
            while (i + count < picture.size() && picture[i + count] == c) ++count;
            out += letters == Letters::Date ? dateElement(c, count, f, locale)
                                            : timeElement(c, count, f, locale);
            i += count;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string FormatDatePicture(FileTime time, std::string_view picture, const DateLocale& locale) {
    return format(time, picture, locale, Letters::Date);
}

std::string FormatTimePicture(FileTime time, std::string_view picture, const DateLocale& locale) {
    return format(time, picture, locale, Letters::Time);
}

std::string FormatDateField(FileTime time, std::string_view argument, const DateLocale& locale) {
    static const std::string kShort = sj("標準の短い形式");
    static const std::string kLong = sj("標準の長い形式");
    if (time == 0) return {};
    if (argument.empty() || argument == kShort)
        return FormatDatePicture(time, locale.shortDate, locale);
    if (argument == kLong) return FormatDatePicture(time, locale.longDate, locale);
    return FormatDatePicture(time, argument, locale);
}

std::string FormatTimeField(FileTime time, std::string_view argument, const DateLocale& locale) {
    static const std::string kDefault = sj("標準");
    if (time == 0) return {};
    if (argument.empty()) return FormatTimePicture(time, locale.time, locale);
    if (argument == kDefault) return FormatTimePicture(time, locale.defaultTime, locale);
    return FormatTimePicture(time, argument, locale);
}

}  // namespace morvaline
