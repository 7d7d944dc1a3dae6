// The Choose Section dialog on the Qt backend with real keys, wheel and
// mouse: it covers its owner, scrolls, taps open a lesson, Escape cancels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "index/choose_section.h"
#include "index/index_view.h"
#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "support.h"

namespace {

plat::LResult OwnerProc(plat::Window w, std::uint32_t message, plat::WParam wParam,
                        plat::LParam lParam) {
    return plat::DefWindowProc(w, message, wParam, lParam);
}

class IndexDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = plat::Module{};
        plat::AddResourceTable(&module, UiResourceTable());
        plat::AddResourceTable(&module, BookResourceTable());
        ClearAppState();
        AppState.Instance = &module;
        AppState.Font.FontAsciiBase = 1488;
        const std::u16string face = u"David CLM";
        face.copy(AppState.Font.FontName, face.size());
        const std::uint16_t ids[3] = {kBitmapSectionClosed, kBitmapSectionOpen, kBitmapArticle};
        for (int i = 0; i < 3; ++i) AppState.OutlineBitmaps[i] = plat::LoadBitmap(&module, ids[i]);
        AppState.Lesson = 40;
        AddBookmark();
        AppState.Lesson = 10;
        plat::WindowClass owner;
        owner.proc = OwnerProc;
        owner.className = className.c_str();
        plat::RegisterClass(owner);
        window = plat::CreateWindowEx(0, className.c_str(), u"Tovanel", WS_VISIBLE, 0, 0, 300,
                                      400, nullptr, &module, nullptr);
        ASSERT_NE(window, nullptr);
        AppState.MainWindow = window;
    }
    void TearDown() override {
        FreeBookmarks();
        for (plat::Bitmap bitmap : AppState.OutlineBitmaps) plat::DeleteBitmap(bitmap);
        plat::DestroyWindow(window);
    }

    // Runs the dialog; `drive` acts on it once it is up. A watchdog cancels
    // a dialog the driver leaves open.
    LessonNumber Run(std::function<void(plat::Window)> drive) {
        QTimer::singleShot(0, [drive] {
            QWidget* modal = QApplication::activeModalWidget();
            plat::Window dialog = modal != nullptr ? plat::qt::WindowOf(modal) : nullptr;
            ASSERT_NE(dialog, nullptr);
            drive(dialog);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                plat::PostMessage(plat::qt::WindowOf(modal), WM_CLOSE, 0, 0);
            }
        });
        watchdog.start(8000);
        return ChooseSection(&module, window, AppState.Lesson, &AppState.Font);
    }

    // Where the first line of an entry is drawn, in client coordinates.
    static QPoint EntryPoint(std::uint16_t id) {
        const IndexView* view = OpenIndexView();
        int row = view->top;
        for (int i = FirstDrawnLine(view); i < view->lineCount; ++i) {
            const IndexLine& line = view->lines[i];
            if (!IsVisibleLine(line)) continue;
            if (line.id == id) return QPoint(line.x + line.textWidth / 2, row + line.height / 2);
            row += line.height;
        }
        return QPoint(-1, -1);
    }

    plat::Module module;
    std::u16string className = qt_test::UniqueClass(u"IndexOwner");
    plat::Window window = nullptr;
};

TEST_F(IndexDialogTest, KeysAndTheWheelScrollAndEscapeCancels) {
    LessonNumber result = Run([this](plat::Window dialog) {
        QWidget* frame = plat::qt::FrameOf(dialog);
        QWidget* client = plat::qt::ClientOf(dialog);
        QScrollBar* bar = plat::qt::ScrollBarOf(dialog);
        IndexView* view = OpenIndexView();
        ASSERT_NE(view, nullptr);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(frame->geometry(), plat::qt::FrameOf(window)->geometry());
        EXPECT_EQ(view->width, client->width());
        ASSERT_GT(view->maxTopLine, 3);
        EXPECT_EQ(bar->maximum(), view->maxTopLine);
        // The path to lesson 10 is open and the mark's entry leads.
        EXPECT_EQ(view->lines[0].id, 0x8877);
        EXPECT_EQ(EntryPoint(0x4000 | 40).y(), view->lines[0].height + view->lines[1].height / 2);
        EXPECT_GE(EntryPoint(0x4000 | 10).y(), 0);
        EXPECT_GT(qt_test::InkPixels(client->grab().toImage(), client->rect()), 500);

        client->setFocus();
        QTest::keyClick(client, Qt::Key_PageDown);
        EXPECT_TRUE(qt_test::RunLoopUntil([view] { return view->topLine == 1; }));
        QTest::keyClick(client, Qt::Key_Down);
        EXPECT_TRUE(qt_test::RunLoopUntil([view] { return view->topLine == 2; }));
        EXPECT_EQ(bar->value(), 2);
        const QPointF at(client->width() / 2.0, client->height() / 2.0);
        QWheelEvent down(at, client->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(client, &down);
        EXPECT_TRUE(qt_test::RunLoopUntil([view] { return view->topLine > 2; }));
        EXPECT_EQ(bar->value(), view->topLine);
        QTest::keyClick(client, Qt::Key_Up);
        EXPECT_TRUE(qt_test::RunLoopUntil([view, bar] { return bar->value() == view->topLine; }));
        QTest::keyClick(frame, Qt::Key_Escape);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(IndexDialogTest, AClickOnAnEntryChoosesItsLessonAndOnAHeadingToggles) {
    LessonNumber result = Run([](plat::Window dialog) {
        QWidget* client = plat::qt::ClientOf(dialog);
        IndexView* view = OpenIndexView();
        ASSERT_NE(view, nullptr);
        const int before = view->visibleCount;
        QTest::mouseClick(client, Qt::LeftButton, {}, EntryPoint(0x8877));
        EXPECT_TRUE(qt_test::RunLoopUntil([view, before] { return view->visibleCount < before; }));
        QTest::mouseClick(client, Qt::LeftButton, {}, EntryPoint(0x8877));
        EXPECT_TRUE(qt_test::RunLoopUntil([view, before] { return view->visibleCount == before; }));
        QTest::mouseClick(client, Qt::LeftButton, {}, EntryPoint(0x4000 | 40));
    });
    EXPECT_EQ(result, 40);
}

TEST_F(IndexDialogTest, EnterAndTheOkButtonKeepTheCurrentLesson) {
    EXPECT_EQ(Run([](plat::Window dialog) {
                  QTest::keyClick(plat::qt::ClientOf(dialog), Qt::Key_Return);
              }),
              10);
    EXPECT_EQ(Run([](plat::Window dialog) {
                  auto* ok = plat::qt::FrameOf(dialog)->findChild<QPushButton*>();
                  ASSERT_NE(ok, nullptr);
                  EXPECT_TRUE(ok->isVisible());
                  QTest::mouseClick(ok, Qt::LeftButton);
              }),
              10);
}

}  // namespace
