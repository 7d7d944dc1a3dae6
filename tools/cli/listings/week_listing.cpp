#include "tools/cli/listings/week_listing.h"

#include <cstring>

namespace {

bool ReadDigits(const char* text, int count, std::int32_t& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

void SetError(WeekListingOptions& options, const char* format, const char* what) {
    std::snprintf(options.error, sizeof options.error, format, what);
}

// The option's value: the text after '=' in "--name=value", else the next
// argument. Null when it is missing.
const char* OptionValue(const char* argument, std::size_t nameLength, int argc, char** argv,
                        int& i) {
    if (argument[nameLength] == '=') {
        return argument + nameLength + 1;
    }
    if (i + 1 < argc) {
        return argv[++i];
    }
    return nullptr;
}

bool IsOption(const char* argument, const char* name) {
    const std::size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 &&
           (argument[length] == '\0' || argument[length] == '=');
}

bool ReadDateArgument(WeekListingOptions& options, const char* text, const char* option,
                      AbsoluteDay& day) {
    CalendarDate date{};
    if (!ParseListingDate(text, date)) {
        char what[96];
        if (option != nullptr) {
            std::snprintf(what, sizeof what, "%s '%.60s'", option, text);
        } else {
            std::snprintf(what, sizeof what, "'%.60s'", text);
        }
        SetError(options, "bad date %s (expected YYYY-MM-DD from 1000-01-01 to 9999-12-31)",
                 what);
        return false;
    }
    day = AbsoluteFromGregorian(date.month, date.day, date.year);
    return true;
}

}  // namespace

bool ParseListingDate(const char* text, CalendarDate& date) {
    if (text == nullptr || std::strlen(text) != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    if (!ReadDigits(text, 4, year) || !ReadDigits(text + 5, 2, month) ||
        !ReadDigits(text + 8, 2, day)) {
        return false;
    }
    if (year < kListingFirstYear || year > kListingLastYear || month < 1 || month > 12 ||
        day < 1 || day > GregorianMonthLengths[GregorianLeapYear(year) ? 1 : 0][month - 1]) {
        return false;
    }
    date = CalendarDate{month, day, year};
    return true;
}

bool WeekEndsInListingRange(AbsoluteDay day) {
    return WeekdayOnOrBefore(6, day + 6) <= AbsoluteFromGregorian(12, 31, kListingLastYear);
}

bool ParseWeekArguments(WeekListingOptions& options, int argc, char** argv) {
    options = WeekListingOptions{};
    options.schedule = ScheduleChoice::FromSettings;
    bool haveDate = false;
    bool haveFrom = false;
    bool haveTo = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options.help = true;
            return true;
        }
        if (std::strcmp(argument, "--israel") == 0 || std::strcmp(argument, "--diaspora") == 0) {
            const ScheduleChoice choice = argument[2] == 'i' ? ScheduleChoice::Israel
                                                             : ScheduleChoice::Diaspora;
            if (options.schedule != ScheduleChoice::FromSettings && options.schedule != choice) {
                SetError(options, "%s conflicts with the schedule already chosen", argument);
                return false;
            }
            options.schedule = choice;
            continue;
        }
        if (IsOption(argument, "--from") || IsOption(argument, "--to")) {
            const bool isFrom = argument[2] == 'f';
            const char* name = isFrom ? "--from" : "--to";
            if (isFrom ? haveFrom : haveTo) {
                SetError(options, "%s given twice", name);
                return false;
            }
            const char* value = OptionValue(argument, std::strlen(name), argc, argv, i);
            if (value == nullptr) {
                SetError(options, "%s needs a date (YYYY-MM-DD)", name);
                return false;
            }
            if (!ReadDateArgument(options, value, name, isFrom ? options.from : options.to)) {
                return false;
            }
            (isFrom ? haveFrom : haveTo) = true;
            continue;
        }
        if (argument[0] == '-' && argument[1] != '\0') {
            SetError(options, "unknown option '%.80s'", argument);
            return false;
        }
        if (haveDate) {
            SetError(options, "more than one date: '%.80s'", argument);
            return false;
        }
        if (!ReadDateArgument(options, argument, nullptr, options.from)) {
            return false;
        }
        if (!WeekEndsInListingRange(options.from)) {
            SetError(options,
                     "the week of '%.20s' ends after 9999-12-31 (in the year 10000); the "
                     "last week listed ends on 9999-12-25",
                     argument);
            return false;
        }
        options.to = options.from;
        haveDate = true;
    }

    if (haveFrom != haveTo) {
        SetError(options, "%s needs its partner: give both --from DATE and --to DATE",
                 haveFrom ? "--from" : "--to");
        return false;
    }
    if (haveFrom && haveDate) {
        SetError(options, "%s", "a DATE cannot be combined with --from/--to");
        return false;
    }
    if (haveFrom && options.from > options.to) {
        SetError(options, "%s", "--from is after --to");
        return false;
    }
    options.range = haveFrom;
    options.today = !haveFrom && !haveDate;
    return true;
}

int FormatWeekLine(char* buffer, std::size_t size, const WeekReading& reading,
                   std::uint32_t scheduleFlags) {
    const CalendarDate saturday = GregorianFromAbsolute(reading.saturday);
    const bool israel = (scheduleFlags & ScheduleFlags::IsraelSchedule) != 0;
    return std::snprintf(buffer, size,
                         "saturday=%04d-%02d-%02d hebrew=%d/%d/%d code=%d lesson=%u "
                         "schedule=%s\n",
                         static_cast<int>(saturday.year), static_cast<int>(saturday.month),
                         static_cast<int>(saturday.day),
                         static_cast<int>(reading.hebrewDate.month),
                         static_cast<int>(reading.hebrewDate.day),
                         static_cast<int>(reading.hebrewDate.year), static_cast<int>(reading.code),
                         static_cast<unsigned>(CurrentLessonForWeekly(reading.lesson)),
                         israel ? "israel" : "diaspora");
}

void WriteWeekLine(std::FILE* out, AbsoluteDay day, std::uint32_t scheduleFlags) {
    WeekReading reading;
    ReadWeek(reading, day, scheduleFlags);
    char line[128];
    const int length = FormatWeekLine(line, sizeof line, reading, scheduleFlags);
    std::fwrite(line, 1, static_cast<std::size_t>(length), out);
}

std::int32_t WriteWeekRange(std::FILE* out, AbsoluteDay from, AbsoluteDay to,
                            std::uint32_t scheduleFlags) {
    std::int32_t lines = 0;
    for (AbsoluteDay saturday = WeekdayOnOrBefore(6, from + 6); saturday <= to; saturday += 7) {
        WriteWeekLine(out, saturday, scheduleFlags);
        ++lines;
    }
    return lines;
}
