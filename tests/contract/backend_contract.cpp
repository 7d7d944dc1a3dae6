// The rules both backends must keep for controls, menus and scroll bars.
// This one source is compiled into the headless tests and into the Qt tests
// (offscreen), so a backend that answers differently fails here.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/resources.h"
#include "platform/templates.h"
#include "platform/window.h"

namespace {

using plat::ControlKind;

constexpr std::uint16_t kDialogId = 700;
constexpr std::uint16_t kMenuId = 701;
constexpr int kSortedList = 100;
constexpr int kPlainList = 101;
constexpr int kEdit = 102;
constexpr std::uint32_t kMultiline = 0x0004;  // ES_MULTILINE
constexpr int kNotes = 103;

const plat::DialogItemTemplate kItems[] = {
    {ControlKind::ListBox, kSortedList, plat::LBS_NOTIFY | plat::LBS_SORT | WS_TABSTOP, 4, 4, 70, 60, nullptr, 0},
    {ControlKind::ListBox, kPlainList, plat::LBS_NOTIFY | WS_TABSTOP, 80, 4, 70, 60, nullptr, 0},
    {ControlKind::EditBox, kEdit, WS_BORDER | WS_TABSTOP, 4, 70, 100, 12, u"", 0},
    {ControlKind::EditBox, kNotes, WS_BORDER | kMultiline, 4, 86, 100, 24, u"", 0},
};
const plat::DialogTemplate kDialog = {u"Contract", WS_POPUP | WS_CAPTION | DS_CENTER, 0, 0, 0, 160, 120,
                                      u"DejaVu Sans", 8, kItems, int(std::size(kItems))};
const plat::MenuItemTemplate kMenuItems[] = {{40004, u"&About"}, {0, nullptr}, {122, u"Re&verse"}};
const plat::MenuTemplate kMenu = {u"&Go", kMenuItems, 3};
const plat::ResourceEntry kEntries[] = {
    {RT_DIALOG, kDialogId, &kDialog, sizeof kDialog},
    {RT_MENU, kMenuId, &kMenu, sizeof kMenu},
};

struct Notification {
    int id;
    std::uint16_t code;
};

std::function<void(plat::Window)> g_body;
std::vector<Notification> g_notes;

std::intptr_t ContractDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam, plat::LParam) {
    if (message == WM_COMMAND) {
        g_notes.push_back({plat::LoWord(wParam), plat::HiWord(wParam)});
        return 1;
    }
    if (message == WM_INITDIALOG) {
        if (g_body) {
            g_body(dialog);
        }
        plat::EndDialog(dialog, IDOK);
        return 1;
    }
    return 0;
}

plat::LResult ContractWindowProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    return plat::DefWindowProc(w, message, wParam, lParam);
}

class BackendContract : public ::testing::Test {
protected:
    void SetUp() override {
        plat::AddResourceTable(&module, plat::ResourceTable{kEntries, std::size(kEntries)});
        g_notes.clear();
    }
    void TearDown() override {
        for (plat::Window w : windows) {
            if (plat::IsWindow(w)) {
                plat::DestroyWindow(w);
            }
        }
        g_body = nullptr;
    }

    // Runs `body` inside the dialog, while it initialises.
    void InDialog(std::function<void(plat::Window)> body) {
        g_body = std::move(body);
        EXPECT_EQ(plat::DialogBoxParam(&module, kDialogId, nullptr, ContractDialogProc, 0), IDOK);
    }

    plat::Window MakeWindow(std::uint32_t style) {
        plat::WindowClass wc;
        wc.className = u"BackendContract";
        wc.proc = ContractWindowProc;
        wc.module = &module;
        plat::RegisterClass(wc);  // already there from an earlier test is fine
        plat::Window w = plat::CreateWindowEx(0, u"BackendContract", u"Contract", style, 0, 0, 200, 200,
                                              nullptr, &module, nullptr);
        windows.push_back(w);
        return w;
    }

    plat::Module module;
    std::vector<plat::Window> windows;
};

plat::LResult Send(plat::Window dialog, int id, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    return plat::SendDlgItemMessage(dialog, id, message, wParam, lParam);
}

std::u16string ItemText(plat::Window dialog, int id, int index) {
    char16_t text[64] = {};
    if (Send(dialog, id, LB_GETTEXT, plat::WParam(index), plat::LParam(text)) == LB_ERR) {
        return u"<none>";
    }
    return text;
}

