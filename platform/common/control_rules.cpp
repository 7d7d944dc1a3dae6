#include "platform/common/control_rules.h"

#include <algorithm>

#include "platform/templates.h"
#include "platform/unicode.h"

namespace plat::rules {
namespace {

std::u16string_view TextFrom(LParam lParam) {
    auto* text = reinterpret_cast<const char16_t*>(lParam);
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

int IndexFrom(WParam wParam) { return int(std::intptr_t(wParam)); }

void Report(ListBoxChange* change, ListBoxChange::Kind kind, int index = -1) {
    if (change != nullptr) {
        change->kind = kind;
        change->index = index;
    }
}

// Where LB_ADDSTRING puts `text`: after every item that is not greater.
int SortedPosition(const ListBoxState& list, std::u16string_view text) {
    int at = 0;
    while (at < int(list.items.size()) && U16CompareNoCase(list.items[std::size_t(at)].text, text) <= 0) {
        ++at;
    }
    return at;
}

LResult InsertItem(ListBoxState& list, int at, std::u16string_view text, ListBoxChange* change) {
    list.items.insert(list.items.begin() + at, ListBoxItem{std::u16string(text), 0});
    if (list.selection >= at) {
        ++list.selection;
    }
    Report(change, ListBoxChange::Inserted, at);
    return at;
}

LResult DeleteItem(ListBoxState& list, int at, ListBoxChange* change) {
    list.items.erase(list.items.begin() + at);
    if (list.selection == at) {
        list.selection = -1;
    } else if (list.selection > at) {
        --list.selection;
    }
    Report(change, ListBoxChange::Deleted, at);
    return LResult(list.items.size());
}

LResult FindExact(const ListBoxState& list, int start, std::u16string_view text) {
    const int count = int(list.items.size());
    if (start < -1 || start >= count) {
        start = -1;
    }
    for (int k = 1; k <= count; ++k) {
        const int at = (start + k) % count;
        if (U16EqualNoCase(list.items[std::size_t(at)].text, text)) {
            return at;
        }
    }
    return LB_ERR;
}

LResult CopyOut(std::u16string_view text, char16_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    const int n = std::min(int(text.size()), capacity - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    return n;
}

}  // namespace

// ---- list box ---------------------------------------------------------------

bool IsListBoxMessage(std::uint32_t message) {
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_GETCURSEL:
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
    case LB_GETCOUNT:
    case LB_FINDSTRINGEXACT:
    case LB_SETITEMDATA:
    case LB_GETITEMDATA:
        return true;
    default:
        return false;
    }
}

LResult ListBoxMessage(ListBoxState& list, std::uint32_t message, WParam wParam, LParam lParam,
                       ListBoxChange* change) {
    Report(change, ListBoxChange::None);
    const int count = int(list.items.size());
    const int index = IndexFrom(wParam);
    const bool inList = index >= 0 && index < count;
    switch (message) {
    case LB_ADDSTRING:
        return InsertItem(list, list.sorted ? SortedPosition(list, TextFrom(lParam)) : count, TextFrom(lParam),
                          change);
    case LB_INSERTSTRING:
        return InsertItem(list, index < 0 || index > count ? count : index, TextFrom(lParam), change);
    case LB_DELETESTRING:
        return inList ? DeleteItem(list, index, change) : LB_ERR;
    case LB_RESETCONTENT:
        list.items.clear();
        list.selection = -1;
        Report(change, ListBoxChange::Cleared);
        return 0;
    case LB_SETCURSEL:
        list.selection = inList ? index : -1;
        Report(change, ListBoxChange::Selected, list.selection);
        return inList ? LResult(index) : LB_ERR;
    case LB_GETCURSEL:
        return list.selection >= 0 ? LResult(list.selection) : LB_ERR;
    case LB_GETCOUNT:
        return count;
    case LB_GETTEXTLEN:
        return inList ? LResult(list.items[std::size_t(index)].text.size()) : LB_ERR;
    case LB_GETTEXT: {
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (!inList || buffer == nullptr) {
            return LB_ERR;
        }
        const std::u16string& text = list.items[std::size_t(index)].text;
        return CopyOut(text, buffer, int(text.size()) + 1);
    }
    case LB_FINDSTRINGEXACT:
        return FindExact(list, index, TextFrom(lParam));
    case LB_SETITEMDATA:
        if (!inList) {
            return LB_ERR;
        }
        list.items[std::size_t(index)].data = std::intptr_t(lParam);
        return 0;
    case LB_GETITEMDATA:
        return inList ? LResult(list.items[std::size_t(index)].data) : LB_ERR;
    default:
        return 0;
    }
}

// ---- edit box ---------------------------------------------------------------

int EditLimitFor(int requested) { return requested <= 0 ? kDefaultEditLimit : requested; }

EditSelection EditSelectionFor(int start, int end, int length, EditSelection current) {
    EditSelection out;
    if (start < 0) {
        out.caret = std::clamp(current.caret, 0, length);
        out.anchor = out.caret;
        return out;
    }
    if (end < 0) {
        end = length;
    }
    out.anchor = std::clamp(start, 0, length);
    out.caret = std::clamp(end, 0, length);
    return out;
}

int EditInsertRoom(int limit, int length, EditSelection selection) {
    const int room = limit - (length - (selection.End() - selection.Start()));
    return room > 0 ? room : 0;
}

void EditSetText(EditBoxState& edit, std::u16string_view text) {
    edit.text = std::u16string(text.substr(0, std::size_t(edit.limit)));
    const int end = int(edit.text.size());
    edit.selection = EditSelection{end, end};
}

bool EditReplaceSelection(EditBoxState& edit, std::u16string_view text) {
    const int length = int(edit.text.size());
    const EditSelection held = EditSelectionFor(edit.selection.anchor, edit.selection.caret, length, edit.selection);
    const int start = held.Start();
    const int end = held.End();
    const std::size_t room = std::size_t(EditInsertRoom(edit.limit, length, held));
    const std::u16string_view piece = text.substr(0, std::min(room, text.size()));
    if (piece.empty() && start == end) {
        return false;
    }
    edit.text.replace(std::size_t(start), std::size_t(end - start), piece);
    const int caret = start + int(piece.size());
    edit.selection = EditSelection{caret, caret};
    return true;
}

bool EditSetLimit(EditBoxState& edit, int requested) {
    edit.limit = EditLimitFor(requested);
    if (int(edit.text.size()) <= edit.limit) {
        return false;
    }
    edit.text.resize(std::size_t(edit.limit));
    edit.selection.anchor = std::min(edit.selection.anchor, edit.limit);
    edit.selection.caret = std::min(edit.selection.caret, edit.limit);
    return true;
}

bool IsEditBoxMessage(std::uint32_t message) {
    switch (message) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_SETSEL:
    case EM_GETSEL:
    case EM_REPLACESEL:
    case EM_LIMITTEXT:
        return true;
    default:
        return false;
    }
}

LResult EditBoxMessage(EditBoxState& edit, std::uint32_t message, WParam wParam, LParam lParam,
                       bool* textChanged) {
    bool changed = false;
    LResult result = 0;
    switch (message) {
    case WM_SETTEXT:
        EditSetText(edit, TextFrom(lParam));
        changed = true;
        result = 1;
        break;
    case WM_GETTEXT:
        result = CopyOut(edit.text, reinterpret_cast<char16_t*>(lParam), int(wParam));
        break;
    case WM_GETTEXTLENGTH:
        result = LResult(edit.text.size());
        break;
    case EM_SETSEL:
        edit.selection = EditSelectionFor(IndexFrom(wParam), int(lParam), int(edit.text.size()), edit.selection);
        break;
    case EM_GETSEL: {
        const auto start = std::uint32_t(edit.selection.Start());
        const auto end = std::uint32_t(edit.selection.End());
        if (wParam != 0) {
            *reinterpret_cast<std::uint32_t*>(wParam) = start;
        }
        if (lParam != 0) {
            *reinterpret_cast<std::uint32_t*>(lParam) = end;
        }
        result = LResult(MakeLParam(std::uint16_t(start), std::uint16_t(end)));
        break;
    }
    case EM_REPLACESEL:
        changed = EditReplaceSelection(edit, TextFrom(lParam));
        break;
    case EM_LIMITTEXT:
        changed = EditSetLimit(edit, int(wParam));
        break;
    default:
        break;
    }
    if (textChanged != nullptr) {
        *textChanged = changed;
    }
    return result;
}

// ---- menus ------------------------------------------------------------------

bool ByPosition(std::uint32_t checkFlags) { return (checkFlags & MF_BYPOSITION) != 0; }

std::int32_t ApplyMenuCheck(bool* checked, std::uint32_t checkFlags) {
    const std::int32_t previous = *checked ? std::int32_t(MF_CHECKED) : std::int32_t(MF_UNCHECKED);
    *checked = (checkFlags & MF_CHECKED) != 0;
    return previous;
}

// ---- scroll bar -------------------------------------------------------------

int ScrollTop(const ScrollBarState& bar) {
    const int top = bar.page > 0 ? bar.max - int(bar.page) + 1 : bar.max;
    return std::max(top, bar.min);
}

int ApplyScrollInfo(ScrollBarState& bar, const ScrollInfo& info) {
    if (info.mask & SIF_RANGE) {
        bar.min = info.min;
        bar.max = info.max;
    }
    if (info.mask & SIF_PAGE) {
        bar.page = info.page;
    }
    if (info.mask & SIF_POS) {
        bar.pos = info.pos;
    }
    const int span = std::max(bar.max - bar.min + 1, 0);
    if (bar.page > std::uint32_t(span)) {
        bar.page = std::uint32_t(span);
    }
    bar.pos = std::clamp(bar.pos, bar.min, ScrollTop(bar));
    return bar.pos;
}

void ReadScrollInfo(const ScrollBarState& bar, ScrollInfo* info) {
    if (info->mask & SIF_RANGE) {
        info->min = bar.min;
        info->max = bar.max;
    }
    if (info->mask & SIF_PAGE) {
        info->page = bar.page;
    }
    if (info->mask & SIF_POS) {
        info->pos = bar.pos;
    }
    info->trackPos = bar.pos;
}

}  // namespace plat::rules
