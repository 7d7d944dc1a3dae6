// The common set-up of the full-screen dialogs (Choose Section, Choose Font).
#pragma once

#include <cstdint>

#include "platform/types.h"

// Initialises the dialog with the shell's `flags`, adding the Done button
// unless the program runs full screen; full screen, it then moves the
// dialog up to the top of the screen.
void InitDialogLayout(plat::Window dialog, std::uint32_t flags);
