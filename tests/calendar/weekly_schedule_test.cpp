// The weekly schedule: dated weeks on both schedules, the schedule table
// against the reading cycle, the choice of schedule, and ChooseLesson.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/app_state.h"
#include "calendar/weekly_schedule.h"
#include "platform/time.h"

namespace {

constexpr std::uint32_t kIsrael = ScheduleFlags::IsraelSchedule;

TEST(WeeklySchedule, DatedWeeks) {
    struct Week {
        std::int32_t month, day, year;  // any day of the week
        std::uint32_t flags;
        std::int32_t saturdayMonth, saturdayDay;
        CalendarDate hebrew;
        PortionCode code;
        LessonNumber lesson;
    };
    const Week weeks[] = {
        // Monday, the Saturday itself, and the Sunday after.
        {12, 7, 2026, 0, 12, 12, {10, 2, 5787}, 9, 30},
        {12, 12, 2026, kIsrael, 12, 12, {10, 2, 5787}, 9, 30},
        {12, 13, 2026, 0, 12, 19, {10, 9, 5787}, 10, 33},
        // A festival before the cycle starts again: the last portion, no lesson.
        {9, 26, 2026, 0, 9, 26, {7, 15, 5787}, 53, 0},
        // The first portion on its own Saturday stays the first.
        {10, 10, 2026, 0, 10, 10, {7, 29, 5787}, 0, 4},
        // A festival Saturday shows the next Saturday's portion.
        {4, 24, 2027, 0, 4, 24, {1, 17, 5787}, 28, 120},
        {5, 1, 2027, kIsrael, 5, 1, {1, 24, 5787}, 28, 120},
        {7, 17, 2027, 0, 7, 17, {4, 12, 5787}, -38, 169},
        {7, 17, 2027, kIsrael, 7, 17, {4, 12, 5787}, 39, 171},
        {9, 25, 2027, 0, 9, 25, {6, 23, 5787}, -50, 0},
        {2, 20, 2027, 0, 2, 20, {12, 13, 5787}, 19, 77},
    };
    for (const Week& week : weeks) {
        SCOPED_TRACE(testing::Message() << week.month << "/" << week.day << "/" << week.year
                                        << (week.flags ? " israel" : " diaspora"));
        WeekReading reading;
        ReadWeek(reading, AbsoluteFromGregorian(week.month, week.day, week.year), week.flags);
        EXPECT_EQ(reading.saturday,
                  AbsoluteFromGregorian(week.saturdayMonth, week.saturdayDay, week.year));
        EXPECT_TRUE(reading.hebrewDate.month == week.hebrew.month &&
                    reading.hebrewDate.day == week.hebrew.day &&
                    reading.hebrewDate.year == week.hebrew.year);
        EXPECT_EQ(reading.code, week.code);
        EXPECT_EQ(reading.lesson, week.lesson);
    }
}

// Over a thousand years on both schedules: every year has a row, the row
// holds zeros after the year's last Saturday, no Saturday is left without a
// portion, and the portions read (a joined pair counts as two) run through
// the cycle 0..52 in order, with nothing skipped or repeated, from one year
// into the next.
TEST(WeeklySchedule, TableFollowsTheReadingCycle) {
    for (const std::uint32_t flags : {0u, kIsrael}) {
        SCOPED_TRACE(flags ? "israel" : "diaspora");
        int expected = -1;
        for (std::int32_t year = 5500; year <= 6500; ++year) {
            YearSchedule schedule{};
            schedule.flags = flags;
            ASSERT_FALSE(LoadYearSchedule(schedule, year)) << year;
            const std::int32_t saturdays =
                (schedule.nextFirstSaturday - schedule.firstSaturday) / 7;
            for (std::int32_t i = saturdays; i < kScheduleSaturdays; ++i) {
                ASSERT_EQ(schedule.row[i], 0) << year << " entry " << i;
            }
            for (std::int32_t i = 0; i < saturdays; ++i) {
                const PortionCode own = schedule.row[i];
                const PortionCode shown =
                    PortionCodeForSaturday(schedule, schedule.firstSaturday + 7 * i);
                ASSERT_NE(shown, -1) << year << " entry " << i;
                if (own == -1) {
                    continue;
                }
                ASSERT_EQ(shown, own);
                const int first = own < 0 ? -own : own;
                for (int portion = first; portion < first + (own < 0 ? 2 : 1); ++portion) {
                    ASSERT_TRUE(expected < 0 || portion == expected) << year << " entry " << i;
                    expected = (portion + 1) % 53;
                }
            }
        }
    }
}

TEST(WeeklySchedule, JoinedPairsAndMissingRows) {
    EXPECT_EQ(LessonForPortionCode(-21), 84);
    EXPECT_EQ(LessonForPortionCode(-41), 176);
    EXPECT_EQ(LessonForPortionCode(-50), 0);
    EXPECT_EQ(LessonForPortionCode(-22), 0);  // not a pair the list knows

    // Without a row nothing is read; Saturdays outside the row give none.
    YearSchedule schedule{};
    schedule.firstSaturday = AbsoluteFromGregorian(9, 12, 2026);
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday + 14), -1);
    ASSERT_FALSE(LoadYearSchedule(schedule, 5787));
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday - 7), -1);
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday + 7 * 60), -1);
}

