// Painting the page, the search highlight, link taps and scrolling.
#include <algorithm>
#include <climits>

#include "platform/gdi.h"
#include "view/article_view.h"

namespace {

// A key no flag byte has: the next text line selects its font again.
constexpr int kNoKey = 0x100;
constexpr int kFrameMargin = 10;
constexpr int kFrameAbove = 2;
constexpr int kFrameBelow = 3;
constexpr int kFrameCorner = 6;
// Left of anything a line draws (and its negation right of it).
constexpr int kAnyX = -0x8000;

bool IsSpecial(const DisplayLine& line) { return (line.flags & kStyleMask) == kSpecialStyle; }
bool IsSeparator(const DisplayLine& line) { return IsSpecial(line) && line.linkNumber == 0; }
bool IsLink(const DisplayLine& line) { return IsSpecial(line) && line.linkNumber != 0; }
bool HasBlankLine(const DisplayLine& line) { return (line.flags & kBlankLineAfter) != 0; }

// A link line that painting passes over without taking room.
bool LinkHidden(const ArticleView* view, const DisplayLine& line) {
    return view->linkHits == nullptr ||
           (line.linkNumber == kBackLink && (view->viewFlags & kBackLinkShown) == 0);
}

struct PageStart {
    int index;
    int y;
    int room;
};

// Where the page that starts at display line `top` begins.
PageStart PageStartAt(const ArticleView* view, int top) {
    const DisplayLine* lines = view->lines;
    int count = 0;
    int k = 0;
    while (lines[k].flags != 0 && count < top) {
        count += HasBlankLine(lines[k]) ? 2 : 1;
        ++k;
    }
    PageStart page{k, view->box.y, view->box.height};
    if (count > top) {
        // The top display line is the blank line after the entry before.
        page.y += lines[k - 1].height;
        page.room -= lines[k - 1].height;
    }
    return page;
}

PageStart FindPageStart(ArticleView* view) {
    if (view->topLine > view->totalLines) {
        view->topLine = view->maxTopLine;
    }
    return PageStartAt(view, view->topLine);
}

void SetLetterBase(const ArticleView* view, const DisplayLine& line) {
    TextBuffer.letterBase =
        (line.flags & kRightToLeft) != 0 ? view->font.FontAsciiBase : kLatinLetterBase;
}

// Bytes `count` long at `offset`, cut to what the view's text holds.
int ClampRun(const ArticleView* view, std::uint32_t offset, int count) {
    if (offset >= view->textLength || count <= 0) {
        return 0;
    }
    const std::uint32_t room = view->textLength - offset;
    return std::uint32_t(count) > room ? int(room) : count;
}

// End of the record text that holds `offset`: its NUL or the end of the text.
std::uint32_t RecordTextEnd(const ArticleView* view, std::uint32_t offset) {
    return FindTextEnd(view->text, view->textLength, offset);
}

// The label of a labelled first line: where it starts and how many bytes.
struct Label {
    std::uint32_t start = 0;
    int length = 0;
    std::uint32_t after = 0;  // left-to-right: first byte after the label's spaces
};

Label FindLabel(const ArticleView* view, const DisplayLine& line) {
    Label label;
    const std::uint8_t* text = view->text;
    const std::uint32_t end = RecordTextEnd(view, line.textOffset);
    if ((line.flags & kRightToLeft) == 0) {
        // Stored in reading order: the first word of the line.
        std::uint32_t p = line.textOffset;
        label.start = p;
        while (p < end && text[p] != ' ') {
            ++p;
        }
        label.length = int(p - label.start);
        while (p < end && text[p] == ' ') {
            ++p;
        }
        label.after = p;
    } else {
        // Stored in visual order: the label is the record's last word, after
        // the line's stretch and the spaces that follow it.
        std::uint32_t p = std::uint32_t(line.textOffset) + line.charCount;
        while (p < end && text[p] == ' ') {
            ++p;
        }
        label.start = p < end ? p : end;
        label.length = int(end - label.start);
    }
    return label;
}

// Fits the label into its column: how many characters and their width.
void FitLabel(const ArticleView* view, const DisplayLine& line, const Label& label, int* count,
              int* width) {
    *count = label.length;
    *width = line.labelWidth;
    MeasureText(view->deviceContext, view->text + label.start, width, count);
}

void DrawLineText(ArticleView* view, const DisplayLine& line, int y) {
    plat::Dc dc = view->deviceContext;
    const int x = line.x;
    if (line.labelWidth == 0) {
        DrawTextRun(dc, view->text + line.textOffset, ClampRun(view, line.textOffset, line.charCount),
                    x, y, line.width, line.height);
        return;
    }
    const Label label = FindLabel(view, line);
    int count = 0;
    int w = 0;
    FitLabel(view, line, label, &count, &w);
    if ((line.flags & kRightToLeft) == 0) {
        DrawTextRun(dc, view->text + label.start, count, x - line.labelWidth, y, w, line.height);
        DrawTextRun(dc, view->text + label.after, ClampRun(view, label.after, line.charCount), x,
                    y, line.width, line.height);
    } else {
        DrawTextRun(dc, view->text + label.start, count, x + line.width + line.labelWidth - w, y,
                    w, line.height);
        DrawTextRun(dc, view->text + line.textOffset,
                    ClampRun(view, line.textOffset, line.charCount), x, y, line.width,
                    line.height);
    }
}

void DrawSeparator(ArticleView* view, const DisplayLine& line, int y) {
    plat::Dc dc = view->deviceContext;
    plat::Brush previous = plat::SelectBrush(dc, plat::GetStockBrush(BLACK_BRUSH));
    const int top = y + line.height / 2;
    plat::Rectangle(dc, line.x, top, line.x + line.width, top + 1);
    plat::SelectBrush(dc, previous);
}

// Frames the group of consecutive link lines from `first` that carry its
// number and still fit in the room left.
void FrameLinkGroup(ArticleView* view, int first, int y, int room) {
    const DisplayLine* lines = view->lines;
    const DisplayLine& head = lines[first];
    const int top = y;
    int bottom = y + head.height;
    for (int k = first; IsLink(lines[k]) && lines[k].linkNumber == head.linkNumber; ++k) {
        const DisplayLine& line = lines[k];
        if (room < line.height) {
            break;
        }
        bottom = y + line.height;
        y += line.height;
        room -= line.height;
        if (HasBlankLine(line)) {
            y += line.height;
            room -= line.height;
        }
    }
    plat::Dc dc = view->deviceContext;
    plat::Brush previous = plat::SelectBrush(dc, plat::GetStockBrush(HOLLOW_BRUSH));
    plat::RoundRect(dc, head.x - kFrameMargin, top - kFrameAbove,
                    head.x + head.width + kFrameMargin, bottom + kFrameBelow, kFrameCorner,
                    kFrameCorner);
    plat::SelectBrush(dc, previous);
}

}  // namespace

