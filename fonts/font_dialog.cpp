#include "fonts/font_dialog.h"

#include <cstdio>
#include <cstring>

#include "app/dialog_layout.h"
#include "platform/dialog.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/unicode.h"
#include "platform/window.h"

FontDialogState FontDialog;

namespace {

constexpr std::uint16_t kFontDialogTemplate = 105;
constexpr int kFaceCapacity = 32;  // units of a face name, terminator included
constexpr int kSizeTextCapacity = 8;

plat::LResult ListSend(plat::Window dialog, int id, std::uint32_t message, plat::WParam wParam = 0,
                       plat::LParam lParam = 0) {
    return plat::SendDlgItemMessage(dialog, id, message, wParam, lParam);
}

bool IsChecked(plat::Window dialog, int id) {
    return plat::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// Text of a list item when it fits in `capacity` units (terminator
// included); false for no such item or a longer text.
bool ListItemText(plat::Window dialog, int id, int index, char16_t* text, int capacity) {
    plat::LResult length = ListSend(dialog, id, LB_GETTEXTLEN, plat::WParam(index));
    if (length == LB_ERR || length < 0 || length >= capacity) return false;
    return ListSend(dialog, id, LB_GETTEXT, plat::WParam(index), plat::LParam(text)) != LB_ERR;
}

// Selects the first item whose text begins with `prefix` (letters compared
// without regard to case, as a list box searches).
void SelectItemStartingWith(plat::Window dialog, int id, const char16_t* prefix) {
    int count = int(ListSend(dialog, id, LB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
        char16_t text[64];
        if (!ListItemText(dialog, id, i, text, int(std::size(text)))) continue;
        if (plat::U16StartsWithNoCase(text, prefix)) {
            ListSend(dialog, id, LB_SETCURSEL, plat::WParam(i));
            return;
        }
    }
}

void DecimalText(std::int32_t value, char16_t* text, int capacity) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", int(value));
    int i = 0;
    for (; i < n && i < capacity - 1; ++i) text[i] = char16_t(digits[i]);
    text[i] = 0;
}

void AddSizeItem(plat::Window dialog, std::int32_t size) {
    char16_t text[16];
    DecimalText(size, text, int(std::size(text)));
    ListSend(dialog, FontControl::SizeList, LB_ADDSTRING, 0, plat::LParam(text));
}

void CheckBaseButton(plat::Window dialog, std::int32_t base) {
    int id = base == 97 ? FontControl::Base97
             : base == 224 ? FontControl::Base224
             : base == 1488 ? FontControl::Base1488
             : 0;
    if (id != 0) plat::CheckDlgButton(dialog, id, BST_CHECKED);
}

void FillFaceList(plat::Window dialog, const char16_t* selectedFace) {
    ListSend(dialog, FontControl::FaceList, LB_RESETCONTENT);
    for (const FontListEntry* entry = FontDialog.fontList; entry != nullptr; entry = entry->next) {
        ListSend(dialog, FontControl::FaceList, LB_ADDSTRING, 0, plat::LParam(entry->faceName));
    }
    SelectItemStartingWith(dialog, FontControl::FaceList, selectedFace);
}

void FillSizeList(plat::Window dialog, std::int32_t storedSize) {
    ListSend(dialog, FontControl::SizeList, LB_RESETCONTENT);
    if (storedSize != 0 && storedSize < kFontSizeChoices[0]) AddSizeItem(dialog, storedSize);
    for (std::int32_t size : kFontSizeChoices) AddSizeItem(dialog, size);
    if (storedSize != 0) {
        char16_t text[16];
        DecimalText(storedSize, text, int(std::size(text)));
        SelectItemStartingWith(dialog, FontControl::SizeList, text);
    }
}

const FontListEntry* FindFamily(const char16_t* faceName) {
    for (const FontListEntry* entry = FontDialog.fontList; entry != nullptr; entry = entry->next) {
        if (std::u16string_view(entry->faceName) == faceName) return entry;
    }
    return nullptr;
}

// A Hebrew family chosen in the list selects the Unicode letter base.
void FollowHebrewFamily(plat::Window dialog) {
    const FontListEntry* entry = FindFamily(FontDialog.previewLogFont.faceName);
    if (entry == nullptr || entry->charSet != HEBREW_CHARSET) return;
    if (IsChecked(dialog, FontControl::Base1488)) return;
    plat::CheckDlgButton(dialog, FontControl::Base224, BST_UNCHECKED);
    plat::CheckDlgButton(dialog, FontControl::Base97, BST_UNCHECKED);
    plat::CheckDlgButton(dialog, FontControl::Base1488, BST_CHECKED);
    ShowLetterPreview(dialog, 1488);
}

void CommitChoice(plat::Window dialog) {
    FontDescription* target = FontDialog.target;
    FontDialog.previewFont = nullptr;
    if (target == nullptr) return;
    const plat::LogFont& chosen = FontDialog.previewLogFont;
    if (chosen.height != 0) target->FontSize = chosen.height;
    if (IsChecked(dialog, FontControl::Base224)) {
        target->FontAsciiBase = 224;
    } else if (IsChecked(dialog, FontControl::Base97)) {
        target->FontAsciiBase = 97;
    } else if (IsChecked(dialog, FontControl::Base1488)) {
        target->FontAsciiBase = 1488;
    }
    if (chosen.faceName[0] != 0) {
        std::memcpy(target->FontName, chosen.faceName, sizeof target->FontName);
        target->FontName[kFaceCapacity - 1] = 0;
    }
}

}  // namespace

std::intptr_t RunFontDialog(const plat::Module* module, plat::Window owner,
                            FontDescription* description) {
    return plat::DialogBoxParam(module, kFontDialogTemplate, owner, FontDialogProc,
                                plat::LParam(description));
}

std::intptr_t FontDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitFontDialog(dialog, reinterpret_cast<FontDescription*>(lParam));
            return 0;
        case WM_SIZE:
            PlaceFontControls(dialog, plat::LoWord(std::uintptr_t(lParam)),
                              plat::HiWord(std::uintptr_t(lParam)));
            return 0;
        case WM_COMMAND: {
            int id = plat::LoWord(wParam);
            switch (id) {
                case IDOK:
                    ReadFontChoice(dialog, kFontChoiceCommit);
                    FreeFontList();
                    plat::EndDialog(dialog, IDOK);
                    return 1;
                case IDCANCEL:
                    FreeFontList();
                    plat::EndDialog(dialog, IDCANCEL);
                    return 1;
                case FontControl::FaceList:
                case FontControl::SizeList:
                    ReadFontChoice(dialog, kFontChoiceListChanged);
                    return 0;
                case FontControl::Base97:
                case FontControl::Base224:
                case FontControl::Base1488:
                    ShowLetterPreview(dialog, id == FontControl::Base97    ? 97
                                              : id == FontControl::Base224 ? 224
                                                                           : 1488);
                    ReadFontChoice(dialog, kFontChoicePreview);
                    return 0;
                default:
                    return 0;
            }
        }
        case WM_ACTIVATE:
            if (plat::LoWord(wParam) == WA_ACTIVE && TaskBarWindow != nullptr) {
                plat::ShowWindow(TaskBarWindow, SW_HIDE);
            }
            return 0;
        case WM_DESTROY:
            if (FontDialog.previewFont != nullptr) {
                plat::DeleteFont(FontDialog.previewFont);
                FontDialog.previewFont = nullptr;
            }
            return 1;
        default:
            return 0;
    }
}

