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

LResult ListMessage(Window c, std::uint32_t message, WParam wParam, LParam lParam) {
    int count = int(c->list.size());
    int index = int(std::intptr_t(wParam));
    switch (message) {
        case LB_ADDSTRING: {
            std::u16string text = TextFrom(lParam);
            if (c->style & LBS_SORT) {
                auto at = std::upper_bound(c->list.begin(), c->list.end(), text,
                                           [](const std::u16string& t, const ListItem& item) {
                                               return t < item.text;
                                           });
                auto inserted = c->list.insert(at, ListItem{text, 0});
                return LResult(inserted - c->list.begin());
            }
            c->list.push_back(ListItem{text, 0});
            return count;
        }
        case LB_INSERTSTRING: {
            if (index < 0 || index > count) index = count;
            c->list.insert(c->list.begin() + index, ListItem{TextFrom(lParam), 0});
            return index;
        }
        case LB_DELETESTRING:
            if (index < 0 || index >= count) return LB_ERR;
            c->list.erase(c->list.begin() + index);
            if (c->selection >= int(c->list.size())) c->selection = -1;
            return LResult(c->list.size());
        case LB_RESETCONTENT:
            c->list.clear();
            c->selection = -1;
            return 0;
        case LB_SETCURSEL:
            if (index < 0 || index >= count) {
                c->selection = -1;
                return index == -1 ? 0 : LB_ERR;
            }
            c->selection = index;
            return index;
        case LB_GETCURSEL:
            return c->selection < 0 ? LB_ERR : c->selection;
        case LB_GETCOUNT:
            return count;
        case LB_GETTEXT:
            if (index < 0 || index >= count) return LB_ERR;
            return CopyText(c->list[index].text, reinterpret_cast<char16_t*>(lParam),
                            int(c->list[index].text.size()) + 1);
        case LB_GETTEXTLEN:
            if (index < 0 || index >= count) return LB_ERR;
            return LResult(c->list[index].text.size());
        case LB_FINDSTRINGEXACT: {
            std::u16string text = TextFrom(lParam);
            int start = index < 0 ? -1 : index;
            for (int k = 1; k <= count; ++k) {
                int i = (start + k) % count;
                if (U16EqualNoCase(c->list[i].text, text)) return i;
            }
            return LB_ERR;
        }
        case LB_SETITEMDATA:
            if (index < 0 || index >= count) return LB_ERR;
            c->list[index].data = lParam;
            return 0;
        case LB_GETITEMDATA:
            if (index < 0 || index >= count) return LB_ERR;
            return c->list[index].data;
        default:
            return 0;
    }
}

constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;

void SetEditText(Window c, std::u16string text) {
    if (int(text.size()) > c->textLimit) text.resize(std::size_t(c->textLimit));
    c->title = std::move(text);
    c->selStart = c->selEnd = int(c->title.size());
}

// Replaces the selection with `piece` (cut to the text limit); the caret
// ends after it.
void ReplaceSelection(Window c, std::u16string piece) {
    int n = int(c->title.size());
    int a = std::clamp(std::min(c->selStart, c->selEnd), 0, n);
    int b = std::clamp(std::max(c->selStart, c->selEnd), 0, n);
    int room = c->textLimit - (n - (b - a));
    if (int(piece.size()) > room) piece.resize(std::size_t(std::max(room, 0)));
    c->title.replace(std::size_t(a), std::size_t(b - a), piece);
    c->selStart = c->selEnd = a + int(piece.size());
}

