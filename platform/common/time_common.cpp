// The date and zone name the program sees: a test's fixed values when set,
// otherwise the backend's real ones.
#include <optional>
#include <string>

#include "platform/common/backend_hooks.h"
#include "platform/time.h"

namespace plat {
namespace {
std::optional<LocalDate> g_date;
bool g_zoneFixed = false;
std::u16string g_zone;
bool g_zoneKnown = false;
}  // namespace

LocalDate GetLocalDate() { return g_date ? *g_date : backend::LocalDateNow(); }

bool GetTimeZoneStandardName(char16_t name[32]) {
    name[0] = 0;
    if (!g_zoneFixed) {
        return backend::ZoneStandardName(name);
    }
    if (!g_zoneKnown) {
        return false;
    }
    std::size_t n = g_zone.size() < 31 ? g_zone.size() : 31;
    for (std::size_t i = 0; i < n; ++i) {
        name[i] = g_zone[i];
    }
    name[n] = 0;
    return true;
}

namespace testing {
void SetLocalDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    g_date = LocalDate{year, month, day};
}
void SetTimeZoneStandardName(const char16_t* name) {
    g_zoneFixed = true;
    g_zoneKnown = name != nullptr;
    g_zone = name != nullptr ? std::u16string(name) : std::u16string();
}
void ClearTimeOverrides() {
    g_date.reset();
    g_zoneFixed = false;
    g_zoneKnown = false;
    g_zone.clear();
}
}  // namespace testing

}  // namespace plat