void InitFontDialog(plat::Window dialog, FontDescription* description) {
    plat::Window parent = plat::GetParent(dialog);
    plat::Dc dc = plat::GetDC(parent);
    InitDialogLayout(dialog, plat::SHIDIF_SIZEDLG | plat::SHIDIF_SIZEDLGFULLSCREEN |
                                 plat::SHIDIF_SIPDOWN | plat::SHIDIF_FULLSCREENNOMENUBAR);
    ResetFontList();
    FontDialog.target = description;
    if (description == nullptr) {
        if (dc != nullptr) plat::ReleaseDC(parent, dc);
        return;
    }
    if (description->FontAsciiBase == 0) description->FontAsciiBase = 1488;
    ShowLetterPreview(dialog, description->FontAsciiBase);
    CheckBaseButton(dialog, description->FontAsciiBase);
    if (FontDialog.fontList == nullptr) plat::EnumFontFamilies(dc, EnumFontFamilyEntry, nullptr);
    if (dc != nullptr) plat::ReleaseDC(parent, dc);

    char16_t face[kFaceCapacity];
    std::memcpy(face, description->FontName, sizeof face);
    face[kFaceCapacity - 1] = 0;
    FillFaceList(dialog, face);
    FillSizeList(dialog, description->FontSize);
    // The face list, first in the template with a tab stop, takes the focus
    // when the dialog is shown.
}

void PlaceFontControls(plat::Window dialog, int width, int height) {
    const int c = width - 14;
    const int e = height - 14;
    const int d = 2 * c / 3;
    const int f = 2 * e / 3;
    auto place = [dialog](int id, int x, int y, int cx, int cy) {
        plat::MoveWindow(plat::GetDlgItem(dialog, id), x, y, cx, cy, true);
    };
    place(FontControl::FaceList, 7, 7, d - 7, f - 7);
    place(FontControl::SizeList, d + 7, 59, c - d, f - 59);
    place(FontControl::Preview, 7, f, c, e - f);
    const int radios[] = {FontControl::Base97, FontControl::Base224, FontControl::Base1488};
    for (int row = 0; row < 3; ++row) place(radios[row], d + 7, 7 + 17 * row, c - d, 10);
}

