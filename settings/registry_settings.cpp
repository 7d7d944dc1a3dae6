#include "settings/registry_settings.h"
#include "settings/window_placement.h"

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "view/article_view.h"

namespace {

constexpr std::uint16_t kOutlineBitmapIds[3] = {201, 202, 203};
constexpr int kSearchStringCapacity = 34;
constexpr std::size_t kMaxProgramPath = 260;
// Font sizes beyond this (either sign) are brought back to it: the layout
// scales sizes and must stay inside 32-bit arithmetic.
constexpr std::int32_t kMaxFontSize = 1000;

// Whether the per-book settings have been read whole. Memory running out
// while they are read ends the program through the save; the values not read
// yet must then stay as stored rather than be overwritten with defaults.
bool g_settingsLoaded = false;
bool g_loading = false;
bool g_loadFailed = false;
// The save runs once per load; a second call only finishes the teardown.
bool g_saved = false;
// Written with the settings at exit.
std::u16string g_programPath;
// FontSize as stored, before it was brought into range: written back as it
// was unless the reader chose another size.
std::int32_t g_storedFontSize = 0;

std::int32_t ClampFontSize(std::int32_t size) {
    if (size > kMaxFontSize) return kMaxFontSize;
    if (size < -kMaxFontSize) return -kMaxFontSize;
    return size;
}

// Reads a value of the per-book key into a new buffer of `allocation` bytes
// (zero-filled, so text values are always terminated). Returns nullptr when
// the key or value is absent, the allocation fails or the read fails.
std::uint8_t* ReadValue(const char16_t* valueName, bool doubleSize, std::uint32_t* size) {
    plat::RegKey key = nullptr;
    if (plat::RegOpenKey(kBookKey, &key) != ERROR_SUCCESS) return nullptr;
    std::uint32_t type = 0;
    std::uint32_t byteSize = 0;
    if (plat::RegQueryValue(key, valueName, &type, nullptr, &byteSize) != ERROR_SUCCESS) {
        plat::RegCloseKey(key);
        return nullptr;
    }
    std::size_t allocation = doubleSize ? std::size_t(byteSize) * 2 : byteSize;
    // Text is read as whole UTF-16 units: room for the value rounded up to a
    // whole unit and a zero unit after it, whatever its size.
    std::size_t wholeUnits = (std::size_t(byteSize) + 1) / 2 * 2;
    if (doubleSize && allocation < wholeUnits + 2) allocation = wholeUnits + 2;
    auto* buffer = static_cast<std::uint8_t*>(AllocateOrAbort(allocation));
    if (buffer == nullptr) {
        plat::RegCloseKey(key);
        return nullptr;
    }
    std::memset(buffer, 0, allocation);
    std::uint32_t readSize = byteSize;
    std::int32_t status = plat::RegQueryValue(key, valueName, &type, buffer, &readSize);
    plat::RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        plat::Free(buffer);
        return nullptr;
    }
    if (size != nullptr) *size = readSize;
    return buffer;
}

// Decimal digits of a UTF-16 text up to its first zero unit: no sign, no
// digit check, wrapping on overflow, as the stored numbers always were read.
std::int32_t DecimalFromText(const std::uint8_t* data, std::uint32_t byteSize) {
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i + 1 < byteSize; i += 2) {
        std::uint32_t unit = data[i] | (std::uint32_t(data[i + 1]) << 8);
        if (unit == 0) break;
        value = value * 10 + (unit - 48);
    }
    return std::int32_t(value);
}

int WriteValue(const char16_t* valueName, std::uint32_t type, const std::uint8_t* data,
               std::uint32_t size) {
    plat::RegKey key = nullptr;
    if (plat::RegCreateKey(kBookKey, &key) != ERROR_SUCCESS) return 0;
    bool ok = plat::RegSetValue(key, valueName, type, data, size) == ERROR_SUCCESS;
    ok = plat::RegCloseKey(key) == ERROR_SUCCESS && ok;
    return ok ? 1 : 0;
}

void DeleteOutlineBitmaps() {
    for (plat::Bitmap& bitmap : AppState.OutlineBitmaps) {
        if (bitmap != nullptr) {
            plat::DeleteBitmap(bitmap);
            bitmap = nullptr;
        }
    }
}

