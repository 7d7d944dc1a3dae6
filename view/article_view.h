// The article view: lays an article stream (format/book_format.h) out into
// display lines for the view's width and font, paints the page that starts
// at `topLine`, overlays a search highlight, follows link taps and scrolls by
// display lines.
//
// Display lines: every DisplayLine entry is one display line, and an entry
// whose flag bit 7 is set is followed by one blank display line of its own
// height. `topLine`, `totalLines` and `maxTopLine` count display lines.
//
// Results: 0 done; -1 no view (or nothing to paint); -2 out of memory;
// -4 the stream is empty or its first text record has no text; -5 bad size;
// small positive values when nothing was done or nothing changed.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "format/book_format.h"
#include "platform/types.h"
#include "view/display_text.h"

struct DisplayLine {
    std::uint16_t textOffset;  // first stored byte drawn (the label on a labelled
                               // left-to-right first line; the start of the
                               // stored stretch of a right-to-left line;
                               // offset 2 of a separator)
    std::uint16_t charCount;   // stored bytes drawn, label excluded; 0 for a separator
    std::uint16_t x;           // window x of the text (of the rule, for a separator)
    std::uint16_t labelWidth;  // label column on a labelled first line, else 0
    std::uint16_t width;       // measured width of the text (separator: its width)
    std::uint16_t height;      // line height of the line's font
    std::uint16_t linkNumber;  // target of a link line, else 0
    std::uint8_t flags;        // the record's flag byte; bit 7 only on the record's
                               // last line; 0 only in the terminator
};

struct FontCacheEntry {
    FontCacheEntry* next;
    plat::Font font;  // owned; none after the fonts were released
    std::uint8_t styleKey;
    // Metrics of `font`, read once when it is made.
    std::int32_t lineHeight;
    std::int32_t maxCharWidth;
    std::int32_t aveCharWidth;
};

struct LinkHit {
    const DisplayLine* line;  // none ends the table
    std::uint16_t y;          // window y at which the line was painted
};

// View flags.
constexpr std::uint16_t kBackLinkShown = 0x0001;

// The stream length a caller gives when it does not know it: the stream is
// then read up to its end mark (and never past 65,535 bytes), which is safe
// only for streams known to be well formed, such as the book's own articles.
constexpr std::uint32_t kStreamLengthUnknown = 0xFFFFFFFFu;

struct ArticleView {
    DisplayLine* lines;        // owned: `capacity` lines plus the terminator
    plat::Dc deviceContext;    // borrowed
    std::uint8_t* text;        // owned article stream
    std::int32_t linesPainted;
    FontDescription font;
    FontCacheEntry* fontCache;
    ViewBox box;
    std::uint16_t topLine;
    std::uint16_t totalLines;
    std::uint16_t lineCount;
    std::uint16_t capacity;
    std::uint16_t maxTopLine;
    std::uint16_t highlightStart;
    std::uint16_t highlightEnd;
    LinkHit* linkHits;         // owned: one slot per link line plus one
    std::uint16_t viewFlags;   // kBackLinkShown
    // Bytes of `text` the view may read (the end mark included when the
    // stream has one).
    std::uint32_t textLength;
    std::uint16_t linkHitCapacity;  // slots in `linkHits`
    // Right-to-left text is broken into lines from a reversed copy made here.
    std::uint8_t* reversed;
    std::uint32_t reversedCapacity;
    // The picture's version right after the last whole paint of the page
    // (0: unknown): while it holds, a scroll may move the pixels on screen.
    std::uint64_t pagePicture;
};

// Creates a view drawing on `dc` (borrowed). `rect`, when given, becomes the
// box; `font`, when given, the view's font. A table for `initialCapacity`
// lines is made when that is above 0 (the first layout makes one otherwise).
// Returns none without a context or memory.
ArticleView* CreateArticleView(plat::Dc dc, const plat::Rect* rect, const FontDescription* font,
                               int initialCapacity);

