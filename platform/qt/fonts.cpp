// Fonts on Qt: a font from its logical description, with kerning off and
// full hinting so that advances are whole pixels; a lazily filled table of
// each character's advance and glyph (in the font or in the one Qt falls back
// to); measuring runs by those advances; the installed families with whether
// they carry Hebrew letters.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QGlyphRun>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "platform/gdi.h"
#include "platform/qt/controls.h"
#include "platform/qt/qt_internal.h"
#include "platform/unicode.h"

namespace plat {
namespace {

constexpr int kDefaultFontHeight = 16;

// Fonts are measured against an image so that measuring and drawing use the
// same device.
const QImage& ReferenceImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

void SetupFont(FontObject* f, const LogFont& d) {
    f->description = d;
    QString face = qtb::ToQString(d.faceName);
    QFont font = face.isEmpty() ? QGuiApplication::font() : QFont(face);
    if (!face.isEmpty()) {
        font.setFamilies(QStringList{face});
    }
    // Heights are pixel sizes; a negative height (a character height on the
    // handheld) counts as its magnitude.
    int pixels = d.height == 0 ? kDefaultFontHeight : std::abs(d.height);
    font.setPixelSize(pixels);
    int weight = d.weight <= 0 ? 400 : std::clamp(int(d.weight), 1, 1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(d.italic);
    font.setUnderline(d.underline);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    // A character on its own, as it is looked up, needs no shaping.
    font.setStyleStrategy(QFont::PreferNoShaping);
    f->font = font;
    f->metrics = std::make_unique<QFontMetrics>(font, &ReferenceImage());
    f->ascent = f->metrics->ascent();
    f->descent = f->metrics->descent();
    f->height = f->metrics->height();
    f->averageWidth = f->metrics->averageCharWidth();
    f->maxWidth = f->metrics->maxWidth();
}

}  // namespace

namespace {

// The glyph Qt chooses for one character (or a surrogate pair) on its own,
// with the font it falls back to when this one lacks the character.
FontObject::Glyph LookUpGlyph(FontObject* f, const QString& text) {
    FontObject::Glyph g;
    QTextLayout layout(text, f->font, &ReferenceImage());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return g;
    }
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (run.glyphIndexes().isEmpty()) {
            continue;
        }
        QRawFont raw = run.rawFont();
        auto it = std::find(f->faces.begin(), f->faces.end(), raw);
        if (it == f->faces.end()) {
            f->faces.push_back(raw);
            it = f->faces.end() - 1;
        }
        g.face = std::int16_t(it - f->faces.begin());
        g.index = run.glyphIndexes().first();
        QPointF at = run.positions().first();
        g.dx = float(at.x() - line.x());
        g.dy = float(at.y() - (line.y() + line.ascent()));
        break;
    }
    return g;
}

}  // namespace

const FontObject::Glyph& FontObject::Lookup(char16_t c) {
    auto& page = pages[c >> 8];
    if (!page) {
        page = std::make_unique<Glyph[]>(256);
    }
    Glyph& g = page[c & 0xFF];
    if (g.advance < 0) {
        int advance = metrics->horizontalAdvance(QChar(c));
        g = LookUpGlyph(this, QString(QChar(c)));
        g.advance = advance;
    }
    return g;
}

FontObject::Glyph FontObject::PairGlyph(char16_t high, char16_t low) {
    QChar pair[2] = {QChar(high), QChar(low)};
    QString text(pair, 2);
    Glyph g = LookUpGlyph(this, text);
    g.advance = metrics->horizontalAdvance(text);
    return g;
}

namespace qtb {

std::unique_ptr<FontObject> MakeFont(const LogFont& description) {
    auto f = std::make_unique<FontObject>();
    SetupFont(f.get(), description);
    return f;
}

FontObject* StockFont() {
    static FontObject* font = [] {
        auto* f = new FontObject;
        SetupFont(f, LogFont{});
        return f;
    }();
    return font;
}

int MeasureRun(FontObject* f, const char16_t* text, int count, int maxExtent, int* fit) {
    int width = 0;
    int fitted = 0;
    bool fitting = maxExtent >= 0;
    for (int i = 0; i < count; ++i) {
        char16_t c = text[i];
        int step;
        int units = 1;
        if (IsHigh(c) && i + 1 < count && IsLow(text[i + 1])) {
            step = f->PairGlyph(c, text[i + 1]).advance;
            units = 2;
        } else {
            step = f->Advance(c);
        }
        width += step;
        if (fitting) {
            if (width <= maxExtent) {
                fitted += units;
            } else {
                fitting = false;
            }
        }
        i += units - 1;
    }
    if (fit != nullptr) {
        *fit = fitted;
    }
    return width;
}

}  // namespace qtb

Font CreateFontIndirect(const LogFont& description) {
    auto* f = new FontObject;
    SetupFont(f, description);
    return f;
}

void DeleteFont(Font font) {
    if (font != nullptr && font != qtb::StockFont()) {
        delete font;
    }
}

bool GetFontDescription(Font font, LogFont* description) {
    if (font == nullptr || description == nullptr) {
        return false;
    }
    *description = font->description;
    return true;
}

void EnumFontFamilies(Dc, FontFamilyCallback callback, void* context) {
    if (callback == nullptr) {
        return;
    }
    const QStringList hebrew = QFontDatabase::families(QFontDatabase::Hebrew);
    const QStringList all = QFontDatabase::families();
    for (const QString& family : all) {
        if (QFontDatabase::isPrivateFamily(family)) {
            continue;
        }
        std::u16string name = qtb::ToU16(family);
        std::uint8_t charSet = hebrew.contains(family) ? HEBREW_CHARSET : ANSI_CHARSET;
        if (!callback(name.c_str(), charSet, context)) {
            return;
        }
    }
}

}  // namespace plat
