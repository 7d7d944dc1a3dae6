// Headless clipboard, shell, host, clock and the held modifier keys.
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "platform/clipboard.h"
#include "platform/common/backend_hooks.h"
#include "platform/headless/headless_internal.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace plat {
namespace {

std::map<std::uint32_t, std::vector<std::uint8_t>> g_clipboard;
std::map<std::u16string, std::uint32_t> g_formats;
bool g_clipboardOpen = false;
std::vector<std::u16string> g_urls;
std::vector<Window> g_fullScreen;
std::u16string g_modulePath;
std::vector<std::uint32_t> g_heldKeys;

bool IsDead(Window w) { return w == nullptr || !IsWindow(w); }

}  // namespace

namespace headless {

const std::vector<std::u16string>& OpenedUrls() { return g_urls; }

bool IsFullScreen(Window window) {
    for (Window w : g_fullScreen) {
        if (w == window) return !IsDead(window);
    }
    return false;
}

std::vector<std::uint8_t> ClipboardBytes(std::uint32_t format) {
    auto it = g_clipboard.find(format);
    return it != g_clipboard.end() ? it->second : std::vector<std::uint8_t>{};
}

void SetClipboardBytes(std::uint32_t format, const std::vector<std::uint8_t>& bytes) {
    g_clipboard[format] = bytes;
}

void HoldKeys(std::vector<std::uint32_t> keys) { g_heldKeys = std::move(keys); }

void ResetMisc() {
    g_heldKeys.clear();
    g_clipboard.clear();
    g_clipboardOpen = false;
    g_urls.clear();
    g_fullScreen.clear();
}

}  // namespace headless

std::int16_t GetKeyState(int virtualKey) {
    for (std::uint32_t key : g_heldKeys) {
        if (key == std::uint32_t(virtualKey)) return std::int16_t(0x8000);
    }
    return 0;
}

bool OpenClipboard(Window) {
    if (g_clipboardOpen) return false;
    g_clipboardOpen = true;
    return true;
}

bool CloseClipboard() {
    bool was = g_clipboardOpen;
    g_clipboardOpen = false;
    return was;
}

bool EmptyClipboard() {
    if (!g_clipboardOpen) return false;
    g_clipboard.clear();
    return true;
}

std::uint32_t RegisterClipboardFormat(const char16_t* name) {
    if (name == nullptr || *name == 0) return 0;
    std::u16string key(name);
    for (auto& [known, id] : g_formats) {
        if (U16EqualNoCase(known, key)) return id;
    }
    std::uint32_t id = 0xC000 + std::uint32_t(g_formats.size());
    g_formats[key] = id;
    return id;
}

const std::uint8_t* GetClipboardData(std::uint32_t format, std::uint32_t* size) {
    if (!g_clipboardOpen) return nullptr;
    auto it = g_clipboard.find(format);
    if (it == g_clipboard.end()) return nullptr;
    if (size != nullptr) *size = std::uint32_t(it->second.size());
    return it->second.data();
}

bool SetClipboardData(std::uint32_t format, void* block, std::uint32_t size) {
    bool ok = g_clipboardOpen && block != nullptr;
    if (ok) {
        auto* bytes = static_cast<const std::uint8_t*>(block);
        g_clipboard[format].assign(bytes, bytes + size);
    }
    LocalFree(block);
    return ok;
}

void* LocalAlloc(std::uint32_t size) { return Allocate(size); }
void LocalFree(void* block) { Free(block); }

bool SHFullScreen(Window window, std::uint32_t state) {
    if (IsDead(window)) return false;
    if (state & SHFS_HIDETASKBAR) {
        if (!headless::IsFullScreen(window)) g_fullScreen.push_back(window);
    } else if (state & SHFS_SHOWTASKBAR) {
        std::erase(g_fullScreen, window);
    }
    return true;
}

bool SHInitDialog(Window dialog, std::uint32_t flags) {
    if (IsDead(dialog)) return false;
    dialog->initFlags = flags;
    if (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN)) {
        MoveWindow(dialog, 0, 0, headless::ScreenWidth(), headless::ScreenHeight(), false);
        Rect client;
        GetClientRect(dialog, &client);
        SendMessage(dialog, WM_SIZE, SIZE_RESTORED,
                    MakeLParam(std::uint16_t(client.right), std::uint16_t(client.bottom)));
    }
    return true;
}

bool SHSipPreference(Window, int) { return true; }
void SHHandleWMSettingChange(Window, WParam, LParam, void*) {}

bool ShellExecuteOpen(Window, const char16_t* url, std::uint32_t) {
    if (url == nullptr) return false;
    g_urls.push_back(url);
    return true;
}

HostStatus Initialise(int&, char**, bool) { return HostStatus::Ready; }
const char* HostFailureText() { return ""; }
void Shutdown() {}

const char16_t* GetModuleFileName() {
    if (g_modulePath.empty()) {
        char path[4096];
        ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0) g_modulePath = Utf8ToUtf16(std::string(path, std::size_t(n)));
    }
    return g_modulePath.c_str();
}

const char* BackendName() { return "headless"; }

bool SaveWindowImage(Window, const char*) { return false; }

namespace backend {

LocalDate LocalDateNow() {
    time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// The zone's IANA name from TZ, /etc/timezone or the /etc/localtime link.
static std::string IanaZone() {
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz) {
        return tz[0] == ':' ? tz + 1 : tz;
    }
    std::ifstream file("/etc/timezone");
    std::string name;
    if (file && std::getline(file, name) && !name.empty()) return name;
    char target[512];
    ssize_t n = ::readlink("/etc/localtime", target, sizeof target - 1);
    if (n > 0) {
        std::string link(target, std::size_t(n));
        std::size_t at = link.find("zoneinfo/");
        if (at != std::string::npos) return link.substr(at + 9);
    }
    return {};
}

bool ZoneStandardName(char16_t name[32]) {
    struct Mapping {
        const char* iana;
        const char16_t* windows;
    };
    static const Mapping kZones[] = {
        {"Asia/Jerusalem", u"Israel Standard Time"}, {"Asia/Tel_Aviv", u"Israel Standard Time"},
        {"Israel", u"Israel Standard Time"},         {"Etc/UTC", u"UTC"},
        {"UTC", u"UTC"},                             {"Europe/London", u"GMT Standard Time"},
        {"America/New_York", u"Eastern Standard Time"},
        {"Europe/Paris", u"Romance Standard Time"},
    };
    name[0] = 0;
    std::string zone = IanaZone();
    for (const Mapping& m : kZones) {
        if (zone == m.iana) {
            std::size_t n = U16Length(m.windows);
            std::memcpy(name, m.windows, (n + 1) * sizeof(char16_t));
            return true;
        }
    }
    return false;
}

}  // namespace backend

}  // namespace plat
