// Resources of the Search dialog: its template, the picture of the on-screen
// keyboard and the letters of its keys.
#pragma once

#include <cstdint>

#include "platform/templates.h"

constexpr std::uint16_t kDialogSearch = 115;
constexpr std::uint16_t kBitmapKeyboard = 119;
constexpr int kSearchEditId = 1013;

// The keyboard picture: three rows of nine letter keys and a bottom strip
// with the space bar. Keys are numbered from the top right: row 0 holds
// keys 9 (left) to 1 (right), row 1 keys 18 to 10, row 2 keys 27 to 19;
// key 0 is the space bar across key columns 2 to 6.
constexpr int kKeyboardWidth = 154;
constexpr int kKeyboardHeight = 95;
constexpr int kKeyWidth = 17;
constexpr int kKeyHeight = 25;
constexpr int kKeyColumns = 9;
constexpr int kLetterRows = 3;
constexpr int kSpaceFirstColumn = 2;
constexpr int kSpaceLastColumn = 6;
constexpr int kLetterKeys = kKeyColumns * kLetterRows;  // 27
// Where the picture sits in the dialog, in dialog units.
constexpr int kKeyboardX = 7;
constexpr int kKeyboardY = 71;

// Key k (1 to 27) carries the stored letter code KeyboardLetterTable[k - 1]:
// the Hebrew alphabet from the top right, each final form after its letter.
constexpr char KeyboardLetterTable[] = "abcdefghijlkmonqprsutwvxyz{";

extern const plat::DialogTemplate kSearchDialogTemplate;
extern const plat::BitmapResource kKeyboardBitmap;
