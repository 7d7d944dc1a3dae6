// Dialogs from templates with real controls, run modally and driven from a
// timer; message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/qt/qt_backend.h"
#include "platform/types.h"
#include "platform/shell.h"
#include "platform/templates.h"
#include "platform/window.h"
#include "support.h"

namespace {

using plat::ControlKind;
using qt_test::Recorded;

constexpr std::uint16_t kFormDialog = 500;
constexpr std::uint16_t kCanvasDialog = 501;

const plat::DialogItemTemplate kFormItems[] = {
    {ControlKind::StaticText, 0xFFFF, plat::SS_NOPREFIX, 4, 4, 100, 8, u"A & B", 0},
    {ControlKind::ListBox, 100, plat::LBS_NOTIFY | plat::LBS_SORT | WS_TABSTOP | WS_GROUP, 4, 16, 80, 60, nullptr, 0},
    {ControlKind::EditBox, 101, WS_BORDER | WS_TABSTOP, 90, 16, 66, 12, u"start", 0},
    {ControlKind::RadioButton, 102, WS_GROUP, 90, 32, 40, 10, u"One", 0},
    {ControlKind::RadioButton, 103, 0, 90, 44, 40, 10, u"Two", 0},
    {ControlKind::CheckBox, 104, WS_GROUP, 90, 56, 40, 10, u"Check", 0},
    {ControlKind::PushButton, 105, WS_TABSTOP, 4, 80, 40, 14, u"&Press", 0},
    {ControlKind::OwnerDrawButton, 106, WS_TABSTOP, 50, 80, 60, 14, u"link", 0},
    {ControlKind::EditBox, 107, 0, 90, 68, 66, 10, u"", 0},
};
const plat::DialogTemplate kForm = {u"Form", WS_POPUP | WS_CAPTION | DS_CENTER | DS_SETFONT, WS_EX_CAPTIONOKBTN,
                                    0, 0, 160, 100, u"DejaVu Sans", 8, kFormItems, int(std::size(kFormItems))};
const plat::DialogTemplate kCanvas = {u"Canvas", WS_POPUP | WS_CAPTION | WS_VSCROLL | DS_CENTER, 0,
                                      0, 0, 120, 80, u"DejaVu Sans", 8, nullptr, 0};
const plat::ResourceEntry kEntries[] = {
    {RT_DIALOG, kFormDialog, &kForm, sizeof kForm},
    {RT_DIALOG, kCanvasDialog, &kCanvas, sizeof kCanvas},
};

std::vector<Recorded> g_seen;
std::function<void(plat::Window)> g_driver;  // runs once the dialog's loop runs
bool g_handleCancel = true;
bool g_drawBlack = false;
std::vector<std::uint32_t> g_drawStates;
plat::Window g_current = nullptr;

std::intptr_t FormProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    if (message != qt_test::kTick) {
        g_seen.push_back(Recorded{message, wParam, lParam, {}});
    }
    switch (message) {
    case WM_INITDIALOG:
        g_current = dialog;
        for (const char16_t* fruit : {u"pear", u"Apple", u"fig"}) {
            plat::SendDlgItemMessage(dialog, 100, LB_ADDSTRING, 0, plat::LParam(fruit));
        }
        if (plat::GetDlgItem(dialog, 102) != nullptr) {
            plat::CheckRadioButton(dialog, 102, 103, 102);
        }
        QTimer::singleShot(0, [dialog] {
            if (g_driver) {
                g_driver(dialog);
            }
        });
        return 1;
    case WM_COMMAND:
        if (plat::LoWord(wParam) == IDCANCEL && g_handleCancel) {
            plat::EndDialog(dialog, IDCANCEL);
            return 1;
        }
        if (plat::LoWord(wParam) == IDOK) {
            plat::EndDialog(dialog, IDOK);
            return 1;
        }
        return 0;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const plat::DrawItemStruct*>(lParam);
        g_drawStates.push_back(item->itemState);
        if (g_drawBlack) {
            plat::FillRect(item->dc, item->rcItem, plat::GetStockBrush(BLACK_BRUSH));
        }
        return 1;
    }
    case WM_PAINT: {
        plat::PaintStruct ps;
        plat::BeginPaint(dialog, &ps);
        plat::EndPaint(dialog, &ps);
        return 1;
    }
    default:
        return 0;
    }
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_driver = nullptr;
        g_handleCancel = true;
        g_drawBlack = false;
        g_drawStates.clear();
        plat::AddResourceTable(&module, plat::ResourceTable{kEntries, std::size(kEntries)});
    }
    void TearDown() override { g_driver = nullptr; }
    // Runs the dialog with the driver; a driver that stops early (a failed
    // assertion) leaves the dialog to a watchdog that ends it with -2.
    std::intptr_t Run(std::uint16_t id, std::function<void(plat::Window)> driver, plat::Window owner = nullptr) {
        g_driver = std::move(driver);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (plat::IsWindow(g_current)) {
                plat::EndDialog(g_current, -2);
            }
        });
        watchdog.start(5000);
        return plat::DialogBoxParam(&module, id, owner, FormProc, 77);
    }
    static int Count(std::uint32_t message, std::uint16_t id = 0, std::uint16_t code = 0xFFFF) {
        int n = 0;
        for (const Recorded& r : g_seen) {
            if (r.message == message && (id == 0 || plat::LoWord(r.wParam) == id) &&
                (code == 0xFFFF || plat::HiWord(r.wParam) == code)) {
                ++n;
            }
        }
        return n;
    }
    static QWidget* Widget(plat::Window dialog, int id) { return plat::qt::WidgetOf(plat::GetDlgItem(dialog, id)); }
    plat::Module module;
};