// A second load (settings read again) replaces the bitmaps of the first.
void LoadOutlineBitmaps() {
    DeleteOutlineBitmaps();
    for (int i = 0; i < 3; ++i) {
        AppState.OutlineBitmaps[i] = plat::LoadBitmap(AppState.Instance, kOutlineBitmapIds[i]);
    }
}

// The view's part of the save: its top line as LastPosition, then the view
// released, once.
void SaveViewPosition() {
    if (AppState.View != nullptr) WriteDword(u"LastPosition", AppState.View->topLine);
}

void WriteLoadedSettings();

}  // namespace

std::int32_t ReadDword(const char16_t* keyPath, const char16_t* valueName,
                       std::int32_t defaultValue) {
    plat::RegKey key = nullptr;
    if (plat::RegOpenKey(keyPath, &key) != ERROR_SUCCESS) return defaultValue;
    std::uint32_t type = 0;
    std::uint32_t byteSize = 0;
    if (plat::RegQueryValue(key, valueName, &type, nullptr, &byteSize) != ERROR_SUCCESS) {
        plat::RegCloseKey(key);
        return defaultValue;
    }
    if (type == REG_DWORD) {
        std::uint8_t bytes[4] = {};
        std::uint32_t readSize = sizeof bytes;
        bool ok = byteSize == 4 &&
                  plat::RegQueryValue(key, valueName, &type, bytes, &readSize) == ERROR_SUCCESS;
        plat::RegCloseKey(key);
        if (!ok) return defaultValue;
        return std::int32_t(std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) |
                            (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24));
    }
    std::size_t allocation = std::size_t(byteSize) * 2;
    auto* buffer = static_cast<std::uint8_t*>(AllocateOrAbort(allocation == 0 ? 2 : allocation));
    if (buffer == nullptr) {
        plat::RegCloseKey(key);
        return defaultValue;
    }
    std::uint32_t readSize = byteSize;
    bool ok = plat::RegQueryValue(key, valueName, &type, buffer, &readSize) == ERROR_SUCCESS;
    plat::RegCloseKey(key);
    std::int32_t value = ok ? DecimalFromText(buffer, readSize) : defaultValue;
    plat::Free(buffer);
    return value;
}

std::int32_t ReadSetting(const char16_t* valueName, std::int32_t defaultValue) {
    return ReadDword(kBookKey, valueName, defaultValue);
}

char16_t* ReadString(const char16_t* valueName) {
    return reinterpret_cast<char16_t*>(ReadValue(valueName, true, nullptr));
}

std::uint8_t* ReadBytes(const char16_t* valueName) { return ReadValue(valueName, false, nullptr); }

std::uint8_t* ReadBinary(const char16_t* valueName, std::uint8_t* fallback, std::uint32_t* size) {
    std::uint32_t readSize = 0;
    std::uint8_t* value = ReadValue(valueName, false, &readSize);
    if (value == nullptr) return fallback;
    if (size != nullptr) *size = readSize;
    return value;
}

void ReadByteString(const char16_t* valueName, std::uint8_t* buffer, int capacity) {
    std::uint32_t size = 0;
    std::uint8_t* value = ReadValue(valueName, false, &size);
    if (value == nullptr) return;
    if (size > 0 && value[0] != 0 && buffer != nullptr && capacity > 0) {
        int n = 0;
        while (std::uint32_t(n) < size && value[n] != 0 && n < capacity - 1) {
            buffer[n] = value[n];
            ++n;
        }
        buffer[n] = 0;
    }
    plat::Free(value);
}

int WriteDword(const char16_t* valueName, std::uint32_t value) {
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                                   std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
    return WriteValue(valueName, REG_DWORD, bytes, 4);
}

int WriteString(const char16_t* valueName, const char16_t* text) {
    std::size_t units = plat::U16Length(text) + 1;
    std::uint8_t* bytes = static_cast<std::uint8_t*>(plat::Allocate(units * 2));
    if (bytes == nullptr) return 0;
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = i + 1 < units ? text[i] : 0;
        bytes[2 * i] = std::uint8_t(c & 0xFF);
        bytes[2 * i + 1] = std::uint8_t(c >> 8);
    }
    int result = WriteValue(valueName, REG_SZ, bytes, std::uint32_t(units * 2));
    plat::Free(bytes);
    return result;
}

