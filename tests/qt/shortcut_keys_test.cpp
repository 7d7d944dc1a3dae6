// Keys with Ctrl, Alt or Shift reach the main window's handler with the
// modifiers their own key events recorded, however long they waited in the
// queue: the shortcuts send their menu commands and Shift+Space pages back.
#include <gtest/gtest.h>

#include <QTest>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "dejavu_view.h"
#include "support.h"
#include "view/article_view.h"

namespace {

std::vector<std::uint16_t> g_commands;

// The main window's own key handling; the commands it sends to itself are
// recorded instead of carried out.
plat::LResult KeysProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    switch (message) {
    case WM_KEYDOWN:
        return MainWindowProc(w, message, wParam, lParam);
    case WM_COMMAND:
        g_commands.push_back(plat::LoWord(wParam));
        return 0;
    default:
        return plat::DefWindowProc(w, message, wParam, lParam);
    }
}

// One long right-to-left paragraph: many lines to page through.
std::vector<std::uint8_t> LongStream() {
    std::vector<std::uint8_t> s = {0x31, 0};
    for (int word = 0; word < 600; ++word) {
        s.insert(s.end(), {std::uint8_t(0x61 + word % 27), std::uint8_t(0x62 + word % 25), ' '});
    }
    s.insert(s.end(), {0, 0});
    return s;
}

class ShortcutKeys : public ::testing::Test {
protected:
    void SetUp() override {
        dc_ = plat::CreateImageDC(200, 200);
        view_ = qt_test::LayOutDejaVuView(dc_, plat::Rect{0, 0, 200, 200}, LongStream());
        ASSERT_NE(view_, nullptr);
        ASSERT_GT(view_->maxTopLine, 40);
        view_->topLine = 20;
        PaintArticleView(view_, 1);
        AppState.View = view_;

        g_commands.clear();
        className_ = qt_test::UniqueClass(u"ShortcutKeys");
        plat::WindowClass wc;
        wc.proc = KeysProc;
        wc.className = className_.c_str();
        ASSERT_TRUE(plat::RegisterClass(wc));
        window_ = plat::CreateWindowEx(0, className_.c_str(), u"Keys", WS_VISIBLE, 0, 0, 240, 200, nullptr,
                                       nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        client_ = plat::qt::ClientOf(window_);
    }
    void TearDown() override {
        if (plat::IsWindow(window_)) {
            plat::DestroyWindow(window_);
        }
        qt_test::Drain();
        AppState.View = nullptr;
        DestroyArticleView(view_, 1);
        plat::DeleteImageDC(dc_);
    }
    plat::Dc dc_ = nullptr;
    ArticleView* view_ = nullptr;
    std::u16string className_;
    plat::Window window_ = nullptr;
    QWidget* client_ = nullptr;
};

TEST_F(ShortcutKeys, QueuedKeysKeepTheModifiersOfTheirOwnEvents) {
    // All typed before any is handled: by then no modifier is held, and each
    // key's message must still carry its own.
    QTest::keyClick(client_, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(client_, Qt::Key_F3, Qt::AltModifier);
    QTest::keyClick(client_, Qt::Key_F3);
    QTest::keyClick(client_, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(client_, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);  // no shortcut
    QTest::keyClick(client_, Qt::Key_Q, Qt::ControlModifier);
    qt_test::Drain();
    EXPECT_EQ(g_commands, (std::vector<std::uint16_t>{Command::ThisWeek, Command::Search, Command::SearchAgain,
                                                      Command::Index, Command::Exit}));
}

TEST_F(ShortcutKeys, ShiftSpacePagesBackAndSpaceForward) {
    QTest::keyClick(client_, Qt::Key_Space, Qt::ShiftModifier);
    qt_test::Drain();
    const int back = view_->topLine;
    EXPECT_LT(back, 20);
    QTest::keyClick(client_, Qt::Key_Space);
    qt_test::Drain();
    const int forward = view_->topLine;
    EXPECT_GT(forward, back);
    // Typed before either is handled, the same keys end on the same line.
    view_->topLine = 20;
    PaintArticleView(view_, 1);
    QTest::keyClick(client_, Qt::Key_Space, Qt::ShiftModifier);
    QTest::keyClick(client_, Qt::Key_Space);
    qt_test::Drain();
    EXPECT_EQ(view_->topLine, forward);
    EXPECT_TRUE(g_commands.empty());
}

}  // namespace
