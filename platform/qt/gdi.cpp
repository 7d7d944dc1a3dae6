// Text and drawing on Qt. Every device context draws at once into a QImage:
// a window's backing image, a bitmap selected into a memory context, or an
// offscreen picture of its own.
//
// Runs are drawn in exactly the given order: the backend places every glyph
// itself, at the sum of the whole-pixel advances before it, and Qt never
// lays the run out as a whole, so no bidi reordering, ligature or fractional
// advance can move a character away from where measuring said it would be.
// Runs are placed by baseline.
#include <QFontDatabase>
#include <QGlyphRun>
#include <QTextLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi.h"
#include "platform/qt/controls.h"
#include "platform/qt/qt_internal.h"
#include "platform/templates.h"
#include "platform/window.h"

namespace plat {
namespace {

constexpr int kDefaultFontHeight = 16;

BrushObject g_stockBrushes[6] = {
    {QColor(255, 255, 255), false}, {QColor(192, 192, 192), false}, {QColor(128, 128, 128), false},
    {QColor(64, 64, 64), false},    {QColor(0, 0, 0), false},       {QColor(), true},
};

// Fonts are measured against an image so that measuring and drawing use the
// same device.
const QImage& ReferenceImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

QImage& ScreenImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

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

FontObject* DcFont(const DcObject* dc) {
    return dc->font != nullptr ? dc->font : qtb::StockFont();
}

// The picture a device context draws on.
QImage* Target(DcObject* dc) {
    switch (dc->kind) {
    case DcObject::WindowDc:
        if (!qtb::IsLive(dc->window)) {
            return nullptr;
        }
        return dc->window->image.isNull() ? nullptr : &dc->window->image;
    case DcObject::MemoryDc: {
        static QImage defaultBitmap(1, 1, QImage::Format_RGB32);
        return dc->bitmap != nullptr ? &dc->bitmap->image : &defaultBitmap;
    }
    case DcObject::ImageDc:
        return &dc->own;
    case DcObject::ScreenDc:
        return &ScreenImage();
    }
    return nullptr;
}

// Shows a changed part of a window's picture.
void ShowChange(DcObject* dc, const QRect& area) {
    if (dc->kind == DcObject::WindowDc && qtb::IsLive(dc->window)) {
        WindowObject* w = dc->window;
        QWidget* shown = w->client != nullptr ? static_cast<QWidget*>(w->client) : w->widget.data();
        if (shown != nullptr) {
            shown->update(area);
        }
    }
}

// Tells the window that part of its picture changed; inside a drawing
// batch the parts are gathered and shown once when the batch ends.
void Show(DcObject* dc, const QRect& area) {
    if (dc->batchPainter != nullptr) {
        dc->batchTouched |= area;
        return;
    }
    ShowChange(dc, area);
}

// What the context knows of the plain part of its picture holds only for
// the picture as the context last left it: anything drawn through another
// context (or straight into the image) changes the picture's key.
void ForgetPlainIfChanged(DcObject* dc, const QImage* image) {
    if (dc->plainKey != image->cacheKey()) {
        dc->plain.Forget();
    }
}

void KeepPlain(DcObject* dc, const QImage* image) { dc->plainKey = image->cacheKey(); }

// Shows `area` and takes it out of the plain part of the picture.
void Touched(DcObject* dc, const QRect& area) {
    dc->plain.Cover(area);
    Show(dc, area);
}

// True when the clip leaves nothing of `bounds` to draw on.
bool ClipMisses(const DcObject* dc, const QRect& bounds) {
    return !dc->clip.isEmpty() && !dc->clip.intersects(bounds);
}

// The painter one primitive draws with: the batch's painter (its state saved
// and restored around the primitive, so each primitive starts from a fresh
// painter's state) or a painter of its own. `bounds`, when given, holds all
// the primitive draws: the clip is cut to it, which mostly leaves a single
// rectangle, far cheaper for the painter to clip to than a region.
class DcPainter {
public:
    // For a primitive that keeps to the clip by itself.
    static constexpr struct Unclipped {
    } kUnclipped{};
    DcPainter(DcObject* dc, QImage* image, Unclipped) : dc_(dc), image_(image) { Begin(); }
    DcPainter(DcObject* dc, QImage* image, const QRect& bounds = QRect()) : dc_(dc), image_(image) {
        Begin();
        if (!dc->clip.isEmpty()) {
            const QRegion clip = bounds.isNull() ? dc->clip : dc->clip.intersected(bounds);
            if (clip.rectCount() == 1) {
                (**this).setClipRect(clip.boundingRect());
            } else {
                (**this).setClipRegion(clip);
            }
        }
    }
    ~DcPainter() {
        if (shared_ != nullptr) {
            shared_->restore();
        } else {
            own_.end();
        }
        KeepPlain(dc_, image_);
    }
    DcPainter(const DcPainter&) = delete;
    DcPainter& operator=(const DcPainter&) = delete;
    QPainter& operator*() { return shared_ != nullptr ? *shared_ : own_; }
    QPainter* operator->() { return &**this; }

private:
    void Begin() {
        ForgetPlainIfChanged(dc_, image_);
        if (dc_->batchPainter != nullptr && dc_->batchImage == image_) {
            shared_ = dc_->batchPainter.get();
            shared_->save();
        } else {
            own_.begin(image_);
        }
    }