LResult EditMessage(Window c, std::uint32_t message, WParam wParam, LParam lParam) {
    int n = int(c->title.size());
    switch (message) {
        case EM_SETSEL: {
            int start = int(std::intptr_t(wParam));
            int end = int(lParam);
            if (start < 0) {
                c->selStart = c->selEnd;
                return 0;
            }
            if (end < 0) end = n;
            c->selStart = std::clamp(start, 0, n);
            c->selEnd = std::clamp(end, 0, n);
            return 0;
        }
        case EM_GETSEL: {
            int a = std::min(c->selStart, c->selEnd);
            int b = std::max(c->selStart, c->selEnd);
            if (wParam != 0) *reinterpret_cast<std::uint32_t*>(wParam) = std::uint32_t(a);
            if (lParam != 0) *reinterpret_cast<std::uint32_t*>(lParam) = std::uint32_t(b);
            return MakeLParam(std::uint16_t(a), std::uint16_t(b));
        }
        case EM_REPLACESEL:
            ReplaceSelection(c, TextFrom(lParam));
            return 0;
        case EM_LIMITTEXT:
            c->textLimit = wParam == 0 ? 30000 : int(wParam);
            if (int(c->title.size()) > c->textLimit) SetEditText(c, c->title);
            return 0;
        default:
            return 0;
    }
}

Window Control(Window dialog, int id) { return GetDlgItem(dialog, id); }

void NotifyDialog(Window dialog, Window control, std::uint16_t code) {
    SendMessage(dialog, WM_COMMAND, MakeWParam(std::uint16_t(control->id), code), LParam(control));
}

}  // namespace

namespace headless {

LResult ControlMessage(Window c, std::uint32_t message, WParam wParam, LParam lParam) {
    if (c->control == ControlKind::ListBox && message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT) {
        return ListMessage(c, message, wParam, lParam);
    }
    if (c->control == ControlKind::EditBox &&
        (message == EM_SETSEL || message == EM_GETSEL || message == EM_REPLACESEL ||
         message == EM_LIMITTEXT)) {
        return EditMessage(c, message, wParam, lParam);
    }
    switch (message) {
        case WM_SETTEXT:
            if (c->control == ControlKind::EditBox) {
                SetEditText(c, TextFrom(lParam));
                return 1;
            }
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
    ListMessage(c, LB_SETCURSEL, WParam(index), 0);
    NotifyDialog(dialog, c, LBN_SELCHANGE);
}

void TypeText(Window dialog, int id, const std::u16string& text) {
    Window c = Control(dialog, id);
    if (c == nullptr) return;
    c->title = text;
    NotifyDialog(dialog, c, EN_CHANGE);
}

void TypeKeys(Window dialog, int id, const std::u16string& text) {
    for (char16_t ch : text) {
        Window c = Control(dialog, id);
        if (c == nullptr || c->control != ControlKind::EditBox) return;
        if (SendMessage(dialog, WM_CHAR, WParam(ch), LParam(c)) != 0) continue;
        ReplaceSelection(c, std::u16string(1, ch));
        NotifyDialog(dialog, c, EN_CHANGE);
    }
}

void PressEditKey(Window dialog, int id, std::uint32_t key) {
    Window c = Control(dialog, id);
    if (c == nullptr || c->control != ControlKind::EditBox) return;
    if (SendMessage(dialog, WM_KEYDOWN, WParam(key), LParam(c)) != 0) return;
    int n = int(c->title.size());
    if (c->selStart == c->selEnd) {
        if (key == VK_BACK && c->selEnd > 0) {
            c->selStart = c->selEnd - 1;
        } else if (key == VK_DELETE && c->selEnd < n) {
            c->selEnd = c->selStart + 1;
        } else {
            return;
        }
    }
    ReplaceSelection(c, std::u16string());
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
    if (c->control == ControlKind::EditBox) {
        SetEditText(c, text ? text : u"");
    } else {
        c->title = text ? text : u"";
    }
    return true;
}

int GetDlgItemText(Window dialog, int id, char16_t* buffer, int capacity) {
    Window c = GetDlgItem(dialog, id);
    if (c == nullptr) {
        if (buffer != nullptr && capacity > 0) buffer[0] = 0;
        return 0;
    }
    return int(CopyText(c->title, buffer, capacity));
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
