// The week listing behind "tovanel-cli week": dates, arguments, line format,
// and the command itself when it has been built.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tools/cli/listings/week_listing.h"

namespace {

std::vector<std::string> Lines(std::FILE* file) {
    std::rewind(file);
    std::vector<std::string> lines;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        lines.emplace_back(buffer);
    }
    return lines;
}

std::string LineForDay(AbsoluteDay day, std::uint32_t flags) {
    WeekReading reading;
    ReadWeek(reading, day, flags);
    char line[128];
    const int length = FormatWeekLine(line, sizeof line, reading, flags);
    EXPECT_EQ(length, static_cast<int>(std::string(line).size()));
    return line;
}

std::string LineFor(std::int32_t month, std::int32_t day, std::int32_t year, std::uint32_t flags) {
    return LineForDay(AbsoluteFromGregorian(month, day, year), flags);
}

bool Parse(WeekListingOptions& options, std::vector<const char*> arguments) {
    return ParseWeekArguments(options, static_cast<int>(arguments.size()),
                              const_cast<char**>(arguments.data()));
}

TEST(WeekListing, Dates) {
    CalendarDate date{};
    ASSERT_TRUE(ParseListingDate("2024-02-29", date));
    EXPECT_TRUE(date.month == 2 && date.day == 29 && date.year == 2024);
    EXPECT_TRUE(ParseListingDate("1000-01-01", date));
    EXPECT_TRUE(ParseListingDate("9999-12-31", date));
    for (const char* bad : {"0999-12-31", "10000-01-01", "2023-02-29", "1900-02-29", "2024-13-01",
                            "2024-04-31", "2024-01-00", "2024-1-01", "2024-01-01x", "+024-01-01"}) {
        EXPECT_FALSE(ParseListingDate(bad, date)) << bad;
    }
}

TEST(WeekListing, Arguments) {
    WeekListingOptions options;
    ASSERT_TRUE(Parse(options, {}));
    EXPECT_TRUE(options.today);
    EXPECT_EQ(options.schedule, ScheduleChoice::FromSettings);

    ASSERT_TRUE(Parse(options, {"2027-07-17", "--israel"}));
    EXPECT_FALSE(options.today);
    EXPECT_FALSE(options.range);
    EXPECT_EQ(options.from, AbsoluteFromGregorian(7, 17, 2027));
    EXPECT_EQ(options.schedule, ScheduleChoice::Israel);

    ASSERT_TRUE(Parse(options, {"--diaspora", "--from", "1900-01-01", "--to=2240-12-31"}));
    EXPECT_TRUE(options.range);
    EXPECT_EQ(options.from, AbsoluteFromGregorian(1, 1, 1900));
    EXPECT_EQ(options.to, AbsoluteFromGregorian(12, 31, 2240));
    EXPECT_EQ(options.schedule, ScheduleChoice::Diaspora);

    // The last week that ends inside the accepted years, and a range that
    // reaches the last accepted day (its Saturdays all lie before it).
    ASSERT_TRUE(Parse(options, {"9999-12-25"}));
    ASSERT_TRUE(Parse(options, {"--from", "9999-12-01", "--to", "9999-12-31"}));

    ASSERT_TRUE(Parse(options, {"--help"}));
    EXPECT_TRUE(options.help);
}

