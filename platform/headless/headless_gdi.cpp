// Headless drawing: fixed font metrics and a log of every operation.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/headless/headless_internal.h"
#include "platform/unicode.h"

namespace plat {
namespace {

std::vector<headless::DrawOp> g_log;
// Grows with every recorded drawing: no picture is kept, so any drawing
// counts as a change to every picture.
std::uint64_t g_pictureVersion = 1;
std::vector<std::unique_ptr<FontObject>> g_defaultFonts;
BrushObject g_stockBrushes[6] = {{0, 0x00FFFFFF}, {1, 0x00C0C0C0}, {2, 0x00808080},
                                 {3, 0x00404040}, {4, 0x00000000}, {5, 0x00FFFFFF}};

int PixelHeight(const LogFont& font) {
    int h = std::abs(font.height);
    return h == 0 ? 16 : h;
}

bool IsBold(const LogFont& font) { return font.weight >= 600; }

bool IsNarrow(char16_t c) {
    switch (c) {
        case u' ': case 0x00A0: case u'.': case u',': case u':': case u';': case u'\'': case u'!':
        case u'|': case u'i': case u'l': case u'j': case 0x05D5: case 0x05D9: case 0x05DF:
            return true;
        default:
            return false;
    }
}

bool IsWide(char16_t c) {
    switch (c) {
        case u'm': case u'w': case u'M': case u'W': case 0x05DD: case 0x05DE: case 0x05E9:
        case 0x05E5:
            return true;
        default:
            return false;
    }
}

bool IsZeroWidth(char16_t c) { return c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E); }

const LogFont& DcFont(Dc dc) {
    static const LogFont kDefault{};
    return (dc != nullptr && dc->font != nullptr) ? dc->font->description : kDefault;
}

int RunWidth(const LogFont& font, const char16_t* text, int count) {
    int width = 0;
    for (int i = 0; i < count; ++i) width += headless::CharAdvance(font, text[i]);
    return width;
}

headless::DrawOp BaseOp(Dc dc, headless::DrawOp::Kind kind) {
    headless::DrawOp op;
    op.kind = kind;
    op.dc = dc;
    op.window = dc != nullptr ? dc->window : nullptr;
    if (dc != nullptr) {
        op.textColour = dc->textColour;
        op.backColour = dc->backColour;
        op.backMode = dc->backMode;
        op.font = DcFont(dc);
        op.brush = dc->brush != nullptr ? dc->brush->stock : WHITE_BRUSH;
        op.brushColour = dc->brush != nullptr ? dc->brush->colour : 0x00FFFFFF;
        op.penColour = dc->pen != nullptr ? dc->pen->colour : 0;
    }
    return op;
}

}  // namespace

namespace headless {

int CharAdvance(const LogFont& font, char16_t c) {
    if (IsZeroWidth(c)) return 0;
    int h = PixelHeight(font);
    int advance = IsNarrow(c) ? std::max(1, h / 4) : IsWide(c) ? std::max(1, 3 * h / 4)
                                                               : std::max(1, h / 2);
    return advance + (IsBold(font) ? 1 : 0);
}

const std::vector<DrawOp>& DrawLog() { return g_log; }
void ClearDrawLog() { g_log.clear(); }
void RecordDraw(const DrawOp& op) {
    g_log.push_back(op);
    ++g_pictureVersion;
}
void ResetGdi() { g_log.clear(); }

}  // namespace headless

Font CreateFontIndirect(const LogFont& description) { return new FontObject{description}; }

void DeleteFont(Font font) { delete font; }

Font SelectFont(Dc dc, Font font) {
    if (dc == nullptr) return nullptr;
    Font previous = dc->font;
    dc->font = font;
    return previous;
}

bool GetFontDescription(Font font, LogFont* description) {
    if (font == nullptr || description == nullptr) return false;
    *description = font->description;
    return true;
}

bool GetTextMetrics(Dc dc, TextMetrics* metrics) {
    if (dc == nullptr || metrics == nullptr) return false;
    const LogFont& font = DcFont(dc);
    int h = PixelHeight(font);
    metrics->tmHeight = h;
    metrics->tmDescent = h / 4;
    metrics->tmAscent = h - h / 4;
    metrics->tmAveCharWidth = headless::CharAdvance(font, u'x');
    metrics->tmMaxCharWidth = headless::CharAdvance(font, u'm');
    return true;
}

