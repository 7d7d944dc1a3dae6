// The common set-up of the Choose Font and Choose Section dialogs.
#pragma once

#include <cstdint>

#include "platform/types.h"

// Asks the shell to set the dialog up with `flags` (plus the Done button
// unless the reader runs full screen). Full screen: the dialog then moves to
// the top of the screen, its width and height taken from its right and
// bottom edges, without repainting.
void InitDialogLayout(plat::Window dialog, std::uint32_t flags);
