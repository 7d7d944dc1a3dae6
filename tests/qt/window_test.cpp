// Windows, the message loop and immediate painting on the Qt backend.
#include <gtest/gtest.h>

#include <csignal>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/host.h"
#include "platform/shell.h"
#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "support.h"

namespace {

using qt_test::Recorded;

std::vector<Recorded> g_seen;
plat::LResult g_createResult = 0;
bool g_paintBlack = false;

plat::LResult RecordingProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    plat::Rect client;
    plat::GetClientRect(w, &client);
    if (message != qt_test::kTick) {
        g_seen.push_back(Recorded{message, wParam, lParam, client});
    }
    switch (message) {
    case WM_CREATE:
        return g_createResult;
    case WM_PAINT: {
        plat::PaintStruct ps;
        plat::Dc dc = plat::BeginPaint(w, &ps);
        if (g_paintBlack) {
            plat::FillRect(dc, plat::Rect{0, 0, 4, 4}, plat::GetStockBrush(BLACK_BRUSH));
        }
        plat::EndPaint(w, &ps);
        return 0;
    }
    case WM_DESTROY:
        return 0;
    default:
        return plat::DefWindowProc(w, message, wParam, lParam);
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_createResult = 0;
        g_paintBlack = false;
        className = qt_test::UniqueClass(u"WindowTest");
        plat::WindowClass wc;
        wc.proc = RecordingProc;
        wc.className = className.c_str();
        wc.style = CS_HREDRAW | CS_VREDRAW;
        ASSERT_TRUE(plat::RegisterClass(wc));
    }
    void TearDown() override {
        if (plat::IsWindow(window)) {
            plat::DestroyWindow(window);
        }
        qt_test::Drain();
    }
    plat::Window Create(std::uint32_t style, int width = 300, int height = 200) {
        window = plat::CreateWindowEx(0, className.c_str(), u"Test window", style, 20, 30, width, height,
                                      nullptr, nullptr, nullptr);
        return window;
    }
    std::vector<std::uint32_t> Messages() const {
        std::vector<std::uint32_t> out;
        for (const Recorded& r : g_seen) {
            out.push_back(r.message);
        }
        return out;
    }
    const Recorded* Last(std::uint32_t message) const {
        for (auto it = g_seen.rbegin(); it != g_seen.rend(); ++it) {
            if (it->message == message) {
                return &*it;
            }
        }
        return nullptr;
    }
    std::u16string className;
    plat::Window window = nullptr;
};

TEST_F(WindowTest, CreationSendsCreateThenSizeWithTheClientAreaBesideTheScrollBar) {
    ASSERT_NE(Create(WS_VSCROLL), nullptr);
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, WM_CREATE);
    EXPECT_EQ(g_seen[1].message, WM_SIZE);
    int sb = plat::GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_GT(sb, 0);
    // The client rectangle is already right during WM_CREATE.
    EXPECT_EQ(g_seen[0].client.right, 300 - sb);
    EXPECT_EQ(g_seen[0].client.bottom, 200);
    EXPECT_EQ(plat::LoWord(std::uintptr_t(g_seen[1].lParam)), 300 - sb);
    EXPECT_EQ(plat::HiWord(std::uintptr_t(g_seen[1].lParam)), 200);
    plat::Rect r;
    ASSERT_TRUE(plat::GetWindowRect(window, &r));
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    // Resizing reports the new client size once.
    g_seen.clear();
    plat::MoveWindow(window, 20, 30, 260, 150, true);
    ASSERT_NE(Last(WM_SIZE), nullptr);
    EXPECT_EQ(plat::LoWord(std::uintptr_t(Last(WM_SIZE)->lParam)), 260 - sb);
    EXPECT_EQ(plat::HiWord(std::uintptr_t(Last(WM_SIZE)->lParam)), 150);
    EXPECT_EQ(plat::qt::WindowImage(window).size(), QSize(260 - sb, 150));
}

