#include "index/index_view.h"

#include <algorithm>
#include <cstring>

#include "format/book_format.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "view/display_text.h"

namespace {

constexpr int kFirstTableLines = 128;
constexpr int kTableStep = 128;
constexpr int kMaxTableLines = 0xFFFF - kTableStep;
constexpr std::uint8_t kSpace = 0x20;
constexpr int kBodyStyle = 1;

IndexLine* NewLineTable(int capacity) {
    auto* lines = static_cast<IndexLine*>(
        AllocateOrAbort(sizeof(IndexLine) * (std::size_t(capacity) + 1)));
    if (lines != nullptr) std::memset(lines, 0, sizeof(IndexLine) * (std::size_t(capacity) + 1));
    return lines;
}

bool GrowLineTable(IndexView* view) {
    if (view->capacity > kMaxTableLines) return false;
    IndexLine* lines = NewLineTable(view->capacity + kTableStep);
    if (lines == nullptr) return false;
    if (view->lines != nullptr) {
        std::memcpy(lines, view->lines, sizeof(IndexLine) * view->capacity);
    }
    plat::Free(view->lines);
    view->lines = lines;
    view->capacity = std::uint16_t(view->capacity + kTableStep);
    return true;
}

plat::LogFont StyleLogFont(const IndexView* view, int key) {
    plat::LogFont font;
    const int size = view->font.FontSize;
    if (key & kStyleLarge) {
        font.height = size != 0 ? size * 5 / 4 : 20;
    } else if (key & kStyleSmall) {
        font.height = size != 0 ? size * 6 / 8 : 14;
    } else {
        font.height = size;
    }
    font.weight = (key & kStyleBold) ? FW_BOLD : FW_NORMAL;
    if (view->font.FontName[0] != 0) {
        std::copy_n(view->font.FontName, 31, font.faceName);
    }
    return font;
}

FontCacheEntry* FindOrMakeEntry(IndexView* view, int key) {
    for (FontCacheEntry* e = view->fontCache; e != nullptr; e = e->next) {
        if (e->styleKey == key) return e;
    }
    auto* entry = static_cast<FontCacheEntry*>(AllocateOrAbort(sizeof(FontCacheEntry)));
    if (entry == nullptr) return nullptr;
    *entry = FontCacheEntry{};
    entry->styleKey = std::uint8_t(key);
    entry->font = plat::CreateFontIndirect(StyleLogFont(view, key));
    entry->next = view->fontCache;
    view->fontCache = entry;
    return entry;
}

int CurrentLineHeight(const IndexView* view) {
    plat::TextMetrics metrics;
    if (!plat::GetTextMetrics(view->dc, &metrics)) return 0;
    return metrics.tmHeight;
}

// Puts back the font a layout or paint found selected.
void Reselect(IndexView* view, plat::Font kept, bool selected) {
    if (selected) plat::SelectFont(view->dc, kept);
}

// Lays out one record from line `*next` on. False when memory ran out.
bool LayoutRecord(IndexView* view, const IndexRecordRef& record, int lineHeight, int* next) {
    int indent = record.level * kIndexIndentStep;
    if (indent >= view->width) indent = 0;
    const int n = record.textLength;
    // The words read first stand at the end of the stored text: break lines
    // over a reversed copy.
    auto* scratch = static_cast<std::uint8_t*>(AllocateOrAbort(std::size_t(n) + 1));
    if (scratch == nullptr) return false;
    const std::uint8_t* text = view->data + record.textOffset;
    for (int k = 0; k < n; ++k) scratch[k] = text[n - 1 - k];
    scratch[n] = 0;

    int pos = 0;
    int remaining = n;
    int i = *next;
    bool ok = true;
    while (scratch[pos] != 0) {
        while (scratch[pos] == kSpace) {
            ++pos;
            --remaining;
        }
        if (scratch[pos] == 0) break;
        if (i == view->capacity && !GrowLineTable(view)) {
            ok = false;
            break;
        }
        int count = remaining;
        int width = view->width - indent;
        MeasureText(view->dc, scratch + pos, &width, &count);
        const std::uint8_t after = scratch[pos + count];
        if (count > 0 && after != 0 && after != kSpace) {
            int k = count - 1;
            while (k >= 1 && scratch[pos + k] != kSpace) --k;
            if (k >= 1) {
                count = k;
                MeasureText(view->dc, scratch + pos, &width, &count);
            }
        }
        if (count == 0) {
            // Not even one character fits: it gets a line of its own, so the
            // layout always moves on.
            count = 1;
            width = view->width - indent;
            plat::Size extent;
            if (MeasureTextExtent(view->dc, scratch + pos, 1, &extent) == 0) width = extent.cx;
        }
        IndexLine& line = view->lines[i];
        line.textOffset = std::uint16_t(record.textOffset + n - pos - count);
        line.charCount = std::uint16_t(count);
        line.textWidth = std::uint16_t(std::max(width, 0));
        line.height = std::uint16_t(std::max(lineHeight, 0));
        line.id = record.id;
        line.flags = record.flags;
        line.x = std::uint16_t(std::max(view->left + view->width - indent - width, 0));
        if (record.flags & kVisibleBit) ++view->visibleCount;
        pos += count;
        remaining -= count;
        ++i;
    }
    plat::Free(scratch);
    *next = i;
    return ok;
}

}  // namespace

