#include "platform/file_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace morvaline {
namespace {

// Days from 1601-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t daysSince0000 = era * 146097 + doe;
    constexpr std::int64_t k1601 = 584694;  // days from 0000-03-01 to 1601-01-01
    return daysSince0000 - k1601;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<FileTime> fileTimeFromFields(const LocalTimeFields& f) {
    if (f.year < 1601 || f.year > 30827 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
        f.minute > 59 || f.second < 0 || f.second > 59 || f.millisecond < 0 ||
        f.millisecond > 999)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(f.year, f.month, f.day);
    const std::int64_t seconds = days * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
    return seconds * kTicksPerSecond + static_cast<FileTime>(f.millisecond) * 10'000;
}

LocalTimeFields fieldsFromFileTime(FileTime time) {
    if (time < 0) time = 0;
    std::int64_t seconds = time / kTicksPerSecond;
    LocalTimeFields f;
    f.millisecond = static_cast<int>((time % kTicksPerSecond) / 10'000);
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest % 3600 / 60);
    f.second = static_cast<int>(rest % 60);
    f.dayOfWeek = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
    // Civil date from the day count (inverse of daysFromCivil).
    std::int64_t z = days + 584694;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    f.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.year = static_cast<int>(yoe + era * 400 + (f.month <= 2));
    return f;
}

std::string formatDateTime(FileTime time) {
    const LocalTimeFields f = fieldsFromFileTime(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
    return text;
}

LocalTimeFields localTimeFields(std::time_t time) {
    std::tm tm{};
    localtime_r(&time, &tm);
    LocalTimeFields f;
    f.year = tm.tm_year + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return f;
}

FileTime fileTimeNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    LocalTimeFields f = localTimeFields(system_clock::to_time_t(now));
    f.millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return fileTimeFromFields(f).value_or(0);
}

}  // namespace morvaline