TEST_F(WindowTest, CreateRefusedByTheProcedureGivesNoWindow) {
    g_createResult = -1;
    EXPECT_EQ(Create(0), nullptr);
    EXPECT_EQ(plat::FindWindow(className.c_str(), nullptr), nullptr);
}

TEST_F(WindowTest, KeysBecomeVirtualKeyMessages) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    QWidget* client = plat::qt::ClientOf(window);
    const std::pair<Qt::Key, std::uint32_t> keys[] = {
        {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Home, VK_HOME},
        {Qt::Key_End, VK_END},      {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
        {Qt::Key_Right, VK_RIGHT},  {Qt::Key_Down, VK_DOWN},     {Qt::Key_Return, VK_RETURN},
        {Qt::Key_Enter, VK_RETURN}, {Qt::Key_F1, VK_F1},         {Qt::Key_F3, VK_F3},
        {Qt::Key_Q, 'Q'},           {Qt::Key_7, '7'},
    };
    for (const auto& [key, vk] : keys) {
        g_seen.clear();
        QTest::keyPress(client, key);
        qt_test::Drain();
        const Recorded* down = Last(WM_KEYDOWN);
        ASSERT_NE(down, nullptr) << "key " << int(key);
        EXPECT_EQ(down->wParam, vk) << "key " << int(key);
        QTest::keyRelease(client, key);
    }
    // Ctrl+F is the Ctrl key, then F; a key without a code is dropped.
    g_seen.clear();
    QTest::keyPress(client, Qt::Key_F, Qt::ControlModifier);
    QTest::keyPress(client, Qt::Key_Launch0);
    qt_test::Drain();
    std::vector<plat::WParam> downs;
    for (const Recorded& r : g_seen) {
        if (r.message == WM_KEYDOWN) {
            downs.push_back(r.wParam);
        }
    }
    EXPECT_EQ(downs, (std::vector<plat::WParam>{0x11, 'F'}));
}

TEST_F(WindowTest, TranslateMessageAddsTheCharacterOfATypedKey) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    QTest::keyClick(plat::qt::ClientOf(window), Qt::Key_A, Qt::NoModifier);
    qt_test::Drain();
    qt_test::Drain();
    ASSERT_NE(Last(WM_CHAR), nullptr);
    EXPECT_EQ(Last(WM_CHAR)->wParam, plat::WParam('a'));
}

TEST_F(WindowTest, ClicksArriveInClientCoordinates) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL), nullptr);
    QTest::mouseClick(plat::qt::ClientOf(window), Qt::LeftButton, {}, QPoint(37, 52));
    qt_test::Drain();
    const Recorded* down = Last(WM_LBUTTONDOWN);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(plat::LoWord(std::uintptr_t(down->lParam)), 37);
    EXPECT_EQ(plat::HiWord(std::uintptr_t(down->lParam)), 52);
    ASSERT_NE(Last(WM_LBUTTONUP), nullptr);
    // The right button is not the stylus.
    g_seen.clear();
    QTest::mouseClick(plat::qt::ClientOf(window), Qt::RightButton, {}, QPoint(5, 5));
    qt_test::Drain();
    EXPECT_EQ(Last(WM_LBUTTONDOWN), nullptr);
}

TEST_F(WindowTest, CloseRequestDestroysThroughTheDefaultHandling) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    g_seen.clear();
    plat::qt::FrameOf(window)->close();
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(plat::IsWindow(window));
    EXPECT_EQ(plat::FindWindow(className.c_str(), u"Test window"), nullptr);
}

TEST_F(WindowTest, ActivationIsReported) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    ASSERT_TRUE(qt_test::RunLoopUntil([&] { return Last(WM_ACTIVATE) != nullptr; }));
    EXPECT_EQ(plat::LoWord(Last(WM_ACTIVATE)->wParam), WA_ACTIVE);
    EXPECT_EQ(plat::GetForegroundWindow(), window);
}

