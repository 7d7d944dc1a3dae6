// The weekly schedule as text lines, for the command-line companion: one line
// per Saturday with its Hebrew date, portion code and the lesson the reader
// would make current.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "calendar/hebrew_calendar.h"
#include "calendar/weekly_schedule.h"

// Dates the listing accepts.
constexpr std::int32_t kListingFirstYear = 1000;
constexpr std::int32_t kListingLastYear = 9999;

enum class ScheduleChoice {
    FromSettings,  // the reader's rule: time zone, then the registry value
    Israel,
    Diaspora,
};

struct WeekListingOptions {
    bool help;
    bool today;   // no date given: the week containing today's date
    bool range;   // --from/--to: every Saturday in [from, to]
    AbsoluteDay from;  // the single date, or the first day of the range
    AbsoluteDay to;
    ScheduleChoice schedule;
    char error[160];  // why the arguments were refused
};

// Parses "YYYY-MM-DD" with a real month and day, years 1000 to 9999.
bool ParseListingDate(const char* text, CalendarDate& date);

// True when the Saturday that ends day's week is still inside the accepted
// years: the week of 9999-12-31 ends in the year 10000, which is not listed.
bool WeekEndsInListingRange(AbsoluteDay day);

// Reads the arguments after the command name: [DATE], --from DATE --to DATE
// (also --from=DATE), --israel, --diaspora, --help. Returns false with
// options.error set when an argument is refused.
bool ParseWeekArguments(WeekListingOptions& options, int argc, char** argv);

// Writes "saturday=YYYY-MM-DD hebrew=M/D/YYYY code=C lesson=L
// schedule=israel|diaspora" and a newline into buffer; returns its length
// (as snprintf does).
int FormatWeekLine(char* buffer, std::size_t size, const WeekReading& reading,
                   std::uint32_t scheduleFlags);

// Writes the line for the week containing day.
void WriteWeekLine(std::FILE* out, AbsoluteDay day, std::uint32_t scheduleFlags);
// Writes one line per Saturday from `from` to `to`, both included; returns
// the number of lines.
std::int32_t WriteWeekRange(std::FILE* out, AbsoluteDay from, AbsoluteDay to,
                            std::uint32_t scheduleFlags);
