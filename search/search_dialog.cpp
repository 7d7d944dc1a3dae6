// The Search dialog procedure, the keyboard picture's keys and the storing of
// the typed pattern.
#include "search/search_dialog.h"

#include <cstring>

#include "app/app_state.h"
#include "format/book_format.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "resources/search_resources.h"
#include "search/search.h"
#include "view/article_view.h"
#include "view/display_text.h"

namespace {

constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
constexpr int kSipForceDown = 2;
constexpr char16_t kSpace = u' ';

// Working state of the open dialog; cleared when it opens.
struct SearchDialogState {
    plat::Font editFont;
    int baseUnitX;
    int baseUnitY;
};
SearchDialogState Dialog;

std::int32_t LetterBase() { return AppState.Font.FontAsciiBase; }

bool IsBoxLetter(char16_t ch) {
    return ch >= LetterBase() && ch < LetterBase() + kLetterCount;
}

plat::LResult SendEdit(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                       plat::LParam lParam) {
    return plat::SendDlgItemMessage(dialog, kSearchEditId, message, wParam, lParam);
}

int SelectionStart(plat::Window dialog) {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    SendEdit(dialog, EM_GETSEL, plat::WParam(&start), plat::LParam(&end));
    return int(start);
}

// Replaces the selection with one character and puts the caret before it.
void InsertBeforeCaret(plat::Window dialog, char16_t ch) {
    const char16_t text[2] = {ch, 0};
    SendEdit(dialog, EM_REPLACESEL, 1, plat::LParam(text));
    const int start = SelectionStart(dialog) - 1;
    SendEdit(dialog, EM_SETSEL, plat::WParam(start), plat::LParam(start));
}

void InitDialog(plat::Window dialog) {
    Dialog = SearchDialogState{};
    const int length = int(strnlen(reinterpret_cast<const char*>(AppState.SearchString),
                                   kSearchPatternMaxLength));
    char16_t* shown = ConvertToDisplayText(AppState.SearchString, nullptr, nullptr, length);

    plat::Rect units{0, 0, 4, 8};
    plat::MapDialogRect(dialog, &units);
    Dialog.baseUnitX = units.right;
    Dialog.baseUnitY = units.bottom;

    const FontDescription& font = AppState.View != nullptr ? AppState.View->font : AppState.Font;
    plat::LogFont description;
    description.height = font.FontSize;
    std::memcpy(description.faceName, font.FontName, sizeof description.faceName);
    description.faceName[31] = 0;
    Dialog.editFont = plat::CreateFontIndirect(description);
    SendEdit(dialog, WM_SETFONT, plat::WParam(Dialog.editFont), 1);

    SendEdit(dialog, EM_LIMITTEXT, kSearchPatternMaxLength, 0);
    plat::SetDlgItemText(dialog, kSearchEditId, shown != nullptr ? shown : u"");
    plat::Free(shown);
}

void CloseDialog(plat::Window dialog, int result) {
    plat::EndDialog(dialog, result);
    plat::SHSipPreference(AppState.MainWindow, kSipForceDown);
    // A desktop has no input panel to switch off.
    plat::SHFullScreen(AppState.MainWindow, plat::SHFS_HIDESIPBUTTON);
}

void Ok(plat::Window dialog) {
    char16_t text[kSearchPatternCapacity] = {};
    plat::GetDlgItemText(dialog, kSearchEditId, text, kSearchPatternCapacity);
    StoreSearchText(text);
    if (AppState.SearchString[0] == 0 || SearchAgain(dialog) != 0) {
        CloseDialog(dialog, IDOK);
        return;
    }
    SendEdit(dialog, EM_SETSEL, 0, -1);
}

void Activate(plat::WParam wParam) {
    const std::uint16_t state = plat::LoWord(wParam);
    if (state == WA_INACTIVE) {
        return;
    }
    if (AllowSipInHebrewSearch != 0) {
        plat::SHFullScreen(AppState.MainWindow, plat::SHFS_SHOWSIPBUTTON);
    }
    if (state == WA_ACTIVE && FullScreen != 0 && TaskBarWindow != nullptr) {
        plat::ShowWindow(TaskBarWindow, SW_HIDE);
    }
}

// A character typed into the edit box: a Hebrew letter goes in as a key of
// the picture does, so typing a word in reading order builds it in stored
// order; so does a space typed inside such a word. Everything else is left to
// the box. True when the character was taken here.
bool TypeCharacter(plat::Window dialog, char16_t ch);
// Backspace and Delete next to Hebrew text remove the character before and
// after the caret in reading order. True when the key was taken here.
bool DeleteKey(plat::Window dialog, std::uint32_t key);

}  // namespace

int KeyAtTap(int x, int y, int baseUnitX, int baseUnitY) {
    const int ox = x - (kKeyboardX * baseUnitX) / 4;
    const int oy = y - (kKeyboardY * baseUnitY) / 8;
    if (ox < 0 || ox >= kKeyboardWidth || oy < 0 || oy >= kKeyboardHeight) {
        return -1;
    }
    const int row = oy / kKeyHeight;
    const int col = ox / kKeyWidth;
    if (row < kLetterRows) {
        // The picture's last pixel column lies beyond the ninth key.
        return col < kKeyColumns ? kKeyColumns * (row + 1) - col : -1;
    }
    return (col >= kSpaceFirstColumn && col <= kSpaceLastColumn) ? 0 : -1;
}

