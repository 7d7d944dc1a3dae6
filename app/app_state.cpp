#include "app/app_state.h"

#include <cstring>

#include "platform/memory.h"
#include "platform/window.h"

ApplicationState AppState;

std::int32_t FullScreen = 0;
std::int32_t IgnoreActivate = 0;
std::int32_t AllowSipInHebrewSearch = 1;
plat::Window TaskBarWindow = nullptr;
plat::Font AboutLinkFont = nullptr;

namespace {
// The out-of-memory exit runs once; later failures only return none.
bool g_outOfMemoryReported = false;
}  // namespace

void ClearAppState() {
    std::memset(static_cast<void*>(&AppState), 0, sizeof AppState);
    g_outOfMemoryReported = false;
}

void* AllocateOrAbort(std::size_t n) {
    void* block = plat::Allocate(n);
    if (block != nullptr) {
        return block;
    }
    if (!g_outOfMemoryReported) {
        g_outOfMemoryReported = true;
        plat::MessageBox(nullptr, u"There is not enough memory, aborting", u"Error",
                         MB_ICONERROR | MB_OK);
        if (Shell.saveSettingsAndQuit != nullptr) {
            Shell.saveSettingsAndQuit();
        }
    }
    return nullptr;
}
