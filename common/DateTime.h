#pragma once
// The date-time double of the settings: days since 30 December 1899 00:00 local time, the
// fraction being the time of day, stored as 8 little-endian bytes; and the two time formats of
// the logs.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

double ToDateTime(const CivilTime& time);
CivilTime FromDateTime(double value);

// Whole hours, minutes and seconds between two date-times, each the truncated absolute
// difference.
long long HoursBetween(double a, double b);
long long MinutesBetween(double a, double b);
long long SecondsBetween(double a, double b);

std::array<std::uint8_t, 8> DateTimeToBytes(double value);
double DateTimeFromBytes(const std::array<std::uint8_t, 8>& bytes);

// "mm/dd/yyyy hh:nn:ss" with the locale's date and time separators in place of "/" and ":".
std::string FormatLogTimestamp(const CivilTime& time, std::string_view dateSeparator,
                               std::string_view timeSeparator);

// "h:nnam/pm": the hour on the 12-hour clock without a leading zero (12 for midnight and noon),
// the locale's time separator, two-digit minutes, then "am" or "pm".
std::string FormatStatusTime(const CivilTime& time, std::string_view timeSeparator);

} // namespace vek
