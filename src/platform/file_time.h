#pragma once
// 64-bit file times: 100-nanosecond ticks since 1601-01-01, counted in local time
// (the stored dates of items and documents are local wall-clock times).

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace morvaline {

using FileTime = std::int64_t;

inline constexpr FileTime kTicksPerSecond = 10'000'000;
inline constexpr FileTime kTicksPerDay = 864'000'000'000;

struct LocalTimeFields {
    int year = 1601;
    int month = 1;  // 1 ... 12
    int day = 1;    // 1 ... 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday; filled in by fieldsFromFileTime, ignored on input
};

// Empty when a field is out of range (month 13, 31 February, hour 24 ...).
std::optional<FileTime> fileTimeFromFields(const LocalTimeFields& fields);
LocalTimeFields fieldsFromFileTime(FileTime time);
// The current local time.
FileTime fileTimeNow();
// The local time of a system time, to the second (a leap second reads as :59).
LocalTimeFields localTimeFields(std::time_t time);
// "yyyy/mm/dd hh:mm:ss", as reports and listings show a time.
std::string formatDateTime(FileTime time);
// Splits into and joins from the low and high 32-bit words of the stored form.
inline std::uint32_t fileTimeLow(FileTime t) { return static_cast<std::uint32_t>(t); }
inline std::uint32_t fileTimeHigh(FileTime t) { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(t) >> 32); }
inline FileTime fileTimeFromWords(std::uint32_t low, std::uint32_t high) {
    return static_cast<FileTime>((static_cast<std::uint64_t>(high) << 32) | low);
}

}  // namespace morvaline