bool GetTextExtentExPoint(Dc dc, const char16_t* text, int count, int maxExtent, int* fit,
                          Size* extent) {
    if (dc == nullptr || count < 0 || (text == nullptr && count > 0)) return false;
    const LogFont& font = DcFont(dc);
    int width = 0;
    int fitting = 0;
    bool fitting_open = true;
    for (int i = 0; i < count; ++i) {
        width += headless::CharAdvance(font, text[i]);
        if (fitting_open && width <= maxExtent) {
            fitting = i + 1;
        } else {
            fitting_open = false;
        }
    }
    if (fit != nullptr) *fit = fitting;
    if (extent != nullptr) *extent = Size{width, PixelHeight(font)};
    return true;
}

bool GetTextExtentPoint(Dc dc, const char16_t* text, int count, Size* extent) {
    return GetTextExtentExPoint(dc, text, count, 0, nullptr, extent);
}

int DrawText(Dc dc, const char16_t* text, int count, const Rect& rect, std::uint32_t format) {
    if (dc == nullptr || (text == nullptr && count != 0)) return 0;
    if (count < 0) count = int(U16Length(text));
    const LogFont& font = DcFont(dc);
    int width = RunWidth(font, text, count);
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::Text);
    op.rect = rect;
    op.text.assign(text, text + count);
    op.format = format;
    if (format & DT_CENTER) {
        op.textX = rect.left + (rect.right - rect.left - width) / 2;
    } else if (format & DT_RIGHT) {
        op.textX = rect.right - width;
    } else {
        op.textX = rect.left;
    }
    headless::RecordDraw(op);
    return PixelHeight(font);
}

bool ExtTextOut(Dc dc, int x, int y, const char16_t* text, int count) {
    if (dc == nullptr || count < 0 || (text == nullptr && count > 0)) return false;
    const LogFont& font = DcFont(dc);
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::Text);
    op.rect = Rect{x, y, x + RunWidth(font, text, count), y + PixelHeight(font)};
    op.text.assign(text, text + count);
    op.format = DT_NOCLIP;
    op.textX = x;
    headless::RecordDraw(op);
    return true;
}

Colour SetTextColor(Dc dc, Colour colour) {
    if (dc == nullptr) return 0;
    Colour previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}
Colour GetTextColor(Dc dc) { return dc != nullptr ? dc->textColour : 0; }
Colour SetBkColor(Dc dc, Colour colour) {
    if (dc == nullptr) return 0;
    Colour previous = dc->backColour;
    dc->backColour = colour;
    return previous;
}
Colour GetBkColor(Dc dc) { return dc != nullptr ? dc->backColour : 0; }
int SetBkMode(Dc dc, int mode) {
    if (dc == nullptr) return 0;
    int previous = dc->backMode;
    dc->backMode = mode;
    return previous;
}

Brush GetStockBrush(int index) {
    if (index < 0 || index > NULL_BRUSH) return nullptr;
    return &g_stockBrushes[index];
}

Brush SelectBrush(Dc dc, Brush brush) {
    if (dc == nullptr) return nullptr;
    Brush previous = dc->brush != nullptr ? dc->brush : &g_stockBrushes[WHITE_BRUSH];
    dc->brush = brush;
    return previous;
}

// Nothing is drawn for real, so a batch changes nothing here.
void BeginDrawing(Dc) {}
void EndDrawing(Dc) {}

bool ScrollDC(Dc dc, int dy, const Rect& area) {
    if (dc == nullptr) {
        return false;
    }
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::Scroll);
    op.rect = area;
    op.scrollBy = dy;
    headless::RecordDraw(op);
    return true;
}

// Drawing is recorded whole, clipped or not.
void SetClipRects(Dc, const Rect*, int) {}

bool RectVisible(Dc dc, const Rect&) { return dc != nullptr; }

std::uint64_t GetPictureVersion(Dc dc) { return dc != nullptr ? g_pictureVersion : 0; }