TEST_F(WindowTest, DrawingOutsidePaintAppearsAtOnce) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL), nullptr);
    plat::Dc dc = plat::GetDC(window);
    ASSERT_NE(dc, nullptr);
    plat::FillRect(dc, plat::Rect{10, 10, 30, 20}, plat::GetStockBrush(BLACK_BRUSH));
    QImage image = plat::qt::WindowImage(window);
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(29, 19), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(30, 20), qRgb(255, 255, 255));
    // The widget shows the image: what a user sees has the same pixels.
    QImage shown = plat::qt::ClientOf(window)->grab().toImage();
    EXPECT_EQ(shown.pixel(15, 15), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(40, 15), qRgb(255, 255, 255));
    plat::ReleaseDC(window, dc);
}

TEST_F(WindowTest, PaintComesWhenTheQueueIsEmptyAndOnlyWhileInvalid) {
    g_paintBlack = true;
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    auto paints = [] { return std::count_if(g_seen.begin(), g_seen.end(),
                                            [](const Recorded& r) { return r.message == WM_PAINT; }); };
    ASSERT_TRUE(qt_test::RunLoopUntil([&] { return paints() >= 1; }));
    EXPECT_EQ(plat::qt::WindowImage(window).pixel(1, 1), qRgb(0, 0, 0));
    // Validated: no second paint without a reason.
    qt_test::RunLoopUntil([] { return false; }, 100);
    EXPECT_EQ(paints(), 1);
    plat::InvalidateRect(window, nullptr, true);
    ASSERT_TRUE(qt_test::RunLoopUntil([&] { return paints() >= 2; }));
    // The erase came first through the default handling: the class background.
    std::vector<std::uint32_t> seen = Messages();
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_ERASEBKGND), seen.end());
    qt_test::RunLoopUntil([] { return false; }, 100);
    EXPECT_EQ(paints(), 2);
}

// The window's scroll bar looks exactly as it does in the application's
// own style, however tall, at any position, enabled or not.
TEST_F(WindowTest, ScrollBarLooksAsInTheApplicationsStyle) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL), nullptr);
    QScrollBar* bar = plat::qt::ScrollBarOf(window);
    ASSERT_NE(bar, nullptr);
    QStyle* own = bar->style();
    ASSERT_NE(own, QApplication::style());
    int compared = 0;
    for (int height : {40, 95, 96, 150, 333, 700}) {
        for (int pos : {0, 17, 50}) {
            for (bool enabled : {true, false}) {
                bar->resize(bar->width(), height);
                bar->setRange(0, 50);
                bar->setPageStep(9);
                bar->setValue(pos);
                bar->setEnabled(enabled);
                const QImage shown = bar->grab().toImage();
                bar->setStyle(QApplication::style());
                const QImage expected = bar->grab().toImage();
                bar->setStyle(own);
                ASSERT_EQ(shown.height(), height);
                ASSERT_EQ(qt_test::DifferentPixels(shown, expected), 0)
                    << height << " high, at " << pos << (enabled ? "" : ", disabled");
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 36);
}

// The same on screens with more device pixels than logical ones.
TEST_F(WindowTest, ScrollBarLooksAsInTheApplicationsStyleOnDenserScreens) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL), nullptr);
    QScrollBar* bar = plat::qt::ScrollBarOf(window);
    ASSERT_NE(bar, nullptr);
    auto draw = [&](QStyle* style, qreal ratio, const QStyleOptionSlider& option) {
        QImage image(int(option.rect.width() * ratio), int(option.rect.height() * ratio),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        style->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, bar);
        return image;
    };
    int compared = 0;
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        for (int height = 66; height < 720; height += 23) {
            for (int pos : {0, 50}) {
                QStyleOptionSlider option;
                option.initFrom(bar);
                option.rect = QRect(0, 0, bar->width(), height);
                option.orientation = Qt::Vertical;
                option.subControls = QStyle::SC_All;
                option.minimum = 0;
                option.maximum = 50;
                option.pageStep = 9;
                option.singleStep = 1;
                option.sliderPosition = pos;
                option.sliderValue = pos;
                EXPECT_EQ(qt_test::DifferentPixels(draw(bar->style(), ratio, option),
                                                   draw(QApplication::style(), ratio, option)),
                          0)
                    << "ratio " << ratio << ", " << height << " high, at " << pos;
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 7 * 29 * 2);
}

