// The date-time double of the settings and the two time formats of the logs.
#include <gtest/gtest.h>

#include "common/DateTime.h"

#include <array>
#include <cstdint>

namespace vek {
namespace {

bool SameTime(const CivilTime& a, const CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.millisecond == b.millisecond;
}

TEST(DateTime, CountsDaysFrom30December1899) {
    EXPECT_EQ(ToDateTime(CivilTime{1899, 12, 30}), 0.0);
    EXPECT_EQ(ToDateTime(CivilTime{1899, 12, 31, 12}), 1.5);
    EXPECT_EQ(ToDateTime(CivilTime{1900, 3, 1}), 61.0);
    EXPECT_EQ(ToDateTime(CivilTime{2000, 1, 1}), 36526.0);
    EXPECT_EQ(ToDateTime(CivilTime{2026, 7, 4, 12}), 46207.5);
    EXPECT_TRUE(SameTime(FromDateTime(1.5), CivilTime{1899, 12, 31, 12, 0, 0, 0}));
    // Within half a millisecond of midnight: 00:00 of the next day, not hour 24.
    EXPECT_TRUE(SameTime(FromDateTime(46207.0 - 0.4 / 86400000.0), CivilTime{2026, 7, 4}));
}

TEST(DateTime, RoundTripsCivilTimes) {
    const CivilTime times[] = {{1899, 12, 30, 0, 0, 0, 0}, {1900, 2, 28, 23, 59, 59, 999},
                               {2000, 2, 29, 6, 30, 0, 0}, {2024, 2, 29, 23, 59, 59, 999},
                               {2026, 7, 4, 14, 5, 9, 0},  {9999, 12, 31, 23, 59, 59, 0},
                               {2026, 12, 31, 0, 0, 0, 1}};
    for (const CivilTime& time : times) {
        EXPECT_TRUE(SameTime(FromDateTime(ToDateTime(time)), time))
            << time.year << "-" << time.month << "-" << time.day << " " << time.hour << ":"
            << time.minute << ":" << time.second << "." << time.millisecond;
    }
}

TEST(DateTime, MinutesBetweenTruncatesTheAbsoluteSpan) {
    const double now = ToDateTime(CivilTime{2026, 7, 4, 14, 5, 0});
    EXPECT_EQ(MinutesBetween(now, ToDateTime(CivilTime{2026, 7, 4, 14, 0, 0})), 5);
    EXPECT_EQ(MinutesBetween(now, ToDateTime(CivilTime{2026, 7, 4, 14, 1, 0})), 4);
    EXPECT_EQ(MinutesBetween(now, ToDateTime(CivilTime{2026, 7, 4, 14, 0, 0, 1})), 4);
    EXPECT_EQ(MinutesBetween(now, ToDateTime(CivilTime{2026, 7, 4, 14, 10, 0})), 5);
    EXPECT_EQ(MinutesBetween(ToDateTime(CivilTime{2026, 7, 4, 14, 10, 0}), now), 5);
    EXPECT_EQ(MinutesBetween(now, now), 0);
    EXPECT_EQ(MinutesBetween(now, ToDateTime(CivilTime{2026, 7, 5, 14, 5, 0})), 1440);
}

// Whole hours and seconds of spans that are whole numbers of milliseconds, on either side.
TEST(DateTime, HoursAndSecondsBetweenTruncateTheAbsoluteSpan) {
    const double now = ToDateTime(CivilTime{2026, 7, 4, 14, 5, 0});
    struct Case {
        CivilTime other;
        long long hours;
        long long seconds;
    };
    for (const Case& c : {Case{{2026, 7, 4, 14, 5, 0}, 0, 0},
                          {{2026, 7, 4, 14, 5, 0, 999}, 0, 0},
                          {{2026, 7, 4, 14, 5, 1}, 0, 1},
                          {{2026, 7, 4, 14, 4, 59, 1}, 0, 0},
                          {{2026, 7, 4, 15, 5, 0}, 1, 3600},
                          {{2026, 7, 4, 15, 4, 59, 999}, 0, 3599},
                          {{2026, 7, 4, 13, 5, 0}, 1, 3600},
                          {{2026, 7, 5, 14, 5, 0, 1}, 24, 86400}}) {
        const double other = ToDateTime(c.other);
        EXPECT_EQ(HoursBetween(now, other), c.hours) << c.other.hour << ":" << c.other.minute;
        EXPECT_EQ(SecondsBetween(now, other), c.seconds) << c.other.hour << ":" << c.other.minute;
        EXPECT_EQ(SecondsBetween(other, now), c.seconds) << c.other.hour << ":" << c.other.minute;
    }
}

TEST(DateTime, BytesAreTheLittleEndianDouble) {
    const std::array<std::uint8_t, 8> oneAndAHalf = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    EXPECT_EQ(DateTimeToBytes(1.5), oneAndAHalf);
    EXPECT_EQ(DateTimeFromBytes(oneAndAHalf), 1.5);
    const std::array<std::uint8_t, 8> noon = {0, 0, 0, 0, 0xF0, 0x8F, 0xE6, 0x40};
    EXPECT_EQ(DateTimeToBytes(46207.5), noon);
    EXPECT_EQ(DateTimeFromBytes(DateTimeToBytes(-3.25)), -3.25);
}

TEST(FormatLogTimestamp, UsesTheGivenSeparators) {
    const CivilTime time{2026, 7, 4, 14, 5, 9};
    EXPECT_EQ(FormatLogTimestamp(time, "/", ":"), "07/04/2026 14:05:09");
    EXPECT_EQ(FormatLogTimestamp(time, ".", ":"), "07.04.2026 14:05:09");
    EXPECT_EQ(FormatLogTimestamp(CivilTime{987, 12, 31, 0, 0, 0}, "-", "."), "12-31-0987 00.00.00");
}

TEST(FormatStatusTime, UsesTheTwelveHourClock) {
    const struct {
        int hour, minute;
        const char* text;
    } cases[] = {{0, 30, "12:30am"}, {0, 0, "12:00am"}, {11, 59, "11:59am"},
                 {12, 0, "12:00pm"}, {14, 5, "2:05pm"}, {23, 59, "11:59pm"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatStatusTime(CivilTime{2026, 7, 4, c.hour, c.minute}, ":"), c.text);
    }
    EXPECT_EQ(FormatStatusTime(CivilTime{2026, 7, 4, 14, 5}, "."), "2.05pm");
}

} // namespace
} // namespace vek
