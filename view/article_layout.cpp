// The article view's record and the layout of a stream into display lines.
#include <cstring>

#include "platform/gdi.h"
#include "platform/memory.h"
#include "view/article_view.h"
#include "view/style_fonts.h"

namespace {

constexpr int kLineTableStep = 128;
// Lines and blank lines together must stay countable in 16 bits.
constexpr int kMaxLines = 32767;

std::uint8_t ByteAt(const std::uint8_t* stream, std::uint32_t length, std::uint32_t at) {
    return at < length ? stream[at] : 0;
}

// Flags of a line without the blank line after it. A flag byte of 0x80
// (style 0, nothing else) would leave 0, which only the terminator may
// have; style 1 draws the same.
std::uint8_t WithoutBlankLine(std::uint8_t flags) {
    const std::uint8_t stripped = std::uint8_t(flags & ~kBlankLineAfter);
    return stripped != 0 ? stripped : std::uint8_t(0x01);
}

bool GrowLineTable(ArticleView* view) {
    const int capacity = view->capacity;
    if (capacity + kLineTableStep > kMaxLines) {
        return false;
    }
    auto* lines = static_cast<DisplayLine*>(
        plat::Allocate(sizeof(DisplayLine) * std::size_t(capacity + kLineTableStep + 1)));
    if (lines == nullptr) {
        return false;
    }
    if (view->lines != nullptr && capacity > 0) {
        std::memcpy(lines, view->lines, sizeof(DisplayLine) * std::size_t(capacity));
    }
    plat::Free(view->lines);
    view->lines = lines;
    view->capacity = std::uint16_t(capacity + kLineTableStep);
    return true;
}

// How many leading characters of `count` fit in `room` pixels, and their
// width. The count handed to the measuring is first cut to what the room
// could take at twice the average character width, so that the cost stays
// in proportion to the line rather than to the rest of the paragraph; when
// everything handed over fits, the measuring is repeated with more.
// A line always takes at least one character, so layout moves on even where
// not one fits.
int FitLine(ArticleView* view, const std::uint8_t* bytes, int count, int room, int aveCharWidth,
            int* fit, int* width) {
    if (room < 0) {
        room = 0;
    }
    int limit = count;
    if (aveCharWidth > 0) {
        const long guess = 2L * room / aveCharWidth + 8;
        if (guess < limit) {
            limit = int(guess);
        }
    }
    for (;;) {
        int w = room;
        int c = limit;
        if (MeasureText(view->deviceContext, bytes, &w, &c) != 0) {
            return -2;
        }
        if (c == limit && limit < count) {
            limit = limit > count / 2 ? count : limit * 2;
            continue;
        }
        if (c == 0 && count > 0) {
            // TextBuffer still holds the characters just measured.
            plat::Size extent;
            plat::GetTextExtentPoint(view->deviceContext, TextBuffer.buffer, 1, &extent);
            c = 1;
            w = extent.cx;
        }
        *fit = c;
        *width = w;
        return 0;
    }
}

// Running state of one layout.
struct Layout {
    ArticleView* view;
    const std::uint8_t* stream;
    std::uint32_t length;
    int boxX;
    int boxWidth;
    int indent;           // S: the running indent
    int lineIndex;        // i
    int blankLines;       // blank display lines after paragraphs
    std::uint32_t end;    // offset of the end mark (or of the end of the bytes)
    std::uint8_t currentKey;
    LineFont font;
};

int AddSeparator(Layout& layout, const LineRecordInfo& record) {
    ArticleView* view = layout.view;
    if (layout.lineIndex >= view->capacity && !GrowLineTable(view)) {
        return -2;
    }
    const int w = layout.boxWidth;
    const int m = SeparatorWidth(record.layout, w);
    int x = layout.boxX;
    if ((record.flags & kAlignMask) == kAlignRight) {
        x = layout.boxX + w - m;
    } else if ((record.flags & kAlignMask) == kAlignCentre) {
        x = layout.boxX + (w - m) / 2;
    }
    DisplayLine& line = view->lines[layout.lineIndex];
    line = DisplayLine{};
    line.textOffset = std::uint16_t(record.offset + 2);
    line.x = std::uint16_t(x);
    line.width = std::uint16_t(m);
    line.height = std::uint16_t(layout.font.height);
    line.flags = record.flags;
    ++layout.lineIndex;
    if ((record.flags & kBlankLineAfter) != 0) {
        ++layout.blankLines;
    }
    return 0;
}

// Right-to-left text in reading order: lines are cut from a reversed copy
// kept with the view. Null when memory ran out.
const std::uint8_t* ReadingOrderCopy(ArticleView* view, const std::uint8_t* text, int n) {
    if (view->reversed == nullptr || view->reversedCapacity < std::uint32_t(n)) {
        auto* copy = static_cast<std::uint8_t*>(plat::Allocate(std::size_t(n)));
        if (copy == nullptr) {
            return nullptr;
        }
        plat::Free(view->reversed);
        view->reversed = copy;
        view->reversedCapacity = std::uint32_t(n);
    }
    for (int k = 0; k < n; ++k) {
        view->reversed[k] = text[n - 1 - k];
    }
    return view->reversed;
}

// How many of the `remaining` characters at `text` go on a line with `room`
// pixels, and their width. A word that does not fit moves to the next
// line: the break comes after the last hyphen or at the last space, never
// before the first character; a word with neither is cut where it stops
// fitting.
int BreakLine(Layout& layout, const std::uint8_t* text, int remaining, int room, int* count, int* width) {
    ArticleView* view = layout.view;
    *count = 0;
    *width = 0;
    if (remaining > 0) {
        if (FitLine(view, text, remaining, room, layout.font.aveCharWidth, count, width) != 0) {
            return -2;
        }
    }
    if (*count < remaining && text[*count] != ' ') {
        for (int k = *count - 1; k >= 1; --k) {
            const std::uint8_t c = text[k];
            if (c == ' ' || c == '-') {
                *count = c == '-' ? k + 1 : k;
                plat::Size extent;
                plat::GetTextExtentPoint(view->deviceContext, TextBuffer.buffer, *count, &extent);
                *width = extent.cx;
                break;
            }
        }
    }
    return 0;
}

// Breaks the text (or link caption) of a record into lines with the
// effective flags `effective`; `label` is the record's hanging label code.
int AddTextLines(Layout& layout, const LineRecordInfo& record, std::uint8_t effective, int label,
                 std::uint16_t linkNumber) {
    ArticleView* view = layout.view;
    layout.currentKey = effective;
    int labelWidth = label != 0 ? ((label + 1) * layout.font.maxCharWidth) / 2 : 0;

    const int n = int(record.textLength);
    const std::uint8_t* text = layout.stream + record.textStart;
    const bool rightToLeft = (effective & kRightToLeft) != 0;
    if (rightToLeft) {
        text = ReadingOrderCopy(view, text, n);
        if (text == nullptr) {
            return -2;
        }
    }
    TextBuffer.letterBase = rightToLeft ? view->font.FontAsciiBase : kLatinLetterBase;

    const int w = layout.boxWidth;
    if (layout.indent >= w) {
        layout.indent = 0;
    }
    int pos = 0;
    for (;;) {
        while (pos < n && text[pos] == ' ') {
            ++pos;
        }
        if (pos >= n) {
            return 0;
        }
        if (layout.lineIndex >= view->capacity && !GrowLineTable(view)) {
            return -2;
        }
        int room = w - layout.indent;
        const int labelStart = pos;
        int lineStart = pos;
        if (labelWidth != 0) {
            int labelEnd = pos;
            while (labelEnd < n && text[labelEnd] != ' ') {
                ++labelEnd;
            }
            lineStart = labelEnd;
            while (lineStart < n && text[lineStart] == ' ') {
                ++lineStart;
            }
            room = w - layout.indent - labelWidth;
            if (room < 0) {
                room = 0;
            }
        }
        int count = 0;
        int width = 0;
        if (BreakLine(layout, text + lineStart, n - lineStart, room, &count, &width) != 0) {
            return -2;
        }

        DisplayLine& line = view->lines[layout.lineIndex];
        line = DisplayLine{};
        line.charCount = std::uint16_t(count);
        line.width = std::uint16_t(width);
        line.height = std::uint16_t(layout.font.height);
        line.labelWidth = std::uint16_t(labelWidth);
        line.linkNumber = linkNumber;
        if (rightToLeft) {
            line.textOffset = std::uint16_t(record.textStart + std::uint32_t(n - (lineStart + count)));
        } else {
            line.textOffset =
                std::uint16_t(record.textStart + std::uint32_t(labelWidth != 0 ? labelStart : lineStart));
        }
        const int hanging = layout.indent + labelWidth;
        int x = layout.boxX + hanging;
        if ((effective & kAlignMask) == kAlignRight) {
            x = layout.boxX + w - hanging - width;
        } else if ((effective & kAlignMask) == kAlignCentre) {
            x = layout.boxX + layout.indent + (w - hanging - width) / 2;
        }
        // Positions are unsigned: a line wider than its room starts at 0.
        line.x = std::uint16_t(x > 0 ? x : 0);
        layout.indent = hanging;
        labelWidth = 0;

        pos = lineStart + count;
        // Only spaces left (a continuation's marking space that did not fit):
        // this is still the record's last line, and its blank line follows.
        int rest = pos;
        while (rest < n && text[rest] == ' ') {
            ++rest;
        }
        if (rest >= n) {
            line.flags = record.flags;
            if ((effective & kBlankLineAfter) != 0) {
                ++layout.blankLines;
            }
        } else {
            line.flags = WithoutBlankLine(record.flags);
        }
        ++layout.lineIndex;
    }
}

int LayoutRecords(Layout& layout) {
    ArticleView* view = layout.view;
    LineRecordInfo record;
    std::uint32_t offset = 0;
    std::uint8_t previousLayout = 0;
    plat::Font unused = nullptr;
    bool selected = false;
    while (ReadLineRecord(layout.stream, layout.length, offset, &record)) {
        int label = record.layout >> kLabelShift;
        const int ownIndent = record.layout & kIndentMask;
        if (label == 0 || ByteAt(layout.stream, layout.length, offset + 2) != ' ' ||
            layout.lineIndex == 0) {
            layout.indent = ownIndent;
        } else {
            // A continuation paragraph keeps the running indent of the one
            // before, moved by the difference of their own indents.
            layout.indent += ownIndent - (previousLayout & kIndentMask);
            if (layout.indent < 0) {
                layout.indent = 0;
            }
            label = 0;
        }
        previousLayout = record.layout;

        int status = 0;
        switch (record.kind) {
            case LineRecordKind::Separator:
                status = AddSeparator(layout, record);
                break;
            case LineRecordKind::Link:
                if (record.linkNumber == 0) {
                    break;
                }
                layout.indent = 0;
                if (layout.currentKey != kStyleSmall) {
                    if (!SelectLayoutFont(view, (record.flags & kRightToLeft) + kStyleSmall,
                                          &layout.font, &unused, &selected)) {
                        return -2;
                    }
                }
                status = AddTextLines(layout, record,
                                      std::uint8_t((record.flags & ~(kStyleNormal | kStyleLarge)) | kStyleSmall), 0,
                                      record.linkNumber);
                break;
            case LineRecordKind::Text:
                if (((record.flags ^ layout.currentKey) & kStyleKeyMask) != 0) {
                    if (!SelectLayoutFont(view, record.flags, &layout.font, &unused, &selected)) {
                        return -2;
                    }
                }
                status = AddTextLines(layout, record, record.flags, label, 0);
                break;
            default:
                break;
        }
        if (status != 0) {
            return status;
        }
        offset = record.next;
    }
    layout.end = offset;
    return 0;
}

// Drops the link slots, which point into the line table that is about to
// change, and makes sure there is a table; false when memory ran out.
bool PrepareLineTable(ArticleView* view) {
    plat::Free(view->linkHits);
    view->linkHits = nullptr;
    view->linkHitCapacity = 0;
    if (view->lines == nullptr || view->capacity == 0) {
        plat::Free(view->lines);
        view->lines = nullptr;
        view->capacity = 0;
        auto* lines = static_cast<DisplayLine*>(
            plat::Allocate(sizeof(DisplayLine) * std::size_t(kLineTableStep + 1)));
        if (lines == nullptr) {
            view->lineCount = 0;
            return false;
        }
        view->lines = lines;
        view->capacity = kLineTableStep;
    }
    return true;
}

// After a layout that went through: the totals, the text the view now
// holds, the scroll limit and the link slots.
void FinishLayout(const Layout& layout, std::uint8_t* stream) {
    ArticleView* view = layout.view;
    const int count = layout.lineIndex;
    int total = count + layout.blankLines;
    if (count > 0 && (view->lines[count - 1].flags & kBlankLineAfter) != 0) {
        view->lines[count - 1].flags = WithoutBlankLine(view->lines[count - 1].flags);
        --total;
    }
    view->totalLines = std::uint16_t(total);
    view->text = stream;
    view->textLength = layout.end < layout.length ? layout.end + 1 : layout.length;
    ComputeMaxTopLine(view);

    int links = 0;
    for (int k = 0; k < count; ++k) {
        const DisplayLine& line = view->lines[k];
        if ((line.flags & kStyleMask) == kSpecialStyle && line.linkNumber != 0) {
            ++links;
        }
    }
    if (links > 0) {
        auto* hits = static_cast<LinkHit*>(plat::Allocate(sizeof(LinkHit) * std::size_t(links + 1)));
        if (hits != nullptr) {
            hits[0] = LinkHit{};
            view->linkHits = hits;
            view->linkHitCapacity = std::uint16_t(links + 1);
        }
    }
}

}  // namespace