std::vector<std::u16string> Items(plat::Window dialog, int id) {
    std::vector<std::u16string> items;
    const int count = int(Send(dialog, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        items.push_back(ItemText(dialog, id, i));
    }
    return items;
}

int Count(int id, std::uint16_t code) {
    int n = 0;
    for (const Notification& note : g_notes) {
        n += note.id == id && note.code == code ? 1 : 0;
    }
    return n;
}

struct Selection {
    std::uint32_t start = 99;
    std::uint32_t end = 99;
    bool operator==(const Selection& other) const { return start == other.start && end == other.end; }
};

Selection GetSelection(plat::Window dialog, int id) {
    Selection s;
    Send(dialog, id, EM_GETSEL, plat::WParam(&s.start), plat::LParam(&s.end));
    return s;
}

std::u16string Text(plat::Window dialog, int id) {
    char16_t text[64] = {};
    plat::GetDlgItemText(dialog, id, text, 64);
    return text;
}

}  // namespace

TEST_F(BackendContract, SortedListBoxesOrderWithoutRegardToCase) {
    InDialog([](plat::Window dialog) {
        const struct {
            const char16_t* text;
            int at;
        } adds[] = {{u"pear", 0}, {u"Apple", 0}, {u"fig", 1}, {u"banana", 1}, {u"Fig", 3}, {u"apple", 1}};
        for (const auto& add : adds) {
            EXPECT_EQ(Send(dialog, kSortedList, LB_ADDSTRING, 0, plat::LParam(add.text)), add.at) << "adding";
        }
        EXPECT_EQ(Items(dialog, kSortedList),
                  (std::vector<std::u16string>{u"Apple", u"apple", u"banana", u"fig", u"Fig", u"pear"}));
        // Without LBS_SORT items stay in the order they came, and an insert
        // at -1 or past the end appends.
        for (const char16_t* fruit : {u"pear", u"Apple", u"fig"}) {
            Send(dialog, kPlainList, LB_ADDSTRING, 0, plat::LParam(fruit));
        }
        EXPECT_EQ(Send(dialog, kPlainList, LB_INSERTSTRING, 1, plat::LParam(u"kiwi")), 1);
        EXPECT_EQ(Send(dialog, kPlainList, LB_INSERTSTRING, plat::WParam(-1), plat::LParam(u"lime")), 4);
        EXPECT_EQ(Send(dialog, kPlainList, LB_INSERTSTRING, 40, plat::LParam(u"plum")), 5);
        EXPECT_EQ(Items(dialog, kPlainList),
                  (std::vector<std::u16string>{u"pear", u"kiwi", u"Apple", u"fig", u"lime", u"plum"}));
    });
}

TEST_F(BackendContract, ListBoxSelectionFollowsItsItemAndClearsWithMinusOne) {
    InDialog([](plat::Window dialog) {
        for (const char16_t* fruit : {u"a", u"b", u"c", u"d"}) {
            Send(dialog, kPlainList, LB_ADDSTRING, 0, plat::LParam(fruit));
        }
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), LB_ERR) << "nothing is selected at first";
        EXPECT_EQ(Send(dialog, kPlainList, LB_SETCURSEL, 2, 0), 2);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), 2);
        Send(dialog, kPlainList, LB_INSERTSTRING, 0, plat::LParam(u"first"));
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), 3) << "the selected item moved down";
        EXPECT_EQ(Send(dialog, kPlainList, LB_DELETESTRING, 1, 0), 4);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), 2) << "and back up";
        EXPECT_EQ(ItemText(dialog, kPlainList, 2), u"c");
        EXPECT_EQ(Send(dialog, kPlainList, LB_DELETESTRING, 2, 0), 3);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), LB_ERR) << "deleting the selected item";

        Send(dialog, kPlainList, LB_SETCURSEL, 1, 0);
        EXPECT_EQ(Send(dialog, kPlainList, LB_SETCURSEL, plat::WParam(-1), 0), LB_ERR);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), LB_ERR) << "-1 clears the selection";
        Send(dialog, kPlainList, LB_SETCURSEL, 1, 0);
        EXPECT_EQ(Send(dialog, kPlainList, LB_SETCURSEL, 9, 0), LB_ERR);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), LB_ERR);
        Send(dialog, kPlainList, LB_SETCURSEL, 0, 0);
        EXPECT_EQ(Send(dialog, kPlainList, LB_RESETCONTENT, 0, 0), 0);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(Send(dialog, kPlainList, LB_GETCURSEL, 0, 0), LB_ERR);
    });
    EXPECT_EQ(Count(kPlainList, LBN_SELCHANGE), 0) << "the program's own changes are not reported";
}

