// The keyboard shortcuts the menu shows beside its items (Ctrl+F, F3, ...):
// each sends its item's command, as choosing the item does.
#pragma once

#include <cstdint>

#include "platform/types.h"

// Modifier keys held with a key.
namespace KeyModifier {
constexpr unsigned Shift = 1;
constexpr unsigned Control = 2;
constexpr unsigned Alt = 4;
}  // namespace KeyModifier

// The modifiers held when the key message being handled was made.
unsigned HeldModifiers();

// The command of a shortcut, or 0 when the key with these modifiers is none.
std::uint16_t ShortcutCommand(std::uint32_t virtualKey, unsigned modifiers);