TEST_F(DialogTest, RunsModallyUntilEndDialogAndIsThenGone) {
    plat::Window seenDialog = nullptr;
    std::intptr_t result = Run(kFormDialog, [&](plat::Window dialog) {
        seenDialog = dialog;
        EXPECT_TRUE(plat::qt::FrameOf(dialog)->isVisible());
        EXPECT_TRUE(plat::qt::FrameOf(dialog)->isModal());
        plat::EndDialog(dialog, 42);
    });
    EXPECT_EQ(result, 42);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.front().message, WM_INITDIALOG);
    EXPECT_EQ(g_seen.front().lParam, 77);
    EXPECT_EQ(g_seen.back().message, WM_DESTROY);
    EXPECT_FALSE(plat::IsWindow(seenDialog));
    EXPECT_EQ(plat::DialogBoxParam(&module, 999, nullptr, FormProc, 0), -1);
}

TEST_F(DialogTest, ControlsSitWhereTheDialogUnitsSay) {
    Run(kFormDialog, [&](plat::Window dialog) {
        // Position and size convert each on their own, as the template gives them.
        plat::Rect r{90, 16, 66, 12};
        ASSERT_TRUE(plat::MapDialogRect(dialog, &r));
        EXPECT_EQ(Widget(dialog, 101)->geometry(), QRect(r.left, r.top, r.right, r.bottom));
        plat::Rect whole{0, 0, 160, 100};
        plat::MapDialogRect(dialog, &whole);
        plat::Rect client;
        plat::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, whole.right);
        EXPECT_EQ(client.bottom, whole.bottom);
        EXPECT_GT(whole.right, 160) << "base units of a real font are more than one pixel";
        EXPECT_EQ(plat::GetDlgCtrlID(plat::GetDlgItem(dialog, 104)), 104);
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, UserActionsReachTheProcedureAndProgramChangesDoNot) {
    Run(kFormDialog, [&](plat::Window dialog) {
        // Selection by the user notifies; by the program it does not.
        auto* list = static_cast<QListWidget*>(Widget(dialog, 100));
        plat::SendDlgItemMessage(dialog, 100, LB_SETCURSEL, 2, 0);
        EXPECT_EQ(Count(WM_COMMAND, 100, LBN_SELCHANGE), 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(Count(WM_COMMAND, 100, LBN_SELCHANGE), 1);
        EXPECT_EQ(plat::SendDlgItemMessage(dialog, 100, LB_GETCURSEL, 0, 0), 0);

        // Typing changes the text and says so each time.
        QTest::keyClicks(Widget(dialog, 101), "xy");
        EXPECT_EQ(Count(WM_COMMAND, 101, EN_CHANGE), 2);
        char16_t text[32];
        EXPECT_EQ(plat::GetDlgItemText(dialog, 101, text, 32), 7);
        EXPECT_EQ(std::u16string(text), u"startxy");

        // Radio buttons of one group exclude each other; the check box is its own.
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 102), BST_CHECKED);
        QTest::mouseClick(static_cast<QAbstractButton*>(Widget(dialog, 103)), Qt::LeftButton);
        EXPECT_EQ(Count(WM_COMMAND, 103, BN_CLICKED), 1);
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 103), BST_CHECKED);
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 102), BST_UNCHECKED);
        QTest::mouseClick(static_cast<QAbstractButton*>(Widget(dialog, 103)), Qt::LeftButton);
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 103), BST_CHECKED) << "a radio button stays on";
        QTest::mouseClick(static_cast<QAbstractButton*>(Widget(dialog, 104)), Qt::LeftButton);
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 104), BST_CHECKED);
        EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 103), BST_CHECKED);

        QTest::mouseClick(static_cast<QAbstractButton*>(Widget(dialog, 105)), Qt::LeftButton);
        EXPECT_EQ(Count(WM_COMMAND, 105, BN_CLICKED), 1);
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, ListBoxAnswersItsMessages) {
    Run(kFormDialog, [&](plat::Window dialog) {
        auto send = [dialog](std::uint32_t m, plat::WParam w, plat::LParam l) {
            return plat::SendDlgItemMessage(dialog, 100, m, w, l);
        };
        ASSERT_EQ(send(LB_GETCOUNT, 0, 0), 3);
        char16_t text[16];
        EXPECT_EQ(send(LB_GETTEXT, 0, plat::LParam(text)), 5);
        EXPECT_EQ(std::u16string(text), u"Apple") << "sorted without regard to case";
        send(LB_GETTEXT, 2, plat::LParam(text));
        EXPECT_EQ(std::u16string(text), u"pear");
        EXPECT_EQ(send(LB_GETTEXTLEN, 1, 0), 3);
        EXPECT_EQ(send(LB_GETTEXT, 9, plat::LParam(text)), LB_ERR);
        EXPECT_EQ(send(LB_FINDSTRINGEXACT, plat::WParam(-1), plat::LParam(u"FIG")), 1);
        EXPECT_EQ(send(LB_FINDSTRINGEXACT, 1, plat::LParam(u"fig")), 1) << "the search wraps round";
        EXPECT_EQ(send(LB_FINDSTRINGEXACT, plat::WParam(-1), plat::LParam(u"fi")), LB_ERR);
        EXPECT_EQ(send(LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(send(LB_SETCURSEL, 7, 0), LB_ERR);
        EXPECT_EQ(send(LB_SETCURSEL, 1, 0), 1);
        EXPECT_EQ(send(LB_GETCURSEL, 0, 0), 1);
        send(LB_SETITEMDATA, 1, 31767);
        EXPECT_EQ(send(LB_GETITEMDATA, 1, 0), 31767);
        EXPECT_EQ(send(LB_ADDSTRING, 0, plat::LParam(u"banana")), 1);
        EXPECT_EQ(send(LB_GETITEMDATA, 2, 0), 31767) << "data moves with its item";
        send(LB_RESETCONTENT, 0, 0);
        EXPECT_EQ(send(LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(Count(WM_COMMAND, 100, LBN_SELCHANGE), 0);
        plat::EndDialog(dialog, 0);
    });
}

// The list widget shows what the list box holds, and a user's click that
// clears the selection clears it for the program too.
TEST_F(DialogTest, ListWidgetMirrorsTheListBox) {
    Run(kFormDialog, [&](plat::Window dialog) {
        auto* list = static_cast<QListWidget*>(Widget(dialog, 100));
        auto send = [dialog](std::uint32_t m, plat::WParam w, plat::LParam l) {
            return plat::SendDlgItemMessage(dialog, 100, m, w, l);
        };
        auto shown = [list] {
            QStringList rows;
            for (int i = 0; i < list->count(); ++i) {
                rows << list->item(i)->text().remove(QChar(0x202D));
            }
            return rows.join(QLatin1Char(','));
        };
        send(LB_ADDSTRING, 0, plat::LParam(u"banana"));
        EXPECT_EQ(shown(), QStringLiteral("Apple,banana,fig,pear"));
        send(LB_SETCURSEL, 2, 0);
        EXPECT_EQ(list->currentRow(), 2);
        send(LB_DELETESTRING, 0, 0);
        EXPECT_EQ(shown(), QStringLiteral("banana,fig,pear"));
        EXPECT_EQ(list->currentRow(), 1) << "fig is still the one selected";
        ASSERT_EQ(list->selectedItems().size(), 1);
        EXPECT_EQ(list->selectedItems().front()->text().remove(QChar(0x202D)), QStringLiteral("fig"));
        send(LB_SETCURSEL, plat::WParam(-1), 0);
        EXPECT_TRUE(list->selectedItems().isEmpty());

        send(LB_SETCURSEL, 0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(0)).center());
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_EQ(send(LB_GETCURSEL, 0, 0), LB_ERR);
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, EditBoxBuildsAWordRightToLeftThroughSelectionMessages) {
    constexpr std::uint32_t EM_GETSEL = 0x00B0, EM_REPLACESEL = 0x00C2;
    Run(kFormDialog, [&](plat::Window dialog) {
        plat::SetDlgItemText(dialog, 107, u"");
        for (const char16_t* letter : {u"\u05D0", u"\u05D1", u"\u05D2"}) {
            plat::SendDlgItemMessage(dialog, 107, EM_REPLACESEL, 1, plat::LParam(letter));
            std::uint32_t start = 0, end = 0;
            plat::SendDlgItemMessage(dialog, 107, EM_GETSEL, plat::WParam(&start), plat::LParam(&end));
            EXPECT_EQ(start, end);
            plat::SendDlgItemMessage(dialog, 107, EM_SETSEL, start - 1, plat::LParam(start - 1));
        }
        char16_t text[8];
        plat::GetDlgItemText(dialog, 107, text, 8);
        EXPECT_EQ(std::u16string(text), u"\u05D2\u05D1\u05D0");
        plat::SendDlgItemMessage(dialog, 107, EM_SETSEL, 0, -1);
        std::uint32_t start = 9, end = 9;
        plat::SendDlgItemMessage(dialog, 107, EM_GETSEL, plat::WParam(&start), plat::LParam(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 3u);
        plat::SendDlgItemMessage(dialog, 107, EM_LIMITTEXT, 4, 0);
        plat::SendDlgItemMessage(dialog, 107, EM_REPLACESEL, 1, plat::LParam(u"abcdefg"));
        plat::GetDlgItemText(dialog, 107, text, 8);
        EXPECT_EQ(std::u16string(text), u"abcd");
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, EditBoxShowsHebrewInStoredOrder) {
    Run(kFormDialog, [&](plat::Window dialog) {
        const std::u16string word = u"\u05D0\u05D1\u05D2\u05D3 ab";
        plat::SetDlgItemText(dialog, 107, word.c_str());
        Widget(dialog, 100)->setFocus();
        QWidget* edit = Widget(dialog, 107);
        QImage shown = edit->grab().toImage().convertToFormat(QImage::Format_RGB32);

        auto font = reinterpret_cast<plat::Font>(plat::SendDlgItemMessage(dialog, 107, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        plat::Dc dc = plat::CreateImageDC(edit->width(), edit->height());
        plat::SelectFont(dc, font);
        plat::SetBkMode(dc, TRANSPARENT);
        plat::ExtTextOut(dc, 3, 3, word.data(), int(word.size()));
        QImage expected = plat::qt::DcImage(dc);
        plat::DeleteImageDC(dc);
        EXPECT_GT(qt_test::InkPixels(expected, expected.rect()), 20);
        EXPECT_EQ(qt_test::DifferentPixels(shown, expected), 0);
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, OwnerDrawnButtonIsDrawnByTheProcedure) {
    g_drawBlack = true;
    Run(kFormDialog, [&](plat::Window dialog) {
        QWidget* button = Widget(dialog, 106);
        ASSERT_TRUE(qt_test::RunLoopUntil([] { return !g_drawStates.empty(); }));
        for (const Recorded& r : g_seen) {
            if (r.message == WM_DRAWITEM) {
                EXPECT_EQ(r.wParam, 106u);
            }
        }
        QImage shown = button->grab().toImage();
        EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 0, 0));
        EXPECT_EQ(shown.pixel(button->width() - 1, button->height() - 1), qRgb(0, 0, 0));
        // Pressing draws it again in the selected state; the click is a command.
        g_drawStates.clear();
        QTest::mouseClick(static_cast<QAbstractButton*>(button), Qt::LeftButton);
        ASSERT_GE(g_drawStates.size(), 2u);
        EXPECT_TRUE(g_drawStates[0] & 0x0001);
        EXPECT_FALSE(g_drawStates.back() & 0x0001);
        EXPECT_EQ(Count(WM_COMMAND, 106, BN_CLICKED), 1);
        plat::EndDialog(dialog, 0);
    });
}

TEST_F(DialogTest, EscapeAndTheCaptionOkButtonAreCommands) {
    std::intptr_t result = Run(kFormDialog, [&](plat::Window dialog) {
        QTest::keyClick(plat::qt::FrameOf(dialog), Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Count(WM_COMMAND, IDCANCEL), 1);

    g_seen.clear();
    result = Run(kFormDialog, [&](plat::Window dialog) {
        QPushButton* ok = nullptr;
        for (QPushButton* b : plat::qt::FrameOf(dialog)->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("OK")) {
                ok = b;
            }
        }
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isVisible());
        ok->click();
    });
    EXPECT_EQ(result, IDOK);

    // A procedure that ignores Cancel is still closed by the desktop's close.
    g_handleCancel = false;
    result = Run(kFormDialog, [&](plat::Window dialog) { plat::qt::FrameOf(dialog)->close(); });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogTest, FullScreenSetUpCoversTheOwnerAndReportsTheSize) {
    std::u16string cls = qt_test::UniqueClass(u"DialogOwner");
    plat::WindowClass wc;
    wc.proc = plat::DefWindowProc;
    wc.className = cls.c_str();
    plat::RegisterClass(wc);
    plat::Window owner = plat::CreateWindowEx(0, cls.c_str(), u"Owner", WS_VISIBLE, 10, 10, 300, 260, nullptr,
                                              nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    Run(kFormDialog, [&](plat::Window dialog) {
        EXPECT_EQ(plat::GetParent(dialog), owner);
        g_seen.clear();
        ASSERT_TRUE(plat::SHInitDialog(dialog, plat::SHIDIF_SIZEDLGFULLSCREEN | plat::SHIDIF_DONEBUTTON));
        plat::Rect dialogRect, ownerRect, client;
        plat::GetWindowRect(dialog, &dialogRect);
        plat::GetWindowRect(owner, &ownerRect);
        EXPECT_EQ(dialogRect.left, ownerRect.left);
        EXPECT_EQ(dialogRect.right, ownerRect.right);
        EXPECT_EQ(dialogRect.bottom, ownerRect.bottom);
        plat::GetClientRect(dialog, &client);
        ASSERT_EQ(Count(WM_SIZE), 1);
        EXPECT_EQ(plat::LoWord(std::uintptr_t(g_seen.back().lParam)), client.right);
        EXPECT_EQ(plat::HiWord(std::uintptr_t(g_seen.back().lParam)), client.bottom);
        plat::EndDialog(dialog, 0);
    }, owner);
    plat::DestroyWindow(owner);
}

TEST_F(DialogTest, ItsOwnClientAreaTakesTapsPaintAndScrolling) {
    Run(kCanvasDialog, [&](plat::Window dialog) {
        ASSERT_NE(plat::qt::ScrollBarOf(dialog), nullptr);
        plat::Dc dc = plat::GetDC(dialog);
        plat::FillRect(dc, plat::Rect{0, 0, 10, 10}, plat::GetStockBrush(BLACK_BRUSH));
        plat::ReleaseDC(dialog, dc);
        EXPECT_EQ(plat::qt::ClientOf(dialog)->grab().toImage().pixel(5, 5), qRgb(0, 0, 0));
        QTest::mouseClick(plat::qt::ClientOf(dialog), Qt::LeftButton, {}, QPoint(20, 25));
        ASSERT_TRUE(qt_test::RunLoopUntil([] { return Count(WM_LBUTTONDOWN) > 0; }));
        plat::qt::ScrollBarOf(dialog)->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(Count(WM_VSCROLL, SB_PAGEDOWN), 1);
        plat::qt::ClientOf(dialog)->setFocus();
        QTest::keyClick(plat::qt::ClientOf(dialog), Qt::Key_PageDown);
        ASSERT_TRUE(qt_test::RunLoopUntil([] { return Count(WM_KEYDOWN, VK_NEXT) > 0; }));
        EXPECT_TRUE(qt_test::RunLoopUntil([] { return Count(WM_PAINT) > 0; }));
        plat::EndDialog(dialog, 0);
    });
    for (const Recorded& r : g_seen) {
        if (r.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(plat::LoWord(std::uintptr_t(r.lParam)), 20);
            EXPECT_EQ(plat::HiWord(std::uintptr_t(r.lParam)), 25);
        }
    }
}

TEST(MessageBoxTest, ShowsTextCaptionButtonsAndAnswersWithTheButtonChosen) {
    struct Seen {
        QString text, title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    } seen;
    auto clickLater = [&seen](QMessageBox::StandardButton which) {
        QTimer::singleShot(20, [&seen, which] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = Seen{box->text(), box->windowTitle(), box->standardButtons(), box->icon()};
            box->button(which)->click();
        });
    };
    clickLater(QMessageBox::No);
    int answer = plat::MessageBox(nullptr, u"Remove Bookmark?\n\nCancel - Don't ask again", u"Bookmark",
                                  MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.text, QStringLiteral("Remove Bookmark?\n\nCancel - Don't ask again"));
    EXPECT_EQ(seen.title, QStringLiteral("Bookmark"));
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Question);

    clickLater(QMessageBox::Ok);
    EXPECT_EQ(plat::MessageBox(nullptr, u"Not Found!", nullptr, MB_OK), IDOK);
    EXPECT_FALSE(seen.title.isEmpty()) << "a box without a caption still gets one";
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    clickLater(QMessageBox::Cancel);
    EXPECT_EQ(plat::MessageBox(nullptr, u"?", u"Error", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(MessageBoxTest, OffscreenABoxIsWrittenToStandardErrorAndAnsweredAtOnce) {
    struct Case {
        std::uint32_t type;
        int answer;
    } cases[] = {{MB_OK | MB_ICONEXCLAMATION, IDOK},     {MB_OKCANCEL, IDOK},
                 {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, {MB_YESNO, IDYES},
                 {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO}};
    plat::testing::AnswerOffscreenMessageBoxes(true);
    for (const Case& c : cases) {
        ::testing::internal::CaptureStderr();
        const int answer = plat::MessageBox(nullptr, u"Resource not found", u"Error", c.type);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, c.answer) << std::hex << c.type;
        EXPECT_EQ(said, "Error: Resource not found\n");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no box is left open";
    }
    plat::testing::AnswerOffscreenMessageBoxes(false);
}

}  // namespace
