// Time service: the local date and the Windows-style standard-time name of
// the local time zone ("Israel Standard Time" for Asia/Jerusalem).
#pragma once

#include <cstdint>

namespace plat {

struct LocalDate {
    std::int32_t year = 0;
    std::int32_t month = 0;  // 1..12
    std::int32_t day = 0;    // 1..31
};

LocalDate GetLocalDate();

// Fills name with the standard-time name, NUL-terminated, at most 31 units.
// Returns false (and an empty name) when the zone is unknown.
bool GetTimeZoneStandardName(char16_t name[32]);

}  // namespace plat

namespace plat::testing {
// Fix the date and the zone name for tests (both backends honour them).
void SetLocalDate(std::int32_t year, std::int32_t month, std::int32_t day);
void SetTimeZoneStandardName(const char16_t* name);  // nullptr: unknown zone
void ClearTimeOverrides();
}  // namespace plat::testing
