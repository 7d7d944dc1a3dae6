// Calendar arithmetic: known days and years, and conversions that come back
// unchanged over long runs of consecutive days.
#include <gtest/gtest.h>

#include "calendar/hebrew_calendar.h"

namespace {

testing::AssertionResult DateIs(const CalendarDate& date, std::int32_t month, std::int32_t day,
                                std::int32_t year) {
    if (date.month == month && date.day == day && date.year == year) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << date.month << "/" << date.day << "/" << date.year;
}

TEST(Calendar, KnownDaysAndYears) {
    EXPECT_EQ(AbsoluteFromGregorian(1, 1, 1), 1);  // a Monday
    EXPECT_EQ(AbsoluteFromGregorian(9, 23, 2006), 732577);
    EXPECT_EQ(AbsoluteFromGregorian(9, 12, 2026), 739871);
    // The last days of four-year and 400-year cycles.
    EXPECT_TRUE(DateIs(GregorianFromAbsolute(730485), 12, 31, 2000));
    EXPECT_TRUE(DateIs(GregorianFromAbsolute(731946), 12, 31, 2004));

    EXPECT_EQ(HebrewElapsedDays(5768), 2106360);
    EXPECT_EQ(HebrewElapsedDays(5769), 2106743);
    EXPECT_EQ(AbsoluteFromHebrew(7, 1, 1), -1373427);
    // 5768: leap and deficient, from Thursday 13 September 2007.
    EXPECT_EQ(AbsoluteFromGregorian(9, 13, 2007), 732932);
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(732932), 7, 1, 5768));
    EXPECT_TRUE(HebrewLeapYear(5768) && ShortKislev(5768) && !LongHeshvan(5768));
    // 5767: common and complete; 5787: leap and complete.
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(732577), 7, 1, 5767));
    EXPECT_TRUE(!HebrewLeapYear(5767) && LongHeshvan(5767) && HebrewYearLength(5767) == 355);
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(739871), 7, 1, 5787));
    EXPECT_EQ(HebrewYearLength(5787), 385);
    EXPECT_TRUE(DateIs(HebrewFromAbsolute(AbsoluteFromGregorian(12, 7, 2026)), 9, 27, 5787));
}

// Year lengths, month lengths and the weekday of Tishri 1 agree for every
// year the reader can meet.
TEST(Calendar, YearsAreConsistent) {
    for (std::int32_t year = 4700; year <= 13800; ++year) {
        const std::int32_t length = HebrewYearLength(year);
        const bool leap = HebrewLeapYear(year);
        ASSERT_TRUE(length >= (leap ? 383 : 353) && length <= (leap ? 385 : 355)) << year;
        std::int32_t sum = 0;
        for (std::int32_t month = 1; month <= (leap ? 13 : 12); ++month) {
            sum += HebrewMonthLength(month, year);
        }
        ASSERT_EQ(sum, length) << year;
        const std::int32_t weekday = AbsoluteFromHebrew(7, 1, year) % 7;
        ASSERT_TRUE(weekday == 1 || weekday == 2 || weekday == 4 || weekday == 6) << year;
    }
}

TEST(Calendar, GregorianDaysFrom1900To2100ConvertBothWays) {
    AbsoluteDay expected = AbsoluteFromGregorian(1, 1, 1900);
    for (std::int32_t year = 1900; year <= 2100; ++year) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        for (std::int32_t month = 1; month <= 12; ++month) {
            const std::int32_t length =
                month == 2 ? (leap ? 29 : 28) : (month == 4 || month == 6 || month == 9 || month == 11) ? 30 : 31;
            for (std::int32_t day = 1; day <= length; ++day, ++expected) {
                ASSERT_EQ(AbsoluteFromGregorian(month, day, year), expected);
                ASSERT_TRUE(DateIs(GregorianFromAbsolute(expected), month, day, year));
            }
        }
    }
}

// Every day becomes a real Hebrew date that converts back; from 1800 to 2240
// consecutive days give consecutive dates and the month guess is never later
// than the true month. Far ahead, where the guess no longer holds, the
// conversion must still be right.
TEST(Calendar, HebrewDaysConvertBothWays) {
    const AbsoluteDay first = AbsoluteFromGregorian(1, 1, 1800);
    const AbsoluteDay last = AbsoluteFromGregorian(12, 30, 2240);
    CalendarDate previous = HebrewFromAbsolute(first - 1);
    for (AbsoluteDay day = first; day <= AbsoluteFromGregorian(1, 7, 10000); ++day) {
        const CalendarDate hebrew = HebrewFromAbsolute(day);
        const std::int32_t months = HebrewLeapYear(hebrew.year) ? 13 : 12;
        ASSERT_TRUE(hebrew.month >= 1 && hebrew.month <= months) << day;
        ASSERT_TRUE(hebrew.day >= 1 && hebrew.day <= HebrewMonthLength(hebrew.month, hebrew.year))
            << day;
        ASSERT_EQ(AbsoluteFromHebrew(hebrew.month, hebrew.day, hebrew.year), day);
        if (day > last) {
            continue;
        }
        if (hebrew.day > 1) {
            ASSERT_TRUE(DateIs(hebrew, previous.month, previous.day + 1, previous.year)) << day;
        } else if (hebrew.month == 7) {
            ASSERT_TRUE(DateIs(previous, 6, 29, hebrew.year - 1)) << day;
        } else {
            ASSERT_TRUE(DateIs(hebrew, previous.month % months + 1, 1, previous.year)) << day;
        }
        // Position in the Hebrew year: Tishri first, Elul last.
        auto position = [months](std::int32_t m) { return m >= 7 ? m - 7 : m + months - 6; };
        const std::int32_t guess = HebrewMonthStartGuess[GregorianFromAbsolute(day).month - 1];
        ASSERT_LE(position(guess), position(hebrew.month)) << day;
        previous = hebrew;
    }
}

}  // namespace