ArticleView* CreateArticleView(plat::Dc dc, const plat::Rect* rect, const FontDescription* font,
                               int initialCapacity) {
    if (dc == nullptr) {
        return nullptr;
    }
    auto* view = static_cast<ArticleView*>(plat::Allocate(sizeof(ArticleView)));
    if (view == nullptr) {
        return nullptr;
    }
    std::memset(view, 0, sizeof(ArticleView));
    view->deviceContext = dc;
    if (font != nullptr) {
        view->font = *font;
    }
    if (rect != nullptr) {
        view->box = ViewBox{rect->left, rect->top, rect->right - rect->left,
                            rect->bottom - rect->top};
    }
    if (initialCapacity > kMaxLines) {
        initialCapacity = kMaxLines;
    }
    if (initialCapacity > 0) {
        auto* lines = static_cast<DisplayLine*>(
            plat::Allocate(sizeof(DisplayLine) * std::size_t(initialCapacity + 1)));
        if (lines != nullptr) {
            lines[0] = DisplayLine{};
            view->lines = lines;
            view->capacity = std::uint16_t(initialCapacity);
        }
    }
    return view;
}

int SetViewSize(ArticleView* view, int width, int height) {
    if (view == nullptr) {
        return -1;
    }
    if (width <= 0 || height <= 0) {
        return -5;
    }
    view->box.width = width;
    view->box.height = height;
    return LayoutArticle(view, view->text, 0, view->textLength);
}

