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

struct DatedWeek {
    std::int32_t month, day, year;  // any day of the week
    std::uint32_t flags;
    std::int32_t saturdayMonth, saturdayDay;
    CalendarDate hebrew;
    PortionCode code;
    LessonNumber lesson;
};

TEST(WeeklySchedule, DatedWeeks) {
    const DatedWeek weeks[] = {
        // Monday, the Saturday itself, and the Sunday after.
        {12, 7, 2026, 0, 12, 12, {10, 2, 5787}, 9, 30},
        {12, 12, 2026, 0, 12, 12, {10, 2, 5787}, 9, 30},
        {12, 13, 2026, 0, 12, 19, {10, 9, 5787}, 10, 33},
        {12, 7, 2026, kIsrael, 12, 12, {10, 2, 5787}, 9, 30},
        // Festival Saturdays before the cycle starts again: the last portion.
        {9, 26, 2026, 0, 9, 26, {7, 15, 5787}, 53, 0},
        // The first portion on its own Saturday stays the first.
        {10, 10, 2026, 0, 10, 10, {7, 29, 5787}, 0, 4},
        // A festival Saturday shows the next Saturday's portion.
        {4, 24, 2027, 0, 4, 24, {1, 17, 5787}, 28, 120},
        {5, 1, 2027, 0, 5, 1, {1, 24, 5787}, 28, 120},
        {7, 17, 2027, 0, 7, 17, {4, 12, 5787}, -38, 169},
        {7, 17, 2027, kIsrael, 7, 17, {4, 12, 5787}, 39, 171},
        {9, 25, 2027, 0, 9, 25, {6, 23, 5787}, -50, 0},
        {2, 20, 2027, 0, 2, 20, {12, 13, 5787}, 19, 77},
    };
    for (const DatedWeek& week : weeks) {
        SCOPED_TRACE(testing::Message() << week.month << "/" << week.day << "/" << week.year
                                        << (week.flags ? " israel" : " diaspora"));
        WeekReading reading;
        ReadWeek(reading, AbsoluteFromGregorian(week.month, week.day, week.year), week.flags);
        const CalendarDate saturday = GregorianFromAbsolute(reading.saturday);
        EXPECT_EQ(saturday.month, week.saturdayMonth);
        EXPECT_EQ(saturday.day, week.saturdayDay);
        EXPECT_EQ(reading.hebrewDate.month, week.hebrew.month);
        EXPECT_EQ(reading.hebrewDate.day, week.hebrew.day);
        EXPECT_EQ(reading.hebrewDate.year, week.hebrew.year);
        EXPECT_EQ(reading.code, week.code);
        EXPECT_EQ(reading.lesson, week.lesson);
        EXPECT_FALSE(reading.rowMissing);
    }
}

TEST(WeeklySchedule, YearRecordFor5787) {
    YearSchedule diaspora{};
    EXPECT_FALSE(LoadYearSchedule(diaspora, 5787));
    EXPECT_EQ(diaspora.row, PortionSchedule[14]);
    EXPECT_EQ(diaspora.firstSaturday, AbsoluteFromGregorian(9, 12, 2026));
    EXPECT_EQ(diaspora.nextFirstSaturday, AbsoluteFromGregorian(10, 2, 2027));

    YearSchedule israel{};
    israel.flags = kIsrael;
    EXPECT_FALSE(LoadYearSchedule(israel, 5787));
    EXPECT_EQ(israel.row, PortionSchedule[13]);
}

// Over many years and on both schedules, every year has a row, the row ends
// with zeros after the year's last Saturday, and the portions read on the
// Saturdays (joined pairs counted as two) run through the cycle 0..52 in
// order with nothing skipped or repeated, from one year into the next.
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
            ASSERT_TRUE(saturdays >= 50 && saturdays <= 55) << year;
            for (std::int32_t i = saturdays; i < kScheduleSaturdays; ++i) {
                ASSERT_EQ(schedule.row[i], 0) << year << " entry " << i;
            }
            for (std::int32_t i = 0; i < saturdays; ++i) {
                const PortionCode own = schedule.row[i];
                const AbsoluteDay saturday = schedule.firstSaturday + 7 * i;
                const PortionCode shown = PortionCodeForSaturday(schedule, saturday);
                ASSERT_NE(shown, -1) << year << " entry " << i;
                if (own == -1) {
                    continue;
                }
                ASSERT_EQ(shown, own);
                const int first = own < 0 ? -own : own;
                for (int portion = first; portion < first + (own < 0 ? 2 : 1); ++portion) {
                    if (expected >= 0) {
                        ASSERT_EQ(portion, expected) << year << " entry " << i;
                    }
                    expected = (portion + 1) % 53;
                }
            }
        }
    }
}