TEST(WeekListing, RefusedArgumentsNameTheProblem) {
    struct Case {
        std::vector<const char*> arguments;
        const char* named;
    };
    const Case cases[] = {
        {{"2023-02-30"}, "2023-02-30"},
        {{"--from", "0999-12-31", "--to", "2000-01-01"}, "--from '0999-12-31'"},
        {{"--from", "2000-01-01", "--to", "10000-01-01"}, "--to '10000-01-01'"},
        {{"--week"}, "--week"},
        {{"--israel", "--diaspora"}, "--diaspora"},
        {{"--from", "2000-01-01"}, "--from"},
        {{"--to"}, "--to"},
        {{"--from", "2001-01-01", "--to", "2000-01-01"}, "--from is after --to"},
        {{"2000-01-01", "2000-01-02"}, "2000-01-02"},
        {{"2000-01-01", "--from", "2000-01-01", "--to", "2000-02-01"}, "DATE"},
        {{"9999-12-31"}, "'9999-12-31' ends after 9999-12-31"},
        {{"9999-12-26", "--israel"}, "'9999-12-26' ends after 9999-12-31"},
    };
    for (const Case& c : cases) {
        WeekListingOptions options;
        EXPECT_FALSE(Parse(options, c.arguments)) << c.named;
        const std::string error = options.error;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(WeekListing, LineFormat) {
    EXPECT_EQ(LineFor(7, 13, 2027, 0),
              "saturday=2027-07-17 hebrew=4/12/5787 code=-38 lesson=169 schedule=diaspora\n");
    EXPECT_EQ(LineFor(7, 17, 2027, ScheduleFlags::IsraelSchedule),
              "saturday=2027-07-17 hebrew=4/12/5787 code=39 lesson=171 schedule=israel\n");
    // No lesson for the week: the reader shows lesson 1.
    EXPECT_EQ(LineFor(9, 26, 2026, 0),
              "saturday=2026-09-26 hebrew=7/15/5787 code=53 lesson=1 schedule=diaspora\n");
    EXPECT_EQ(LineFor(9, 25, 2027, 0),
              "saturday=2027-09-25 hebrew=6/23/5787 code=-50 lesson=1 schedule=diaspora\n");
    // The ends of the accepted dates.
    EXPECT_EQ(LineFor(1, 1, 1000, 0).rfind("saturday=1000-01-04 hebrew=10/19/4760 ", 0), 0u);
    EXPECT_EQ(LineFor(12, 25, 9999, 0).rfind("saturday=9999-12-25 hebrew=8/22/13760 ", 0), 0u);
}

TEST(WeekListing, RangeHasOneLinePerSaturday) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const std::int32_t count = WriteWeekRange(out, AbsoluteFromGregorian(1, 1, 1900),
                                              AbsoluteFromGregorian(12, 31, 2240), 0);
    const std::vector<std::string> lines = Lines(out);
    std::fclose(out);
    ASSERT_EQ(static_cast<std::int32_t>(lines.size()), count);

    // Consecutive Saturdays, each line the same as for any day of its week.
    AbsoluteDay previous = AbsoluteFromGregorian(12, 30, 1899);
    for (const std::string& line : lines) {
        int year = 0, month = 0, day = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "saturday=%d-%d-%d ", &year, &month, &day), 3);
        const AbsoluteDay saturday = AbsoluteFromGregorian(month, day, year);
        ASSERT_EQ(saturday, previous + 7) << line;
        ASSERT_EQ(line, LineForDay(saturday - 3, 0));
        previous = saturday;
    }
    EXPECT_EQ(GregorianFromAbsolute(previous + 7).year, 2241);

    // Both ends are included; a range inside one week may hold no Saturday.
    out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const AbsoluteDay saturday = AbsoluteFromGregorian(7, 17, 2027);
    EXPECT_EQ(WriteWeekRange(out, saturday, saturday + 7, 0), 2);
    EXPECT_EQ(WriteWeekRange(out, saturday + 1, saturday + 6, 0), 0);
    std::fclose(out);
}

// The command itself, when the companion has been built beside the tests.
std::string RunWeekCommand(const std::string& arguments, int& exitCode) {
    const std::string command = std::string(TOVANEL_BINARY_DIR) + "/tools/cli/tovanel-cli week " +
                                arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    if (pipe == nullptr) {
        exitCode = -1;
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TEST(WeekCommand, PrintsLinesAndRefusesBadInput) {
    const std::string program = std::string(TOVANEL_BINARY_DIR) + "/tools/cli/tovanel-cli";
    if (std::FILE* file = std::fopen(program.c_str(), "r")) {
        std::fclose(file);
    } else {
        GTEST_SKIP() << "tovanel-cli is not built";
    }
    int exitCode = 0;
    EXPECT_EQ(RunWeekCommand("2027-07-15 --israel", exitCode),
              "saturday=2027-07-17 hebrew=4/12/5787 code=39 lesson=171 schedule=israel\n");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(RunWeekCommand("--diaspora --from 2027-07-10 --to 2027-07-17", exitCode),
              "saturday=2027-07-10 hebrew=4/5/5787 code=37 lesson=167 schedule=diaspora\n"
              "saturday=2027-07-17 hebrew=4/12/5787 code=-38 lesson=169 schedule=diaspora\n");
    EXPECT_EQ(exitCode, 0);

    std::string output = RunWeekCommand("0999-12-31 --israel", exitCode);
    EXPECT_EQ(exitCode, 2);
    EXPECT_NE(output.find("0999-12-31"), std::string::npos) << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    output = RunWeekCommand("--bogus", exitCode);
    EXPECT_EQ(exitCode, 2);
    EXPECT_NE(output.find("--bogus"), std::string::npos) << output;

    output = RunWeekCommand("--help", exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(output.find("--from DATE --to DATE"), std::string::npos) << output;
}

}  // namespace
