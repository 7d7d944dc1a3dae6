// Typed reads and writes of the registry values, and the load and save of
// the per-book settings at start and at exit.
#pragma once

#include <cstdint>

// The per-book key (read at start, written at exit) and the maker's shared
// key (only read).
inline constexpr const char16_t* kBookKey = u"Software\\Quillmark\\Tovanel";
inline constexpr const char16_t* kSharedKey = u"software\\Quillmark";

// A number from any key; a value of another type is read as decimal text.
std::int32_t ReadDword(const char16_t* keyPath, const char16_t* valueName,
                       std::int32_t defaultValue);
// ReadDword on the per-book key.
std::int32_t ReadSetting(const char16_t* valueName, std::int32_t defaultValue);
// New buffers the caller frees with plat::Free, or nullptr.
char16_t* ReadString(const char16_t* valueName);
std::uint8_t* ReadBytes(const char16_t* valueName);
// The value's bytes and size, or `fallback` unchanged on any failure.
std::uint8_t* ReadBinary(const char16_t* valueName, std::uint8_t* fallback, std::uint32_t* size);
// Copies an 8-bit text value into buffer (at most capacity - 1 bytes and a
// NUL); leaves the buffer alone when the value is absent or empty.
void ReadByteString(const char16_t* valueName, std::uint8_t* buffer, int capacity);

// Writes to the per-book key; 1 on success, 0 on failure.
int WriteDword(const char16_t* valueName, std::uint32_t value);
int WriteString(const char16_t* valueName, const char16_t* text);
int WriteByteString(const char16_t* valueName, const std::uint8_t* text);
int WriteBinary(const char16_t* valueName, const std::uint8_t* bytes, std::uint32_t count);

// The per-book settings (and the outline bitmaps) at start, read from the
// file once. `alsoLoad` reads what a higher layer keeps beside them (the
// bookmarks) as part of the same load; `alsoSave` writes it in the exit's
// save, and only when the whole load succeeded.
void LoadSettings(void (*alsoLoad)() = nullptr, void (*alsoSave)() = nullptr);
// True once LoadSettings ran to its end: only then are settings written back.
bool SettingsLoaded();
// At exit: the outline bitmaps released and "Program Path" with the loaded
// settings (the view's top line as LastPosition) written in one save of the
// file. Returns the exit code: 0, or 1 when the save failed (said on
// stderr). Writes once; later calls only release. The whole exit, with the
// view, is the shell's SaveSettingsAndQuit.
int SaveSettings();
