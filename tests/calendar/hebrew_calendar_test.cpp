// Calendar arithmetic: known days, year classification, and conversions that
// come back unchanged over long runs of consecutive days.
#include <gtest/gtest.h>

#include "calendar/hebrew_calendar.h"

namespace {

bool SameDate(const CalendarDate& a, const CalendarDate& b) {
    return a.month == b.month && a.day == b.day && a.year == b.year;
}

::testing::AssertionResult DateIs(const CalendarDate& actual, std::int32_t month,
                                  std::int32_t day, std::int32_t year) {
    if (SameDate(actual, CalendarDate{month, day, year})) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual.month << "/" << actual.day << "/"
                                         << actual.year << " instead of " << month << "/"
                                         << day << "/" << year;
}

// Position of a Hebrew month in its year: Tishri 0 ... Elul last.
int PositionInYear(std::int32_t month, std::int32_t monthsInYear) {
    return month >= 7 ? month - 7 : month + monthsInYear - 6;
}

TEST(GregorianDays, KnownDaysAndWeekdays) {
    EXPECT_EQ(AbsoluteFromGregorian(1, 1, 1), 1);
    EXPECT_EQ(AbsoluteFromGregorian(1, 1, 1) % 7, 1);  // Monday
    EXPECT_EQ(AbsoluteFromGregorian(9, 13, 2007), 732932);
    EXPECT_EQ(732932 % 7, 4);  // Thursday
    EXPECT_EQ(AbsoluteFromGregorian(9, 23, 2006), 732577);
    EXPECT_EQ(AbsoluteFromGregorian(9, 12, 2026), 739871);
    EXPECT_EQ(AbsoluteFromGregorian(12, 7, 2026), 739957);
    EXPECT_EQ(GregorianDayOfYear(12, 31, 2024), 366);
    EXPECT_EQ(GregorianDayOfYear(3, 1, 1900), 60);
}

TEST(GregorianDays, LastDayOfACycleComesBackAsDecember31) {
    EXPECT_EQ(AbsoluteFromGregorian(12, 31, 2000), 730485);
    EXPECT_TRUE(DateIs(GregorianFromAbsolute(730485), 12, 31, 2000));
    EXPECT_EQ(AbsoluteFromGregorian(12, 31, 2004), 731946);
    EXPECT_TRUE(DateIs(GregorianFromAbsolute(731946), 12, 31, 2004));
    EXPECT_TRUE(DateIs(GregorianFromAbsolute(730486), 1, 1, 2001));
}

TEST(GregorianDays, EveryDayFrom1900To2100ConvertsBothWays) {
    AbsoluteDay expected = AbsoluteFromGregorian(1, 1, 1900);
    for (std::int32_t year = 1900; year <= 2100; ++year) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        const std::int32_t lengths[12] = {31, leap ? 29 : 28, 31, 30, 31, 30,
                                          31, 31, 30, 31, 30, 31};
        for (std::int32_t month = 1; month <= 12; ++month) {
            for (std::int32_t day = 1; day <= lengths[month - 1]; ++day, ++expected) {
                ASSERT_EQ(AbsoluteFromGregorian(month, day, year), expected)
                    << month << "/" << day << "/" << year;
                ASSERT_TRUE(DateIs(GregorianFromAbsolute(expected), month, day, year));
            }
        }
    }
}

TEST(HebrewYears, KnownYears) {
    EXPECT_EQ(HebrewElapsedDays(5768), 2106360);
    EXPECT_EQ(HebrewElapsedDays(5769), 2106743);
    EXPECT_EQ(AbsoluteFromHebrew(7, 1, 1), -1373427);

    // 5768: leap, deficient, began Thursday 13 September 2007.
    EXPECT_TRUE(HebrewLeapYear(5768));
    EXPECT_EQ(HebrewYearLength(5768), 383);
    EXPECT_TRUE(ShortKislev(5768));
    EXPECT_FALSE(LongHeshvan(5768));
    EXPECT_EQ(AbsoluteFromHebrew(7, 1, 5768), 732932);
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(732932), 7, 1, 5768));

    // 5767: common, complete, began Saturday 23 September 2006.
    EXPECT_FALSE(HebrewLeapYear(5767));
    EXPECT_EQ(HebrewYearLength(5767), 355);
    EXPECT_TRUE(LongHeshvan(5767));
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(732577), 7, 1, 5767));

    // 5787: leap, complete, began Saturday 12 September 2026.
    EXPECT_TRUE(HebrewLeapYear(5787));
    EXPECT_EQ(HebrewYearLength(5787), 385);
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(739871), 7, 1, 5787));
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(739957), 9, 27, 5787));
    EXPECT_EQ(HebrewMonthLength(8, 5787), 30);
    EXPECT_EQ(HebrewMonthLength(13, 5787), 29);
    EXPECT_EQ(HebrewMonthLength(12, 5787), 30);
    EXPECT_EQ(HebrewMonthLength(12, 5786), 29);
}

