#include "calendar/weekly_schedule.h"

#include <string_view>

#include "platform/time.h"
#include "platform/unicode.h"

const PortionCode PortionSchedule[kScheduleRows][kScheduleSaturdays] = {
    // Row 0
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, 25, -26, -28, 30, -31, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44, 45,
     46, 47, 48, 49, -50, 0, 0, 0, 0, 0, 0},
    // Row 1
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, 25, -26, -28, 30, -31, 33, -1, 34, 35, 36, 37, -38, 40, -41, 43, 44, 45,
     46, 47, 48, 49, -50, 0, 0, 0, 0, 0, 0},
    // Row 2
    {52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, -1, 25, -26, -28, 30, -31, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44,
     45, 46, 47, 48, 49, 50, 0, 0, 0, 0, 0},
    // Row 3
    {52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, 25, -26, -28, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44,
     45, 46, 47, 48, 49, 50, 0, 0, 0, 0, 0},
    // Row 4
    {52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, -1, 25, -26, -28, 30, -31, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44, 45,
     46, 47, 48, 49, 50, 0, 0, 0, 0, 0},
    // Row 5
    {-1, 52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, 25, -26, -28, 30, -31, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44, 45,
     46, 47, 48, 49, 50, 0, 0, 0, 0, 0},
    // Row 6
    {-1, 52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     -21, 23, 24, -1, 25, -26, -28, 30, -31, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43, 44, 45,
     46, 47, 48, 49, -50, 0, 0, 0, 0, 0},
    // Row 7
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, -1, 28, 29, 30, 31, 32, 33, -1, 34, 35, 36, 37, -38, 40, -41, 43,
     44, 45, 46, 47, 48, 49, -50, 0, 0},
    // Row 8
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, -1, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, -41, 43,
     44, 45, 46, 47, 48, 49, -50, 0, 0},
    // Row 9
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, -1, -1, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, -41,
     43, 44, 45, 46, 47, 48, 49, 50, 0},
    // Row 10
    {51, 52, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, -1, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
     43, 44, 45, 46, 47, 48, 49, 50, 0},
    // Row 11
    {52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, 28, -1, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
     43, 44, 45, 46, 47, 48, 49, 50, 0},
    // Row 12
    {52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
     22, 23, 24, 25, 26, 27, 28, -1, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
     43, 44, 45, 46, 47, 48, 49, -50, 0},
    // Row 13
    {-1, 52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     21, 22, 23, 24, 25, 26, 27, -1, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, -41,
     43, 44, 45, 46, 47, 48, 49, -50, 0},
    // Row 14
    {-1, 52, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
     21, 22, 23, 24, 25, 26, 27, -1, 28, 29, 30, 31, 32, 33, -1, 34, 35, 36, 37, -38, 40, -41,
     43, 44, 45, 46, 47, 48, 49, -50, 0},
};

const std::int8_t ScheduleRowIndex[48] = {
    // Common years: Tishri 1 on Monday, Tuesday, Thursday, Saturday; each
    // with deficient, regular and complete years; outside Israel, in Israel.
    0, 0,   -1, -1, 1, 0,     // Monday
    -1, -1, 1, 0,   -1, -1,   // Tuesday
    -1, -1, 2, 3,   4, 4,     // Thursday
    5, 5,   -1, -1, 6, 6,     // Saturday
    // Leap years, in the same order.
    7, 8,   -1, -1, 9, 10,    // Monday
    -1, -1, 9, 10,  -1, -1,   // Tuesday
    11, 11, -1, -1, 12, 12,   // Thursday
    13, 13, -1, -1, 14, 13,   // Saturday
};

const std::uint8_t PortionLessonTable[kPortionCount] = {
    4,   6,   9,   12,  15,  18,  21,  24,  27,  30,   // 0..9
    33,  36,  56,  59,  61,  64,  68,  71,  74,  77,   // 10..19
    81,  83,  111, 0,   112, 115, 117, 119, 120, 121,  // 20..29
    122, 124, 125, 158, 161, 163, 165, 167, 169, 171,  // 30..39
    174, 176, 177, 196, 198, 0,   0,   0,   200, 201,  // 40..49
    0,   0,   0,   0,                                  // 50..53
};

const CombinedPortionLesson CombinedPortionLessons[8] = {
    {21, 84}, {26, 118}, {28, 120}, {31, 124}, {38, 169}, {41, 176}, {50, 0}, {0, 0},
};

