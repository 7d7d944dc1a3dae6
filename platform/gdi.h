// Text and drawing service. Painting is immediate: a device context draws at
// once into the window's backing image.
//
// Text crosses the boundary as UTF-16. A drawn run shows its characters in
// exactly the given order, left to right, with no bidi reordering: stored
// right-to-left text is already in visual order.
#pragma once

#include <cstdint>

#include "platform/resources.h"
#include "platform/types.h"

namespace plat {

struct LogFont {
    std::int32_t height = 0;  // cell height in pixels; 0 = backend default
    std::int32_t weight = 0;  // 0 = normal, 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    std::uint8_t charSet = 0;
    char16_t faceName[32] = {};  // empty: the backend chooses
};

struct TextMetrics {
    std::int32_t tmHeight = 0;        // line height
    std::int32_t tmAscent = 0;
    std::int32_t tmDescent = 0;
    std::int32_t tmAveCharWidth = 0;
    std::int32_t tmMaxCharWidth = 0;  // widest character
};

// Drawing batches: between BeginDrawing and EndDrawing the primitives drawn
// on `dc` share the backend's drawing set-up, and the window shows their
// changes once, at the end. Batches nest; each Begin needs its End before
// control returns to the message loop. The pictures are the same as without.
void BeginDrawing(Dc dc);
void EndDrawing(Dc dc);

// Moves the pixels inside `area` by dy (down when positive); what moves
// out of the area is gone, what is uncovered keeps its old pixels until it
// is drawn again.
bool ScrollDC(Dc dc, int dy, const Rect& area);
// Limits everything drawn on `dc` to the union of `count` rectangles;
// a count of 0 lifts the limit.
void SetClipRects(Dc dc, const Rect* rects, int count);
// Whether drawing inside `rect` may show: false only when the clip set by
// SetClipRects leaves none of it.
bool RectVisible(Dc dc, const Rect& rect);
// A number that changes whenever anything is drawn on the picture `dc`
// draws on, through any context; equal numbers mean an unchanged picture.
std::uint64_t GetPictureVersion(Dc dc);

// Fonts.
Font CreateFontIndirect(const LogFont& description);
void DeleteFont(Font font);
Font SelectFont(Dc dc, Font font);  // returns the font selected before
bool GetFontDescription(Font font, LogFont* description);
bool GetTextMetrics(Dc dc, TextMetrics* metrics);

// Extent with fit, in one linear pass over the run: *fit receives how many
// leading characters fit within maxExtent (when fit is not null), and
// *extent the width and height of all `count` characters. Widths of leading
// prefixes are additive: measuring n characters gives the x at which the
// (n+1)-th is drawn.
bool GetTextExtentExPoint(Dc dc, const char16_t* text, int count, int maxExtent,
                          int* fit, Size* extent);
bool GetTextExtentPoint(Dc dc, const char16_t* text, int count, Size* extent);

// Draws `count` characters in the rectangle with DT_* format flags, clipped
// to the rectangle unless DT_NOCLIP. Returns the text height.
int DrawText(Dc dc, const char16_t* text, int count, const Rect& rect, std::uint32_t format);
// Draws at a point (top-left of the cell), no clipping.
bool ExtTextOut(Dc dc, int x, int y, const char16_t* text, int count);

Colour SetTextColor(Dc dc, Colour colour);  // returns the previous colour
Colour GetTextColor(Dc dc);
Colour SetBkColor(Dc dc, Colour colour);
Colour GetBkColor(Dc dc);
int SetBkMode(Dc dc, int mode);  // TRANSPARENT or OPAQUE; returns the previous

// Brushes and shapes. Shapes are outlined with the current pen (black,
// one pixel) and filled with the selected brush.
Brush GetStockBrush(int index);  // WHITE_BRUSH .. NULL_BRUSH
Brush SelectBrush(Dc dc, Brush brush);  // returns the previous brush
bool FillRect(Dc dc, const Rect& rect, Brush brush);
bool Rectangle(Dc dc, int left, int top, int right, int bottom);
bool RoundRect(Dc dc, int left, int top, int right, int bottom, int width, int height);

// Brushes of one colour and pens (one pixel wide for widths 0 and 1) that
// outline shapes in place of the default black pen. The caller deletes what
// it creates, after selecting the previous object back.
struct PenObject;
using Pen = PenObject*;
constexpr int PS_SOLID = 0;
Brush CreateSolidBrush(Colour colour);
void DeleteBrush(Brush brush);  // stock brushes are ignored
Pen CreatePen(int style, int width, Colour colour);
Pen SelectPen(Dc dc, Pen pen);  // returns the previous pen; null: the default black pen
void DeletePen(Pen pen);

// Bitmaps (monochrome or colour) from the module's resources.
Bitmap LoadBitmap(const Module* module, std::uint16_t id);
void DeleteBitmap(Bitmap bitmap);
Size GetBitmapSize(Bitmap bitmap);
Dc CreateCompatibleDC(Dc dc);  // memory context for bitmap copies
bool DeleteDC(Dc memoryDc);
Bitmap SelectBitmap(Dc memoryDc, Bitmap bitmap);  // returns the previous
bool BitBlt(Dc dest, int x, int y, int width, int height, Dc source, int sx, int sy,
            std::uint32_t rop);

int GetDeviceCaps(Dc dc, int index);  // LOGPIXELSY
int GetSystemMetrics(int index);      // SM_CXVSCROLL, SM_CXEDGE, ...

// Font families. The callback gets the face name and whether the family
// carries Hebrew letters (HEBREW_CHARSET); returning false stops the walk.
using FontFamilyCallback = bool (*)(const char16_t* faceName, std::uint8_t charSet, void* context);
void EnumFontFamilies(Dc dc, FontFamilyCallback callback, void* context);

// Offscreen images: a device context that draws into an image of its own,
// for rendering pages without a window. SaveDcImage writes a PNG (the
// headless backend writes nothing and returns false).
Dc CreateImageDC(int width, int height);
void DeleteImageDC(Dc dc);
bool SaveDcImage(Dc dc, const char* pngPath);

}  // namespace plat