int LayoutArticle(ArticleView* view, std::uint8_t* stream, int releasePrevious,
                  std::uint32_t streamLength) {
    if (view == nullptr) {
        return -1;
    }
    view->highlightStart = 0;
    view->highlightEnd = 0;
    view->pagePicture = 0;
    view->totalLines = 0;
    view->maxTopLine = 0;
    if (stream == nullptr) {
        if (releasePrevious != 0) {
            plat::Free(view->text);
            view->text = nullptr;
            view->textLength = 0;
        }
        return 2;
    }
    const std::uint32_t length = streamLength < kMaxStreamLength ? streamLength : kMaxStreamLength;
    if (length == 0 || stream[0] == 0 ||
        ((stream[0] & kStyleMask) != kSpecialStyle && ByteAt(stream, length, 2) == 0)) {
        return -4;
    }

    if (releasePrevious != 0 && view->text != nullptr) {
        if (view->text != stream) {
            plat::Free(view->text);
        }
        view->text = nullptr;
        view->textLength = 0;
    }
    if (!PrepareLineTable(view)) {
        return -2;
    }

    Layout layout{};
    layout.view = view;
    layout.stream = stream;
    layout.length = length;
    layout.boxX = view->box.x;
    layout.boxWidth = view->box.width > 0 ? view->box.width : 0;
    layout.currentKey = 1;

    plat::Font previousFont = nullptr;
    bool selected = false;
    int status = 0;
    if (!SelectLayoutFont(view, 1, &layout.font, &previousFont, &selected)) {
        status = -2;
    } else {
        status = LayoutRecords(layout);
    }

    const int count = layout.lineIndex;
    view->lines[count] = DisplayLine{};
    view->lineCount = std::uint16_t(count);
    if (status == 0) {
        FinishLayout(layout, stream);
    }
    if (selected) {
        plat::SelectFont(view->deviceContext, previousFont);
    }
    return status;
}