namespace {

// The page without the highlight.
void PaintPage(ArticleView* view, int erase) {
    plat::Dc dc = view->deviceContext;
    view->linesPainted = 0;
    const PageStart page = FindPageStart(view);
    const DisplayLine* lines = view->lines;

    int key = IsSpecial(lines[page.index]) ? 1 : lines[page.index].flags;
    const plat::Colour oldColour = plat::GetTextColor(dc);
    const plat::Font oldFont = SelectStyleFont(view, key | kSelectWithColour);
    if (erase != 0) {
        FillViewBox(dc, view->box, WHITE_BRUSH);
    }
    int slot = 0;
    if (view->linkHits != nullptr) {
        view->linkHits[0].line = nullptr;
    }
    int lastFramed = 0;

    int y = page.y;
    int room = page.room;
    for (int k = page.index; lines[k].flags != 0; ++k) {
        const DisplayLine& line = lines[k];
        if (room < line.height) {
            break;
        }
        // A line outside the clip (a scroll paints only bands) is passed
        // over; its font and link slot are still taken.
        const bool shown = plat::RectVisible(dc, plat::Rect{kAnyX, y, -kAnyX, y + line.height});
        if (IsSeparator(line)) {
            if (shown) {
                DrawSeparator(view, line, y);
            }
        } else if (IsLink(line)) {
            if (LinkHidden(view, line)) {
                continue;
            }
            if (slot + 1 < view->linkHitCapacity) {
                view->linkHits[slot].line = &line;
                view->linkHits[slot].y = std::uint16_t(y);
                view->linkHits[slot + 1].line = nullptr;
                ++slot;
            }
            if (line.linkNumber != lastFramed) {
                FrameLinkGroup(view, k, y, room);
                lastFramed = line.linkNumber;
            }
            SelectStyleFont(view, ((line.flags & kRightToLeft) + kStyleSmall) | kSelectWithColour);
            key = kNoKey;
            SetLetterBase(view, line);
            if (shown) {
                DrawTextRun(dc, view->text + line.textOffset,
                            ClampRun(view, line.textOffset, line.charCount), line.x, y, line.width,
                            line.height);
            }
        } else {
            if (((line.flags ^ key) & (kStyleKeyMask | kNoKey)) != 0) {
                SelectStyleFont(view, line.flags | kSelectWithColour);
                key = line.flags;
            }
            SetLetterBase(view, line);
            if (shown) {
                DrawLineText(view, line, y);
            }
        }
        room -= line.height;
        y += line.height;
        ++view->linesPainted;
        if (HasBlankLine(line)) {
            room -= line.height;
            y += line.height;
            ++view->linesPainted;
        }
    }

    if (oldFont != nullptr) {
        plat::SelectFont(dc, oldFont);
    }
    plat::SetTextColor(dc, oldColour);
}

}  // namespace