TEST_F(WindowTest, ScrollBarActionsBecomeScrollMessagesWithoutFeedback) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL), nullptr);
    QScrollBar* bar = plat::qt::ScrollBarOf(window);
    ASSERT_NE(bar, nullptr);
    g_seen.clear();
    plat::ScrollInfo si;
    si.mask = SIF_RANGE | SIF_POS;
    si.min = 0;
    si.max = 50;
    si.pos = 10;
    EXPECT_EQ(plat::SetScrollInfo(window, SB_VERT, si, true), 10);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->maximum(), 50);
    EXPECT_EQ(Last(WM_VSCROLL), nullptr) << "setting the bar must not report back";

    const std::pair<QAbstractSlider::SliderAction, std::uint16_t> actions[] = {
        {QAbstractSlider::SliderSingleStepSub, SB_LINEUP}, {QAbstractSlider::SliderSingleStepAdd, SB_LINEDOWN},
        {QAbstractSlider::SliderPageStepSub, SB_PAGEUP},   {QAbstractSlider::SliderPageStepAdd, SB_PAGEDOWN},
        {QAbstractSlider::SliderToMinimum, SB_TOP},        {QAbstractSlider::SliderToMaximum, SB_BOTTOM},
    };
    for (const auto& [action, code] : actions) {
        g_seen.clear();
        bar->triggerAction(action);
        ASSERT_NE(Last(WM_VSCROLL), nullptr);
        EXPECT_EQ(plat::LoWord(Last(WM_VSCROLL)->wParam), code);
        // The program did not move the bar, so it stays where the program put it.
        EXPECT_EQ(bar->value(), 10);
    }
    // Dragging the thumb reports its position.
    g_seen.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(33);
    ASSERT_NE(Last(WM_VSCROLL), nullptr);
    EXPECT_EQ(plat::LoWord(Last(WM_VSCROLL)->wParam), SB_THUMBTRACK);
    EXPECT_EQ(plat::HiWord(Last(WM_VSCROLL)->wParam), 33);
    bar->setSliderDown(false);
    std::vector<std::uint16_t> codes;
    for (const Recorded& r : g_seen) {
        if (r.message == WM_VSCROLL) {
            codes.push_back(plat::LoWord(r.wParam));
        }
    }
    EXPECT_EQ(codes, (std::vector<std::uint16_t>{SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));

    plat::ScrollInfo read;
    read.mask = SIF_RANGE | SIF_POS;
    ASSERT_TRUE(plat::GetScrollInfo(window, SB_VERT, &read));
    EXPECT_EQ(read.max, 50);
    EXPECT_EQ(read.pos, 10);
    // A position beyond the range is held to it.
    si.mask = SIF_POS;
    si.pos = 99;
    EXPECT_EQ(plat::SetScrollInfo(window, SB_VERT, si, true), 50);
}

TEST_F(WindowTest, WindowsWithoutScrollBarRefuseScrollInfo) {
    ASSERT_NE(Create(0), nullptr);
    EXPECT_EQ(plat::qt::ScrollBarOf(window), nullptr);
    plat::ScrollInfo si;
    si.mask = SIF_POS;
    EXPECT_EQ(plat::SetScrollInfo(window, SB_VERT, si, true), 0);
    EXPECT_FALSE(plat::GetScrollInfo(window, SB_VERT, &si));
}

TEST_F(WindowTest, FindWindowMatchesClassWithoutCaseAndTitleExactly) {
    ASSERT_NE(Create(0), nullptr);
    std::u16string upper = className;
    for (char16_t& c : upper) {
        c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    }
    EXPECT_EQ(plat::FindWindow(upper.c_str(), u"Test window"), window);
    EXPECT_EQ(plat::FindWindow(className.c_str(), nullptr), window);
    EXPECT_EQ(plat::FindWindow(className.c_str(), u""), nullptr);
    EXPECT_EQ(plat::FindWindow(className.c_str(), u"test window"), nullptr);
    plat::SetWindowText(window, u"Renamed");
    char16_t title[16];
    EXPECT_EQ(plat::GetWindowText(window, title, 4), 3);
    EXPECT_EQ(std::u16string(title), u"Ren");
    EXPECT_EQ(plat::qt::FrameOf(window)->windowTitle(), QStringLiteral("Renamed"));
}

