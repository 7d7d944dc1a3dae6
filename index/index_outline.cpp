// The outline side of the index view: taps, opening and closing sections,
// revealing a lesson, and keeping the open sections across a new layout.
#include <cstring>

#include "index/index_view.h"
#include "platform/memory.h"

namespace {

bool HasTable(const IndexView* view) {
    return view != nullptr && view->data != nullptr && view->lines != nullptr;
}

void Show(IndexView* view, IndexLine& line) {
    if (!IsVisibleLine(line)) {
        line.flags |= kVisibleBit;
        ++view->visibleCount;
    }
}

void Hide(IndexView* view, IndexLine& line) {
    if (IsVisibleLine(line)) {
        line.flags &= std::uint8_t(~kVisibleBit);
        --view->visibleCount;
    }
}

// Makes the hidden lines of the entry at `from` visible, walking in
// `step` (+1 or -1) while the lines carry its id; a heading shown this way
// is shown closed. Returns the first line past the entry.
int ShowEntry(IndexView* view, int from, int step) {
    const std::uint16_t id = view->lines[from].id;
    int i = from;
    for (; i >= 0 && i < view->lineCount && view->lines[i].id == id; i += step) {
        IndexLine& line = view->lines[i];
        if (IsVisibleLine(line)) continue;
        Show(view, line);
        if (IsSectionLine(line)) line.flags &= std::uint8_t(~kExpandedBit);
    }
    return i;
}

}  // namespace

std::int32_t HitTestIndex(IndexView* view, int x, int y) {
    if (!HasTable(view)) return 0;
    if (x < view->left || x > view->left + view->width || y < view->top ||
        y > view->top + view->height) {
        return 0;
    }
    int bottom = view->top;
    int remaining = view->height;
    int hit = -1;
    for (int i = FirstDrawnLine(view); i < view->lineCount; ++i) {
        const IndexLine& line = view->lines[i];
        if (remaining < line.height) break;
        if (!IsVisibleLine(line)) continue;
        remaining -= line.height;
        bottom += line.height;
        if (y <= bottom) {
            hit = i;
            break;
        }
    }
    if (hit < 0) return kIndexMissHit;
    const IndexLine& line = view->lines[hit];
    const int textRight = line.x + line.textWidth;
    if (x >= line.x && x <= textRight + kIndexIndentStep) {
        if (IsArticleLine(line)) return EntryKey(line);
        // A line that is neither an article nor a heading does nothing.
        return IsSectionLine(line) ? ToggleIndexEntry(view, hit) : 0;
    }
    if (IsSectionLine(line) && x > textRight) return ToggleIndexEntry(view, hit);
    return 0;
}

std::int32_t ToggleIndexEntry(IndexView* view, int lineIndex) {
    if (!HasTable(view) || lineIndex < 0 || lineIndex >= view->lineCount) return 0;
    IndexLine* lines = view->lines;
    const std::uint16_t id = lines[lineIndex].id;
    const std::uint16_t key = EntryKey(lines[lineIndex]);
    const bool wasOpen = (lines[lineIndex].flags & kExpandedBit) != 0;
    const std::uint16_t visibleBefore = view->visibleCount;

    // Every line of the heading's entry takes the new state, so its mark and
    // a tap on any of its lines agree.
    int first = lineIndex;
    while (first > 0 && lines[first - 1].id == id) --first;
    int p = first;
    for (; p < view->lineCount && lines[p].id == id; ++p) lines[p].flags ^= kExpandedBit;

    int childIndent = LineIndent(view, lines[p]);
    for (; p < view->lineCount; ++p) {
        IndexLine& line = lines[p];
        const int indent = LineIndent(view, line);
        if (indent < childIndent) break;
        if (EntryKey(line) == key && indent == childIndent) {
            childIndent = LineIndent(view, lines[p + 1]);
        }
        if (wasOpen) {
            Hide(view, line);
        } else if (indent == childIndent) {
            Show(view, line);
        }
    }
    if (view->visibleCount != visibleBefore) ComputeIndexMaxTop(view);
    PaintIndexView(view, 1);
    return -std::int32_t(key);
}

void RevealLesson(IndexView* view, LessonNumber lesson) {
    if (!HasTable(view) || lesson == 0) return;
    int found = -1;
    for (int i = 0; i < view->lineCount; ++i) {
        const IndexLine& line = view->lines[i];
        if (!IsSectionLine(line) && EntryKey(line) == lesson) {
            found = i;
            break;
        }
    }
    if (found < 0 || IsVisibleLine(view->lines[found])) return;
    const int after = ShowEntry(view, found, +1);
    if (after < view->lineCount) ShowEntry(view, after, +1);
    int ancestorIndent = LineIndent(view, view->lines[found]);
    for (int p = found; p >= 0; --p) {
        const int indent = LineIndent(view, view->lines[p]);
        if (indent < ancestorIndent) {
            ancestorIndent = indent;
            ShowEntry(view, p, -1);
        }
    }
}

std::uint16_t* SaveExpansion(IndexView* view) {
    if (!HasTable(view) || view->lineCount == 0) return nullptr;
    int pairs = 0;
    std::uint16_t lastId = 0;
    for (int i = 0; i < view->lineCount; ++i) {
        const IndexLine& line = view->lines[i];
        if (IsVisibleLine(line) && line.id != lastId) {
            ++pairs;
            lastId = line.id;
        }
    }
    if (pairs == 0) return nullptr;
    auto* saved = static_cast<std::uint16_t*>(
        AllocateOrAbort(sizeof(std::uint16_t) * (std::size_t(pairs) * 2 + 1)));
    if (saved == nullptr) return nullptr;
    int n = 0;
    lastId = 0;
    for (int i = 0; i < view->lineCount; ++i) {
        const IndexLine& line = view->lines[i];
        if (IsVisibleLine(line) && line.id != lastId) {
            saved[n++] = line.id;
            saved[n++] = line.flags & kExpandedBit;
            lastId = line.id;
        }
    }
    saved[n] = 0;
    return saved;
}

int RestoreExpansion(IndexView* view, const std::uint16_t* pairs) {
    if (!HasTable(view) || pairs == nullptr) return -1;
    int cursor = 0;
    for (const std::uint16_t* pair = pairs; pair[0] != 0; pair += 2) {
        const std::uint16_t id = pair[0];
        const std::uint8_t open = std::uint8_t(pair[1] & kExpandedBit);
        while (cursor < view->lineCount && view->lines[cursor].id != id) ++cursor;
        if (cursor >= view->lineCount) break;
        for (; cursor < view->lineCount && view->lines[cursor].id == id; ++cursor) {
            IndexLine& line = view->lines[cursor];
            Show(view, line);
            line.flags |= open;
        }
        --cursor;  // on the last line of the run
    }
    ComputeIndexMaxTop(view);
    return 0;
}
