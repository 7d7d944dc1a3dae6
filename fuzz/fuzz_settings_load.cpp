// The settings read from any registry file: LoadSettings and every typed
// read stay inside the values they read and leave the settings in their
// fields' bounds. An odd first byte puts the rest under the book's key.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "resources/ui_resources.h"
#include "settings/registry_settings.h"

namespace {

std::string RegistryPath() {
    static std::string path;
    if (path.empty()) {
        char folder[] = "/tmp/tovanel-fuzz-settings-XXXXXX";
        if (mkdtemp(folder) == nullptr) std::abort();
        path = std::string(folder) + "/registry.reg";
        setenv("TOVANEL_REGISTRY", path.c_str(), 1);
    }
    return path;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static plat::Module module;
    static bool ready = false;
    if (!ready) {
        plat::AddResourceTable(&module, UiResourceTable());
        ready = true;
    }
    std::string text;
    if (data[0] & 1) text = "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n";
    text.append(reinterpret_cast<const char*>(data + 1), size - 1);
    WriteFile(RegistryPath(), text);

    plat::headless::Reset();
    ClearAppState();
    AppState.Instance = &module;
    LoadSettings();
    int units = 0;
    while (units < 32 && AppState.Font.FontName[units] != 0) ++units;
    Check(units < 32);
    int bytes = 0;
    while (bytes < 34 && AppState.SearchString[bytes] != 0) ++bytes;
    Check(bytes < 34);
    Check(AppState.Font.FontSize >= -1000 && AppState.Font.FontSize <= 1000);

    for (const char16_t* name : {u"FontName", u"SearchString", u"Flags", u"Bookmarks", u""}) {
        plat::Free(ReadString(name));
        plat::Free(ReadBytes(name));
        std::uint32_t got = 0;
        std::uint8_t fallback = 0;
        std::uint8_t* value = ReadBinary(name, &fallback, &got);
        if (value != &fallback) plat::Free(value);
        std::uint8_t buffer[34];
        ReadByteString(name, buffer, sizeof buffer);
        ReadSetting(name, 7);
        ReadDword(kSharedKey, name, 7);
    }
    for (plat::Bitmap& bitmap : AppState.OutlineBitmaps) {
        if (bitmap != nullptr) plat::DeleteBitmap(bitmap);
        bitmap = nullptr;
    }
    return 0;
}