int WriteByteString(const char16_t* valueName, const std::uint8_t* text) {
    std::size_t length = text != nullptr ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
    static const std::uint8_t kEmpty[1] = {0};
    return WriteValue(valueName, REG_BINARY, text != nullptr ? text : kEmpty,
                      std::uint32_t(length + 1));
}

int WriteBinary(const char16_t* valueName, const std::uint8_t* bytes, std::uint32_t count) {
    return WriteValue(valueName, REG_BINARY, bytes, count);
}

// Set while the loading runs, for the save that follows.
void (*g_saveAlso)() = nullptr;

void LoadSettings(void (*alsoLoad)(), void (*alsoSave)()) {
    g_saveAlso = alsoSave;
    g_settingsLoaded = false;
    g_saved = false;
    g_loading = true;
    g_loadFailed = false;
    g_programPath.clear();
    if (const char16_t* programPath = plat::GetModuleFileName()) {
        std::size_t n = plat::U16Length(programPath);
        g_programPath.assign(programPath, n < kMaxProgramPath ? n : kMaxProgramPath);
    }

    if (char16_t* name = ReadString(u"FontName")) {
        if (name[0] != 0) {
            int n = 0;
            while (n < 31 && name[n] != 0) {
                AppState.Font.FontName[n] = name[n];
                ++n;
            }
            AppState.Font.FontName[n] = 0;
        }
        plat::Free(name);
    }

    ReadByteString(u"SearchString", AppState.SearchString, kSearchStringCapacity);

    g_storedFontSize = ReadSetting(u"FontSize", 0);
    AppState.Font.FontSize = ClampFontSize(g_storedFontSize);
    AppState.Font.FontAsciiBase = ReadSetting(u"FontAsciiBase", 1488);
    AppState.LastPosition = std::uint16_t(ReadSetting(u"LastPosition", 0));
    AppState.Flags = std::uint32_t(ReadSetting(u"Flags", std::int32_t(AppFlags::Default)));
    AppState.PreviousLesson = LessonNumber(ReadSetting(u"PreviousLesson", 0));
    AppState.PreviousPosition = std::uint16_t(ReadSetting(u"PreviousPosition", 0));
    AppState.Lesson = LessonNumber(ReadSetting(u"Lesson", 0));

    LoadOutlineBitmaps();
    LoadWindowPlacement();
    if (alsoLoad != nullptr) alsoLoad();
    g_loading = false;
    g_settingsLoaded = !g_loadFailed;
}

bool SettingsLoaded() { return g_settingsLoaded; }

int SaveSettings() {
    // Reached while the settings are read: memory ran out, and what was not
    // read yet must not be saved over.
    if (g_loading) g_loadFailed = true;
    DeleteOutlineBitmaps();
    if (g_saved) {
        return 0;
    }
    g_saved = true;
    // Every value goes into one save of the file.
    plat::RegBeginWrites();
    if (!g_programPath.empty()) WriteString(u"Program Path", g_programPath.c_str());
    if (g_settingsLoaded) WriteLoadedSettings();
    // The reason of a failure has gone to stderr; the exit says it failed.
    return plat::RegCommitWrites() == ERROR_SUCCESS ? 0 : 1;
}

namespace {

void WriteLoadedSettings() {
    SaveWindowPlacement();
    if (AppState.SearchString[0] != 0) {
        WriteByteString(u"SearchString", AppState.SearchString);
    }
    if (AppState.Font.FontName[0] != 0) {
        WriteString(u"FontName", AppState.Font.FontName);
    }
    // A size brought into range at start is stored back as it was.
    std::int32_t fontSize = AppState.Font.FontSize;
    if (fontSize == ClampFontSize(g_storedFontSize)) fontSize = g_storedFontSize;
    if (fontSize != 0) {
        WriteDword(u"FontSize", std::uint32_t(fontSize));
    }
    if (AppState.Font.FontAsciiBase != 0) {
        WriteDword(u"FontAsciiBase", std::uint32_t(AppState.Font.FontAsciiBase));
    }
    SaveViewPosition();
    WriteDword(u"Flags", AppState.Flags);
    WriteDword(u"PreviousLesson", AppState.PreviousLesson);
    WriteDword(u"PreviousPosition", AppState.PreviousPosition);
    if (AppState.Lesson != 0) {
        WriteDword(u"Lesson", AppState.Lesson);
    }
    if (g_saveAlso != nullptr) g_saveAlso();
}

}  // namespace