int LineIndent(const IndexView* view, const IndexLine& line) {
    return view->left + view->width - line.x - line.textWidth;
}

IndexView* CreateIndexView(plat::Dc dc, int left, int top, int right, int bottom,
                           const FontDescription* font, int initialCapacity) {
    if (dc == nullptr) return nullptr;
    auto* view = static_cast<IndexView*>(AllocateOrAbort(sizeof(IndexView)));
    if (view == nullptr) return nullptr;
    std::memset(static_cast<void*>(view), 0, sizeof(IndexView));
    view->dc = dc;
    if (font != nullptr) view->font = *font;
    view->left = left;
    view->top = top;
    view->width = right - left;
    view->height = bottom - top;
    if (initialCapacity > 0 && initialCapacity <= kMaxTableLines) {
        view->lines = NewLineTable(initialCapacity);
        if (view->lines != nullptr) view->capacity = std::uint16_t(initialCapacity);
    }
    return view;
}

plat::Font SelectIndexStyleFont(IndexView* view, int flags) {
    const int key = flags & kIndexStyleMask;
    if (flags & kIndexWithColour) {
        const bool heading = (key & (kStyleLarge | kStyleBold)) == (kStyleLarge | kStyleBold);
        plat::SetTextColor(view->dc, heading ? kIndexHeadingColour : kIndexTextColour);
    }
    FontCacheEntry* entry = FindOrMakeEntry(view, key);
    if (entry == nullptr || entry->font == nullptr) return nullptr;
    return plat::SelectFont(view->dc, entry->font);
}

int LayoutIndex(IndexView* view, std::uint8_t* stream, int replace, std::uint32_t length) {
    if (view == nullptr) return -1;
    view->visibleCount = 0;
    view->maxTopLine = 0;
    if (stream == nullptr) {
        if (replace) {
            plat::Free(view->data);
            view->data = nullptr;
            view->dataLength = 0;
        }
        return 2;
    }
    IndexRecordRef record;
    if (!ReadIndexRecord(stream, length, 0, &record) || record.textLength == 0) return -4;
    if (replace && view->data != nullptr && view->data != stream) plat::Free(view->data);
    view->data = stream;
    view->dataLength = length;
    if (view->lines == nullptr || view->capacity == 0) {
        plat::Free(view->lines);
        view->capacity = 0;
        view->lineCount = 0;
        view->lines = NewLineTable(kFirstTableLines);
        if (view->lines == nullptr) return -2;
        view->capacity = kFirstTableLines;
    }
    TextBuffer.letterBase = AppState.Font.FontAsciiBase;
    plat::Font kept = SelectIndexStyleFont(view, kBodyStyle);
    const bool selected = kept != nullptr;
    int lineHeight = CurrentLineHeight(view);
    int style = kBodyStyle;

    int next = 0;
    int status = 0;
    for (std::uint32_t offset = 0; ReadIndexRecord(stream, length, offset, &record);
         offset = NextIndexRecord(record)) {
        if (((record.flags ^ style) & kIndexStyleMask) != 0) {
            SelectIndexStyleFont(view, record.flags);
            lineHeight = CurrentLineHeight(view);
        }
        style = record.flags;
        if (!LayoutRecord(view, record, lineHeight, &next)) {
            status = -2;
            break;
        }
    }
    std::memset(&view->lines[next], 0, sizeof(IndexLine));
    view->lineCount = std::uint16_t(next);
    if (status == 0) ComputeIndexMaxTop(view);
    Reselect(view, kept, selected);
    return status;
}

int ResizeIndexView(IndexView* view, int width, int height) {
    if (view == nullptr) return -1;
    view->width = width;
    view->height = height;
    return LayoutIndex(view, view->data, 0, view->dataLength);
}

