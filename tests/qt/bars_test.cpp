// The command bar, the shell menu bar and menu check marks, built from the
// program's own resources.
#include <gtest/gtest.h>

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <vector>

#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "support.h"

namespace {

std::vector<std::pair<std::uint32_t, plat::WParam>> g_commands;

plat::LResult BarHostProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    if (message == WM_COMMAND || message == WM_CLOSE || message == WM_LBUTTONDOWN) {
        g_commands.emplace_back(message, wParam);
        return 0;
    }
    return plat::DefWindowProc(w, message, wParam, lParam);
}

class BarTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_commands.clear();
        plat::AddResourceTable(&module, UiResourceTable());
        className = qt_test::UniqueClass(u"BarHost");
        plat::WindowClass wc;
        wc.proc = BarHostProc;
        wc.className = className.c_str();
        wc.module = &module;
        wc.iconId = kIconProgram;
        ASSERT_TRUE(plat::RegisterClass(wc));
        window = plat::CreateWindowEx(0, className.c_str(), u"Bars", WS_VISIBLE | WS_VSCROLL, 0, 0, 320, 240,
                                      nullptr, &module, nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        plat::DestroyWindow(window);
        qt_test::Drain();
    }
    static std::vector<QToolButton*> Buttons(plat::Window bar) {
        std::vector<QToolButton*> out;
        for (QToolButton* b : plat::qt::WidgetOf(bar)->findChildren<QToolButton*>()) {
            out.push_back(b);
        }
        std::sort(out.begin(), out.end(), [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
        return out;
    }
    void AddTools(plat::Window bar) {
        const char16_t* tips[] = {nullptr,         u"Previous Article", u"This Week",     u"Next Article",
                                  u"Choose Font",  u"Search",           u"Search Again",  u"Choose Article"};
        ASSERT_TRUE(plat::CommandBarAddToolTips(bar, 8, tips));
        EXPECT_EQ(plat::CommandBarAddBitmap(bar, &module, kBitmapTools, 7, 16, 16), 0);
        const int commands[] = {110, 108, 109, 40006, 116, 117, 107};
        plat::ToolButton buttons[7];
        for (int i = 0; i < 7; ++i) {
            buttons[i].image = i;
            buttons[i].command = commands[i];
        }
        ASSERT_TRUE(plat::CommandBarAddButtons(bar, 7, buttons));
    }
    plat::Module module;
    std::u16string className;
    plat::Window window = nullptr;
};

TEST_F(BarTest, CommandBarHoldsTheGoMenuThenTheToolButtonsAtTheTop) {
    plat::Window bar = plat::CommandBarCreate(&module, window, 1);
    ASSERT_NE(bar, nullptr);
    int height = plat::CommandBarHeight(bar);
    EXPECT_GE(height, 20);
    EXPECT_LE(height, 60);
    ASSERT_TRUE(plat::CommandBarInsertMenubar(bar, &module, kMenuMain, 0));
    AddTools(bar);
    plat::CommandBarShow(bar, true);

    QWidget* widget = plat::qt::WidgetOf(bar);
    plat::Rect client;
    plat::GetClientRect(window, &client);
    EXPECT_EQ(widget->geometry(), QRect(0, 0, client.right, height));
    // The client area still includes the bar.
    EXPECT_EQ(client.bottom, 240);

    std::vector<QToolButton*> buttons = Buttons(bar);
    ASSERT_EQ(buttons.size(), 8u);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("&Go"));
    ASSERT_NE(buttons[0]->menu(), nullptr);
    EXPECT_EQ(buttons[1]->toolTip(), QStringLiteral("Previous Article"));
    EXPECT_EQ(buttons[7]->toolTip(), QStringLiteral("Choose Article"));
    EXPECT_FALSE(buttons[3]->icon().isNull());

    QTest::mouseClick(buttons[4], Qt::LeftButton);
    // A tap on the bar beside its buttons reaches nobody.
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() - 5, height / 2));
    qt_test::Drain();
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].first, WM_COMMAND);
    EXPECT_EQ(plat::LoWord(g_commands[0].second), 40006);

    // The menu: items, separators, shortcut labels at the right.
    QMenu* menu = plat::qt::MenuOf(plat::CommandBarGetMenu(bar, 0));
    ASSERT_NE(menu, nullptr);
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 20);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&About"));
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QStringLiteral("F&ont\tCtrl+F"));
    EXPECT_TRUE(actions[3]->shortcut().isEmpty()) << "shortcut texts are labels only";
    actions[19]->trigger();
    qt_test::Drain();
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(plat::LoWord(g_commands[1].second), 40005);
}