TEST_F(BackendContract, ListBoxFindsTextsAndKeepsItemData) {
    InDialog([](plat::Window dialog) {
        for (const char16_t* fruit : {u"pear", u"Apple", u"fig"}) {
            Send(dialog, kSortedList, LB_ADDSTRING, 0, plat::LParam(fruit));
        }
        const struct {
            int start;
            const char16_t* text;
            plat::LResult found;
        } finds[] = {{-1, u"FIG", 1}, {1, u"fig", 1}, {2, u"apple", 0}, {-1, u"fi", LB_ERR}, {7, u"pear", 2}};
        for (const auto& find : finds) {
            EXPECT_EQ(Send(dialog, kSortedList, LB_FINDSTRINGEXACT, plat::WParam(find.start), plat::LParam(find.text)),
                      find.found)
                << "from " << find.start;
        }
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETTEXTLEN, 0, 0), 5);
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETTEXTLEN, 3, 0), LB_ERR);
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETTEXT, 0, 0), LB_ERR) << "no buffer";
        EXPECT_EQ(Send(dialog, kSortedList, LB_SETITEMDATA, 1, 31767), 0);
        EXPECT_EQ(Send(dialog, kSortedList, LB_SETITEMDATA, 5, 1), LB_ERR);
        Send(dialog, kSortedList, LB_ADDSTRING, 0, plat::LParam(u"banana"));
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETITEMDATA, 2, 0), 31767) << "data moves with its item";
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETITEMDATA, 1, 0), 0);
        EXPECT_EQ(Send(dialog, kSortedList, LB_GETITEMDATA, 9, 0), LB_ERR);
    });
}

TEST_F(BackendContract, EditBoxTextSelectionAndLimit) {
    InDialog([](plat::Window dialog) {
        EXPECT_TRUE(plat::SetDlgItemText(dialog, kEdit, u"hello"));
        EXPECT_EQ(Text(dialog, kEdit), u"hello");
        EXPECT_EQ(plat::SendDlgItemMessage(dialog, kEdit, WM_GETTEXTLENGTH, 0, 0), 5);
        EXPECT_EQ(GetSelection(dialog, kEdit), (Selection{5, 5})) << "the caret at the end, nothing selected";

        const struct {
            int start;
            int end;
            Selection expected;
        } selections[] = {{0, -1, {0, 5}}, {4, 1, {1, 4}}, {2, 99, {2, 5}}, {-1, 0, {5, 5}}, {3, 3, {3, 3}}};
        for (const auto& s : selections) {
            Send(dialog, kEdit, EM_SETSEL, plat::WParam(s.start), plat::LParam(s.end));
            EXPECT_EQ(GetSelection(dialog, kEdit), s.expected) << s.start << ", " << s.end;
        }
        const plat::LResult packed = Send(dialog, kEdit, EM_GETSEL, 0, 0);
        EXPECT_EQ(plat::LoWord(plat::WParam(packed)), 3);
        EXPECT_EQ(plat::HiWord(plat::WParam(packed)), 3);

        Send(dialog, kEdit, EM_SETSEL, 1, 4);
        Send(dialog, kEdit, EM_REPLACESEL, 1, plat::LParam(u"ipp"));
        EXPECT_EQ(Text(dialog, kEdit), u"hippo");
        EXPECT_EQ(GetSelection(dialog, kEdit), (Selection{4, 4})) << "the caret after what came in";

        Send(dialog, kEdit, EM_LIMITTEXT, 7, 0);
        Send(dialog, kEdit, EM_SETSEL, 5, 5);
        Send(dialog, kEdit, EM_REPLACESEL, 1, plat::LParam(u"potamus"));
        EXPECT_EQ(Text(dialog, kEdit), u"hippopo") << "only what the limit lets in";
        Send(dialog, kEdit, EM_LIMITTEXT, 3, 0);
        EXPECT_EQ(Text(dialog, kEdit), u"hip") << "a lower limit cuts the text";
        EXPECT_EQ(GetSelection(dialog, kEdit), (Selection{3, 3}));
        Send(dialog, kEdit, EM_LIMITTEXT, 0, 0);
        Send(dialog, kEdit, EM_REPLACESEL, 1, plat::LParam(u"!"));
        EXPECT_EQ(Text(dialog, kEdit), u"hip!") << "limit 0 is the default, not none";
    });
    // Every change of the one-line box's text is reported: the set text, two
    // replacements, the cut; the multi-line box does not report set text.
    EXPECT_EQ(Count(kEdit, EN_CHANGE), 5);
}

TEST_F(BackendContract, MultiLineEditBoxesDoNotReportTextTheProgramSets) {
    InDialog([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kNotes, u"one");
        Send(dialog, kNotes, EM_SETSEL, 0, -1);
        Send(dialog, kNotes, EM_REPLACESEL, 1, plat::LParam(u"two"));
        EXPECT_EQ(Text(dialog, kNotes), u"two");
    });
    EXPECT_EQ(Count(kNotes, EN_CHANGE), 1) << "only the replacement";
}

