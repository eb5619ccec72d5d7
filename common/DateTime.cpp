#include "common/DateTime.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vek {
namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
// The date-time's day count of 1970-01-01 (day 0 is 30 December 1899).
constexpr long long kDayCountOf1970January1 = 25569;
// Days from 1 March of year 0 to 1970-01-01 in the proleptic Gregorian calendar.
constexpr long long kCivilDaysTo1970January1 = 719468;

// Days from 1 March of year 0 style civil arithmetic (proleptic Gregorian calendar), shifted so
// that 30 December 1899 is day 0.
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - kCivilDaysTo1970January1 + kDayCountOf1970January1;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += kCivilDaysTo1970January1 - kDayCountOf1970January1;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// The absolute span in whole milliseconds, the resolution of the clock: rounding takes away the
// doubles' error, so that exactly five minutes count as five.
long long MillisecondsBetween(double a, double b) {
    return std::llround(std::fabs(a - b) * kMillisecondsPerDay);
}

} // namespace

double ToDateTime(const CivilTime& time) {
    const double days = static_cast<double>(DaysFromCivil(time.year, time.month, time.day));
    const double milliseconds =
        ((time.hour * 60.0 + time.minute) * 60.0 + time.second) * 1000.0 + time.millisecond;
    return days + milliseconds / kMillisecondsPerDay;
}

CivilTime FromDateTime(double value) {
    CivilTime time;
    const double days = std::floor(value);
    long long milliseconds = std::llround((value - days) * kMillisecondsPerDay);
    long long wholeDays = static_cast<long long>(days);
    if (milliseconds >= static_cast<long long>(kMillisecondsPerDay)) {
        milliseconds -= static_cast<long long>(kMillisecondsPerDay);
        ++wholeDays;
    }
    CivilFromDays(wholeDays, time.year, time.month, time.day);
    time.hour = static_cast<int>(milliseconds / 3600000);
    time.minute = static_cast<int>(milliseconds / 60000 % 60);
    time.second = static_cast<int>(milliseconds / 1000 % 60);
    time.millisecond = static_cast<int>(milliseconds % 1000);
    return time;
}

long long HoursBetween(double a, double b) { return MillisecondsBetween(a, b) / 3600000; }

long long MinutesBetween(double a, double b) { return MillisecondsBetween(a, b) / 60000; }

long long SecondsBetween(double a, double b) { return MillisecondsBetween(a, b) / 1000; }

std::array<std::uint8_t, 8> DateTimeToBytes(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return bytes;
}

double DateTimeFromBytes(const std::array<std::uint8_t, 8>& bytes) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string FormatLogTimestamp(const CivilTime& time, std::string_view dateSeparator,
                               std::string_view timeSeparator) {
    char month[8], day[8], year[16], hour[8], minute[8], second[8];
    std::snprintf(month, sizeof month, "%02d", time.month);
    std::snprintf(day, sizeof day, "%02d", time.day);
    std::snprintf(year, sizeof year, "%04d", time.year);
    std::snprintf(hour, sizeof hour, "%02d", time.hour);
    std::snprintf(minute, sizeof minute, "%02d", time.minute);
    std::snprintf(second, sizeof second, "%02d", time.second);
    std::string out;
    out.append(month).append(dateSeparator).append(day).append(dateSeparator).append(year);
    out.append(" ").append(hour).append(timeSeparator).append(minute).append(timeSeparator);
    out.append(second);
    return out;
}

std::string FormatStatusTime(const CivilTime& time, std::string_view timeSeparator) {
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    char hour[8], minute[8];
    std::snprintf(hour, sizeof hour, "%d", hour12);
    std::snprintf(minute, sizeof minute, "%02d", time.minute);
    std::string out;
    out.append(hour).append(timeSeparator).append(minute).append(time.hour < 12 ? "am" : "pm");
    return out;
}

} // namespace vek