int ComputeMaxTopLine(ArticleView* view) {
    if (view == nullptr || view->lines == nullptr || view->totalLines == 0 ||
        view->lineCount == 0) {
        return -1;
    }
    int room = std::int16_t(view->box.height);
    int fitted = 0;
    for (int k = view->lineCount - 1; k >= 0; --k) {
        const DisplayLine& line = view->lines[k];
        if (room < line.height) {
            break;
        }
        room -= line.height;
        ++fitted;
        if ((line.flags & kBlankLineAfter) != 0) {
            room -= line.height;
            ++fitted;
        }
    }
    if (room < 0) {
        --fitted;
    }
    int top = view->totalLines - fitted;
    if (top < 0) {
        top = 0;
    }
    view->maxTopLine = std::uint16_t(top);
    return top;
}

void DestroyArticleView(ArticleView* view, int releaseRecord) {
    if (view == nullptr) {
        return;
    }
    plat::Free(view->text);
    view->text = nullptr;
    view->textLength = 0;
    plat::Free(view->lines);
    view->lines = nullptr;
    view->capacity = 0;
    view->lineCount = 0;
    view->totalLines = 0;
    view->maxTopLine = 0;
    plat::Free(view->linkHits);
    view->linkHits = nullptr;
    view->linkHitCapacity = 0;
    plat::Free(view->reversed);
    view->reversed = nullptr;
    view->reversedCapacity = 0;
    ApplyFont(view, nullptr);
    FontCacheEntry* entry = view->fontCache;
    while (entry != nullptr) {
        FontCacheEntry* next = entry->next;
        plat::Free(entry);
        entry = next;
    }
    view->fontCache = nullptr;
    if (releaseRecord != 0) {
        plat::Free(view);
    }
}