TEST_F(WindowTest, FullScreenRequestsTakeAndGiveBackTheScreen) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    QWidget* frame = plat::qt::FrameOf(window);
    ASSERT_TRUE(plat::SHFullScreen(window, plat::SHFS_HIDETASKBAR | plat::SHFS_HIDESIPBUTTON));
    EXPECT_TRUE(frame->isFullScreen());
    // Moving a full-screen window does not take it out of full screen.
    plat::MoveWindow(window, 0, 0, 100, 100, false);
    EXPECT_TRUE(frame->isFullScreen());
    ASSERT_TRUE(plat::SHFullScreen(window, plat::SHFS_SHOWTASKBAR));
    EXPECT_FALSE(frame->isFullScreen());
    // Input-panel requests alone change nothing.
    plat::SHFullScreen(window, plat::SHFS_HIDESIPBUTTON | plat::SHFS_SHOWSTARTICON);
    EXPECT_FALSE(frame->isFullScreen());
}

TEST_F(WindowTest, FunctionKeyOneAlsoAsksForHelp) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    QTest::keyPress(plat::qt::ClientOf(window), Qt::Key_F1);
    qt_test::Drain();
    ASSERT_NE(Last(WM_HELP), nullptr);
}

TEST(MessageLoop, EndsAtTheQuitMessageWithItsExitCodeAfterWhatWasQueued) {
    plat::PostMessage(nullptr, WM_USER + 1, 5, 6);
    plat::PostQuitMessage(7);
    plat::Message m;
    ASSERT_EQ(plat::GetMessage(&m), 1);
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_EQ(m.wParam, 5u);
    ASSERT_EQ(plat::GetMessage(&m), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
}

TEST(MessageLoop, AQuitPostedWhileWaitingWakesTheLoop) {
    QTimer::singleShot(30, [] { plat::PostQuitMessage(3); });
    plat::Message m;
    int r;
    while ((r = plat::GetMessage(&m)) > 0) {
        plat::DispatchMessage(&m);
    }
    EXPECT_EQ(r, 0);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(WindowTest, SavedWindowImageShowsTheWholeWindow) {
    ASSERT_NE(Create(WS_VISIBLE | WS_VSCROLL, 240, 180), nullptr);
    plat::Dc dc = plat::GetDC(window);
    plat::FillRect(dc, plat::Rect{0, 0, 400, 400}, plat::GetStockBrush(BLACK_BRUSH));
    plat::ReleaseDC(window, dc);
    QString path = QDir::tempPath() + QStringLiteral("/tovanel_window_%1.png").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(plat::SaveWindowImage(window, path.toLocal8Bit().constData()));
    QImage saved(path);
    QFile::remove(path);
    ASSERT_EQ(saved.size(), QSize(240, 180));
    EXPECT_EQ(saved.pixel(5, 5), qRgb(0, 0, 0));
    // The scroll bar at the right is not the client's black.
    int sb = plat::GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_NE(saved.pixel(240 - sb / 2, 90), qRgb(0, 0, 0));
}

}  // namespace

TEST_F(WindowTest, ATerminationSignalClosesTheWindowsInsteadOfKillingTheProgram) {
    ASSERT_NE(Create(WS_VISIBLE), nullptr);
    g_seen.clear();
    ASSERT_EQ(::raise(SIGTERM), 0);  // handled: the test goes on
    EXPECT_TRUE(qt_test::RunLoopUntil([this] { return !plat::IsWindow(window); }));
    std::vector<std::uint32_t> seen = Messages();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], WM_CLOSE);
    EXPECT_EQ(seen.back(), WM_DESTROY);
}
