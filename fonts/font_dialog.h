// The Choose Font dialog (template 105): the reader picks the face and size
// of the text font and where the font keeps its Hebrew letters (the letter
// base 224 or 1488). The dialog edits a FontDescription in place and writes
// it only on OK; a letter base of 0 becomes 1488 as soon as it opens.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/resources.h"
#include "platform/types.h"

// Control ids of template 105. 1003 (base 97) has no control in the
// template, but a stored base of 97 is still handled.
namespace FontControl {
constexpr int FaceList = 1001;
constexpr int Preview = 1002;
constexpr int Base97 = 1003;
constexpr int Base224 = 1004;
constexpr int Base1488 = 1005;
constexpr int SizeList = 1006;
}  // namespace FontControl

// One enumerated font family. Entries come from pools of kFontPoolSize,
// each pool one zeroed allocation whose first entry carries poolStart = 1.
struct FontListEntry {
    FontListEntry* next;
    char16_t faceName[32];
    std::uint8_t charSet;    // HEBREW_CHARSET when the family has Hebrew letters
    std::uint8_t poolStart;  // 1 on the first entry of a pool
};
constexpr int kFontPoolSize = 25;

// The dialog's working state; zeroed each time the dialog opens.
struct FontDialogState {
    FontListEntry* fontList;     // families in enumeration order
    FontListEntry** tailLink;    // where the next entry is linked
    FontListEntry* poolCursor;   // next free entry of the current pool
    plat::Font previewFont;      // font of the preview box; owned
    std::int32_t poolRemaining;  // entries left in the current pool
    plat::LogFont previewLogFont;  // face name and height of the preview
    FontDescription* target;     // the description being edited; not owned
};
extern FontDialogState FontDialog;

// The sizes offered, in list order.
constexpr std::int32_t kFontSizeChoices[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};
constexpr int kFontSizeChoiceCount = 14;

// ReadFontChoice modes.
constexpr int kFontChoicePreview = 0;
constexpr int kFontChoiceCommit = 1;
constexpr int kFontChoiceListChanged = 2;

// Runs the dialog modally over `owner`; 1 (OK) or 2 (Cancel), -1 when the
// template is missing.
std::intptr_t RunFontDialog(const plat::Module* module, plat::Window owner,
                            FontDescription* description);
std::intptr_t FontDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam);

void InitFontDialog(plat::Window dialog, FontDescription* description);
// Places the controls for a client area of width x height pixels.
void PlaceFontControls(plat::Window dialog, int width, int height);
void ReadFontChoice(plat::Window dialog, int mode);
void ShowLetterPreview(plat::Window dialog, std::int32_t base);

// The family list. EnumFontFamilyEntry is the enumeration callback: false
// stops the walk (a pool could not be allocated).
bool EnumFontFamilyEntry(const char16_t* faceName, std::uint8_t charSet, void* context);
void ResetFontList();
void FreeFontList();

// The 27 letters from `base` in reverse order, so that the letter at the
// base ends the line: text[26 - i] = base + i, text[27] = 0.
void MakeLetterPreview(std::int32_t base, char16_t text[28]);
// A size item's text as a number: every unit counts as a digit.
std::int32_t SizeFromText(const char16_t* text);