// A registry file of its own and fixed time services for each test.
class ScheduleEnvironment : public testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/tovanel-calendar-registry-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        registryPath_ = path;
        setenv("TOVANEL_REGISTRY", path, 1);
        plat::testing::SetTimeZoneStandardName(u"Eastern Standard Time");
    }
    void TearDown() override {
        plat::testing::ClearTimeOverrides();
        unsetenv("TOVANEL_REGISTRY");
        std::remove(registryPath_.c_str());
    }
    // Writes the shared key, with the value "Israel" unless dword is null.
    void WriteIsraelValue(const char* dword) {
        std::FILE* file = std::fopen(registryPath_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Quillmark]\n\"Other\"=dword:00000001\n",
                   file);
        if (dword != nullptr) {
            std::fprintf(file, "\"ISRAEL\"=dword:%s\n", dword);
        }
        std::fclose(file);
    }

    std::string registryPath_;
};

TEST_F(ScheduleEnvironment, ZoneNameThenRegistryChooseTheSchedule) {
    WriteIsraelValue(nullptr);
    for (const char16_t* name : {u"Israel Standard Time", u"ISRAEL", u"jERUSALEM Standard Time"}) {
        plat::testing::SetTimeZoneStandardName(name);
        EXPECT_TRUE(IsraelScheduleInUse());
    }
    for (const char16_t* name : {u"Eastern Standard Time", u"Isra", u"Jerusale", u" Israel"}) {
        plat::testing::SetTimeZoneStandardName(name);
        EXPECT_FALSE(IsraelScheduleInUse());
    }
    plat::testing::SetTimeZoneStandardName(nullptr);
    EXPECT_FALSE(IsraelScheduleInUse());
    WriteIsraelValue("00000001");
    EXPECT_TRUE(IsraelScheduleInUse());
    WriteIsraelValue("00000000");
    EXPECT_FALSE(IsraelScheduleInUse());
}

TEST_F(ScheduleEnvironment, WeeklyLessonFollowsTheChosenSchedule) {
    const AbsoluteDay july17 = AbsoluteFromGregorian(7, 17, 2027);
    WriteIsraelValue(nullptr);
    EXPECT_EQ(WeeklyLessonForDay(july17), 169);
    WriteIsraelValue("00000002");
    EXPECT_EQ(WeeklyLessonForDay(july17), 171);
    WriteIsraelValue("00000000");
    plat::testing::SetTimeZoneStandardName(u"Jerusalem Standard Time");
    EXPECT_EQ(WeeklyLessonForDay(july17), 171);
}

class ChooseLessonTest : public ScheduleEnvironment {
protected:
    void SetUp() override {
        ScheduleEnvironment::SetUp();
        ClearAppState();
        plat::testing::SetLocalDate(2026, 12, 7);  // the week of lesson 30
    }
    void Start(LessonNumber lesson, std::uint16_t position, bool pinned) {
        AppState.Lesson = lesson;
        AppState.LastPosition = position;
        AppState.Flags = pinned ? AppFlags::Default | AppFlags::LessonPinned
                                : AppFlags::Default & ~AppFlags::LessonPinned;
    }
    bool Pinned() const { return (AppState.Flags & AppFlags::LessonPinned) != 0; }
};

TEST_F(ChooseLessonTest, ReadersChoicePinsTheLesson) {
    Start(30, 120, false);
    ChooseLesson(77, false);
    EXPECT_TRUE(AppState.Lesson == 77 && AppState.LastPosition == 0 && Pinned());
    // The same lesson again keeps the position.
    AppState.LastPosition = 55;
    ChooseLesson(77, true);
    EXPECT_TRUE(AppState.Lesson == 77 && AppState.LastPosition == 55 && Pinned());
    EXPECT_EQ(AppState.Flags, AppFlags::Default | AppFlags::LessonPinned);
}

TEST_F(ChooseLessonTest, PinnedLessonStaysUnlessForced) {
    Start(77, 55, true);
    ChooseLesson(0, false);
    EXPECT_TRUE(AppState.Lesson == 77 && AppState.LastPosition == 55 && Pinned());
    ChooseLesson(0, true);
    EXPECT_TRUE(AppState.Lesson == 30 && AppState.LastPosition == 0 && !Pinned());
}

TEST_F(ChooseLessonTest, CalendarKeepsThePositionWhileTheLessonIsUnchanged) {
    Start(30, 42, false);
    ChooseLesson(0, false);
    EXPECT_TRUE(AppState.Lesson == 30 && AppState.LastPosition == 42 && !Pinned());
    // The next week the book moves on by itself.
    plat::testing::SetLocalDate(2026, 12, 13);
    ChooseLesson(0, false);
    EXPECT_TRUE(AppState.Lesson == 33 && AppState.LastPosition == 0);
}

TEST_F(ChooseLessonTest, WeekWithoutLessonMakesLessonOneCurrent) {
    plat::testing::SetLocalDate(2026, 9, 26);
    Start(30, 42, false);
    ChooseLesson(0, false);
    EXPECT_TRUE(AppState.Lesson == 1 && AppState.LastPosition == 0);
    // With lesson 1 already current the week's "none" still differs from
    // it, so the position goes back to the top.
    AppState.LastPosition = 9;
    ChooseLesson(0, true);
    EXPECT_TRUE(AppState.Lesson == 1 && AppState.LastPosition == 0 && !Pinned());
}

}  // namespace