void InsertKeyboardKey(plat::Window dialog, int key) {
    if (key < 0 || key > kLetterKeys) {
        return;
    }
    const char16_t ch =
        key == 0 ? kSpace : char16_t(LetterBase() + (KeyboardLetterTable[key - 1] - kFirstLetterCode));
    InsertBeforeCaret(dialog, ch);
}

void StoreSearchText(const char16_t* text) {
    int n = 0;
    for (const char16_t* p = text; p != nullptr && *p != 0 && n < kSearchPatternMaxLength; ++p) {
        const char16_t ch = *p;
        const std::uint8_t code =
            IsBoxLetter(ch) ? std::uint8_t(ch - LetterBase() + kFirstLetterCode) : std::uint8_t(ch & 0xFF);
        if (code == ' ' && p[1] == kSpace) {
            continue;  // a run of spaces keeps its last one
        }
        AppState.SearchString[n++] = code;
    }
    AppState.SearchString[n] = 0;
}

namespace {

// The nearest character that is not a space, looking right of the caret
// first, then left: whether it is a Hebrew letter of the box.
bool FromEditBox(plat::LParam lParam) {
    return plat::GetDlgCtrlID(reinterpret_cast<plat::Window>(lParam)) == kSearchEditId;
}

bool CaretInHebrew(const char16_t* text, int length, int caret) {
    for (int i = caret; i < length; ++i) {
        if (text[i] != kSpace) {
            return IsBoxLetter(text[i]);
        }
    }
    for (int i = caret - 1; i >= 0; --i) {
        if (text[i] != kSpace) {
            return IsBoxLetter(text[i]);
        }
    }
    return false;
}

struct BoxText {
    char16_t text[kSearchPatternCapacity + 1];
    int length;
    int start;
    int end;
};

BoxText ReadBox(plat::Window dialog) {
    BoxText box{};
    box.length = plat::GetDlgItemText(dialog, kSearchEditId, box.text, kSearchPatternCapacity + 1);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    SendEdit(dialog, EM_GETSEL, plat::WParam(&start), plat::LParam(&end));
    box.start = int(start);
    box.end = int(end);
    return box;
}

bool TypeCharacter(plat::Window dialog, char16_t ch) {
    if (IsUnicodeHebrewLetter(ch)) {
        InsertBeforeCaret(dialog, char16_t(LetterBase() + (LetterCodeOf(ch) - kFirstLetterCode)));
        return true;
    }
    if (ch == kSpace) {
        const BoxText box = ReadBox(dialog);
        if (box.end < box.length && IsBoxLetter(box.text[box.end])) {
            InsertBeforeCaret(dialog, kSpace);
            return true;
        }
    }
    return false;
}

bool DeleteKey(plat::Window dialog, std::uint32_t key) {
    const BoxText box = ReadBox(dialog);
    if (box.start != box.end || !CaretInHebrew(box.text, box.length, box.start)) {
        return false;
    }
    // In reading order the character before the caret is the one at its right.
    const int at = key == VK_BACK ? box.start : box.start - 1;
    if (at >= 0 && at < box.length) {
        SendEdit(dialog, EM_SETSEL, plat::WParam(at), plat::LParam(at + 1));
        SendEdit(dialog, EM_REPLACESEL, 1, plat::LParam(u""));
    }
    return true;
}

}  // namespace

std::intptr_t SearchDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                               plat::LParam lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitDialog(dialog);
            return 1;
        case WM_LBUTTONDOWN: {
            const int key = KeyAtTap(plat::LoWord(std::uintptr_t(lParam)),
                                     plat::HiWord(std::uintptr_t(lParam)), Dialog.baseUnitX,
                                     Dialog.baseUnitY);
            if (key >= 0) {
                InsertKeyboardKey(dialog, key);
            }
            return 1;
        }
        case WM_CHAR:
            // Typed into the edit box, before the box takes it.
            if (!FromEditBox(lParam)) return 0;
            return TypeCharacter(dialog, char16_t(wParam)) ? 1 : 0;
        case WM_KEYDOWN:
            if (!FromEditBox(lParam) || (wParam != VK_BACK && wParam != VK_DELETE)) return 0;
            return DeleteKey(dialog, std::uint32_t(wParam)) ? 1 : 0;
        case WM_COMMAND:
            if (plat::LoWord(wParam) == IDOK) {
                Ok(dialog);
                return 1;
            }
            if (plat::LoWord(wParam) == IDCANCEL) {
                CloseDialog(dialog, IDCANCEL);
                return 1;
            }
            return 0;
        case WM_ACTIVATE:
            Activate(wParam);
            return 0;
        case WM_DESTROY:
            if (Dialog.editFont != nullptr) {
                plat::DeleteFont(Dialog.editFont);
                Dialog.editFont = nullptr;
            }
            return 0;
        default:
            return 0;
    }
}

std::intptr_t RunSearchDialog(plat::Window owner) {
    return plat::DialogBoxParam(AppState.Instance, kDialogSearch, owner, SearchDialogProc, 0);
}
