// Fonts and text on Qt: choosing fonts, drawing runs, and DrawText with its
// cache of boxes drawn once per font. Glyph lookup and measuring are in
// glyphs.cpp.
//
// Runs are drawn in exactly the given order: the backend places every glyph
// itself, at the sum of the whole-pixel advances before it, and Qt never
// lays the run out as a whole, so no bidi reordering, ligature or fractional
// advance can move a character away from where measuring said it would be.
// Runs are placed by baseline.
#include <QFontDatabase>
#include <QGlyphRun>
#include <QSet>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "platform/gdi.h"
#include "platform/qt/controls.h"
#include "platform/qt/device_context.h"
#include "platform/qt/qt_internal.h"

namespace plat {
namespace {

using qtb::ClipMisses;
using qtb::DcPainter;
using qtb::FromRect;
using qtb::Target;
using qtb::Touched;

constexpr int kDefaultFontHeight = 16;

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
    f->metrics = std::make_unique<QFontMetrics>(font, &qtb::MeasuringImage());
    f->ascent = f->metrics->ascent();
    f->descent = f->metrics->descent();
    f->height = f->metrics->height();
    f->averageWidth = f->metrics->averageCharWidth();
    f->maxWidth = f->metrics->maxWidth();
}

FontObject* DcFont(const DcObject* dc) {
    return dc->font != nullptr ? dc->font : qtb::StockFont();
}

// Draws one run with its cell's top-left corner at (x, top): each glyph at
// the sum of the advances before it, in exactly the given order.
void DrawRun(QPainter& p, FontObject* f, int x, int top, const QString& run) {
    const QPointF baseline(x, top + f->ascent);
    QList<quint32> indexes;
    QList<QPointF> positions;
    int face = -1;
    auto flush = [&] {
        if (face >= 0 && !indexes.isEmpty()) {
            QGlyphRun glyphs;
            glyphs.setRawFont(f->faces[std::size_t(face)]);
            glyphs.setGlyphIndexes(indexes);
            glyphs.setPositions(positions);
            p.drawGlyphRun(baseline, glyphs);
        }
        indexes.clear();
        positions.clear();
    };
    const auto* text = reinterpret_cast<const char16_t*>(run.utf16());
    const int count = int(run.size());
    int pen = 0;
    for (int i = 0; i < count; ++i) {
        FontObject::Glyph g;
        if (QChar::isHighSurrogate(text[i]) && i + 1 < count && QChar::isLowSurrogate(text[i + 1])) {
            g = f->PairGlyph(text[i], text[i + 1]);
            ++i;
        } else {
            g = f->Lookup(text[i]);
        }
        if (g.face != face) {
            flush();
            face = g.face;
        }
        if (g.face >= 0) {
            indexes.append(g.index);
            positions.append(QPointF(static_cast<float>(pen) + g.dx, g.dy));
        }
        pen += g.advance;
    }
    flush();
    if (f->font.underline() && pen > 0) {
        QRectF line(x, baseline.y() + f->metrics->underlinePos(), pen, std::max(f->metrics->lineWidth(), 1));
        p.fillRect(line, p.pen().color());
    }
}

int RunWidth(FontObject* f, const QString& run) {
    return qtb::MeasureRun(f, reinterpret_cast<const char16_t*>(run.utf16()), int(run.size()), -1,
                           nullptr);
}

}  // namespace

// ---- fonts ---------------------------------------------------------------

namespace qtb {

std::unique_ptr<FontObject> MakeFont(const LogFont& description) {
    auto f = std::make_unique<FontObject>();
    SetupFont(f.get(), description);
    return f;
}

void DrawRunAt(QPainter& p, FontObject* f, int x, int top, const QString& run) {
    DrawRun(p, f, x, top, run);
}

namespace {
FontObject* g_stockFont = nullptr;  // made on first use
}  // namespace

FontObject* StockFont() {
    if (g_stockFont == nullptr) {
        auto* f = new FontObject;
        SetupFont(f, LogFont{});
        g_stockFont = f;
    }
    return g_stockFont;
}

}  // namespace qtb