bool LoadYearSchedule(YearSchedule& record, std::int32_t hebrewYear) {
    const bool complete = LongHeshvan(hebrewYear);
    const bool deficient = ShortKislev(hebrewYear);
    const std::int32_t kind = (complete && !deficient) ? 2 : (deficient && !complete) ? 0 : 1;

    const AbsoluteDay newYear = AbsoluteFromHebrew(7, 1, hebrewYear);
    const std::int32_t weekday = newYear % 7;
    record.firstSaturday = WeekdayOnOrBefore(6, newYear + 6);
    record.nextFirstSaturday = WeekdayOnOrBefore(6, AbsoluteFromHebrew(7, 1, hebrewYear + 1) + 6);

    const std::int32_t leap = HebrewLeapYear(hebrewYear) ? 1 : 0;
    const std::int32_t israel = (record.flags & ScheduleFlags::IsraelSchedule) ? 1 : 0;
    const std::int32_t index = ((weekday / 2 + 4 * leap) * 3 + kind) * 2 + israel;
    // Tishri 1 falls only on Monday, Tuesday, Thursday or Saturday, so the
    // index is always inside the table; the check keeps a broken calendar
    // from reading past it.
    const std::int8_t row = (index >= 0 && index < 48) ? ScheduleRowIndex[index] : -1;
    record.row = row >= 0 ? PortionSchedule[row] : nullptr;
    return record.row == nullptr;
}

namespace {

// Entry of the record's row for the Saturday `offset` days after the first
// one, or -1 (no portion) outside the row.
PortionCode RowEntry(const YearSchedule& record, std::int32_t offset) {
    const std::int32_t index = offset / 7;
    if (offset < 0 || index >= kScheduleSaturdays) {
        return -1;
    }
    return record.row[index];
}

}  // namespace

PortionCode PortionCodeForSaturday(const YearSchedule& record, AbsoluteDay saturday) {
    if (record.row == nullptr) {
        return -1;
    }
    std::int32_t offset = saturday - record.firstSaturday;
    if (offset < 0) {
        return -1;
    }
    PortionCode code = RowEntry(record, offset);
    // A festival Saturday shows the next Saturday's portion; when that is the
    // start of the cycle, the last portion stands in for it.
    while (code == -1) {
        offset += 7;
        if (offset / 7 >= kScheduleSaturdays) {
            return -1;
        }
        code = RowEntry(record, offset);
        if (code == 0) {
            code = 53;
        }
    }
    return code;
}

LessonNumber LessonForPortionCode(PortionCode code) {
    if (code >= 0) {
        return code < kPortionCount ? PortionLessonTable[code] : 0;
    }
    for (const CombinedPortionLesson& entry : CombinedPortionLessons) {
        if (entry.code == 0) {
            break;
        }
        if (entry.code == -code) {
            return entry.lesson;
        }
    }
    return 0;
}

bool IsraelScheduleInUse() {
    char16_t zone[32] = {};
    // Only the name matters; an unknown zone leaves it empty.
    plat::GetTimeZoneStandardName(zone);
    const std::u16string_view name(zone);
    if (plat::U16StartsWithNoCase(name, u"Israel") ||
        plat::U16StartsWithNoCase(name, u"Jerusalem")) {
        return true;
    }
    return Shell.readSharedSwitch != nullptr && Shell.readSharedSwitch(u"Israel", 0) != 0;
}

void ReadWeek(WeekReading& reading, AbsoluteDay day, std::uint32_t scheduleFlags) {
    reading = WeekReading{};
    reading.saturday = WeekdayOnOrBefore(6, day + 6);
    reading.hebrewDate = HebrewFromAbsolute(reading.saturday);

    YearSchedule schedule{};
    schedule.flags = scheduleFlags & ScheduleFlags::IsraelSchedule;
    reading.rowMissing = LoadYearSchedule(schedule, reading.hebrewDate.year);
    reading.code = PortionCodeForSaturday(schedule, reading.saturday);
    reading.lesson = reading.rowMissing ? 0 : LessonForPortionCode(reading.code);
}

LessonNumber WeeklyLessonForDay(AbsoluteDay day) {
    const std::uint32_t flags = IsraelScheduleInUse() ? ScheduleFlags::IsraelSchedule : 0;
    WeekReading reading;
    ReadWeek(reading, day, flags);
    return reading.lesson;
}

LessonNumber CurrentLessonForWeekly(LessonNumber weekly) {
    return (weekly == 0 || weekly > kLastLesson) ? kFirstLesson : weekly;
}

void ChooseLesson(LessonNumber lesson, bool force) {
    if (lesson != 0) {
        AppState.Flags |= AppFlags::LessonPinned;
        if (lesson != AppState.Lesson) {
            AppState.Lesson = lesson;
            AppState.LastPosition = 0;
        }
        return;
    }
    if ((AppState.Flags & AppFlags::LessonPinned) && !force) {
        return;
    }
    const plat::LocalDate today = plat::GetLocalDate();
    const LessonNumber weekly =
        WeeklyLessonForDay(AbsoluteFromGregorian(today.month, today.day, today.year));
    if (weekly != AppState.Lesson) {
        AppState.LastPosition = 0;
        AppState.Lesson = weekly;
    }
    AppState.Lesson = CurrentLessonForWeekly(AppState.Lesson);
    AppState.Flags &= ~AppFlags::LessonPinned;
}
