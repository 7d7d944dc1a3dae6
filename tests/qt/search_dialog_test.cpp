// The Search dialog on the Qt backend with real key and mouse events: a word
// typed on a Hebrew keyboard in reading order, Backspace, Latin typing, a tap
// on the keyboard picture, and OK landing on the word.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <map>

#include "app/app_state.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "platform/qt/qt_backend.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "resources/search_resources.h"
#include "resources/ui_resources.h"
#include "search/search_dialog.h"
#include "store/article_store.h"
#include "store/palmdoc.h"
#include "support.h"
#include "support/test_container.h"
#include "view/article_view.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Container(const std::string& text) {
    Bytes plain(text.begin(), text.end());
    plain.push_back(0);  // the end mark
    return testsupport::CompressedContainer(plain);
}

// Presses the keys of a Hebrew keyboard layout: as from the desktop, each
// event's key code is the letter's code point and its text the letter.
void TypeHebrew(QWidget* widget, const QString& letters) {
    for (QChar letter : letters) {
        const auto key = Qt::Key(letter.unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(letter), Qt::NoModifier);
    }
}

// One right-to-left paragraph record.
std::string Paragraph(const std::string& stored) { return std::string("\x10\x00", 2) + stored + '\0'; }

class QtSearchDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ClearAppState();
        AppState.Font = FontDescription{u"David CLM", 20, 1488};
        lessons_ = {{1001, Container(Paragraph("start"))},
                    {1002, Container(Paragraph("xx nfmz yy"))}};  // "shalom", stored order
        for (const auto& [id, bytes] : lessons_) {
            entries_.push_back({RT_RCDATA, id, bytes.data(), std::uint32_t(bytes.size())});
        }
        plat::AddResourceTable(&module_, plat::ResourceTable{entries_.data(), entries_.size()});
        plat::AddResourceTable(&module_, UiResourceTable());
        AppState.Instance = &module_;
        dc_ = plat::CreateImageDC(240, 320);
        const plat::Rect rect{0, 0, 240, 320};
        AppState.View = CreateArticleView(dc_, &rect, &AppState.Font, 100);
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(1, nullptr, &length);
        ASSERT_EQ(LayoutArticle(AppState.View, text, 1, length), 0);
        AppState.Lesson = 1;
    }
    void TearDown() override {
        DestroyArticleView(AppState.View, 1);
        AppState.View = nullptr;
        plat::DeleteImageDC(dc_);
        AppState.Instance = nullptr;
    }

    // The open Search dialog, if its frame is up.
    static plat::Window OpenDialog() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            plat::Window window = plat::qt::WindowOf(w);
            if (w->isVisible() && window != nullptr && plat::GetDlgItem(window, kSearchEditId) != nullptr) {
                return window;
            }
        }
        return nullptr;
    }

    // Runs the dialog; `drive` acts once it is up. A watchdog ends it.
    std::intptr_t Run(std::function<void(plat::Window)> drive) {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&poll, drive] {
            if (plat::Window dialog = OpenDialog()) {
                poll.stop();
                drive(dialog);
            }
        });
        poll.start();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (plat::Window dialog = OpenDialog()) plat::EndDialog(dialog, -2);
        });
        watchdog.start(5000);
        return RunSearchDialog(nullptr);
    }

    static std::u16string BoxText(plat::Window dialog) {
        char16_t text[64] = {};
        plat::GetDlgItemText(dialog, kSearchEditId, text, 64);
        return text;
    }

    plat::Module module_;
    std::map<std::uint16_t, Bytes> lessons_;
    std::vector<plat::ResourceEntry> entries_;
    plat::Dc dc_ = nullptr;
};

TEST_F(QtSearchDialog, AHebrewWordTypedInReadingOrderIsFound) {
    const std::intptr_t result = Run([](plat::Window dialog) {
        QWidget* edit = plat::qt::WidgetOf(plat::GetDlgItem(dialog, kSearchEditId));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        TypeHebrew(edit, QString::fromUtf8("שלום"));
        EXPECT_EQ(BoxText(dialog), u"\u05DD\u05D5\u05DC\u05E9");
        // Backspace takes back the letter typed last; typing it again restores it.
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(BoxText(dialog), u"\u05D5\u05DC\u05E9");
        TypeHebrew(edit, QString::fromUtf8("ם"));
        EXPECT_EQ(BoxText(dialog), u"\u05DD\u05D5\u05DC\u05E9");
        plat::SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(reinterpret_cast<const char*>(AppState.SearchString), "nfmz");
    EXPECT_EQ(AppState.Lesson, 2);
}

TEST_F(QtSearchDialog, LatinTypingAndTheKeyboardPicture) {
    Run([](plat::Window dialog) {
        QWidget* edit = plat::qt::WidgetOf(plat::GetDlgItem(dialog, kSearchEditId));
        ASSERT_NE(edit, nullptr);
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        edit->setFocus();
        QTest::keyClicks(edit, "ab 1?");
        EXPECT_EQ(BoxText(dialog), u"ab 1?");
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(BoxText(dialog), u"ab 1");
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        EXPECT_EQ(BoxText(dialog), u"b 1");

        // The picture is drawn, and a tap in the middle of the top right key
        // inserts alef.
        plat::Rect at{kKeyboardX, kKeyboardY, kKeyboardX, kKeyboardY};
        plat::MapDialogRect(dialog, &at);
        QImage client = plat::qt::ClientOf(dialog)->grab().toImage();
        EXPECT_GT(qt_test::InkPixels(client, QRect(at.left, at.top, kKeyboardWidth, kKeyboardHeight)),
                  500);
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        QTest::mouseClick(plat::qt::ClientOf(dialog), Qt::LeftButton, {},
                          QPoint(at.left + 8 * kKeyWidth + 8, at.top + 12));
        EXPECT_TRUE(qt_test::RunLoopUntil([dialog] { return !BoxText(dialog).empty(); }));
        EXPECT_EQ(BoxText(dialog), u"\u05D0");
        plat::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

}  // namespace