int PaintArticleView(ArticleView* view, int erase) {
    if (view == nullptr || view->text == nullptr || view->lines == nullptr) {
        return -1;
    }
    // One drawing batch for the whole page, highlight included.
    plat::BeginDrawing(view->deviceContext);
    PaintPage(view, erase);
    int result = 0;
    if (view->highlightStart != 0 || view->highlightEnd != 0) {
        result = PaintHighlight(view);
    }
    plat::EndDrawing(view->deviceContext);
    view->pagePicture = erase != 0 ? plat::GetPictureVersion(view->deviceContext) : 0;
    return result;
}

int PaintHighlight(ArticleView* view) {
    if (view == nullptr || view->text == nullptr || view->lines == nullptr) {
        return -1;
    }
    const PageStart page = FindPageStart(view);
    const DisplayLine* lines = view->lines;
    int key = IsSpecial(lines[page.index]) ? 1 : lines[page.index].flags;
    const plat::Font oldFont = SelectStyleFont(view, key);

    const int start = view->highlightStart;
    const int end = view->highlightEnd;
    int y = page.y;
    int room = page.room;
    for (int k = page.index; lines[k].flags != 0; ++k) {
        const DisplayLine& line = lines[k];
        if (room < line.height) {
            break;
        }
        if (IsLink(line) && LinkHidden(view, line)) {
            continue;
        }
        if (!IsSpecial(line) && line.textOffset <= end && start <= line.textOffset + line.charCount) {
            if (((line.flags ^ key) & kStyleKeyMask) != 0) {
                SelectStyleFont(view, line.flags);
                key = line.flags;
            }
            SetLetterBase(view, line);
            const int x = line.x;
            if (line.labelWidth == 0) {
                PaintHighlightedRun(view, view->text, view->text + line.textOffset, line.charCount,
                                    x, y);
            } else if ((line.flags & kRightToLeft) == 0) {
                const Label label = FindLabel(view, line);
                int count = 0;
                int w = 0;
                FitLabel(view, line, label, &count, &w);
                PaintHighlightedRun(view, view->text, view->text + label.start, count,
                                    x - line.labelWidth, y);
                PaintHighlightedRun(view, view->text, view->text + label.after, line.charCount, x,
                                    y);
            } else {
                const Label label = FindLabel(view, line);
                int count = 0;
                int w = 0;
                FitLabel(view, line, label, &count, &w);
                DrawTextRunInColours(view->deviceContext, view->text + label.start, count,
                                     x + line.width + line.labelWidth - w, y, w, line.height,
                                     kHighlightTextColour, kHighlightBackColour);
                PaintHighlightedRun(view, view->text, view->text + line.textOffset, line.charCount,
                                    x, y);
            }
        }
        room -= line.height;
        y += line.height;
        if (HasBlankLine(line)) {
            room -= line.height;
            y += line.height;
        }
    }
    if (oldFont != nullptr) {
        plat::SelectFont(view->deviceContext, oldFont);
    }
    return 0;
}