    DcObject* dc_;
    QImage* image_;
    QPainter* shared_ = nullptr;
    QPainter own_;
};

QRect FromRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

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
        if (IsHigh(text[i]) && i + 1 < count && IsLow(text[i + 1])) {
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

QImage BitmapImage(const BitmapResource& b, bool transparent) {
    QImage image(b.width, b.height, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < b.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < b.width; ++x) {
            Colour c = b.pixels[std::size_t(y) * std::size_t(b.width) + std::size_t(x)];
            line[x] = transparent && c == kTransparentColour
                          ? qRgba(0, 0, 0, 0)
                          : qRgb(ColourRed(c), ColourGreen(c), ColourBlue(c));
        }
    }
    return image;
}

QPixmap BitmapPixmap(const Module* module, std::uint16_t id) {
    auto* b = static_cast<const BitmapResource*>(FindResourceObject(module, RT_BITMAP, id));
    if (b == nullptr || b->width <= 0 || b->height <= 0 || b->pixels == nullptr) {
        return QPixmap();
    }
    return QPixmap::fromImage(BitmapImage(*b));
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

Font SelectFont(Dc dc, Font font) {
    if (dc == nullptr) {
        return nullptr;
    }
    Font previous = dc->font;
    dc->font = font;
    return previous;
}

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
    if (dc == nullptr) {
        return 0;
    }
    Colour previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}

Colour GetTextColor(Dc dc) { return dc != nullptr ? dc->textColour : 0; }

Colour SetBkColor(Dc dc, Colour colour) {
    if (dc == nullptr) {
        return 0;
    }
    Colour previous = dc->backColour;
    dc->backColour = colour;
    return previous;
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

// ---- drawing batches ------------------------------------------------------

void BeginDrawing(Dc dc) {
    if (dc == nullptr) {
        return;
    }
    if (dc->batchDepth++ > 0) {
        return;
    }
    QImage* image = Target(dc);
    if (image == nullptr || image->isNull()) {
        return;
    }
    ForgetPlainIfChanged(dc, image);
    dc->batchPainter = std::make_unique<QPainter>(image);
    dc->batchImage = image;
    dc->batchTouched = QRect();
    KeepPlain(dc, image);
}

void EndDrawing(Dc dc) {
    if (dc == nullptr || dc->batchDepth <= 0 || --dc->batchDepth > 0) {
        return;
    }
    if (dc->batchPainter != nullptr) {
        dc->batchPainter->end();
        dc->batchPainter.reset();
        if (dc->batchImage != nullptr) {
            KeepPlain(dc, dc->batchImage);
        }
        dc->batchImage = nullptr;
        const QRect touched = dc->batchTouched;
        dc->batchTouched = QRect();
        if (!touched.isEmpty()) {
            ShowChange(dc, touched);
        }
    }
}

DcObject::~DcObject() {
    if (batchPainter != nullptr) {
        batchPainter->end();
    }
}

// ---- moving pixels, clipping and versions -------------------------------

bool ScrollDC(Dc dc, int dy, const Rect& area) {
    if (dc == nullptr) {
        return false;
    }
    QImage* image = Target(dc);
    if (image == nullptr || image->isNull() || image->depth() != 32) {
        return false;
    }
    const QRect a = FromRect(area) & image->rect();
    const int rows = a.height() - std::abs(dy);
    if (a.isEmpty() || dy == 0 || rows <= 0) {
        return true;
    }
    ForgetPlainIfChanged(dc, image);
    // Only the pixels not plain before and after the move are copied.
    uchar* bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    const int top = dy < 0 ? a.top() : a.top() + dy;
    const QRect copied =
        dc->plain.Move(top, top + rows, dy, a.left(), a.left() + a.width(), [&](int y, int from, int to) {
            uchar* row = bits + qsizetype(y) * stride;  // 32-bit pixels; the source is another row
            std::memcpy(row + qsizetype(from) * 4, row - qsizetype(dy) * stride + qsizetype(from) * 4,
                        std::size_t(to - from) * 4);
        });
    KeepPlain(dc, image);
    Show(dc, copied);
    return true;
}

void SetClipRects(Dc dc, const Rect* rects, int count) {
    if (dc == nullptr) {
        return;
    }
    dc->clip = QRegion();
    for (int i = 0; rects != nullptr && i < count; ++i) {
        dc->clip += FromRect(rects[i]);
    }
}

bool RectVisible(Dc dc, const Rect& rect) {
    return dc != nullptr && !ClipMisses(dc, FromRect(rect));
}

std::uint64_t GetPictureVersion(Dc dc) {
    QImage* image = dc != nullptr ? Target(dc) : nullptr;
    return image != nullptr ? std::uint64_t(image->cacheKey()) : 0;
}

// ---- brushes and shapes --------------------------------------------------

Brush GetStockBrush(int index) {
    if (index < WHITE_BRUSH || index > NULL_BRUSH) {
        return nullptr;
    }
    return &g_stockBrushes[index];
}

Brush SelectBrush(Dc dc, Brush brush) {
    if (dc == nullptr) {
        return nullptr;
    }
    Brush previous = dc->brush != nullptr ? dc->brush : &g_stockBrushes[WHITE_BRUSH];
    dc->brush = brush;
    return previous;
}

bool FillRect(Dc dc, const Rect& rect, Brush brush) {
    if (dc == nullptr || brush == nullptr) {
        return false;
    }
    QImage* image = Target(dc);
    if (image == nullptr) {
        return false;
    }
    QRect r = FromRect(rect);
    if (brush->hollow || r.isEmpty()) {
        return true;
    }
    if (ClipMisses(dc, r)) {
        return true;
    }
    // The clipped fill is the fill of each rectangle the clip leaves, which
    // spares the painter a clip region.
    const QRegion filled = dc->clip.isEmpty() ? QRegion(r) : dc->clip.intersected(r);
    DcPainter painter(dc, image, DcPainter::kUnclipped);
    QPainter& p = *painter;
    for (const QRect& part : filled) {
        p.fillRect(part, brush->colour);
    }
    Show(dc, filled.boundingRect());
    if (dc->plainColour != brush->colour) {
        dc->plain.Forget();
        dc->plainColour = brush->colour;
    }
    for (const QRect& part : filled) {
        dc->plain.Fill(part);
    }
    return true;
}

namespace {

// Outline in a one-pixel black pen covering left..right-1 and top..bottom-1,
// the inside filled with the selected brush.
bool Shape(Dc dc, int left, int top, int right, int bottom, int rx, int ry) {
    if (dc == nullptr) {
        return false;
    }
    QImage* image = Target(dc);
    if (image == nullptr) {
        return false;
    }
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (right - left < 1 || bottom - top < 1) {
        return true;
    }
    const QRect bounds(left, top, right - left, bottom - top);
    if (ClipMisses(dc, bounds)) {
        return true;
    }
    Brush brush = dc->brush != nullptr ? dc->brush : &g_stockBrushes[WHITE_BRUSH];
    // The outline is drawn inside `bounds`; a pixel of room on each side
    // keeps the cut clip from ever touching it.
    DcPainter painter(dc, image, bounds.adjusted(-1, -1, 1, 1));
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(dc->pen != nullptr ? dc->pen->colour : QColor(Qt::black), 0));
    p.setBrush(brush->hollow ? QBrush(Qt::NoBrush) : QBrush(brush->colour));
    QRect outline(left, top, right - left - 1, bottom - top - 1);
    if (rx <= 0 || ry <= 0) {
        if (!brush->hollow && right - left > 2 && bottom - top > 2) {
            p.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2), brush->colour);
        }
        p.setBrush(Qt::NoBrush);
        p.drawRect(outline);
    } else {
        p.drawRoundedRect(outline, rx, ry);
    }
    Touched(dc, bounds);
    return true;
}

}  // namespace