TEST(HebrewYears, LengthsMonthsAndNewYearWeekdaysAreConsistent) {
    for (std::int32_t year = 4000; year <= 14000; ++year) {
        const std::int32_t length = HebrewYearLength(year);
        const bool leap = HebrewLeapYear(year);
        if (leap) {
            ASSERT_TRUE(length >= 383 && length <= 385) << year << ": " << length;
        } else {
            ASSERT_TRUE(length >= 353 && length <= 355) << year << ": " << length;
        }
        ASSERT_FALSE(LongHeshvan(year) && ShortKislev(year)) << year;

        std::int32_t sum = 0;
        for (std::int32_t month = 1; month <= (leap ? 13 : 12); ++month) {
            sum += HebrewMonthLength(month, year);
        }
        ASSERT_EQ(sum, length) << year;

        const std::int32_t weekday = AbsoluteFromHebrew(7, 1, year) % 7;
        ASSERT_TRUE(weekday == 1 || weekday == 2 || weekday == 4 || weekday == 6)
            << year << " begins on weekday " << weekday;
    }
}

// Every day from 1 January 1800 to 30 December 2240 becomes a valid Hebrew
// date that converts back to the same day; consecutive days give consecutive
// Hebrew dates, and the month guess is never later than the true month.
TEST(HebrewDays, EveryDayFrom1800To2240ConvertsBothWays) {
    const AbsoluteDay first = AbsoluteFromGregorian(1, 1, 1800);
    const AbsoluteDay last = AbsoluteFromGregorian(12, 30, 2240);
    CalendarDate previous = HebrewFromAbsolute(first - 1);
    for (AbsoluteDay day = first; day <= last; ++day) {
        const CalendarDate hebrew = HebrewFromAbsolute(day);
        const std::int32_t months = HebrewLeapYear(hebrew.year) ? 13 : 12;
        ASSERT_TRUE(hebrew.month >= 1 && hebrew.month <= months) << day;
        ASSERT_TRUE(hebrew.day >= 1 && hebrew.day <= HebrewMonthLength(hebrew.month, hebrew.year))
            << day;
        ASSERT_EQ(AbsoluteFromHebrew(hebrew.month, hebrew.day, hebrew.year), day);

        if (hebrew.day != 1) {
            ASSERT_TRUE(hebrew.month == previous.month && hebrew.year == previous.year &&
                        hebrew.day == previous.day + 1)
                << day;
        } else if (hebrew.month == 7) {
            ASSERT_TRUE(previous.month == 6 && hebrew.year == previous.year + 1) << day;
        } else {
            ASSERT_EQ(hebrew.year, previous.year) << day;
            ASSERT_EQ(hebrew.month, previous.month % months + 1) << day;
        }

        const std::int32_t guess = HebrewMonthStartGuess[GregorianFromAbsolute(day).month - 1];
        ASSERT_LE(PositionInYear(guess, months), PositionInYear(hebrew.month, months)) << day;
        previous = hebrew;
    }
}

// Thousands of years ahead the month guess can name a month that has not
// begun; the conversion must still give a real date that converts back.
TEST(HebrewDays, FarFutureDaysStillConvertBothWays) {
    const AbsoluteDay first = AbsoluteFromGregorian(1, 1, 6700);
    const AbsoluteDay last = AbsoluteFromGregorian(1, 7, 10000);
    for (AbsoluteDay day = first; day <= last; ++day) {
        const CalendarDate hebrew = HebrewFromAbsolute(day);
        ASSERT_TRUE(hebrew.day >= 1 && hebrew.day <= HebrewMonthLength(hebrew.month, hebrew.year))
            << day << ": " << hebrew.month << "/" << hebrew.day << "/" << hebrew.year;
        ASSERT_EQ(AbsoluteFromHebrew(hebrew.month, hebrew.day, hebrew.year), day);
    }
}

TEST(Weekdays, WeekdayOnOrBefore) {
    const AbsoluteDay monday = AbsoluteFromGregorian(12, 7, 2026);
    const AbsoluteDay saturday = AbsoluteFromGregorian(12, 12, 2026);
    EXPECT_EQ(WeekdayOnOrBefore(6, monday + 6), saturday);
    EXPECT_EQ(WeekdayOnOrBefore(6, saturday + 6), saturday);
    EXPECT_EQ(WeekdayOnOrBefore(6, saturday + 1 + 6), saturday + 7);
    EXPECT_EQ(WeekdayOnOrBefore(1, monday), monday);
    EXPECT_EQ(WeekdayOnOrBefore(0, monday), monday - 1);
}

}  // namespace