int ComputeIndexMaxTop(IndexView* view) {
    if (view == nullptr || view->lines == nullptr || view->visibleCount == 0 ||
        view->lineCount == 0) {
        return -1;
    }
    int remaining = view->height;
    int fit = 0;
    for (int i = view->lineCount - 1; i >= 0; --i) {
        const IndexLine& line = view->lines[i];
        if (line.height > remaining) break;
        if (IsVisibleLine(line)) {
            remaining -= line.height;
            ++fit;
        }
    }
    view->maxTopLine = std::uint16_t(std::max(int(view->visibleCount) - fit, 0));
    return view->maxTopLine;
}

int FirstDrawnLine(const IndexView* view) {
    int i = 0;
    int counted = 0;
    while (i < view->lineCount && counted != view->topLine) {
        if (IsVisibleLine(view->lines[i])) ++counted;
        ++i;
    }
    return i;
}

namespace {

void PaintLines(IndexView* view, int erase) {
    int remaining = view->height;
    if (view->topLine > view->visibleCount) view->topLine = view->maxTopLine;
    int i = FirstDrawnLine(view);
    int row = view->top;

    const plat::Colour keptColour = plat::GetTextColor(view->dc);
    TextBuffer.letterBase = AppState.Font.FontAsciiBase;
    int style = view->lines[i].flags & kIndexStyleMask;
    plat::Font kept = SelectIndexStyleFont(view, style | kIndexWithColour);
    const bool selected = kept != nullptr;
    if (erase) {
        FillViewBox(view->dc, ViewBox{view->left, view->top, view->width, view->height},
                    WHITE_BRUSH);
    }
    std::uint16_t previousId = 0;
    for (; i < view->lineCount; ++i) {
        const IndexLine& line = view->lines[i];
        if (remaining < line.height) break;
        if (!IsVisibleLine(line)) continue;
        if ((line.flags & kIndexStyleMask) != style) {
            style = line.flags & kIndexStyleMask;
            SelectIndexStyleFont(view, style | kIndexWithColour);
        }
        if (line.id != previousId) {
            DrawEntryMark(view, line, row);
            previousId = line.id;
        }
        DrawTextRun(view->dc, view->data + line.textOffset, line.charCount, line.x, row,
                    line.textWidth, line.height);
        row += line.height;
        remaining -= line.height;
        ++view->paintedCount;
    }
    Reselect(view, kept, selected);
    plat::SetTextColor(view->dc, keptColour);
}

}  // namespace

int PaintIndexView(IndexView* view, int erase) {
    if (view == nullptr || view->data == nullptr || view->lines == nullptr) return -1;
    view->paintedCount = 0;
    // One drawing batch for the whole box, marks included.
    plat::BeginDrawing(view->dc);
    PaintLines(view, erase);
    plat::EndDrawing(view->dc);
    return 0;
}

int ScrollIndexView(IndexView* view, int delta) {
    if (view == nullptr) return -1;
    int target = int(view->topLine) + delta;
    if (target < 0) {
        target = 0;
    } else if (target > view->maxTopLine) {
        target = view->maxTopLine;
    }
    if (target == view->topLine) return 1;
    view->topLine = std::uint16_t(target);
    return PaintIndexView(view, 1);
}

void DrawEntryMark(IndexView* view, const IndexLine& line, int row) {
    int which = 2;  // an article or a plain line
    if (IsSectionLine(line)) which = (line.flags & kExpandedBit) ? 1 : 0;
    plat::Bitmap bitmap = AppState.OutlineBitmaps[which];
    if (bitmap == nullptr) return;
    plat::Dc memory = plat::CreateCompatibleDC(view->dc);
    if (memory == nullptr) return;
    plat::Bitmap old = plat::SelectBitmap(memory, bitmap);
    const int y = row + std::max(0, (line.height - kIndexMarkSize) / 2);
    plat::BitBlt(view->dc, line.x + line.textWidth + 4, y, kIndexMarkSize, kIndexMarkSize, memory,
                 0, 0, SRCCOPY);
    plat::SelectBitmap(memory, old);
    plat::DeleteDC(memory);
}

void DestroyIndexView(IndexView* view, int releaseRecord) {
    if (view == nullptr) return;
    plat::Free(view->data);
    view->data = nullptr;
    plat::Free(view->lines);
    view->lines = nullptr;
    view->capacity = 0;
    view->lineCount = 0;
    FontCacheEntry* entry = view->fontCache;
    while (entry != nullptr) {
        FontCacheEntry* next = entry->next;
        if (entry->font != nullptr) plat::DeleteFont(entry->font);
        plat::Free(entry);
        entry = next;
    }
    view->fontCache = nullptr;
    if (releaseRecord) plat::Free(view);
}