Brush CreateSolidBrush(Colour colour) { return new BrushObject{qtb::ToQColor(colour), false, false}; }

void DeleteBrush(Brush brush) {
    if (brush != nullptr && !brush->stock) {
        delete brush;
    }
}

Pen CreatePen(int, int, Colour colour) { return new PenObject{qtb::ToQColor(colour)}; }

Pen SelectPen(Dc dc, Pen pen) {
    if (dc == nullptr) {
        return nullptr;
    }
    Pen previous = dc->pen;
    dc->pen = pen;
    return previous;
}

void DeletePen(Pen pen) { delete pen; }

bool Rectangle(Dc dc, int left, int top, int right, int bottom) {
    return Shape(dc, left, top, right, bottom, 0, 0);
}

bool RoundRect(Dc dc, int left, int top, int right, int bottom, int width, int height) {
    return Shape(dc, left, top, right, bottom, width / 2, height / 2);
}

// ---- bitmaps -------------------------------------------------------------

Bitmap LoadBitmap(const Module* module, std::uint16_t id) {
    auto* b = static_cast<const BitmapResource*>(FindResourceObject(module, RT_BITMAP, id));
    if (b == nullptr || b->width <= 0 || b->height <= 0 || b->pixels == nullptr) {
        return nullptr;
    }
    auto* bitmap = new BitmapObject;
    bitmap->image = qtb::BitmapImage(*b);
    return bitmap;
}

