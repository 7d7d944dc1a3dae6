// The text contract on real fonts: runs drawn in exactly the given order,
// and measuring that agrees with where the glyphs are drawn.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_internal.h"
#include "platform/unicode.h"
#include "support.h"

namespace {

using plat::Dc;

struct FontCase {
    const char16_t* face;
    int height;
    int weight;
};

void PrintTo(const FontCase& c, std::ostream* os) {
    *os << std::string(c.face, c.face + std::char_traits<char16_t>::length(c.face)) << " " << c.height << "px "
        << c.weight;
}

plat::Font MakeFont(const FontCase& c) {
    plat::LogFont lf;
    lf.height = c.height;
    lf.weight = c.weight;
    std::u16string face = c.face;
    std::copy(face.begin(), face.end(), lf.faceName);
    return plat::CreateFontIndirect(lf);
}

// Hebrew letters from alef on, Latin with pairs that ligate or kern in many
// fonts, digits and punctuation.
const std::u16string kRuns[] = {
    u"\u05D0\u05D1\u05D2\u05D3\u05D4\u05D5\u05D6\u05D7\u05D8\u05D9\u05DA\u05DB",
    u"office AV To fi ffl Wa",
    u"\u05E9\u05DC\u05D5\u05DD 123 abc \u05EA\u05D5\u05E8\u05D4, (x)",
    // Points on letters, and characters some fonts borrow from others.
    u"\u05D1\u05BC\u05B8\u05E8\u05B8\u05D0 \u20AA\u2014\u2026 \u00E9",
};

class TextContract : public ::testing::TestWithParam<FontCase> {
protected:
    void SetUp() override { font = MakeFont(GetParam()); }
    void TearDown() override { plat::DeleteFont(font); }

    Dc NewImage() {
        Dc dc = plat::CreateImageDC(900, 80);
        plat::SelectFont(dc, font);
        plat::SetBkMode(dc, TRANSPARENT);
        return dc;
    }

    int Width(Dc dc, const std::u16string& text, int count) {
        plat::Size size;
        EXPECT_TRUE(plat::GetTextExtentPoint(dc, text.data(), count, &size));
        return size.cx;
    }

