// The headless backend's contract: text runs and measuring, message boxes,
// the message loop, dialogs and menus.
#include <gtest/gtest.h>

#include <memory>

#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/templates.h"
#include "platform/window.h"

using plat::headless::DrawLog;

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override { plat::headless::Reset(); }
    void TearDown() override { plat::headless::Reset(); }
};

struct FontScope {
    plat::Dc dc;
    plat::Font font;
    plat::Font previous;
    FontScope(plat::Dc dc_, int height, int weight) : dc(dc_) {
        plat::LogFont description;
        description.height = height;
        description.weight = weight;
        font = plat::CreateFontIndirect(description);
        previous = plat::SelectFont(dc, font);
    }
    ~FontScope() {
        plat::SelectFont(dc, previous);
        plat::DeleteFont(font);
    }
};

}  // namespace

TEST_F(Headless, RunsAreDrawnInTheGivenOrderAndMeasuredConsistently) {
    plat::Dc dc = plat::CreateImageDC(200, 100);
    auto font = std::make_unique<FontScope>(dc, 20, 400);
    const std::u16string run = u"\u05D0\u05D1 m.\u05E9";
    plat::Rect box{10, 0, 110, 20};
    plat::DrawText(dc, run.data(), int(run.size()), box, DT_SINGLELINE);
    ASSERT_EQ(DrawLog().size(), 1u);
    EXPECT_EQ(DrawLog()[0].text, run);  // no reordering of the right-to-left letters
    EXPECT_EQ(DrawLog()[0].textX, 10);

    // Widths add up character by character, and the fit count agrees with them.
    plat::Size all;
    ASSERT_TRUE(plat::GetTextExtentPoint(dc, run.data(), int(run.size()), &all));
    int sum = 0;
    for (char16_t c : run) {
        plat::Size one;
        plat::GetTextExtentPoint(dc, &c, 1, &one);
        sum += one.cx;
    }
    EXPECT_EQ(all.cx, sum);
    EXPECT_EQ(all.cx, 10 + 10 + 5 + 15 + 5 + 15);  // normal 10, narrow 5, wide 15 at height 20
    for (int limit = 0; limit <= all.cx + 1; ++limit) {
        int fit = -1;
        plat::Size extent;
        plat::GetTextExtentExPoint(dc, run.data(), int(run.size()), limit, &fit, &extent);
        plat::Size prefix;
        plat::GetTextExtentPoint(dc, run.data(), fit, &prefix);
        EXPECT_LE(prefix.cx, limit);
        if (fit < int(run.size())) {
            plat::Size longer;
            plat::GetTextExtentPoint(dc, run.data(), fit + 1, &longer);
            EXPECT_GT(longer.cx, limit);
        }
    }
    // Centred text starts half the spare room in.
    plat::DrawText(dc, run.data(), int(run.size()), box, DT_CENTER | DT_SINGLELINE);
    EXPECT_EQ(DrawLog()[1].textX, 10 + (100 - all.cx) / 2);
    font.reset();
    plat::DeleteImageDC(dc);
}

TEST_F(Headless, MetricsFollowTheFont) {
    plat::Dc dc = plat::CreateImageDC(10, 10);
    {
        FontScope bold(dc, 16, 700);
        plat::TextMetrics metrics;
        ASSERT_TRUE(plat::GetTextMetrics(dc, &metrics));
        EXPECT_EQ(metrics.tmHeight, 16);
        EXPECT_EQ(metrics.tmMaxCharWidth, 13);  // wide 12, bold +1
    }
    {
        FontScope defaultFont(dc, 0, 0);
        plat::TextMetrics metrics;
        plat::GetTextMetrics(dc, &metrics);
        EXPECT_EQ(metrics.tmHeight, 16);
    }
    plat::DeleteImageDC(dc);
}

