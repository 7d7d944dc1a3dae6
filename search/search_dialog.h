// The Search dialog: an edit box for the pattern above a picture of a Hebrew
// keyboard whose keys insert their letters. OK stores the text as the new
// search pattern and searches at once; the dialog closes on a hit and stays
// open, its text selected, when nothing was found.
#pragma once

#include <cstdint>

#include "platform/types.h"

// Runs the dialog modally over `owner`; returns how it ended (IDOK,
// IDCANCEL, or -1 when it could not be made).
std::intptr_t RunSearchDialog(plat::Window owner);

std::intptr_t SearchDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                               plat::LParam lParam);

// The key under a tap at (x, y) in the dialog's client pixels, given the
// dialog base units: 1 to 27 for letter keys, 0 for the space bar, -1 for a
// tap on no key.
int KeyAtTap(int x, int y, int baseUnitX, int baseUnitY);

// Replaces the edit box's selection with the character of key 0 to 27 (a
// space, or the key's letter in the font's letter base) and puts the caret
// before it, so successive keys build a word from right to left: the stored
// order of right-to-left text.
void InsertKeyboardKey(plat::Window dialog, int key);

// Turns the edit box's text back into stored codes in AppState.SearchString:
// letters of the font's letter base become 0x61..0x7B, other characters keep
// their low 8 bits, and a run of spaces keeps only its last space. At most
// 33 codes and a NUL.
void StoreSearchText(const char16_t* text);
