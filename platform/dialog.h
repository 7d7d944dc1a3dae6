// Modal dialogs built from templates (RT_DIALOG resources, see
// platform/templates.h) and their controls, reached by id.
#pragma once

#include <cstdint>

#include "platform/resources.h"
#include "platform/types.h"

namespace plat {

// Runs the dialog modally over the owner; WM_INITDIALOG carries `param` in
// its second parameter. Returns the code given to EndDialog, or -1 when the
// template is missing or the dialog cannot be created.
std::intptr_t DialogBoxParam(const Module* module, std::uint16_t templateId, Window owner,
                             DialogProc proc, LParam param);
bool EndDialog(Window dialog, std::intptr_t result);

// Typing into an edit box: each typed character goes to the dialog
// procedure first as WM_CHAR (the character, the box), and Backspace and
// Delete as WM_KEYDOWN (VK_BACK or VK_DELETE, the box); a non-zero result
// means the procedure did what the key asks, and the box does nothing more.

Window GetDlgItem(Window dialog, int id);
int GetDlgCtrlID(Window control);
LResult SendDlgItemMessage(Window dialog, int id, std::uint32_t message, WParam wParam,
                           LParam lParam);
bool SetDlgItemText(Window dialog, int id, const char16_t* text);
int GetDlgItemText(Window dialog, int id, char16_t* buffer, int capacity);
bool CheckRadioButton(Window dialog, int firstId, int lastId, int checkId);
std::uint32_t IsDlgButtonChecked(Window dialog, int id);
bool CheckDlgButton(Window dialog, int id, std::uint32_t state);
bool EnableWindow(Window window, bool enable);

// Converts a rectangle in dialog units to pixels for this dialog.
bool MapDialogRect(Window dialog, Rect* rect);

// WM_DRAWITEM's second parameter points to this record.
struct DrawItemStruct {
    std::uint32_t ctlType = 0;  // ODT_BUTTON
    std::uint32_t ctlId = 0;
    std::uint32_t itemId = 0;
    std::uint32_t itemAction = 0;
    std::uint32_t itemState = 0;
    Window item = nullptr;
    Dc dc = nullptr;
    Rect rcItem;
};

}  // namespace plat
