#include "settings/window_placement.h"

#include <climits>

#include "platform/window.h"
#include "settings/registry_settings.h"

namespace {

constexpr std::int32_t kNotStored = INT32_MIN;
constexpr std::int32_t kMinSide = 120;
constexpr std::int32_t kMaxSide = 16384;
constexpr std::int32_t kMaxOffset = 32767;

struct Placement {
    std::int32_t left = kNotStored, top = kNotStored;
    std::int32_t width = kNotStored, height = kNotStored;
    bool maximised = false;
};
Placement g_placement;

bool Sensible(const Placement& p) {
    auto within = [](std::int32_t v, std::int32_t low, std::int32_t high) {
        return v != kNotStored && v >= low && v <= high;
    };
    return within(p.width, kMinSide, kMaxSide) && within(p.height, kMinSide, kMaxSide) &&
           within(p.left, -kMaxOffset, kMaxOffset) && within(p.top, -kMaxOffset, kMaxOffset);
}

}  // namespace

void LoadWindowPlacement() {
    g_placement.left = ReadSetting(u"WindowLeft", kNotStored);
    g_placement.top = ReadSetting(u"WindowTop", kNotStored);
    g_placement.width = ReadSetting(u"WindowWidth", kNotStored);
    g_placement.height = ReadSetting(u"WindowHeight", kNotStored);
    g_placement.maximised = ReadSetting(u"WindowMaximized", 0) != 0;
}

void SaveWindowPlacement() {
    if (!Sensible(g_placement)) return;
    WriteDword(u"WindowLeft", std::uint32_t(g_placement.left));
    WriteDword(u"WindowTop", std::uint32_t(g_placement.top));
    WriteDword(u"WindowWidth", std::uint32_t(g_placement.width));
    WriteDword(u"WindowHeight", std::uint32_t(g_placement.height));
    WriteDword(u"WindowMaximized", g_placement.maximised ? 1 : 0);
}

void RememberWindowPlacement(plat::Window window) {
    plat::WindowPlacement now;
    if (!plat::GetWindowPlacement(window, &now)) return;
    g_placement.left = now.normal.left;
    g_placement.top = now.normal.top;
    g_placement.width = now.normal.right - now.normal.left;
    g_placement.height = now.normal.bottom - now.normal.top;
    g_placement.maximised = now.maximised;
}

bool StoredWindowPlacement(plat::Rect* rect, bool* maximised) {
    if (!Sensible(g_placement)) return false;
    *rect = plat::Rect{g_placement.left, g_placement.top, g_placement.left + g_placement.width,
                       g_placement.top + g_placement.height};
    *maximised = g_placement.maximised;
    return true;
}