TEST(WeeklySchedule, LessonsForPortionCodes) {
    EXPECT_EQ(LessonForPortionCode(0), 4);
    EXPECT_EQ(LessonForPortionCode(22), 111);
    EXPECT_EQ(LessonForPortionCode(23), 0);
    EXPECT_EQ(LessonForPortionCode(49), 201);
    EXPECT_EQ(LessonForPortionCode(53), 0);
    EXPECT_EQ(LessonForPortionCode(-21), 84);
    EXPECT_EQ(LessonForPortionCode(-41), 176);
    EXPECT_EQ(LessonForPortionCode(-50), 0);
    // Pairs the list does not know, and "no portion".
    EXPECT_EQ(LessonForPortionCode(-22), 0);
    EXPECT_EQ(LessonForPortionCode(-1), 0);
}

TEST(WeeklySchedule, NoRowMeansNoPortion) {
    YearSchedule schedule{};
    schedule.firstSaturday = AbsoluteFromGregorian(9, 12, 2026);
    schedule.nextFirstSaturday = schedule.firstSaturday + 7 * 55;
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday + 14), -1);
    EXPECT_EQ(LessonForPortionCode(PortionCodeForSaturday(schedule, schedule.firstSaturday)), 0);

    // Saturdays outside the row are not read either.
    ASSERT_FALSE(LoadYearSchedule(schedule, 5787));
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday - 7), -1);
    EXPECT_EQ(PortionCodeForSaturday(schedule, schedule.firstSaturday + 7 * 60), -1);
}

// Registry file and time overrides, fresh for each test.
class ScheduleEnvironment : public testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/tovanel-calendar-registry-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        registryPath_ = path;
        setenv("TOVANEL_REGISTRY", registryPath_.c_str(), 1);
        WriteIsraelValue(nullptr);
        plat::testing::SetTimeZoneStandardName(u"Eastern Standard Time");
    }
    void TearDown() override {
        plat::testing::ClearTimeOverrides();
        unsetenv("TOVANEL_REGISTRY");
        std::remove(registryPath_.c_str());
    }
    // Writes the shared key with the value "Israel" (no value when null).
    void WriteIsraelValue(const char* dword) {
        std::FILE* file = std::fopen(registryPath_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\software\\Quillmark]\n",
                   file);
        std::fputs("\"Other\"=dword:00000001\n", file);
        if (dword != nullptr) {
            std::fprintf(file, "\"Israel\"=dword:%s\n", dword);
        }
        std::fclose(file);
    }

    std::string registryPath_;
};

TEST_F(ScheduleEnvironment, ZoneNameChoosesIsrael) {
    const char16_t* israelNames[] = {u"Israel Standard Time", u"ISRAEL", u"israel daylight",
                                     u"Jerusalem Standard Time", u"jERUSALEM"};
    for (const char16_t* name : israelNames) {
        plat::testing::SetTimeZoneStandardName(name);
        EXPECT_TRUE(IsraelScheduleInUse());
    }
    const char16_t* otherNames[] = {u"Eastern Standard Time", u"Isra", u"Jerusale", u" Israel",
                                    u"UTC", u""};
    for (const char16_t* name : otherNames) {
        plat::testing::SetTimeZoneStandardName(name);
        EXPECT_FALSE(IsraelScheduleInUse());
    }
    plat::testing::SetTimeZoneStandardName(nullptr);
    EXPECT_FALSE(IsraelScheduleInUse());
}

TEST_F(ScheduleEnvironment, RegistryValueChoosesIsraelElsewhere) {
    WriteIsraelValue("00000001");
    EXPECT_TRUE(IsraelScheduleInUse());
    plat::testing::SetTimeZoneStandardName(nullptr);
    EXPECT_TRUE(IsraelScheduleInUse());
    WriteIsraelValue("00000000");
    EXPECT_FALSE(IsraelScheduleInUse());
    // An Israel zone needs no registry value.
    plat::testing::SetTimeZoneStandardName(u"Israel Standard Time");
    EXPECT_TRUE(IsraelScheduleInUse());
}