TEST_F(Headless, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    plat::headless::ScriptMessageBoxAnswers({IDCANCEL});
    EXPECT_EQ(plat::MessageBox(nullptr, u"Remove?", u"Bookmark", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(plat::MessageBox(nullptr, u"Again?", nullptr, MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(plat::MessageBox(nullptr, u"Done", nullptr, MB_OK), IDOK);
    const auto& boxes = plat::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, u"Remove?");
    EXPECT_EQ(boxes[0].caption, u"Bookmark");
    EXPECT_EQ(boxes[0].answer, IDCANCEL);
    EXPECT_EQ(boxes[1].caption, u"");
}

namespace {

std::vector<std::uint32_t> g_seen;

plat::LResult RecordingProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                            plat::LParam lParam) {
    g_seen.push_back(message);
    if (message == WM_DESTROY) plat::PostQuitMessage(7);
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) plat::DestroyWindow(window);
    if (message == WM_PAINT) {
        plat::PaintStruct paint;
        plat::BeginPaint(window, &paint);
        plat::FillRect(paint.dc, paint.paint, plat::GetStockBrush(WHITE_BRUSH));
        plat::EndPaint(window, &paint);
        return 0;
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

plat::Window MakeWindow(std::uint32_t style) {
    plat::WindowClass windowClass;
    windowClass.proc = RecordingProc;
    windowClass.className = u"Test";
    plat::RegisterClass(windowClass);
    return plat::CreateWindowEx(0, u"Test", u"Title", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr);
}

int RunLoop() {
    plat::Message message;
    int r;
    while ((r = plat::GetMessage(&message)) > 0) {
        plat::TranslateMessage(&message);
        plat::DispatchMessage(&message);
    }
    return r == 0 ? int(message.wParam) : -1;
}

}  // namespace

TEST_F(Headless, TheLoopEndsAtTheQuitMessageWithItsCode) {
    g_seen.clear();
    plat::Window window = MakeWindow(WS_VISIBLE | WS_VSCROLL);
    ASSERT_NE(window, nullptr);
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0], WM_CREATE);
    EXPECT_EQ(g_seen[1], WM_SIZE);
    plat::Rect client;
    plat::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 240 - 13);
    EXPECT_EQ(plat::FindWindow(u"test", u"Title"), window);
    EXPECT_EQ(plat::FindWindow(u"Test", u"Other"), nullptr);

    int step = 0;
    plat::headless::SetIdleHandler([&] {
        if (step++ == 0) {
            plat::PostMessage(window, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        }
        return true;
    });
    EXPECT_EQ(RunLoop(), 7);
    EXPECT_FALSE(plat::IsWindow(window));
    // The first paint came from the loop before the key.
    auto paint = std::find(g_seen.begin(), g_seen.end(), WM_PAINT);
    auto key = std::find(g_seen.begin(), g_seen.end(), WM_KEYDOWN);
    EXPECT_LT(paint - g_seen.begin(), key - g_seen.begin());
}

TEST_F(Headless, AnIdleSessionEndRunsTheWindowsDestroy) {
    g_seen.clear();
    plat::Window window = MakeWindow(WS_VISIBLE);
    plat::headless::SetIdleHandler([] { return false; });
    EXPECT_EQ(RunLoop(), 7);
    EXPECT_FALSE(plat::IsWindow(window));
    EXPECT_EQ(g_seen.back(), WM_DESTROY);
}

namespace {

const plat::DialogItemTemplate kItems[] = {
    {plat::ControlKind::ListBox, 100, plat::LBS_NOTIFY, 2, 2, 60, 40, nullptr, 0},
    {plat::ControlKind::RadioButton, 101, WS_GROUP, 2, 50, 30, 10, u"A", 0},
    {plat::ControlKind::RadioButton, 102, 0, 40, 50, 30, 10, u"B", 0},
};
const plat::DialogTemplate kDialog = {u"Choose", WS_POPUP | WS_CAPTION, 0, 0, 0, 80, 70,
                                      u"System", 8, kItems, 3};
const plat::ResourceEntry kEntries[] = {{RT_DIALOG, 300, &kDialog, sizeof kDialog}};

std::vector<std::u16string> g_changes;

std::intptr_t ChooserProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                          plat::LParam lParam) {
    switch (message) {
        case WM_INITDIALOG:
            plat::SendDlgItemMessage(dialog, 100, LB_ADDSTRING, 0, plat::LParam(u"one"));
            plat::SendDlgItemMessage(dialog, 100, LB_ADDSTRING, 0, plat::LParam(u"two"));
            plat::CheckRadioButton(dialog, 101, 102, 101);
            return lParam == 42;
        case WM_COMMAND:
            if (plat::HiWord(wParam) == LBN_SELCHANGE) {
                char16_t text[16];
                int index = int(plat::SendDlgItemMessage(dialog, 100, LB_GETCURSEL, 0, 0));
                plat::SendDlgItemMessage(dialog, 100, LB_GETTEXT, plat::WParam(index),
                                         plat::LParam(text));
                g_changes.push_back(text);
            }
            if (plat::LoWord(wParam) == IDOK) plat::EndDialog(dialog, 1);
            if (plat::LoWord(wParam) == IDCANCEL) plat::EndDialog(dialog, 2);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

TEST_F(Headless, DialogsRunFromTemplatesUnderTheDriver) {
    plat::Module module;
    plat::AddResourceTable(&module, plat::ResourceTable{kEntries, 1});
    g_changes.clear();
    std::uint32_t radioB = 0, radioA = 0;
    plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t id) {
        EXPECT_EQ(id, 300);
        plat::headless::SelectListItem(dialog, 100, 1);
        plat::headless::ClickControl(dialog, 102);
        radioA = plat::IsDlgButtonChecked(dialog, 101);
        radioB = plat::IsDlgButtonChecked(dialog, 102);
        plat::SendMessage(dialog, WM_COMMAND, plat::MakeWParam(IDOK, 0), 0);
    });
    EXPECT_EQ(plat::DialogBoxParam(&module, 300, nullptr, ChooserProc, 42), 1);
    EXPECT_EQ(g_changes, std::vector<std::u16string>{u"two"});
    EXPECT_EQ(radioA, BST_UNCHECKED);
    EXPECT_EQ(radioB, BST_CHECKED);

    // Without a driver the dialog is cancelled; a missing template fails.
    plat::headless::SetDialogDriver(nullptr);
    EXPECT_EQ(plat::DialogBoxParam(&module, 300, nullptr, ChooserProc, 0), 2);
    EXPECT_EQ(plat::DialogBoxParam(&module, 301, nullptr, ChooserProc, 0), -1);
}

namespace {
const plat::MenuItemTemplate kMenuItems[] = {{40004, u"&About"}, {0, nullptr}, {122, u"Re&verse"}};
const plat::MenuTemplate kMenu = {u"&Go", kMenuItems, 3};
const plat::ResourceEntry kMenuEntries[] = {{RT_MENU, 102, &kMenu, sizeof kMenu}};
}  // namespace

TEST_F(Headless, CommandBarMenusCarryCheckMarks) {
    plat::Module module;
    plat::AddResourceTable(&module, plat::ResourceTable{kMenuEntries, 1});
    plat::Window window = MakeWindow(WS_VISIBLE);
    plat::Window bar = plat::CommandBarCreate(&module, window, 1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(plat::CommandBarHeight(bar), 24);
    ASSERT_TRUE(plat::CommandBarInsertMenubar(bar, &module, 102, 0));
    plat::Menu menu = plat::CommandBarGetMenu(bar, 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(plat::CheckMenuItem(menu, 122, MF_CHECKED), 0);
    EXPECT_EQ(plat::CheckMenuItem(menu, 122, MF_UNCHECKED), std::int32_t(MF_CHECKED));
    EXPECT_EQ(plat::CheckMenuItem(menu, 999, MF_CHECKED), -1);
    plat::MenuItemInfo info;
    info.mask = MIIM_STATE;
    ASSERT_TRUE(plat::GetMenuItemInfo(menu, 122, false, &info));
    EXPECT_EQ(info.state & MFS_CHECKED, 0u);
    EXPECT_EQ(plat::headless::MenuItemIds(menu), (std::vector<std::uint16_t>{40004, 0, 122}));
}