TEST_F(BackendContract, MenuCheckMarksByCommandAndByPosition) {
    plat::Window window = MakeWindow(WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    plat::Window bar = plat::CommandBarCreate(&module, window, 1);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(plat::CommandBarInsertMenubar(bar, &module, kMenuId, 0));
    plat::Menu menu = plat::CommandBarGetMenu(bar, 0);
    ASSERT_NE(menu, nullptr);

    const struct {
        std::uint32_t item;
        std::uint32_t flags;
        std::int32_t previous;
    } checks[] = {
        {122, MF_BYCOMMAND | MF_CHECKED, std::int32_t(MF_UNCHECKED)},
        {122, MF_BYCOMMAND | MF_CHECKED, std::int32_t(MF_CHECKED)},
        {2, MF_BYPOSITION | MF_UNCHECKED, std::int32_t(MF_CHECKED)},   // position 2 is Reverse
        {0, MF_BYPOSITION | MF_CHECKED, std::int32_t(MF_UNCHECKED)},   // position 0 is About
        {40004, MF_BYCOMMAND | MF_UNCHECKED, std::int32_t(MF_CHECKED)},
        {1, MF_BYPOSITION | MF_CHECKED, -1},                           // a separator
        {3, MF_BYPOSITION | MF_CHECKED, -1},                           // past the end
        {999, MF_BYCOMMAND | MF_CHECKED, -1},
        {0, MF_BYCOMMAND | MF_CHECKED, -1},                            // command 0 is no item
    };
    for (const auto& check : checks) {
        EXPECT_EQ(plat::CheckMenuItem(menu, check.item, check.flags), check.previous)
            << "item " << check.item << " flags " << check.flags;
    }
    plat::CheckMenuItem(menu, 2, MF_BYPOSITION | MF_CHECKED);
    plat::MenuItemInfo info;
    info.mask = MIIM_STATE;
    ASSERT_TRUE(plat::GetMenuItemInfo(menu, 122, false, &info));
    EXPECT_EQ(info.state & MFS_CHECKED, MFS_CHECKED);
    info.state = 0;
    ASSERT_TRUE(plat::SetMenuItemInfo(menu, 2, true, info));
    ASSERT_TRUE(plat::GetMenuItemInfo(menu, 122, false, &info));
    EXPECT_EQ(info.state & MFS_CHECKED, 0u);
    EXPECT_FALSE(plat::GetMenuItemInfo(menu, 999, false, &info));
}

TEST_F(BackendContract, ScrollBarPositionStaysInsideRangeLessPage) {
    plat::Window window = MakeWindow(WS_VISIBLE | WS_VSCROLL);
    ASSERT_NE(window, nullptr);
    const struct {
        std::uint32_t mask;
        int min, max;
        std::uint32_t page;
        int pos;
        int expected;
    } steps[] = {
        {SIF_RANGE | SIF_POS, 0, 50, 0, 10, 10},
        {SIF_POS, 0, 0, 0, 99, 50},                  // no page: up to max
        {SIF_PAGE, 0, 0, 10, 0, 41},                 // a page pulls it back to max - page + 1
        {SIF_POS, 0, 0, 0, 45, 41},
        {SIF_POS, 0, 0, 0, -3, 0},
        {SIF_RANGE | SIF_PAGE | SIF_POS, 5, 8, 20, 7, 5},  // a page larger than the range
    };
    for (const auto& step : steps) {
        plat::ScrollInfo info;
        info.mask = step.mask;
        info.min = step.min;
        info.max = step.max;
        info.page = step.page;
        info.pos = step.pos;
        EXPECT_EQ(plat::SetScrollInfo(window, SB_VERT, info, true), step.expected) << "pos " << step.pos;
    }
    plat::ScrollInfo read;
    read.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ASSERT_TRUE(plat::GetScrollInfo(window, SB_VERT, &read));
    EXPECT_EQ(read.min, 5);
    EXPECT_EQ(read.max, 8);
    EXPECT_EQ(read.page, 4u) << "the page is held to the range";
    EXPECT_EQ(read.pos, 5);
    plat::ScrollInfo onlyPos;
    onlyPos.mask = SIF_POS;
    onlyPos.max = -7;
    ASSERT_TRUE(plat::GetScrollInfo(window, SB_VERT, &onlyPos));
    EXPECT_EQ(onlyPos.max, -7) << "what the mask does not name is left alone";
}

TEST_F(BackendContract, WindowsWithoutScrollBarHaveNoScrollInfo) {
    plat::Window window = MakeWindow(WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    plat::ScrollInfo info;
    info.mask = SIF_RANGE | SIF_POS;
    info.max = 10;
    info.pos = 4;
    EXPECT_EQ(plat::SetScrollInfo(window, SB_VERT, info, true), 0);
    EXPECT_FALSE(plat::GetScrollInfo(window, SB_VERT, &info));
}
