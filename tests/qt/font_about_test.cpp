// The Choose Font dialog with the desktop's real font families and real
// mouse clicks, and the About box's link opening the home page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <map>
#include <string>

#include "about/about_dialog.h"
#include "about/update_url.h"
#include "app/app_state.h"
#include "fonts/font_dialog.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "support.h"

// Takes the URLs the desktop would open in a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

namespace {

std::map<std::u16string, std::uint8_t> Families() {
    std::map<std::u16string, std::uint8_t> families;
    plat::EnumFontFamilies(
        nullptr,
        [](const char16_t* face, std::uint8_t charSet, void* context) {
            (*static_cast<std::map<std::u16string, std::uint8_t>*>(context))[face] = charSet;
            return true;
        },
        &families);
    return families;
}

plat::Window ModalDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? plat::qt::WindowOf(modal) : nullptr;
}

// Runs `act` on the modal dialog once its loop runs. A dialog still open
// after five seconds (a failed step) is closed, so a test never hangs.
void WhenOpen(std::function<void(plat::Window)> act) {
    QTimer::singleShot(0, [act] {
        plat::Window dialog = ModalDialog();
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
    QTimer::singleShot(5000, [] {
        if (plat::Window dialog = ModalDialog()) plat::EndDialog(dialog, -2);
    });
}

QWidget* Widget(plat::Window dialog, int id) { return plat::qt::WidgetOf(plat::GetDlgItem(dialog, id)); }

void ClickItem(plat::Window dialog, int id, const QString& text) {
    auto* list = qobject_cast<QListWidget*>(Widget(dialog, id));
    ASSERT_NE(list, nullptr);
    QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchEndsWith);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    QApplication::processEvents();
    list->scrollToItem(found.front());
    QApplication::processEvents();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

void ClickOk(plat::Window dialog) {
    for (QPushButton* button : plat::qt::FrameOf(dialog)->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("OK") && button->isVisible()) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    ADD_FAILURE() << "no OK button";
}

class FontAndAbout : public ::testing::Test {
protected:
    plat::Module module;
    void SetUp() override { plat::AddResourceTable(&module, UiResourceTable()); }
};

}  // namespace

TEST_F(FontAndAbout, ClickingAHebrewFamilyChoosesTheUnicodeBaseAndPreviewsTheFont) {
    if (Families().count(u"David CLM") == 0) GTEST_SKIP() << "the Culmus fonts are not installed";
    FontDescription description{};
    const char16_t dejavu[] = u"DejaVu Sans Mono";
    std::copy(std::begin(dejavu), std::end(dejavu), description.FontName);
    description.FontSize = 16;
    description.FontAsciiBase = 224;
    WhenOpen([&](plat::Window dialog) {
        auto* radio5D0 = qobject_cast<QAbstractButton*>(Widget(dialog, FontControl::Base1488));
        auto* radio224 = qobject_cast<QAbstractButton*>(Widget(dialog, FontControl::Base224));
        ASSERT_NE(radio5D0, nullptr);
        // The desktop reports David CLM as a family with Hebrew letters.
        EXPECT_TRUE(radio224->isChecked());
        ClickItem(dialog, FontControl::FaceList, QStringLiteral("David CLM"));
        EXPECT_TRUE(radio5D0->isChecked());
        EXPECT_FALSE(radio224->isChecked());
        ClickItem(dialog, FontControl::SizeList, QStringLiteral("28"));
        QFont shown = Widget(dialog, FontControl::Preview)->font();
        EXPECT_EQ(shown.family(), QStringLiteral("David CLM"));
        EXPECT_EQ(shown.pixelSize(), 28);
        char16_t preview[32] = {};
        plat::GetDlgItemText(dialog, FontControl::Preview, preview, 32);
        EXPECT_EQ(preview[26], u'\u05D0');
        ClickOk(dialog);
    });
    EXPECT_EQ(RunFontDialog(&module, nullptr, &description), IDOK);
    EXPECT_EQ(std::u16string(description.FontName), u"David CLM");
    EXPECT_EQ(description.FontSize, 28);
    EXPECT_EQ(description.FontAsciiBase, 1488);
}

TEST_F(FontAndAbout, TheLinkIsDrawnBlueAndATapOpensTheHomePage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    WhenOpen([&](plat::Window dialog) {
        QWidget* link = Widget(dialog, kAboutLinkButton);
        ASSERT_NE(link, nullptr);
        // The button draws itself when the loop has nothing else to do.
        qt_test::RunLoopUntil([link] { return !link->grab().toImage().allGray(); }, 2000);
        // Blue ink that ends just inside the button: fitted to its text,
        // neither cut off nor padded out to the template's width.
        QImage image = link->grab().toImage();
        int blue = 0;
        int lastBlueX = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                QColor c = image.pixelColor(x, y);
                if (c.blue() > 200 && c.red() < 80 && c.green() < 80) {
                    ++blue;
                    lastBlueX = std::max(lastBlueX, x);
                }
            }
        }
        EXPECT_GT(blue, 20);
        EXPECT_GE(lastBlueX, image.width() - 8);
        EXPECT_LT(lastBlueX, image.width() - 1);
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_TRUE(plat::IsWindow(dialog)) << "the box stays open";
        ClickOk(dialog);
    });
    EXPECT_EQ(RunAboutDialog(&module, nullptr), IDOK);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString().toStdU16String(), HomePageUrl());
    EXPECT_EQ(AboutLinkFont, nullptr);
}

#include "font_about_test.moc"