void DeleteBitmap(Bitmap bitmap) { delete bitmap; }

Size GetBitmapSize(Bitmap bitmap) {
    if (bitmap == nullptr) {
        return Size{};
    }
    return Size{bitmap->image.width(), bitmap->image.height()};
}

Dc CreateCompatibleDC(Dc) {
    auto* dc = new DcObject;
    dc->kind = DcObject::MemoryDc;
    return dc;
}

bool DeleteDC(Dc memoryDc) {
    if (memoryDc == nullptr || memoryDc->kind != DcObject::MemoryDc) {
        return false;
    }
    delete memoryDc;
    return true;
}

Bitmap SelectBitmap(Dc memoryDc, Bitmap bitmap) {
    if (memoryDc == nullptr || memoryDc->kind != DcObject::MemoryDc) {
        return nullptr;
    }
    Bitmap previous = memoryDc->bitmap;
    memoryDc->bitmap = bitmap;
    return previous;
}

bool BitBlt(Dc dest, int x, int y, int width, int height, Dc source, int sx, int sy,
            std::uint32_t rop) {
    if (dest == nullptr || source == nullptr || rop != SRCCOPY) {
        return false;
    }
    QImage* to = Target(dest);
    QImage* from = Target(source);
    if (to == nullptr || from == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    QImage part = from->copy(sx, sy, width, height);
    DcPainter painter(dest, to);
    QPainter& p = *painter;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(x, y, part);
    Touched(dest, QRect(x, y, width, height));
    return true;
}

int GetDeviceCaps(Dc, int index) {
    if (index == LOGPIXELSY) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
    }
    return 0;
}

int GetSystemMetrics(int index) {
    QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
    case SM_CXSCREEN:
        return screen != nullptr ? screen->geometry().width() : 0;
    case SM_CYSCREEN:
        return screen != nullptr ? screen->geometry().height() : 0;
    case SM_CXVSCROLL:
        return qtb::ScrollBarWidth();
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    default:
        return 0;
    }
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

// ---- offscreen images ----------------------------------------------------

Dc CreateImageDC(int width, int height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    auto* dc = new DcObject;
    dc->kind = DcObject::ImageDc;
    dc->own = QImage(width, height, QImage::Format_RGB32);
    dc->own.fill(Qt::white);
    return dc;
}

void DeleteImageDC(Dc dc) {
    if (dc != nullptr && dc->kind == DcObject::ImageDc) {
        delete dc;
    }
}

bool SaveDcImage(Dc dc, const char* pngPath) {
    if (dc == nullptr || pngPath == nullptr) {
        return false;
    }
    QImage* image = Target(dc);
    return image != nullptr && image->save(QString::fromLocal8Bit(pngPath), "PNG");
}

}  // namespace plat
