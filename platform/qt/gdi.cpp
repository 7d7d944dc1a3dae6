// Drawing on Qt. Every device context draws at once into a QImage: a
// window's backing image, a bitmap selected into a memory context, or an
// offscreen picture of its own. This half holds the contexts, drawing
// batches, scrolling and clipping, brushes and shapes, bitmaps and offscreen
// images; text lives in text.cpp.
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi.h"
#include "platform/qt/device_context.h"
#include "platform/qt/qt_internal.h"
#include "platform/templates.h"
#include "platform/window.h"

namespace plat {
namespace {

BrushObject g_stockBrushes[6] = {
    {QColor(255, 255, 255), false}, {QColor(192, 192, 192), false}, {QColor(128, 128, 128), false},
    {QColor(64, 64, 64), false},    {QColor(0, 0, 0), false},       {QColor(), true},
};

QImage& ScreenImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

// The widget that shows a window context's picture; null for other
// contexts and for a window that is gone.
QWidget* ShownBy(DcObject* dc) {
    if (dc->kind != DcObject::WindowDc || !qtb::IsLive(dc->window)) {
        return nullptr;
    }
    WindowObject* w = dc->window;
    return w->client != nullptr ? static_cast<QWidget*>(w->client) : w->widget.data();
}

// Shows a changed part of a window's picture.
void ShowChange(DcObject* dc, const QRect& area) {
    if (QWidget* shown = ShownBy(dc)) {
        shown->update(area);
    }
}

// What lets a context's picture scroll without moving its pixels; none for
// bitmaps and the screen.
qtb::PictureRing* RingOf(DcObject* dc) {
    switch (dc->kind) {
    case DcObject::WindowDc:
        return qtb::IsLive(dc->window) ? &dc->window->imageRing : nullptr;
    case DcObject::ImageDc:
        return &dc->ownRing;
    case DcObject::MemoryDc:
    case DcObject::ScreenDc:
        break;
    }
    return nullptr;
}

// Shows a scroll of part of a window's picture: Qt moves what it shows of
// the area the same way (where the platform can, without drawing it again)
// and draws the rows it uncovers from the picture. Not while a drawing
// batch is open on the picture: what the batch drew is not shown yet, so
// what Qt shows is not the picture as it was. False when not shown so.
bool ShowScroll(DcObject* dc, const QImage& image, const QRect& area, int dy) {
    QWidget* shown = !image.paintingActive() ? ShownBy(dc) : nullptr;
    if (shown == nullptr) {
        return false;
    }
    shown->scroll(0, dy, area);
    return true;
}

}  // namespace

namespace qtb {

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

// Tells the window that part of its picture changed; inside a drawing
// batch the parts are gathered and shown once when the batch ends.
void Show(DcObject* dc, const QRect& area) {
    if (dc->batchPainter != nullptr) {
        dc->batchTouched |= area;
        return;
    }
    ShowChange(dc, area);
}

void ForgetPlainIfChanged(DcObject* dc, const QImage* image) {
    if (dc->plainKey != image->cacheKey()) {
        dc->plain.Forget();
    }
}

// Shows `area` and takes it out of the plain part of the picture.
void Touched(DcObject* dc, const QRect& area) {
    dc->plain.Cover(area);
    Show(dc, area);
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

using qtb::ClipMisses;
using qtb::DcPainter;
using qtb::ForgetPlainIfChanged;
using qtb::FromRect;
using qtb::KeepPlain;
using qtb::Show;
using qtb::Target;
using qtb::Touched;

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
    const int top = dy < 0 ? a.top() : a.top() + dy;
    const int left = a.left();
    const int right = a.left() + a.width();
    QRect copied;
    qtb::PictureRing* ring = RingOf(dc);
    if (ring != nullptr && ring->Scroll(*image, a, dy)) {
        // Nothing was copied but what stays in place; what changed to the
        // eye is what a copy would have copied.
        copied = dc->plain.Move(top, top + rows, dy, left, right, [](int, int, int) {});
    } else {
        // Only the pixels not plain before and after the move are copied.
        uchar* bits = image->bits();
        const qsizetype stride = image->bytesPerLine();
        copied = dc->plain.Move(top, top + rows, dy, left, right, [&](int y, int from, int to) {
            uchar* row = bits + qsizetype(y) * stride;  // 32-bit pixels; the source is another row
            std::memcpy(row + qsizetype(from) * 4, row - qsizetype(dy) * stride + qsizetype(from) * 4,
                        std::size_t(to - from) * 4);
        });
    }
    KeepPlain(dc, image);
    if (!ShowScroll(dc, *image, a, dy)) {
        Show(dc, copied);
    }
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

Pen SelectPen(Dc dc, Pen pen) { return qtb::ExchangeDcValue(dc, &DcObject::pen, pen); }

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