// Stores a new size (x and y stay) and lays the current stream out again;
// the layout's result, -5 when a side is not positive, -1 without a view.
int SetViewSize(ArticleView* view, int width, int height);

// Takes a new font description, makes the cached fonts again, lays out and
// paints with erase (its result); 1 when the layout did not succeed. Without
// a description every cached font is deleted and 0 returned.
int ApplyFont(ArticleView* view, const FontDescription* font);

// Selects the font of a style key (bits 0-4 of keyAndOptions) into the
// view's context, making it on first use; with option 0x100 also sets the
// key's text colour. Returns the font selected before.
plat::Font SelectStyleFont(ArticleView* view, int keyAndOptions);
constexpr int kSelectWithColour = 0x100;

// Lays `stream` out. With releasePrevious the stream held so far is freed.
// `streamLength` is how many bytes of the stream may be read (for a buffer
// from the article store: its text length plus the terminating NUL); the
// view never reads past it. On 0 the view owns the stream; otherwise it
// does not take it.
int LayoutArticle(ArticleView* view, std::uint8_t* stream, int releasePrevious,
                  std::uint32_t streamLength = kStreamLengthUnknown);

// Lays out a new stream in place of the one shown. On 0 the view owns the
// stream and has released the old one; on any failure the view is exactly
// as before (text, lines, totals, highlight) and does not take the stream.
int ReplaceArticleText(ArticleView* view, std::uint8_t* stream, std::uint32_t streamLength);

// The text at the top of the page: the stream byte the top line starts
// with in reading order, and whether the page starts with the blank line
// before it. Not valid when the page starts past the text.
struct TextAnchor {
    std::uint16_t offset = 0;
    bool blankBefore = false;
    bool valid = false;
};
TextAnchor TopTextAnchor(const ArticleView* view);
// The top line that shows the anchored text in the present layout (the
// blank line before it too, when the anchor had it); -1 when not found.
int TopLineForAnchor(const ArticleView* view, const TextAnchor& anchor);

// Largest top line whose page is still full to the bottom; -1 without lines.
int ComputeMaxTopLine(ArticleView* view);

// Frees the text and tables and deletes the fonts; with releaseRecord the
// record itself too.
void DestroyArticleView(ArticleView* view, int releaseRecord);

// Paints the page at `topLine` (the box filled white first with erase),
// then the highlight. 0, -1 without a view, text or line table, or the
// highlight's result.
int PaintArticleView(ArticleView* view, int erase);

// Overlays the highlight on the page; called by PaintArticleView.
int PaintHighlight(ArticleView* view);

// Draws, blue on yellow, the part of a run that lies in the highlight.
// `runStart` points `runStart - textStart` bytes into the stream at
// `textStart`; the run is `runCount` bytes drawn from (x, y).
void PaintHighlightedRun(ArticleView* view, const std::uint8_t* textStart,
                         const std::uint8_t* runStart, int runCount, int x, int y);

// Link number under a point of the page last painted, or 0.
int HitTestLink(ArticleView* view, int x, int y);

// Moves the page by `delta` display lines. -1 without a view; 1 when
// nothing moved and nothing was painted; without repaint 3 when `topLine`
// changed; with a repaint the paint's result.
int ScrollArticleView(ArticleView* view, int delta, int repaint, int bounded);

// Puts the line holding a stream offset at the top (no paint): 1, or 0 when
// no line holds it.
int ScrollToTextOffset(ArticleView* view, int offset);

// Colours of the view.
constexpr plat::Colour kLargeBoldColour = 0x00FF0000;
constexpr plat::Colour kSmallColour = 0x00800000;
constexpr plat::Colour kTextColour = 0x00000000;
constexpr plat::Colour kHighlightTextColour = 0x00FF0000;
constexpr plat::Colour kHighlightBackColour = 0x0000FFFF;