void ReadFontChoice(plat::Window dialog, int mode) {
    plat::LogFont& preview = FontDialog.previewLogFont;
    plat::LResult face = plat::SendDlgItemMessage(dialog, FontControl::FaceList, LB_GETCURSEL, 0, 0);
    if (face != LB_ERR) {
        char16_t name[kFaceCapacity];
        if (ListItemText(dialog, FontControl::FaceList, int(face), name, kFaceCapacity)) {
            std::memcpy(preview.faceName, name, sizeof name);
        }
    }
    plat::LResult size = plat::SendDlgItemMessage(dialog, FontControl::SizeList, LB_GETCURSEL, 0, 0);
    if (size != LB_ERR) {
        char16_t text[kSizeTextCapacity + 1];
        if (ListItemText(dialog, FontControl::SizeList, int(size), text, int(std::size(text)))) {
            preview.height = SizeFromText(text);
        }
    }
    if (FontDialog.previewFont != nullptr) {
        plat::DeleteFont(FontDialog.previewFont);
        FontDialog.previewFont = nullptr;
    }
    if (mode == kFontChoiceListChanged && preview.faceName[0] != 0) FollowHebrewFamily(dialog);
    if (mode & kFontChoiceCommit) {
        CommitChoice(dialog);
        return;
    }
    plat::LogFont description;
    description.height = preview.height;
    std::memcpy(description.faceName, preview.faceName, sizeof description.faceName);
    FontDialog.previewFont = plat::CreateFontIndirect(description);
    plat::SendDlgItemMessage(dialog, FontControl::Preview, WM_SETFONT,
                             plat::WParam(FontDialog.previewFont), 1);
}

void ShowLetterPreview(plat::Window dialog, std::int32_t base) {
    char16_t text[28];
    MakeLetterPreview(base, text);
    plat::SetDlgItemText(dialog, FontControl::Preview, text);
}

bool EnumFontFamilyEntry(const char16_t* faceName, std::uint8_t charSet, void*) {
    // A family whose name does not fit a font description cannot be chosen.
    if (faceName == nullptr || faceName[0] == 0 || plat::U16Length(faceName) >= kFaceCapacity) {
        return true;
    }
    if (FontDialog.poolRemaining == 0) {
        auto* pool = static_cast<FontListEntry*>(plat::Allocate(sizeof(FontListEntry) * kFontPoolSize));
        if (pool == nullptr) return false;
        std::memset(static_cast<void*>(pool), 0, sizeof(FontListEntry) * kFontPoolSize);
        pool->poolStart = 1;
        FontDialog.poolCursor = pool;
        FontDialog.poolRemaining = kFontPoolSize;
    }
    FontListEntry* entry = FontDialog.poolCursor++;
    FontDialog.poolRemaining -= 1;
    std::memcpy(entry->faceName, faceName, (plat::U16Length(faceName) + 1) * sizeof(char16_t));
    entry->charSet = charSet;
    *FontDialog.tailLink = entry;
    FontDialog.tailLink = &entry->next;
    return true;
}

void ResetFontList() {
    std::memset(static_cast<void*>(&FontDialog), 0, sizeof FontDialog);
    FontDialog.tailLink = &FontDialog.fontList;
}

void FreeFontList() {
    FontListEntry* entry = FontDialog.fontList;
    while (entry != nullptr) {
        // Entries of one pool are linked in a row; the next pool starts at
        // the next entry that carries the marker.
        FontListEntry* nextPool = entry->next;
        while (nextPool != nullptr && !nextPool->poolStart) nextPool = nextPool->next;
        if (entry->poolStart) plat::Free(entry);
        entry = nextPool;
    }
    // The preview font stays with the dialog until it is destroyed.
    plat::Font previewFont = FontDialog.previewFont;
    ResetFontList();
    FontDialog.previewFont = previewFont;
}

void MakeLetterPreview(std::int32_t base, char16_t text[28]) {
    for (int i = 0; i <= 26; ++i) text[26 - i] = char16_t(base + i);
    text[27] = 0;
}

std::int32_t SizeFromText(const char16_t* text) {
    // Unsigned arithmetic: a text that is not a number wraps instead of
    // overflowing.
    std::uint32_t value = 0;
    for (; text != nullptr && *text != 0; ++text) value = value * 10u + (std::uint32_t(*text) - u'0');
    return std::int32_t(value);
}