Font CreateFontIndirect(const LogFont& description) {
    auto* f = new FontObject;
    SetupFont(f, description);
    return f;
}

void DeleteFont(Font font) {
    // Never the stock font; asking for it here would make it only to compare.
    if (font != nullptr && font != qtb::g_stockFont) {
        delete font;
    }
}

Font SelectFont(Dc dc, Font font) { return qtb::ExchangeDcValue(dc, &DcObject::font, font); }

bool GetFontDescription(Font font, LogFont* description) {
    if (font == nullptr || description == nullptr) {
        return false;
    }
    *description = font->description;
    return true;
}

bool GetTextMetrics(Dc dc, TextMetrics* m) {
    if (dc == nullptr || m == nullptr) {
        return false;
    }
    FontObject* f = DcFont(dc);
    m->tmHeight = f->height;
    m->tmAscent = f->ascent;
    m->tmDescent = f->descent;
    m->tmAveCharWidth = f->averageWidth;
    m->tmMaxCharWidth = f->maxWidth;
    return true;
}

bool GetTextExtentExPoint(Dc dc, const char16_t* text, int count, int maxExtent, int* fit,
                          Size* extent) {
    if (dc == nullptr || count < 0 || (text == nullptr && count > 0)) {
        return false;
    }
    FontObject* f = DcFont(dc);
    int width = qtb::MeasureRun(f, text, count, fit != nullptr ? std::max(maxExtent, 0) : -1, fit);
    if (extent != nullptr) {
        extent->cx = width;
        extent->cy = f->height;
    }
    return true;
}

bool GetTextExtentPoint(Dc dc, const char16_t* text, int count, Size* extent) {
    return GetTextExtentExPoint(dc, text, count, 0, nullptr, extent);
}

namespace {

// What DrawText draws: its lines, the mnemonic and where the first line sits.
struct TextBlock {
    QStringList lines;
    int mnemonic = -1;  // index in the joined lines, or -1
    int top = 0;        // y of the first line
};

TextBlock SplitText(const char16_t* text, int count, const QRect& box, std::uint32_t format,
                    const FontObject* f) {
    TextBlock block;
    QString all = qtb::ToQString(text, count);
    if ((format & DT_NOPREFIX) == 0) {
        all = qtb::StripMnemonic(all, &block.mnemonic);
    }
    if (format & DT_SINGLELINE) {
        block.lines << all;
    } else {
        block.lines = all.split(QLatin1Char('\n'));
        for (QString& l : block.lines) {
            if (l.endsWith(QLatin1Char('\r'))) {
                l.chop(1);
            }
        }
    }
    block.top = box.top();
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            block.top = box.top() + (box.height() - f->height) / 2;
        } else if (format & DT_BOTTOM) {
            block.top = box.bottom() + 1 - f->height;
        }
    }
    return block;
}

