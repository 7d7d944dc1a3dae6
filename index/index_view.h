// The index view: lays the records of an index stream (format/index_stream.h)
// out into right-aligned lines inside a box, 13 pixels of indent per level,
// paints the whole lines that fit, scrolls by lines, opens and closes
// sections and turns a tap into a lesson number or a section toggle.
//
// Lines are counted over the visible ones only (`topLine`, `visibleCount`,
// `maxTopLine`); the table holds hidden lines too. All consecutive lines of
// one record form an entry and share its id.
//
// Results: 0 done; -1 no view (or nothing to work on); -2 out of memory;
// -4 the stream is empty; small positive values when nothing was done.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "format/index_stream.h"
#include "platform/types.h"
#include "view/article_view.h"

struct IndexLine {
    std::uint16_t textOffset;  // first stored byte of the line's text
    std::uint16_t charCount;   // stored bytes on the line
    std::uint16_t x;           // left pixel of the text
    std::uint16_t textWidth;   // measured width of the text
    std::uint16_t height;      // line height of the line's font
    std::uint16_t id;          // id of the record the line came from
    std::uint8_t flags;        // the record's flags; the shown and open bits
                               // change as the reader works
};

struct IndexView {
    IndexLine* lines;  // owned: `capacity` lines plus an all-zero one after the last
    plat::Dc dc;       // borrowed
    std::uint8_t* data;  // owned index stream
    std::int32_t paintedCount;  // lines drawn by the last paint
    FontDescription font;
    FontCacheEntry* fontCache;
    std::int32_t left, top, width, height;
    std::uint16_t topLine;
    std::uint16_t visibleCount;
    std::uint16_t lineCount;
    std::uint16_t capacity;
    std::uint16_t maxTopLine;
    std::uint32_t dataLength;  // bytes of `data` that may be read
};

constexpr int kIndexIndentStep = 13;
constexpr int kIndexMarkSize = 9;
// HitTestIndex: the tap fell below the last line drawn.
constexpr std::int32_t kIndexMissHit = INT32_MIN;
// SelectIndexStyleFont: also set the style's text colour.
constexpr int kIndexWithColour = 0x100;
constexpr plat::Colour kIndexHeadingColour = 0x00FF0000;  // large bold: blue
constexpr plat::Colour kIndexTextColour = 0x00000000;

inline std::uint16_t EntryKey(const IndexLine& line) { return line.id & kEntryKeyMask; }
inline bool IsSectionLine(const IndexLine& line) { return (line.id & kSectionBit) != 0; }
inline bool IsArticleLine(const IndexLine& line) { return (line.id & kArticleBit) != 0; }
inline bool IsVisibleLine(const IndexLine& line) { return (line.flags & kVisibleBit) != 0; }
// Indent of a line from the right edge of the box.
int LineIndent(const IndexView* view, const IndexLine& line);

// A view drawing on `dc` in the box (left, top)-(right, bottom) with a copy
// of `font`; with an initial capacity a table of that many lines is made.
// None without a context or memory.
IndexView* CreateIndexView(plat::Dc dc, int left, int top, int right, int bottom,
                           const FontDescription* font, int initialCapacity);

// Lays `stream` out; on 0 the view owns it (`length` readable bytes).
// With `replace` the stream held so far is released. 2 without a stream.
int LayoutIndex(IndexView* view, std::uint8_t* stream, int replace,
                std::uint32_t length = kIndexStreamLimit);
// New width and height, the held stream laid out again.
int ResizeIndexView(IndexView* view, int width, int height);
// The largest topLine that still fills the box, or -1.
int ComputeIndexMaxTop(IndexView* view);
// Paints the whole lines that fit from topLine; with erase the box is
// filled white first.
int PaintIndexView(IndexView* view, int erase);
// 1 when nothing moved, else the repaint's result.
int ScrollIndexView(IndexView* view, int delta);
// > 0 a lesson chosen; 0 nothing; < 0 a section toggled (minus its key)
// or kIndexMissHit.
std::int32_t HitTestIndex(IndexView* view, int x, int y);
// Opens or closes the section of line `lineIndex`; returns minus its key.
std::int32_t ToggleIndexEntry(IndexView* view, int lineIndex);
// Shows the first entry of `lesson` and the headings above it.
void RevealLesson(IndexView* view, LessonNumber lesson);
// Pairs (id, open bit) of the visible entries, then a 0; the caller frees
// the array with plat::Free. None when there is nothing to keep.
std::uint16_t* SaveExpansion(IndexView* view);
// Shows and opens again what SaveExpansion recorded; never hides a line.
int RestoreExpansion(IndexView* view, const std::uint16_t* pairs);
// Selects the font of a style key (bits 0-4); kIndexWithColour sets the
// text colour too. Returns the font selected before.
plat::Font SelectIndexStyleFont(IndexView* view, int flags);
void DrawEntryMark(IndexView* view, const IndexLine& line, int row);
void DestroyIndexView(IndexView* view, int releaseRecord);

// First line drawn for topLine (may be the zero line at lineCount).
int FirstDrawnLine(const IndexView* view);
