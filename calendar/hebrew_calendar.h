// Conversions between Gregorian dates, a running day count and dates of the
// fixed (arithmetic) Hebrew calendar, in integer arithmetic only. Every
// operation is a pure function of its arguments.
#pragma once

#include <cstdint>

// Day 1 is Monday, 1 January of year 1 of the proleptic Gregorian calendar.
// The weekday of a day is day mod 7: 0 Sunday, 1 Monday ... 6 Saturday.
using AbsoluteDay = std::int32_t;

// A Gregorian or Hebrew date. Hebrew months: 1 Nisan ... 6 Elul, 7 Tishri,
// 8 Heshvan, 9 Kislev, 10 Tevet, 11 Shevat, 12 Adar (Adar I in a leap year),
// 13 Adar II. A Hebrew year runs 7 ... 12 (13), 1 ... 6.
struct CalendarDate {
    std::int32_t month;
    std::int32_t day;
    std::int32_t year;
};

// First Hebrew month tried for a day in each Gregorian month (index month - 1);
// never later in the Hebrew year than the true month.
extern const std::int32_t HebrewMonthStartGuess[12];
// Gregorian month lengths, [leap][month - 1].
extern const std::int32_t GregorianMonthLengths[2][12];

bool HebrewLeapYear(std::int32_t year);
// Day number of Tishri 1 of the year on the calendar's own count (the molad
// of Tishri with the postponement rules).
std::int32_t HebrewElapsedDays(std::int32_t year);
// 353, 354, 355 (common) or 383, 384, 385 (leap) days.
std::int32_t HebrewYearLength(std::int32_t year);
// Complete year: Heshvan has 30 days.
bool LongHeshvan(std::int32_t year);
// Deficient year: Kislev has 29 days.
bool ShortKislev(std::int32_t year);
// 29 or 30.
std::int32_t HebrewMonthLength(std::int32_t month, std::int32_t year);
AbsoluteDay AbsoluteFromHebrew(std::int32_t month, std::int32_t day, std::int32_t year);
CalendarDate HebrewFromAbsolute(AbsoluteDay day);

bool GregorianLeapYear(std::int32_t year);
// 1-based day within the year.
std::int32_t GregorianDayOfYear(std::int32_t month, std::int32_t day, std::int32_t year);
AbsoluteDay AbsoluteFromGregorian(std::int32_t month, std::int32_t day, std::int32_t year);
CalendarDate GregorianFromAbsolute(AbsoluteDay day);

// The last day on or before `day` whose weekday is `weekday` (0..6).
// WeekdayOnOrBefore(6, d + 6) is the Saturday on or after d.
AbsoluteDay WeekdayOnOrBefore(std::int32_t weekday, AbsoluteDay day);