TEST_F(BarTest, CheckMarksAreSetOnlyByTheProgram) {
    plat::Window bar = plat::CommandBarCreate(&module, window, 1);
    ASSERT_TRUE(plat::CommandBarInsertMenubar(bar, &module, kMenuMain, 0));
    plat::Menu menu = plat::CommandBarGetMenu(bar, 0);
    QAction* reverse = nullptr;
    for (QAction* a : plat::qt::MenuOf(menu)->actions()) {
        if (a->text() == QStringLiteral("Re&verse")) {
            reverse = a;
        }
    }
    ASSERT_NE(reverse, nullptr);
    EXPECT_FALSE(reverse->isChecked());

    EXPECT_EQ(plat::CheckMenuItem(menu, Command::Reverse, MF_BYCOMMAND | MF_CHECKED), std::int32_t(MF_UNCHECKED));
    EXPECT_TRUE(reverse->isChecked());
    EXPECT_EQ(plat::CheckMenuItem(menu, Command::Reverse, MF_BYCOMMAND | MF_CHECKED), std::int32_t(MF_CHECKED));
    plat::MenuItemInfo info;
    info.mask = MIIM_STATE;
    ASSERT_TRUE(plat::GetMenuItemInfo(menu, Command::Reverse, false, &info));
    EXPECT_EQ(info.state & MFS_CHECKED, MFS_CHECKED);

    // Choosing the item sends the command; the mark stays until the program changes it.
    reverse->trigger();
    qt_test::Drain();
    EXPECT_TRUE(reverse->isChecked());
    ASSERT_FALSE(g_commands.empty());
    EXPECT_EQ(plat::LoWord(g_commands.back().second), Command::Reverse);

    info.state = 0;
    ASSERT_TRUE(plat::SetMenuItemInfo(menu, Command::Reverse, false, info));
    EXPECT_FALSE(reverse->isChecked());
    EXPECT_EQ(plat::CheckMenuItem(menu, Command::Reverse, MF_UNCHECKED), std::int32_t(MF_UNCHECKED));
    EXPECT_EQ(plat::CheckMenuItem(menu, 4242, MF_CHECKED), -1);
    EXPECT_FALSE(plat::GetMenuItemInfo(menu, 4242, false, &info));
}

TEST_F(BarTest, ShellMenuBarSitsAtTheBottomAndAnswersItsSubMenu) {
    plat::MenuBarInfo info;
    info.parent = window;
    info.flags = plat::SHCMBF_HIDESIPBUTTON;
    info.menuBarId = kMenuMain;
    info.module = &module;
    ASSERT_TRUE(plat::SHCreateMenuBar(&info));
    plat::Window bar = info.menuBar;
    ASSERT_NE(bar, nullptr);
    AddTools(bar);

    plat::Rect barRect, client;
    ASSERT_TRUE(plat::GetWindowRect(bar, &barRect));
    plat::GetClientRect(window, &client);
    int height = barRect.bottom - barRect.top;
    EXPECT_EQ(height, plat::CommandBarHeight(bar));
    QWidget* widget = plat::qt::WidgetOf(bar);
    EXPECT_EQ(widget->geometry().bottom() + 1, client.bottom);

    // The program narrows the bar by a scroll bar's width, in the
    // coordinates the window rectangle gave; it stays so through a resize.
    int sb = plat::GetSystemMetrics(SM_CXVSCROLL);
    plat::MoveWindow(bar, barRect.left, barRect.top, barRect.right - barRect.left - sb, height, true);
    EXPECT_EQ(widget->geometry(), QRect(0, client.bottom - height, client.right - sb, height));
    plat::MoveWindow(window, 0, 0, 300, 200, true);
    plat::GetClientRect(window, &client);
    EXPECT_EQ(widget->geometry(), QRect(0, client.bottom - height, client.right - sb, height));

    std::vector<QToolButton*> buttons = Buttons(bar);
    ASSERT_EQ(buttons.size(), 8u);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Go"));
    auto menu = reinterpret_cast<plat::Menu>(plat::SendMessage(bar, plat::SHCMBM_GETSUBMENU, 0, Command::MenuButton));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(plat::qt::MenuOf(menu), buttons[0]->menu());
    EXPECT_EQ(plat::SendMessage(bar, plat::SHCMBM_GETSUBMENU, 0, 12345), 0);
    EXPECT_EQ(plat::CheckMenuItem(menu, Command::Bookmark, MF_CHECKED), std::int32_t(MF_UNCHECKED));
}

TEST_F(BarTest, TheWindowShowsTheProgramIcon) {
    QIcon icon = plat::qt::FrameOf(window)->windowIcon();
    ASSERT_FALSE(icon.isNull());
    QImage small = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(small.pixel(0, 0)), 0) << "the icon's background is see-through";
    EXPECT_EQ(qAlpha(small.pixel(8, 8)), 255);
}

TEST_F(BarTest, MissingResourcesAreRefused) {
    plat::Window bar = plat::CommandBarCreate(&module, window, 1);
    EXPECT_FALSE(plat::CommandBarInsertMenubar(bar, &module, 999, 0));
    EXPECT_EQ(plat::CommandBarAddBitmap(bar, &module, 999, 7, 16, 16), -1);
    EXPECT_EQ(plat::CommandBarGetMenu(bar, 0), nullptr);
    plat::MenuBarInfo info;
    info.parent = window;
    info.menuBarId = 999;
    info.module = &module;
    EXPECT_FALSE(plat::SHCreateMenuBar(&info));
    EXPECT_EQ(info.menuBar, nullptr);
}

}  // namespace
