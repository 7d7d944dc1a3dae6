// The main window's size, position and maximised state, kept beside the
// other values of the book's key so that the next run opens the window where
// the reader left it.
#pragma once

#include "platform/types.h"

// Reads the stored placement (part of loading the settings).
void LoadWindowPlacement();
// Writes the placement remembered at exit (part of saving the settings).
void SaveWindowPlacement();
// Notes where the window lies now; called while it still exists at exit.
void RememberWindowPlacement(plat::Window window);
// The stored rectangle (not maximised) and state; false when none is stored
// or it is not a sensible size.
bool StoredWindowPlacement(plat::Rect* rect, bool* maximised);
