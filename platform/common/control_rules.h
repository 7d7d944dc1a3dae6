// The window system's rules for controls, menus and scroll bars, kept once
// for both backends: what a list box holds and which item is selected, how
// an edit box's text, selection and limit change, which menu item a command
// or position names and how its check mark changes, and how a scroll bar's
// range, page and position hold together. Each backend keeps these records
// for its windows and shows them in its own widgets; the answers to the
// messages come from here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"

namespace plat::rules {

// ---- list box ---------------------------------------------------------------

struct ListBoxItem {
    std::u16string text;
    std::intptr_t data = 0;
};

struct ListBoxState {
    std::vector<ListBoxItem> items;
    int selection = -1;   // the selected item, -1 none
    bool sorted = false;  // LBS_SORT: LB_ADDSTRING keeps the items in order
};

// What a list box message changed, for a backend that mirrors the items
// into a widget. The selection is to be shown again after every change.
struct ListBoxChange {
    enum Kind { None, Inserted, Deleted, Cleared, Selected } kind = None;
    int index = -1;  // Inserted, Deleted: the item
};

bool IsListBoxMessage(std::uint32_t message);

// Answers the LB_* messages. Sorted list boxes compare without regard to
// case and put a new item after the ones equal to it. LB_SETCURSEL with -1
// (or any index outside the list) clears the selection and gives LB_ERR. The
// selected item stays selected while others come and go before it.
LResult ListBoxMessage(ListBoxState& list, std::uint32_t message, WParam wParam, LParam lParam,
                       ListBoxChange* change = nullptr);

// ---- edit box ---------------------------------------------------------------

constexpr int kDefaultEditLimit = 30000;

// Anchor and caret; the selection runs between them.
struct EditSelection {
    int anchor = 0;
    int caret = 0;
    int Start() const { return anchor < caret ? anchor : caret; }
    int End() const { return anchor < caret ? caret : anchor; }
};

struct EditBoxState {
    std::u16string text;
    EditSelection selection;
    int limit = kDefaultEditLimit;
};

// EM_LIMITTEXT: 0 or less means the default limit.
int EditLimitFor(int requested);
// EM_SETSEL on a text of `length` units: start -1 removes the selection
// (the caret stays), end -1 means the end of the text; both are held to the
// text.
EditSelection EditSelectionFor(int start, int end, int length, EditSelection current);
// How many units of an inserted text fit: the limit less what stays
// outside the selection.
int EditInsertRoom(int limit, int length, EditSelection selection);

// The text is cut to the limit; nothing is selected, the caret at the end.
void EditSetText(EditBoxState& edit, std::u16string_view text);
// Replaces the selection with as much of `text` as the limit lets in; the
// caret follows it. False when nothing changed.
bool EditReplaceSelection(EditBoxState& edit, std::u16string_view text);
// Sets the limit and cuts a longer text to it. True when the text changed.
bool EditSetLimit(EditBoxState& edit, int requested);

bool IsEditBoxMessage(std::uint32_t message);

// Answers WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH, EM_SETSEL, EM_GETSEL,
// EM_REPLACESEL and EM_LIMITTEXT. *textChanged tells whether the text
// changed (the box then reports EN_CHANGE).
LResult EditBoxMessage(EditBoxState& edit, std::uint32_t message, WParam wParam, LParam lParam,
                       bool* textChanged = nullptr);

// ---- menus ------------------------------------------------------------------

// The index of the item `itemId` names in a menu's items (each with an `id`,
// separators 0): its position with byPosition, else the first item with
// that command id. -1 when there is none.
template <typename Items>
int FindMenuItem(const Items& items, std::uint32_t itemId, bool byPosition) {
    if (byPosition) {
        return itemId < items.size() ? int(itemId) : -1;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].id != 0 && items[i].id == itemId) {
            return int(i);
        }
    }
    return -1;
}

// CheckMenuItem's flags: whether they name the item by position.
bool ByPosition(std::uint32_t checkFlags);
// Sets a check mark from CheckMenuItem's flags; gives the previous state
// (MF_CHECKED or MF_UNCHECKED).
std::int32_t ApplyMenuCheck(bool* checked, std::uint32_t checkFlags);

// ---- scroll bar -------------------------------------------------------------

struct ScrollBarState {
    int min = 0;
    int max = 0;
    std::uint32_t page = 0;
    int pos = 0;
};

// The largest position: max - page + 1 with a page, max without, never
// below min.
int ScrollTop(const ScrollBarState& bar);
// SetScrollInfo: takes what the mask names, holds the page to the range and
// the position to [min, ScrollTop]. Gives the position.
int ApplyScrollInfo(ScrollBarState& bar, const ScrollInfo& info);
// GetScrollInfo: fills what the mask names; trackPos is the position.
void ReadScrollInfo(const ScrollBarState& bar, ScrollInfo* info);

}  // namespace plat::rules
