// Headless dialog controls: list boxes, edit boxes, buttons and statics
// answering the messages dialog procedures send them.
#include <algorithm>

#include "platform/headless/headless_internal.h"
#include "platform/unicode.h"

namespace plat {
namespace {

std::u16string TextFrom(LParam lParam) {
    auto* text = reinterpret_cast<const char16_t*>(lParam);
    return text != nullptr ? std::u16string(text) : std::u16string();
}

LResult CopyText(const std::u16string& text, char16_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    int n = std::min<int>(int(text.size()), capacity - 1);
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::RadioButton || kind == ControlKind::CheckBox;
}

Window Control(Window dialog, int id) { return GetDlgItem(dialog, id); }

void NotifyDialog(Window dialog, Window control, std::uint16_t code) {
    SendMessage(dialog, WM_COMMAND, MakeWParam(std::uint16_t(control->id), code), LParam(control));
}

constexpr std::uint32_t kMultiline = 0x0004;  // ES_MULTILINE

// An edit box's messages; a single-line box reports every change of its
// text with EN_CHANGE, a multi-line one does not report text the program
// sets.
LResult EditMessage(Window c, std::uint32_t message, WParam wParam, LParam lParam) {
    bool changed = false;
    const LResult result = rules::EditBoxMessage(c->edit, message, wParam, lParam, &changed);
    const bool quiet = message == WM_SETTEXT && (c->style & kMultiline) != 0;
    if (changed && !quiet && IsWindow(c->parent)) {
        NotifyDialog(c->parent, c, EN_CHANGE);
    }
    return result;
}

}  // namespace

namespace headless {

LResult ControlMessage(Window c, std::uint32_t message, WParam wParam, LParam lParam) {
    if (c->control == ControlKind::ListBox && rules::IsListBoxMessage(message)) {
        return rules::ListBoxMessage(c->listBox, message, wParam, lParam);
    }
    if (c->control == ControlKind::EditBox && rules::IsEditBoxMessage(message)) {
        return EditMessage(c, message, wParam, lParam);
    }
    switch (message) {
        case WM_SETTEXT:
            c->title = TextFrom(lParam);
            return 1;
        case WM_GETTEXT:
            return CopyText(c->title, reinterpret_cast<char16_t*>(lParam), int(wParam));
        case WM_GETTEXTLENGTH:
            return LResult(c->title.size());
        case BM_GETCHECK:
            return c->checked ? LResult(BST_CHECKED) : LResult(BST_UNCHECKED);
        case BM_SETCHECK:
            c->checked = wParam == BST_CHECKED;
            return 0;
        case WM_SETFONT:
            c->font = reinterpret_cast<Font>(wParam);
            return 0;
        case WM_GETFONT:
            return LResult(c->font);
        default:
            return 0;
    }
}

void ClickControl(Window dialog, int id) {
    Window c = Control(dialog, id);
    if (c == nullptr || !c->enabled) return;
    if (c->control == ControlKind::RadioButton) {
        // An automatic radio button clears the others of its group: the
        // radio buttons next to it in the template, up to a WS_GROUP start.
        auto& siblings = dialog->children;
        auto at = std::find(siblings.begin(), siblings.end(), c);
        auto first = at;
        while (first != siblings.begin() && !((*first)->style & WS_GROUP) &&
               (*(first - 1))->control == ControlKind::RadioButton) {
            --first;
        }
        for (auto it = first; it != siblings.end() && (*it)->control == ControlKind::RadioButton;
             ++it) {
            if (it != first && ((*it)->style & WS_GROUP)) break;
            (*it)->checked = false;
        }
        c->checked = true;
    } else if (c->control == ControlKind::CheckBox) {
        c->checked = !c->checked;
    }
    NotifyDialog(dialog, c, BN_CLICKED);
}

void SelectListItem(Window dialog, int id, int index) {
    Window c = Control(dialog, id);
    if (c == nullptr || c->control != ControlKind::ListBox) return;
    rules::ListBoxMessage(c->listBox, LB_SETCURSEL, WParam(index), 0);
    NotifyDialog(dialog, c, LBN_SELCHANGE);
}

void TypeText(Window dialog, int id, const std::u16string& text) {
    Window c = Control(dialog, id);
    if (c == nullptr) return;
    if (c->control == ControlKind::EditBox) {
        rules::EditSetText(c->edit, text);
    } else {
        c->title = text;
    }
    NotifyDialog(dialog, c, EN_CHANGE);
}

void TypeKeys(Window dialog, int id, const std::u16string& text) {
    for (char16_t ch : text) {
        Window c = Control(dialog, id);
        if (c == nullptr || c->control != ControlKind::EditBox) return;
        if (SendMessage(dialog, WM_CHAR, WParam(ch), LParam(c)) != 0) continue;
        rules::EditReplaceSelection(c->edit, std::u16string(1, ch));
        NotifyDialog(dialog, c, EN_CHANGE);
    }
}

void PressEditKey(Window dialog, int id, std::uint32_t key) {
    Window c = Control(dialog, id);
    if (c == nullptr || c->control != ControlKind::EditBox) return;
    if (SendMessage(dialog, WM_KEYDOWN, WParam(key), LParam(c)) != 0) return;
    rules::EditSelection& selection = c->edit.selection;
    const int n = int(c->edit.text.size());
    if (selection.anchor == selection.caret) {
        if (key == VK_BACK && selection.caret > 0) {
            selection.anchor = selection.caret - 1;
        } else if (key == VK_DELETE && selection.caret < n) {
            selection.anchor = selection.caret + 1;
        } else {
            return;
        }
    }
    rules::EditReplaceSelection(c->edit, std::u16string());
    NotifyDialog(dialog, c, EN_CHANGE);
}

}  // namespace headless

Window GetDlgItem(Window dialog, int id) {
    if (!IsWindow(dialog)) return nullptr;
    for (Window c : dialog->children) {
        if (c->alive && c->id == id) return c;
    }
    return nullptr;
}

int GetDlgCtrlID(Window control) { return IsWindow(control) ? control->id : 0; }

LResult SendDlgItemMessage(Window dialog, int id, std::uint32_t message, WParam wParam,
                           LParam lParam) {
    Window c = GetDlgItem(dialog, id);
    return c != nullptr ? SendMessage(c, message, wParam, lParam) : 0;
}

bool SetDlgItemText(Window dialog, int id, const char16_t* text) {
    Window c = GetDlgItem(dialog, id);
    if (c == nullptr) return false;
    return SendMessage(c, WM_SETTEXT, 0, LParam(text != nullptr ? text : u"")) != 0;
}

int GetDlgItemText(Window dialog, int id, char16_t* buffer, int capacity) {
    Window c = GetDlgItem(dialog, id);
    if (c == nullptr) {
        if (buffer != nullptr && capacity > 0) buffer[0] = 0;
        return 0;
    }
    return int(SendMessage(c, WM_GETTEXT, WParam(std::max(capacity, 0)), LParam(buffer)));
}

bool CheckRadioButton(Window dialog, int firstId, int lastId, int checkId) {
    if (!IsWindow(dialog)) return false;
    for (Window c : dialog->children) {
        if (c->id >= firstId && c->id <= lastId && IsButtonKind(c->control)) {
            c->checked = c->id == checkId;
        }
    }
    return true;
}

std::uint32_t IsDlgButtonChecked(Window dialog, int id) {
    Window c = GetDlgItem(dialog, id);
    return (c != nullptr && c->checked) ? std::uint32_t(BST_CHECKED) : std::uint32_t(BST_UNCHECKED);
}

bool CheckDlgButton(Window dialog, int id, std::uint32_t state) {
    Window c = GetDlgItem(dialog, id);
    if (c == nullptr) return false;
    c->checked = state == BST_CHECKED;
    return true;
}

bool EnableWindow(Window window, bool enable) {
    if (!IsWindow(window)) return false;
    bool wasDisabled = !window->enabled;
    window->enabled = enable;
    return wasDisabled;
}

bool MapDialogRect(Window dialog, Rect* rect) {
    if (!IsWindow(dialog) || rect == nullptr) return false;
    rect->left *= 2;
    rect->right *= 2;
    rect->top *= 2;
    rect->bottom *= 2;
    return true;
}

}  // namespace plat