    plat::Font font = nullptr;
};

TEST_P(TextContract, RunIsDrawnInGivenOrderWhereMeasuringPutsEachCharacter) {
    for (const std::u16string& run : kRuns) {
        Dc whole = NewImage();
        Dc pieces = NewImage();
        ASSERT_TRUE(plat::ExtTextOut(whole, 10, 20, run.data(), int(run.size())));
        for (std::size_t i = 0; i < run.size(); ++i) {
            int x = 10 + Width(pieces, run, int(i));
            plat::ExtTextOut(pieces, x, 20, run.data() + i, 1);
        }
        QImage a = plat::qt::DcImage(whole);
        QImage b = plat::qt::DcImage(pieces);
        EXPECT_GT(qt_test::InkPixels(a, a.rect()), 50) << "nothing drawn";
        EXPECT_EQ(qt_test::DifferentPixels(a, b), 0)
            << "run and characters placed by measuring differ: " << std::string(run.begin(), run.end());

        // The check can fail: the same characters in the other order look
        // different.
        std::u16string reversed(run.rbegin(), run.rend());
        Dc other = NewImage();
        plat::ExtTextOut(other, 10, 20, reversed.data(), int(reversed.size()));
        EXPECT_GT(qt_test::DifferentPixels(a, plat::qt::DcImage(other)), 0);
        plat::DeleteImageDC(other);
        plat::DeleteImageDC(whole);
        plat::DeleteImageDC(pieces);
    }
}

TEST_P(TextContract, FitAndWidthsAgreeWithEachOther) {
    Dc dc = NewImage();
    plat::TextMetrics tm;
    ASSERT_TRUE(plat::GetTextMetrics(dc, &tm));
    EXPECT_GT(tm.tmHeight, 0);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    for (const std::u16string& run : kRuns) {
        int n = int(run.size());
        std::vector<int> prefix(std::size_t(n) + 1);
        int sum = 0;
        for (int i = 0; i <= n; ++i) {
            prefix[std::size_t(i)] = Width(dc, run, i);
            if (i > 0) {
                sum += Width(dc, run.substr(std::size_t(i) - 1, 1), 1);
                EXPECT_EQ(prefix[std::size_t(i)], sum) << "widths are not additive at " << i;
                EXPECT_LE(Width(dc, run.substr(std::size_t(i) - 1, 1), 1), tm.tmMaxCharWidth);
            }
        }
        for (int limit : {0, 1, prefix[1] - 1, prefix[1], prefix[std::size_t(n / 2)] + 1,
                          prefix[std::size_t(n)] - 1, prefix[std::size_t(n)], prefix[std::size_t(n)] + 50}) {
            int fit = -1;
            plat::Size extent;
            ASSERT_TRUE(plat::GetTextExtentExPoint(dc, run.data(), n, limit, &fit, &extent));
            EXPECT_EQ(extent.cx, prefix[std::size_t(n)]);
            EXPECT_EQ(extent.cy, tm.tmHeight);
            ASSERT_GE(fit, 0);
            ASSERT_LE(fit, n);
            EXPECT_LE(prefix[std::size_t(fit)], limit);
            if (fit < n) {
                EXPECT_GT(prefix[std::size_t(fit) + 1], limit) << "one more character would have fitted";
            }
        }
    }
    plat::DeleteImageDC(dc);
}

// Every character alone measures and draws as Qt itself shows it alone:
// the backend's own glyph lookups change nothing of what Qt would draw.
void ExpectCharactersAsQtShowsThem(plat::Font font) {
    const QFont qfont = font->font;
    std::u16string characters = u"\u00A0";
    for (const std::u16string& run : kRuns) characters += run;
    for (char16_t c : characters) {
        const QChar ch(c);
        Dc dc = plat::CreateImageDC(900, 80);
        plat::SelectFont(dc, font);
        plat::SetBkMode(dc, TRANSPARENT);
        ASSERT_TRUE(plat::ExtTextOut(dc, 10, 20, &c, 1));
        QImage shown(900, 80, QImage::Format_RGB32);
        shown.fill(Qt::white);
        {
            QPainter p(&shown);
            p.setFont(qfont);
            p.setPen(Qt::black);
            p.drawText(QPointF(10, 20 + QFontMetrics(qfont, &shown).ascent()), QString(ch));
        }
        plat::Size size;
        EXPECT_TRUE(plat::GetTextExtentPoint(dc, &c, 1, &size));
        EXPECT_EQ(size.cx, QFontMetrics(qfont, &shown).horizontalAdvance(ch)) << int(c);
        if (ch.category() != QChar::Mark_NonSpacing) {  // Qt puts a lone mark on a dotted circle
            EXPECT_EQ(qt_test::DifferentPixels(plat::qt::DcImage(dc), shown), 0) << int(c);
        }
        plat::DeleteImageDC(dc);
    }
}

TEST_P(TextContract, EachCharacterMeasuresAndDrawsAsQtShowsIt) { ExpectCharactersAsQtShowsThem(font); }

// A family that is not installed: Qt stands other fonts in for it, perhaps
// different ones for Latin and for Hebrew text.
TEST(TextOfAMissingFamily, EachCharacterMeasuresAndDrawsAsQtShowsIt) {
    plat::Font font = MakeFont(FontCase{u"No Such Family Here", 18, 400});
    ExpectCharactersAsQtShowsThem(font);
    plat::DeleteFont(font);
}

INSTANTIATE_TEST_SUITE_P(RealFonts, TextContract,
                         ::testing::Values(FontCase{u"David CLM", 24, 400}, FontCase{u"DejaVu Sans", 17, 400},
                                           FontCase{u"DejaVu Sans", 20, 700}, FontCase{u"David CLM", 0, 0},
                                           FontCase{u"", 0, 0}),
                         [](const ::testing::TestParamInfo<FontCase>& testInfo) {
                             std::string name = testInfo.param.face[0] == 0 ? "Default" : "";
                             for (const char16_t* p = testInfo.param.face; *p != 0; ++p) {
                                 if (*p != u' ') {
                                     name.push_back(char(*p));
                                 }
                             }
                             return name + std::to_string(testInfo.param.height) + "w" +
                                    std::to_string(testInfo.param.weight);
                         });

class DrawTextBox : public ::testing::Test {
protected:
    void SetUp() override {
        font = MakeFont(FontCase{u"DejaVu Sans", 16, 400});
        dc = plat::CreateImageDC(300, 100);
        plat::SelectFont(dc, font);
        plat::GetTextMetrics(dc, &tm);
    }
    void TearDown() override {
        plat::DeleteImageDC(dc);
        plat::DeleteFont(font);
    }
    QRect Ink(const QRect& area) {
        QImage image = plat::qt::DcImage(dc);
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }
    plat::Font font = nullptr;
    Dc dc = nullptr;
    plat::TextMetrics tm;
};

TEST_F(DrawTextBox, CentresASingleLineBothWays) {
    plat::SetBkMode(dc, TRANSPARENT);
    const std::u16string text = u"HHHH";
    plat::Rect r{20, 10, 220, 90};
    int height = plat::DrawText(dc, text.data(), int(text.size()), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(height, tm.tmHeight);
    QRect ink = Ink(QRect(0, 0, 300, 100));
    ASSERT_FALSE(ink.isEmpty());
    plat::Size size;
    plat::GetTextExtentPoint(dc, text.data(), int(text.size()), &size);
    int left = 20 + (200 - size.cx) / 2;
    EXPECT_NEAR(ink.left(), left, 3);
    EXPECT_NEAR(ink.right(), left + size.cx, 3);
    int top = 10 + (80 - tm.tmHeight) / 2;
    EXPECT_GE(ink.top(), top);
    EXPECT_LE(ink.bottom(), top + tm.tmHeight);
}

TEST_F(DrawTextBox, ClipsToTheBoxUnlessToldNot) {
    plat::SetBkMode(dc, TRANSPARENT);
    const std::u16string text = u"WWWWWWWWWWWWWWWW";
    plat::DrawText(dc, text.data(), int(text.size()), plat::Rect{10, 10, 60, 40}, DT_SINGLELINE);
    QRect clipped = Ink(QRect(0, 0, 300, 50));
    ASSERT_FALSE(clipped.isEmpty());
    EXPECT_LE(clipped.right(), 59);
    plat::DrawText(dc, text.data(), int(text.size()), plat::Rect{10, 50, 60, 80}, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Ink(QRect(0, 50, 300, 50)).right(), 100);
}

TEST_F(DrawTextBox, OpaqueFillsTheTextBoxInTheBackgroundColour) {
    plat::SetTextColor(dc, plat::MakeColour(255, 0, 0));
    plat::SetBkColor(dc, plat::MakeColour(0, 0, 255));
    plat::SetBkMode(dc, OPAQUE);
    const std::u16string text = u"Mm";
    plat::DrawText(dc, text.data(), int(text.size()), plat::Rect{10, 10, 200, 60}, DT_SINGLELINE | DT_NOPREFIX);
    plat::Size size;
    plat::GetTextExtentPoint(dc, text.data(), 2, &size);
    QImage image = plat::qt::DcImage(dc);
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 255));                    // corner of the text box
    EXPECT_EQ(image.pixel(10 + size.cx - 1, 10 + tm.tmHeight - 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(10 + size.cx + 1, 10), qRgb(255, 255, 255));  // just past it
    bool red = false;
    for (int y = 10; y < 10 + tm.tmHeight; ++y) {
        for (int x = 10; x < 10 + size.cx; ++x) {
            red = red || (qRed(image.pixel(x, y)) > 200 && qBlue(image.pixel(x, y)) < 60);
        }
    }
    EXPECT_TRUE(red) << "text colour not used";

    plat::SetBkMode(dc, TRANSPARENT);
    plat::DrawText(dc, text.data(), 2, plat::Rect{10, 50, 200, 90}, DT_SINGLELINE);
    EXPECT_EQ(plat::qt::DcImage(dc).pixel(10, 50), qRgb(255, 255, 255));
}

TEST_F(DrawTextBox, AmpersandMarksAMnemonicUnlessNoPrefix) {
    plat::SetBkMode(dc, TRANSPARENT);
    const std::u16string marked = u"&Go";
    plat::DrawText(dc, marked.data(), 3, plat::Rect{0, 0, 300, 40}, DT_SINGLELINE);
    plat::Size go;
    plat::GetTextExtentPoint(dc, u"Go", 2, &go);
    QRect withPrefix = Ink(QRect(0, 0, 300, 40));
    plat::DrawText(dc, marked.data(), 3, plat::Rect{0, 50, 300, 90}, DT_SINGLELINE | DT_NOPREFIX);
    plat::Size literal;
    plat::GetTextExtentPoint(dc, marked.data(), 3, &literal);
    QRect withoutPrefix = Ink(QRect(0, 50, 300, 50));
    EXPECT_LE(withPrefix.right(), go.cx + 1);
    EXPECT_GT(withoutPrefix.right(), go.cx + 1);
    // The underline below the mnemonic letter.
    EXPECT_GT(withPrefix.bottom(), tm.tmAscent);
}

TEST(FontFamilies, HebrewFamiliesCarryTheHebrewCharacterSet) {
    struct Seen {
        int david = -1;
        int count = 0;
        std::vector<std::u16string> faces;
    } seen;
    plat::EnumFontFamilies(nullptr, [](const char16_t* face, std::uint8_t charSet, void* context) {
        auto* s = static_cast<Seen*>(context);
        ++s->count;
        s->faces.emplace_back(face);
        if (std::u16string(face) == u"David CLM") {
            s->david = charSet;
        }
        return true;
    }, &seen);
    EXPECT_EQ(seen.david, HEBREW_CHARSET);
    EXPECT_GT(seen.count, 2);
    // Each face once, by its name alone (culmus's Keter YG comes from two
    // makers, which Qt tells apart with a "[maker]" suffix).
    std::sort(seen.faces.begin(), seen.faces.end());
    EXPECT_EQ(std::adjacent_find(seen.faces.begin(), seen.faces.end()), seen.faces.end());
    for (const std::u16string& face : seen.faces) {
        EXPECT_EQ(face.find(u'['), std::u16string::npos) << plat::Utf16ToUtf8(face);
    }

    int calls = 0;
    plat::EnumFontFamilies(nullptr, [](const char16_t*, std::uint8_t, void* context) {
        ++*static_cast<int*>(context);
        return false;
    }, &calls);
    EXPECT_EQ(calls, 1) << "returning false must stop the walk";
}

TEST(FontFamilies, DescriptionRoundTripsAndDefaultsAreSensible) {
    plat::Font font = MakeFont(FontCase{u"David CLM", 0, 0});
    plat::LogFont lf;
    ASSERT_TRUE(plat::GetFontDescription(font, &lf));
    EXPECT_EQ(std::u16string(lf.faceName), u"David CLM");
    EXPECT_EQ(plat::qt::FontOf(font).pixelSize(), 16);
    EXPECT_EQ(plat::qt::FontOf(font).family(), QStringLiteral("David CLM"));
    Dc dc = plat::CreateImageDC(10, 10);
    plat::Font none = plat::SelectFont(dc, font);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(plat::SelectFont(dc, none), font);
    plat::DeleteImageDC(dc);
    plat::DeleteFont(font);
}

}  // namespace
