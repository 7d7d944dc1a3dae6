// Check marks of menu items.
#pragma once

#include <cstdint>

#include "platform/types.h"

constexpr int kMenuCheckToggle = 0;
constexpr int kMenuCheckSet = 1;

// With set mode, checks the item when `state` is not 0 and clears it
// otherwise; returns 1 or 0. In toggle mode flips the item's check mark and
// returns the new state (1 checked). Without a menu, set mode returns the
// asked state and toggle mode the opposite of `state`.
int SetMenuCheck(plat::Menu menu, int setMode, std::uint32_t itemId, int state);