void PaintHighlightedRun(ArticleView* view, const std::uint8_t* textStart,
                         const std::uint8_t* runStart, int runCount, int x, int y) {
    if (view == nullptr || textStart == nullptr || runStart == nullptr || runStart < textStart) {
        return;
    }
    long runOffset = long(runStart - textStart);
    if (textStart == view->text) {
        if (runOffset >= long(view->textLength)) {
            return;
        }
        runCount = ClampRun(view, std::uint32_t(runOffset), runCount);
    }
    const long first = long(view->highlightStart) - runOffset;
    int dx = 0;
    if (first >= 0) {
        runCount -= int(first);
        if (runCount < 0) {
            return;
        }
        plat::Size lead;
        MeasureTextExtent(view->deviceContext, runStart, int(first), &lead);
        dx = lead.cx;
        runStart += first;
        runOffset += first;
    }
    const long toEnd = long(view->highlightEnd) - runOffset;
    const int n = toEnd < runCount ? int(toEnd) : runCount;
    if (n <= 0) {
        return;
    }
    plat::Size extent;
    if (MeasureTextExtent(view->deviceContext, runStart, n, &extent) != 0) {
        return;
    }
    DrawTextRunInColours(view->deviceContext, runStart, n, x + dx, y, extent.cx, extent.cy,
                         kHighlightTextColour, kHighlightBackColour);
}

int HitTestLink(ArticleView* view, int x, int y) {
    if (view == nullptr || view->linkHits == nullptr || view->linkHits[0].line == nullptr) {
        return 0;
    }
    for (int s = 0; s < view->linkHitCapacity && view->linkHits[s].line != nullptr; ++s) {
        const LinkHit& hit = view->linkHits[s];
        const DisplayLine& line = *hit.line;
        const int top = hit.y;
        if (top - kFrameAbove <= y && y <= top + line.height + kFrameBelow &&
            line.x - kFrameMargin <= x && x <= line.x + line.width + kFrameMargin) {
            return line.linkNumber;
        }
    }
    return 0;
}