bool FillRect(Dc dc, const Rect& rect, Brush brush) {
    if (dc == nullptr || brush == nullptr) return false;
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::Fill);
    op.rect = rect;
    op.brush = brush->stock;
    op.brushColour = brush->colour;
    headless::RecordDraw(op);
    return true;
}

bool Rectangle(Dc dc, int left, int top, int right, int bottom) {
    if (dc == nullptr) return false;
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::Rectangle);
    op.rect = Rect{left, top, right, bottom};
    headless::RecordDraw(op);
    return true;
}

bool RoundRect(Dc dc, int left, int top, int right, int bottom, int, int) {
    if (dc == nullptr) return false;
    headless::DrawOp op = BaseOp(dc, headless::DrawOp::RoundRect);
    op.rect = Rect{left, top, right, bottom};
    headless::RecordDraw(op);
    return true;
}

Brush CreateSolidBrush(Colour colour) { return new BrushObject{-1, colour}; }

void DeleteBrush(Brush brush) {
    if (brush != nullptr && brush->stock < 0) delete brush;
}

Pen CreatePen(int, int, Colour colour) { return new PenObject{colour}; }

Pen SelectPen(Dc dc, Pen pen) {
    if (dc == nullptr) return nullptr;
    Pen previous = dc->pen;
    dc->pen = pen;
    return previous;
}

void DeletePen(Pen pen) { delete pen; }

Bitmap LoadBitmap(const Module* module, std::uint16_t id) {
    auto* resource =
        static_cast<const BitmapResource*>(FindResourceObject(module, RT_BITMAP, id));
    if (resource == nullptr) return nullptr;
    return new BitmapObject{resource, id};
}

void DeleteBitmap(Bitmap bitmap) { delete bitmap; }

Size GetBitmapSize(Bitmap bitmap) {
    if (bitmap == nullptr || bitmap->resource == nullptr) return Size{};
    return Size{bitmap->resource->width, bitmap->resource->height};
}

Dc CreateCompatibleDC(Dc dc) {
    Dc memory = new DcObject;
    memory->memory = true;
    if (dc != nullptr) memory->window = dc->window;
    return memory;
}

bool DeleteDC(Dc memoryDc) {
    if (memoryDc == nullptr || !(memoryDc->memory || memoryDc->image)) return false;
    delete memoryDc;
    return true;
}

Bitmap SelectBitmap(Dc memoryDc, Bitmap bitmap) {
    if (memoryDc == nullptr) return nullptr;
    Bitmap previous = memoryDc->bitmap;
    memoryDc->bitmap = bitmap;
    return previous;
}

bool BitBlt(Dc dest, int x, int y, int width, int height, Dc source, int, int, std::uint32_t) {
    if (dest == nullptr || source == nullptr) return false;
    headless::DrawOp op = BaseOp(dest, headless::DrawOp::Blit);
    op.rect = Rect{x, y, x + width, y + height};
    op.bitmapId = source->bitmap != nullptr ? source->bitmap->id : 0;
    headless::RecordDraw(op);
    return true;
}

int GetDeviceCaps(Dc, int index) { return index == LOGPIXELSY ? 96 : 0; }

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return headless::ScreenWidth();
        case SM_CYSCREEN: return headless::ScreenHeight();
        case SM_CXVSCROLL: return 13;
        case SM_CXEDGE: return 2;
        case SM_CYEDGE: return 2;
        default: return 0;
    }
}

void EnumFontFamilies(Dc, FontFamilyCallback callback, void* context) {
    struct Family {
        const char16_t* name;
        std::uint8_t charSet;
    };
    static const Family kFamilies[] = {{u"Headless Sans", ANSI_CHARSET},
                                       {u"Headless Hebrew", HEBREW_CHARSET},
                                       {u"David CLM", HEBREW_CHARSET},
                                       {u"Courier", ANSI_CHARSET}};
    if (callback == nullptr) return;
    for (const Family& family : kFamilies) {
        if (!callback(family.name, family.charSet, context)) return;
    }
}

Dc CreateImageDC(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    Dc dc = new DcObject;
    dc->image = true;
    dc->width = width;
    dc->height = height;
    return dc;
}

void DeleteImageDC(Dc dc) {
    if (dc != nullptr && dc->image) delete dc;
}

bool SaveDcImage(Dc, const char*) { return false; }

}  // namespace plat
