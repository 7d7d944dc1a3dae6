// Clipboard service with named formats. "Rich Text Format" maps to the RTF
// mime types, CF_UNICODETEXT to plain text (UTF-16 with its terminating zero
// on this side of the boundary).
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

bool OpenClipboard(Window owner);
bool CloseClipboard();
bool EmptyClipboard();
// Returns the id of a named format (the same id for the same name).
std::uint32_t RegisterClipboardFormat(const char16_t* name);
// Data of a format while the clipboard is open: nullptr when absent. Valid
// until CloseClipboard.
const std::uint8_t* GetClipboardData(std::uint32_t format, std::uint32_t* size);
// Puts a block from LocalAlloc on the clipboard; the clipboard owns it from
// now on, whether or not the call succeeds.
bool SetClipboardData(std::uint32_t format, void* block, std::uint32_t size);

// "Movable local memory" for clipboard blocks.
void* LocalAlloc(std::uint32_t size);
void LocalFree(void* block);

}  // namespace plat
