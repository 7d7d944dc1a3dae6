// tovanel-cli week: the weekly portion and lesson without opening the reader.
#include <cstdio>

#include "tools/cli/listings/week_listing.h"
#include "platform/time.h"
#include "tools/cli/cli_command.h"

namespace {

void PrintWeekHelp() {
    std::printf(
        "usage: tovanel-cli week [DATE] [--israel | --diaspora]\n"
        "       tovanel-cli week --from DATE --to DATE [--israel | --diaspora]\n"
        "\n"
        "Prints the weekly Torah portion and the book's lesson for the week (Sunday to\n"
        "Saturday) that contains DATE, today when no date is given, or for every\n"
        "Saturday from --from to --to (both included). DATE is YYYY-MM-DD, from\n"
        "1000-01-01 to 9999-12-31; a single DATE's week must end by 9999-12-25.\n"
        "\n"
        "  --israel     use the Israel reading schedule\n"
        "  --diaspora   use the schedule outside Israel\n"
        "               (without either: Israel when the time zone's standard name\n"
        "               begins with Israel or Jerusalem, else the shared registry\n"
        "               value \"Israel\" under software\\Quillmark, diaspora when 0)\n"
        "\n"
        "Each line:\n"
        "  saturday=YYYY-MM-DD hebrew=M/D/YYYY code=C lesson=L schedule=israel|diaspora\n"
        "hebrew is the Saturday's Hebrew date (month 1 Nisan ... 7 Tishri ... 13 Adar II);\n"
        "code is the portion code (0..53 one portion, -k portions k and k+1 together,\n"
        "-1 none); lesson is the lesson the reader makes current for that week.\n");
}

int RunWeek(int argc, char** argv) {
    WeekListingOptions options;
    if (!ParseWeekArguments(options, argc, argv)) {
        std::fprintf(stderr, "tovanel-cli week: %s\n", options.error);
        return 2;
    }
    if (options.help) {
        PrintWeekHelp();
        return 0;
    }
    // The platform is needed for today's date and for the reader's schedule
    // rule (time zone, registry).
    if (options.today || options.schedule == ScheduleChoice::FromSettings) {
        // The backend sees only a program name, not the command's arguments.
        static char programName[] = "tovanel-cli";
        static char* platformArgv[] = {programName, nullptr};
        int platformArgc = 1;
        if (!CliInitialisePlatform(platformArgc, platformArgv)) {
            return 1;
        }
    }
    std::uint32_t flags = 0;
    if (options.schedule == ScheduleChoice::Israel ||
        (options.schedule == ScheduleChoice::FromSettings && IsraelScheduleInUse())) {
        flags = ScheduleFlags::IsraelSchedule;
    }
    if (options.range) {
        WriteWeekRange(stdout, options.from, options.to, flags);
    } else {
        AbsoluteDay day = options.from;
        if (options.today) {
            const plat::LocalDate today = plat::GetLocalDate();
            day = AbsoluteFromGregorian(today.month, today.day, today.year);
            if (!WeekEndsInListingRange(day)) {
                std::fprintf(stderr, "tovanel-cli week: today's week ends after 9999-12-31\n");
                return 1;
            }
        }
        WriteWeekLine(stdout, day, flags);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CliCommand kWeekCommand("week", "week [DATE | --from D --to D]",
                              "this week's portion and lesson, or every Saturday in a range",
                              RunWeek);

}  // namespace