// Draws the block's lines aligned in `box`; returns the cells they cover.
QRect PaintTextBlock(QPainter& p, const DcObject* dc, FontObject* f, const TextBlock& block,
                     const QRect& box, std::uint32_t format) {
    if ((format & DT_NOCLIP) == 0) {
        p.setClipRect(box, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    p.setPen(qtb::ToQColor(dc->textColour));
    QRect touched;
    int y = block.top;
    int offset = 0;  // index of the line's first character in the joined text
    for (const QString& line : block.lines) {
        int w = RunWidth(f, line);
        int x = box.left();
        if (format & DT_CENTER) {
            x = box.left() + (box.width() - w) / 2;
        } else if (format & DT_RIGHT) {
            x = box.right() + 1 - w;
        }
        QRect cell(x, y, w, f->height);
        if (dc->backMode == OPAQUE) {
            p.fillRect(cell, qtb::ToQColor(dc->backColour));
        }
        DrawRun(p, f, x, y, line);
        const int mnemonic = block.mnemonic;
        if (mnemonic >= offset && mnemonic < offset + line.size()) {
            int ux = x + qtb::MeasureRun(f, reinterpret_cast<const char16_t*>(line.utf16()),
                                         mnemonic - offset, -1, nullptr);
            int uw = f->Advance(char16_t(line.at(mnemonic - offset).unicode()));
            int uy = y + f->ascent + 1;
            p.fillRect(QRect(ux, uy, std::max(uw, 1), 1), qtb::ToQColor(dc->textColour));
        }
        touched |= cell;
        offset += int(line.size()) + 1;
        y += f->height;
    }
    return touched;
}

constexpr qsizetype kDrawnBoxBudget = 48 * 1024 * 1024;  // bytes per font

// Everything that decides the pixels of a clipped text box drawn on a plain
// background, relative to the box.
QString DrawnBoxKey(const DcObject* dc, const TextBlock& block, const QRect& box,
                    std::uint32_t format) {
    QString key = QString::asprintf("%d %d %d %u %06x %06x %d %06x %d|", box.width(), box.height(),
                                    block.top - box.top(), format, dc->textColour,
                                    unsigned(dc->plainColour.rgb() & 0xFFFFFF), dc->backMode,
                                    dc->backColour, block.mnemonic);
    key += block.lines.join(QLatin1Char('\n'));
    return key;
}

// The part of a picture whose pixels are not `background`.
QRect InkBounds(const QImage& picture, QRgb background) {
    const int width = picture.width();
    const int height = picture.height();
    int top = height;
    int bottom = -1;
    int left = width;
    int right = -1;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        int x = 0;
        while (x < width && line[x] == background) {
            ++x;
        }
        if (x == width) {
            continue;
        }
        int last = width - 1;
        while (line[last] == background) {
            --last;
        }
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, last);
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The box drawn once on its own picture (kept with the font), then copied.
// Glyphs are placed at whole-pixel offsets from the box, so the copy has
// exactly the pixels drawing in place would give.
const FontObject::DrawnBox& DrawnBox(DcObject* dc, FontObject* f, const TextBlock& block,
                                     const QRect& box, std::uint32_t format) {
    const QString key = DrawnBoxKey(dc, block, box, format);
    auto found = f->drawnBoxes.constFind(key);
    if (found != f->drawnBoxes.constEnd()) {
        return *found;
    }
    if (f->drawnBoxBytes > kDrawnBoxBudget) {
        f->drawnBoxes.clear();
        f->drawnBoxBytes = 0;
    }
    FontObject::DrawnBox drawn;
    drawn.picture = QImage(box.size(), QImage::Format_RGB32);
    drawn.picture.fill(dc->plainColour);
    {
        QPainter p(&drawn.picture);
        p.translate(-box.left(), -box.top());
        PaintTextBlock(p, dc, f, block, box, format);
    }
    drawn.ink = InkBounds(drawn.picture, dc->plainColour.rgb());
    f->drawnBoxBytes += drawn.picture.sizeInBytes();
    return *f->drawnBoxes.insert(key, drawn);
}

// Whether the part of `box` that drawing may change is all plain.
bool OnPlainBackground(const DcObject* dc, const QRect& box) {
    if (dc->batchPainter == nullptr || box.isEmpty()) {
        return false;
    }
    if (dc->clip.isEmpty()) {
        return dc->plain.Holds(box);
    }
    for (const QRect& part : dc->clip) {
        if (!dc->plain.Holds(part & box)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int DrawText(Dc dc, const char16_t* text, int count, const Rect& rect, std::uint32_t format) {
    if (dc == nullptr || text == nullptr) {
        return 0;
    }
    QImage* image = Target(dc);
    if (image == nullptr) {
        return 0;
    }
    if (count < 0) {
        count = 0;
        while (text[count] != 0) {
            ++count;
        }
    }
    FontObject* f = DcFont(dc);
    const QRect box = FromRect(rect);
    const bool clipped = (format & DT_NOCLIP) == 0;
    if (clipped && (format & DT_SINGLELINE) != 0 && !dc->clip.isEmpty() && !dc->clip.intersects(box)) {
        return f->height;  // nothing of it can show
    }
    const TextBlock block = SplitText(text, count, box, format, f);
    const int total = int(block.lines.size()) * f->height;
    if (clipped && !dc->clip.isEmpty() && !dc->clip.intersects(box)) {
        return total;
    }
    DcPainter painter(dc, image, clipped ? box : QRect());
    QPainter& p = *painter;
    if (clipped && OnPlainBackground(dc, box)) {
        // Outside its ink the stored box is the plain colour the picture
        // already has there: only the ink is copied, and only it stops
        // being plain.
        const FontObject::DrawnBox& drawn = DrawnBox(dc, f, block, box, format);
        if (!drawn.ink.isEmpty()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(box.topLeft() + drawn.ink.topLeft(), drawn.picture, drawn.ink);
            Touched(dc, drawn.ink.translated(box.topLeft()));
        }
        return total;
    }
    QRect touched = PaintTextBlock(p, dc, f, block, box, format);
    if (clipped) {
        touched &= box;
        dc->plain.Cover(box);
    } else {
        dc->plain.Cover(touched.adjusted(-f->maxWidth, -f->height, f->maxWidth, f->height));
    }
    Touched(dc, touched.adjusted(-2, -2, 2, 2));
    return total;
}

bool ExtTextOut(Dc dc, int x, int y, const char16_t* text, int count) {
    if (dc == nullptr || text == nullptr || count < 0) {
        return false;
    }
    QImage* image = Target(dc);
    if (image == nullptr) {
        return false;
    }
    FontObject* f = DcFont(dc);
    int w = qtb::MeasureRun(f, text, count, -1, nullptr);
    QRect cell(x, y, w, f->height);
    DcPainter painter(dc, image);
    QPainter& p = *painter;
    if (dc->backMode == OPAQUE) {
        p.fillRect(cell, qtb::ToQColor(dc->backColour));
    }
    p.setPen(qtb::ToQColor(dc->textColour));
    DrawRun(p, f, x, y, qtb::ToQString(text, count));
    dc->plain.Cover(cell.adjusted(-f->maxWidth, -f->height, f->maxWidth, f->height));
    Touched(dc, cell.adjusted(-2, -2, 2, 2));
    return true;
}

Colour SetTextColor(Dc dc, Colour colour) {
    return qtb::ExchangeDcValue(dc, &DcObject::textColour, colour);
}

Colour GetTextColor(Dc dc) { return dc != nullptr ? dc->textColour : 0; }

Colour SetBkColor(Dc dc, Colour colour) {
    return qtb::ExchangeDcValue(dc, &DcObject::backColour, colour);
}

Colour GetBkColor(Dc dc) { return dc != nullptr ? dc->backColour : 0; }

int SetBkMode(Dc dc, int mode) {
    if (dc == nullptr || (mode != OPAQUE && mode != TRANSPARENT)) {
        return 0;
    }
    int previous = dc->backMode;
    dc->backMode = mode;
    return previous;
}


void EnumFontFamilies(Dc, FontFamilyCallback callback, void* context) {
    if (callback == nullptr) {
        return;
    }
    const QStringList hebrew = QFontDatabase::families(QFontDatabase::Hebrew);
    const QStringList all = QFontDatabase::families();
    // Qt lists a family that two makers provide once per maker, as
    // "Keter YG [YG  ]"; it is offered once, by its own name, which picks
    // one of them.
    QSet<QString> offered;
    for (const QString& family : all) {
        if (QFontDatabase::isPrivateFamily(family)) {
            continue;
        }
        const qsizetype maker = family.indexOf(QLatin1String(" ["));
        const QString plain = maker > 0 && family.endsWith(QLatin1Char(']')) ? family.left(maker) : family;
        if (offered.contains(plain)) {
            continue;
        }
        offered.insert(plain);
        std::u16string name = qtb::ToU16(plain);
        std::uint8_t charSet = hebrew.contains(family) ? HEBREW_CHARSET : ANSI_CHARSET;
        if (!callback(name.c_str(), charSet, context)) {
            return;
        }
    }
}

}  // namespace plat
