// Cost of the weekly lesson lookup: one call per "This Week" request or start,
// and one per Saturday in a long schedule listing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "tools/cli/listings/week_listing.h"
#include "calendar/weekly_schedule.h"
#include "platform/time.h"

namespace {

// Days stepped through a few centuries so every kind of year is met.
const AbsoluteDay kFirstDay = AbsoluteFromGregorian(1, 1, 1900);
constexpr AbsoluteDay kDaySpan = 124000;  // about 340 years

// A registry file holding only the shared "Israel" value.
class ScratchRegistry {
public:
    ScratchRegistry() {
        char path[] = "/tmp/tovanel-bench-registry-XXXXXX";
        const int fd = mkstemp(path);
        if (fd >= 0) {
            const char text[] =
                "Windows Registry Editor Version 5.00\n\n"
                "[HKEY_CURRENT_USER\\software\\Quillmark]\n\"Israel\"=dword:00000000\n";
            ssize_t written = write(fd, text, sizeof text - 1);
            (void)written;
            close(fd);
            path_ = path;
            setenv("TOVANEL_REGISTRY", path, 1);
        }
    }
    ~ScratchRegistry() {
        unsetenv("TOVANEL_REGISTRY");
        if (!path_.empty()) {
            std::remove(path_.c_str());
        }
    }

private:
    std::string path_;
};

// The zone names the Israel schedule, so no registry read is needed.
void BM_WeeklyLessonForDay_IsraelZone(benchmark::State& state) {
    plat::testing::SetTimeZoneStandardName(u"Israel Standard Time");
    AbsoluteDay day = kFirstDay;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WeeklyLessonForDay(day));
        day = kFirstDay + (day - kFirstDay + 1) % kDaySpan;
    }
    plat::testing::ClearTimeOverrides();
}
BENCHMARK(BM_WeeklyLessonForDay_IsraelZone);

// Another zone: each call also reads the shared registry value.
void BM_WeeklyLessonForDay_RegistryRead(benchmark::State& state) {
    ScratchRegistry registry;
    plat::testing::SetTimeZoneStandardName(u"Eastern Standard Time");
    AbsoluteDay day = kFirstDay;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WeeklyLessonForDay(day));
        day = kFirstDay + (day - kFirstDay + 1) % kDaySpan;
    }
    plat::testing::ClearTimeOverrides();
}
BENCHMARK(BM_WeeklyLessonForDay_RegistryRead);

// The calendar arithmetic and table lookup alone, schedule given.
void BM_ReadWeek(benchmark::State& state) {
    AbsoluteDay day = kFirstDay;
    WeekReading reading;
    for (auto _ : state) {
        ReadWeek(reading, day, ScheduleFlags::IsraelSchedule);
        benchmark::DoNotOptimize(reading);
        day = kFirstDay + (day - kFirstDay + 1) % kDaySpan;
    }
}
BENCHMARK(BM_ReadWeek);

// The listing of every Saturday from 1900 to 2240, as "week --from --to".
void BM_WeekRange1900To2240(benchmark::State& state) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink == nullptr) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    const AbsoluteDay from = AbsoluteFromGregorian(1, 1, 1900);
    const AbsoluteDay to = AbsoluteFromGregorian(12, 31, 2240);
    std::int32_t lines = 0;
    for (auto _ : state) {
        lines = WriteWeekRange(sink, from, to, 0);
        benchmark::DoNotOptimize(lines);
    }
    std::fclose(sink);
    state.counters["lines"] = lines;
}
BENCHMARK(BM_WeekRange1900To2240)->Unit(benchmark::kMillisecond);

}  // namespace
