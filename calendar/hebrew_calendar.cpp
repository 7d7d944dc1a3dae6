#include "calendar/hebrew_calendar.h"

const std::int32_t HebrewMonthStartGuess[12] = {9, 10, 11, 12, 1, 2, 3, 4, 7, 7, 7, 8};

const std::int32_t GregorianMonthLengths[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

namespace {

// Day number of Tishri 1 of Hebrew year 1 on the calendar's own count is 1;
// this offset places it on day -1373427 of the absolute count.
constexpr std::int32_t kHebrewEpochOffset = 1373429;

std::int32_t LastMonthOfYear(std::int32_t year) { return HebrewLeapYear(year) ? 13 : 12; }

}  // namespace

bool HebrewLeapYear(std::int32_t year) { return (7 * year + 1) % 19 < 7; }

std::int32_t HebrewElapsedDays(std::int32_t year) {
    const std::int32_t cycles = (year - 1) / 19;
    const std::int32_t yearInCycle = (year - 1) % 19;
    const std::int32_t months = 235 * cycles + 12 * yearInCycle + (7 * yearInCycle + 1) / 19;
    const std::int32_t partsElapsed = 204 + 793 * (months % 1080);
    const std::int32_t hoursElapsed =
        5 + 12 * months + 793 * (months / 1080) + partsElapsed / 1080;
    std::int32_t day = 1 + 29 * months + hoursElapsed / 24;
    const std::int32_t parts = 1080 * (hoursElapsed % 24) + partsElapsed % 1080;

    // Postponements: a molad at or after noon, and the two rules that keep
    // the year length within its allowed values.
    if (parts >= 19440 || (day % 7 == 2 && parts >= 9924 && !HebrewLeapYear(year)) ||
        (day % 7 == 1 && parts >= 16789 && HebrewLeapYear(year - 1))) {
        ++day;
    }
    // Tishri 1 never falls on Sunday, Wednesday or Friday.
    const std::int32_t weekday = day % 7;
    if (weekday == 0 || weekday == 3 || weekday == 5) {
        ++day;
    }
    return day;
}

std::int32_t HebrewYearLength(std::int32_t year) {
    return HebrewElapsedDays(year + 1) - HebrewElapsedDays(year);
}

bool LongHeshvan(std::int32_t year) { return HebrewYearLength(year) % 10 == 5; }

bool ShortKislev(std::int32_t year) { return HebrewYearLength(year) % 10 == 3; }

std::int32_t HebrewMonthLength(std::int32_t month, std::int32_t year) {
    if (month == 2 || month == 4 || month == 6 || month == 10 || month == 13) {
        return 29;
    }
    if (month == 12 && !HebrewLeapYear(year)) {
        return 29;
    }
    if (month == 8 && !LongHeshvan(year)) {
        return 29;
    }
    if (month == 9 && ShortKislev(year)) {
        return 29;
    }
    return 30;
}

AbsoluteDay AbsoluteFromHebrew(std::int32_t month, std::int32_t day, std::int32_t year) {
    std::int32_t sum = day;
    if (month < 7) {
        const std::int32_t last = LastMonthOfYear(year);
        for (std::int32_t m = 7; m <= last; ++m) {
            sum += HebrewMonthLength(m, year);
        }
        for (std::int32_t m = 1; m < month; ++m) {
            sum += HebrewMonthLength(m, year);
        }
    } else {
        for (std::int32_t m = 7; m < month; ++m) {
            sum += HebrewMonthLength(m, year);
        }
    }
    return sum + HebrewElapsedDays(year) - kHebrewEpochOffset;
}

CalendarDate HebrewFromAbsolute(AbsoluteDay day) {
    const CalendarDate gregorian = GregorianFromAbsolute(day);
    std::int32_t month = HebrewMonthStartGuess[gregorian.month - 1];
    std::int32_t year = gregorian.year + 3760;
    while (day >= AbsoluteFromHebrew(7, 1, year + 1)) {
        ++year;
    }
    // The guess holds for the centuries around now; thousands of years ahead
    // the Hebrew months have drifted far enough that it can name a month
    // that has not begun yet. Stepping from Tishri then finds the true month
    // (and gives the same answer wherever the guess holds).
    if (day < AbsoluteFromHebrew(month, 1, year)) {
        month = 7;
    }
    const std::int32_t monthsInYear = LastMonthOfYear(year);
    while (day > AbsoluteFromHebrew(month, HebrewMonthLength(month, year), year)) {
        month = month % monthsInYear + 1;
    }
    const std::int32_t dayOfMonth = day - AbsoluteFromHebrew(month, 1, year) + 1;
    return CalendarDate{month, dayOfMonth, year};
}

bool GregorianLeapYear(std::int32_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

std::int32_t GregorianDayOfYear(std::int32_t month, std::int32_t day, std::int32_t year) {
    std::int32_t n = day + 31 * (month - 1);
    if (month > 2) {
        n -= (4 * month + 23) / 10;
        if (GregorianLeapYear(year)) {
            ++n;
        }
    }
    return n;
}

AbsoluteDay AbsoluteFromGregorian(std::int32_t month, std::int32_t day, std::int32_t year) {
    const std::int32_t prior = year - 1;
    return GregorianDayOfYear(month, day, year) + 365 * prior + prior / 4 - prior / 100 +
           prior / 400;
}

CalendarDate GregorianFromAbsolute(AbsoluteDay day) {
    const std::int32_t d0 = day - 1;
    const std::int32_t quadCenturies = d0 / 146097;
    const std::int32_t d1 = d0 % 146097;
    const std::int32_t centuries = d1 / 36524;
    const std::int32_t d2 = d1 % 36524;
    const std::int32_t quadYears = d2 / 1461;
    const std::int32_t d3 = d2 % 1461;
    const std::int32_t years = d3 / 365;
    std::int32_t dayOfYear = d3 % 365 + 1;
    std::int32_t year = 400 * quadCenturies + 100 * centuries + 4 * quadYears + years;

    // The last day of a leap year that ends a four-year or 400-year cycle.
    if (centuries == 4 || years == 4) {
        return CalendarDate{12, 31, year};
    }
    ++year;
    const std::int32_t* lengths = GregorianMonthLengths[GregorianLeapYear(year) ? 1 : 0];
    std::int32_t month = 1;
    while (lengths[month - 1] < dayOfYear) {
        dayOfYear -= lengths[month - 1];
        ++month;
    }
    return CalendarDate{month, dayOfYear, year};
}

AbsoluteDay WeekdayOnOrBefore(std::int32_t weekday, AbsoluteDay day) {
    return day - (day - weekday) % 7;
}
