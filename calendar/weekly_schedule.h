// The weekly portion schedule: which portion is read on a Saturday in Israel
// or outside it, the lesson of the book that belongs to each portion, and the
// rule that decides whether the current lesson follows the calendar.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "calendar/hebrew_calendar.h"

// Portion codes: 0..53 one weekly portion in reading order; -k (k in 21, 26,
// 28, 31, 38, 41, 50) portions k and k + 1 read together; -1 no portion (a
// festival). Row entries past the year's last Saturday are 0.
using PortionCode = std::int8_t;

constexpr int kScheduleRows = 15;
constexpr int kScheduleSaturdays = 56;
constexpr int kPortionCount = 54;

// Entry i of a row is the code for the i-th Saturday on or after Tishri 1 of
// a Hebrew year of that row's type.
extern const PortionCode PortionSchedule[kScheduleRows][kScheduleSaturdays];
// Row of PortionSchedule for each kind of year, -1 for combinations the
// calendar never produces. Index ((w div 2 + 4 L) x 3 + K) x 2 + I: w weekday
// of Tishri 1, L leap year, K year kind (0 deficient, 1 regular, 2 complete),
// I Israel schedule.
extern const std::int8_t ScheduleRowIndex[48];
// Lesson of each single portion; 0 when the book has none.
extern const std::uint8_t PortionLessonTable[kPortionCount];

struct CombinedPortionLesson {
    std::uint8_t code;  // first portion of the pair; 0 ends the list
    std::uint8_t lesson;
};
extern const CombinedPortionLesson CombinedPortionLessons[8];

namespace ScheduleFlags {
constexpr std::uint32_t IsraelSchedule = 0x200;
}

// One Hebrew year's schedule, filled by LoadYearSchedule.
struct YearSchedule {
    std::uint32_t flags;            // ScheduleFlags
    const PortionCode* row;         // selected row of PortionSchedule, or nullptr
    AbsoluteDay firstSaturday;      // first Saturday on or after Tishri 1
    AbsoluteDay nextFirstSaturday;  // the same for the following year
};

// Fills the record for the year on the schedule chosen by record.flags;
// true when no row exists for the year (then record.row is nullptr).
bool LoadYearSchedule(YearSchedule& record, std::int32_t hebrewYear);
// The code for a Saturday of the record's year. A festival Saturday gives the
// code of the next Saturday that has a portion (53 when that is the start of
// the cycle). -1 when the record has no row or the Saturday lies outside it.
PortionCode PortionCodeForSaturday(const YearSchedule& record, AbsoluteDay saturday);
// Lesson for a portion code; 0 when the book has none.
LessonNumber LessonForPortionCode(PortionCode code);

// True when the Israel schedule is in use: the local zone's standard-time
// name begins with "Israel" or "Jerusalem" (any case), else the shared
// registry value "Israel" is not 0.
bool IsraelScheduleInUse();

// Everything worked out for the week (Sunday to Saturday) containing a day.
struct WeekReading {
    AbsoluteDay saturday;     // the day itself when a Saturday, else the next one
    CalendarDate hebrewDate;  // of that Saturday
    PortionCode code;         // PortionCodeForSaturday
    LessonNumber lesson;      // 0 when the book has none
    bool rowMissing;          // no schedule row for the year: no lesson
};

// Fills the record for the week containing day on the given schedule
// (ScheduleFlags).
void ReadWeek(WeekReading& reading, AbsoluteDay day, std::uint32_t scheduleFlags);

// Lesson for the week containing day on the schedule in use; 0 when none.
LessonNumber WeeklyLessonForDay(AbsoluteDay day);

// The lesson made current for a weekly lesson: lesson 1 when there is none
// (0) or the number is past the book's last lesson.
LessonNumber CurrentLessonForWeekly(LessonNumber weekly);

// lesson != 0: the reader's choice; it becomes current and pinned (position
// 0 when it changes). lesson == 0: the week's lesson, unless the current one
// is pinned and force is false; it unpins the current lesson.
void ChooseLesson(LessonNumber lesson, bool force);