TEST_F(ScheduleEnvironment, WeeklyLessonFollowsTheChosenSchedule) {
    const AbsoluteDay july17 = AbsoluteFromGregorian(7, 17, 2027);
    EXPECT_EQ(WeeklyLessonForDay(july17), 169);
    WriteIsraelValue("00000002");
    EXPECT_EQ(WeeklyLessonForDay(july17), 171);
    WriteIsraelValue(nullptr);
    plat::testing::SetTimeZoneStandardName(u"Jerusalem Standard Time");
    EXPECT_EQ(WeeklyLessonForDay(july17), 171);
    EXPECT_EQ(WeeklyLessonForDay(AbsoluteFromGregorian(9, 25, 2027)), 0);
}

class ChooseLessonTest : public ScheduleEnvironment {
protected:
    void SetUp() override {
        ScheduleEnvironment::SetUp();
        ClearAppState();
        plat::testing::SetLocalDate(2026, 12, 7);  // week of lesson 30
    }
    void Start(LessonNumber lesson, std::uint16_t position, bool pinned) {
        AppState.Lesson = lesson;
        AppState.LastPosition = position;
        AppState.Flags = AppFlags::Default & ~AppFlags::LessonPinned;
        if (pinned) {
            AppState.Flags |= AppFlags::LessonPinned;
        }
    }
    bool Pinned() const { return (AppState.Flags & AppFlags::LessonPinned) != 0; }
};

TEST_F(ChooseLessonTest, ReadersChoicePinsTheLesson) {
    Start(30, 120, false);
    ChooseLesson(77, false);
    EXPECT_EQ(AppState.Lesson, 77);
    EXPECT_EQ(AppState.LastPosition, 0);
    EXPECT_TRUE(Pinned());

    // The same lesson again keeps the position.
    AppState.LastPosition = 55;
    ChooseLesson(77, true);
    EXPECT_EQ(AppState.Lesson, 77);
    EXPECT_EQ(AppState.LastPosition, 55);
    EXPECT_TRUE(Pinned());
    EXPECT_EQ(AppState.Flags & ~AppFlags::LessonPinned, AppFlags::Default & ~AppFlags::LessonPinned);
}

TEST_F(ChooseLessonTest, PinnedLessonStaysUnlessForced) {
    Start(77, 55, true);
    ChooseLesson(0, false);
    EXPECT_EQ(AppState.Lesson, 77);
    EXPECT_EQ(AppState.LastPosition, 55);
    EXPECT_TRUE(Pinned());

    ChooseLesson(0, true);
    EXPECT_EQ(AppState.Lesson, 30);
    EXPECT_EQ(AppState.LastPosition, 0);
    EXPECT_FALSE(Pinned());
}

TEST_F(ChooseLessonTest, FollowingTheCalendarKeepsThePositionWhileTheWeekIsTheSame) {
    Start(30, 42, false);
    ChooseLesson(0, false);
    EXPECT_EQ(AppState.Lesson, 30);
    EXPECT_EQ(AppState.LastPosition, 42);
    EXPECT_FALSE(Pinned());

    // A week later the book moves on by itself.
    plat::testing::SetLocalDate(2026, 12, 13);
    ChooseLesson(0, false);
    EXPECT_EQ(AppState.Lesson, 33);
    EXPECT_EQ(AppState.LastPosition, 0);
}

TEST_F(ChooseLessonTest, WeekWithoutLessonMakesLessonOneCurrent) {
    plat::testing::SetLocalDate(2026, 9, 26);
    Start(30, 42, false);
    ChooseLesson(0, false);
    EXPECT_EQ(AppState.Lesson, 1);
    EXPECT_EQ(AppState.LastPosition, 0);

    // Lesson 1 already current: the week's "no lesson" still differs from
    // it, so the position goes back to the top.
    AppState.LastPosition = 9;
    ChooseLesson(0, true);
    EXPECT_EQ(AppState.Lesson, 1);
    EXPECT_EQ(AppState.LastPosition, 0);
    EXPECT_FALSE(Pinned());
}

TEST(CurrentLesson, NoneOrPastTheBookBecomesLessonOne) {
    EXPECT_EQ(CurrentLessonForWeekly(0), 1);
    EXPECT_EQ(CurrentLessonForWeekly(263), 1);
    EXPECT_EQ(CurrentLessonForWeekly(262), 262);
    EXPECT_EQ(CurrentLessonForWeekly(30), 30);
}

}  // namespace