namespace {

// The room a display entry takes on a page (its blank line included).
int EntryRoom(const ArticleView* view, const DisplayLine& line) {
    if (IsLink(line) && LinkHidden(view, line)) {
        return 0;
    }
    return HasBlankLine(line) ? 2 * line.height : line.height;
}

// What a page that starts at `top` covers: its first entry and y, and the
// y just below its last whole line.
struct PageExtent {
    int first;
    int end;  // one past the last entry on the page
    int y;
    int bottom;
};

PageExtent MeasurePage(const ArticleView* view, int top) {
    const PageStart page = PageStartAt(view, top);
    const DisplayLine* lines = view->lines;
    int y = page.y;
    int room = page.room;
    int k = page.index;
    for (; lines[k].flags != 0; ++k) {
        if (room < lines[k].height) {
            break;
        }
        const int taken = EntryRoom(view, lines[k]);
        room -= taken;
        y += taken;
    }
    return PageExtent{page.index, k, page.y, y};
}

// Whether a link shows (and so a frame is drawn) among the entries from
// `from` up to (not including) `to`.
bool FramesBetween(const ArticleView* view, int from, int to) {
    for (int k = from; k < to && view->lines[k].flags != 0; ++k) {
        if (IsLink(view->lines[k]) && !LinkHidden(view, view->lines[k])) {
            return true;
        }
    }
    return false;
}

// Room taken by the entries from `from` up to (not including) `to`.
int RoomBetween(const ArticleView* view, int from, int to) {
    int room = 0;
    for (int k = from; k < to && view->lines[k].flags != 0; ++k) {
        room += EntryRoom(view, view->lines[k]);
    }
    return room;
}

// A page whose first line is a link may frame it differently once the
// lines above come in or go: such pages are painted whole.
bool StartsWithLink(const ArticleView* view, const PageExtent& page) {
    const DisplayLine& line = view->lines[page.first];
    return line.flags != 0 && IsLink(line) && !LinkHidden(view, line);
}

// After a small scroll from `oldTop`, moves the pixels of the page already
// on screen and limits the next paint to the bands that change: the lines
// that come in, and the edges where a frame or a cut line may differ.
// False (nothing done) when the page on screen is not known to be the last
// page painted, or the move is too large to gain anything.
bool MovePagePixels(ArticleView* view, int oldTop) {
    plat::Dc dc = view->deviceContext;
    if (view->pagePicture == 0 || view->pagePicture != plat::GetPictureVersion(dc) ||
        view->topLine > view->totalLines) {
        return false;
    }
    const PageExtent before = MeasurePage(view, oldTop);
    const PageExtent after = MeasurePage(view, view->topLine);
    if (StartsWithLink(view, before) || StartsWithLink(view, after)) {
        return false;
    }
    // How far the lines still shown move up (negative: down).
    const int dy = after.first >= before.first
                       ? before.y + RoomBetween(view, before.first, after.first) - after.y
                       : before.y - (after.y + RoomBetween(view, after.first, before.first));
    const ViewBox& box = view->box;
    if (dy == 0 || 2 * (dy < 0 ? -dy : dy) >= box.height) {
        return false;
    }
    const int left = box.x - kFrameMargin;
    const int right = box.x + box.width + kFrameMargin;
    const int bottom = box.y + box.height;
    if (!plat::ScrollDC(dc, -dy, plat::Rect{left, box.y, right, bottom})) {
        return false;
    }
    // A blank line after the last whole line may reach past the box.
    const int beforeBottom = std::min(before.bottom, bottom);
    const int afterBottom = std::min(after.bottom, bottom);
    // Frames reach past their lines and may be cut at the edges: with a
    // link on either page the bands take in the frames' reach as well.
    const bool framed = FramesBetween(view, std::min(before.first, after.first), std::max(before.end, after.end));
    const int above = framed ? kFrameAbove : 0;
    const int below = framed ? kFrameBelow : 0;
    // At the top, what comes in (up) or the foot of a frame whose link
    // went off the page (down); at the bottom, what comes in (down) or the
    // lines that no longer fit (up).
    plat::Rect bands[2];
    int count = 0;
    if (dy < 0 || framed) {
        bands[count++] = plat::Rect{left, box.y - above, right, box.y + (dy < 0 ? -dy : 0) + above + below};
    }
    bands[count++] = plat::Rect{left, (dy > 0 ? beforeBottom - dy : afterBottom) - above - below, right,
                                bottom + below};
    plat::SetClipRects(dc, bands, count);
    return true;
}

}  // namespace

int ScrollArticleView(ArticleView* view, int delta, int repaint, int bounded) {
    if (view == nullptr) {
        return -1;
    }
    long target = long(view->topLine) + delta;
    if (target < 0) {
        target = 0;
    } else if (bounded != 0 || target > view->totalLines) {
        if (target >= view->topLine && view->topLine >= view->maxTopLine) {
            return 1;
        }
        if (target > view->totalLines) {
            target = view->maxTopLine;
        }
    }
    if (repaint == 1 && target == view->topLine) {
        return 1;
    }
    const std::uint16_t before = view->topLine;
    view->topLine = std::uint16_t(target);
    if (repaint != 0) {
        // The same page a whole paint gives, painting only what changes.
        const bool moved = view->lines != nullptr && MovePagePixels(view, before);
        const int result = PaintArticleView(view, 1);
        if (moved) {
            plat::SetClipRects(view->deviceContext, nullptr, 0);
        }
        return result;
    }
    return view->topLine != before ? 3 : 1;
}

int ScrollToTextOffset(ArticleView* view, int offset) {
    if (view == nullptr || view->lines == nullptr) {
        return 0;
    }
    int count = 0;
    for (const DisplayLine* line = view->lines; line->flags != 0; ++line) {
        if (line->textOffset <= offset && offset <= line->textOffset + line->charCount) {
            view->topLine = std::uint16_t(count < view->maxTopLine ? count : view->maxTopLine);
            return 1;
        }
        count += HasBlankLine(*line) ? 2 : 1;
    }
    return 0;
}
