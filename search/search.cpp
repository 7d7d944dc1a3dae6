// Matching a pattern against article records and the whole-book pass.
#include "search/search.h"

#include <bit>
#include <cstring>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "bookmarks/menu_check.h"
#include "calendar/weekly_schedule.h"
#include "format/book_format.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

constexpr std::uint16_t kNoHighlightStart = 0xFFFF;

// Whether the pattern byte `p` stands for the text byte `b`: itself, and a
// space also for the no-break space that joins the words of a Latin run.
inline bool Same(std::uint8_t p, std::uint8_t b) { return p == b || (p == ' ' && b == kNoBreakSpace); }

// The last index at or before `from` whose byte is `value`, or -1.
long LastIndexOf(const std::uint8_t* base, long from, std::uint8_t value) {
    for (long i = from; i >= 0; --i) {
        if (Same(value, base[i])) {
            return i;
        }
    }
    return -1;
}

enum class Candidate { Miss, Hit, NoHitAnywhere };

// Whether the pattern's hit ends at e (its last byte already equal there).
Candidate MatchEndingAt(const std::uint8_t* base, long e, const std::uint8_t* pattern,
                        int length, int* hitLength);

// MatchBackward on indexes relative to `base`, so that nothing points before
// the record: the last byte of the hit ending at or before `data`, or -1.
long MatchIndex(const std::uint8_t* base, long data, const std::uint8_t* pattern, int length,
                int* hitLength) {
    if (length <= 0) {
        return -1;
    }
    for (long e = LastIndexOf(base, data, pattern[length - 1]); e >= 0;
         e = LastIndexOf(base, e - 1, pattern[length - 1])) {
        switch (MatchEndingAt(base, e, pattern, length, hitLength)) {
            case Candidate::Hit: return e;
            case Candidate::NoHitAnywhere: return -1;
            case Candidate::Miss: break;
        }
    }
    return -1;
}

Candidate MatchEndingAt(const std::uint8_t* base, long e, const std::uint8_t* pattern,
                        int length, int* hitLength) {
    long t = e - 1;
    for (int j = length - 2; j >= 0; --j, --t) {
        if (t < 0) {
            return Candidate::Miss;  // the record ran out before the pattern
        }
        const std::uint8_t p = pattern[j];
        if (Same(p, base[t]) || p == kAnyByte) {
            continue;
        }
        if (p != kAnyRun) {
            return Candidate::Miss;
        }
        // The part before the star must end at or before t; when it is
        // nowhere, no candidate further back can do better.
        int innerLength = 0;
        const long inner = MatchIndex(base, t, pattern, j, &innerLength);
        if (inner < 0) {
            return Candidate::NoHitAnywhere;
        }
        *hitLength = innerLength + int(e - inner);
        return Candidate::Hit;
    }
    *hitLength = int(e - t);
    return Candidate::Hit;
}

// Eight bytes at a time: the mask has 0x80 in every byte of x that is 0.
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline std::uint64_t ZeroBytes(std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }
inline std::uint64_t Load8(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}
constexpr bool kWordScan = std::endian::native == std::endian::little;

// The last index i at or before `from` (i >= 1) where the bytes i - 1 and i
// are `before` and `at`, or -1. A miss over the whole book is mostly this
// scan, so it looks at eight positions at once.
long LastPairIndex(const std::uint8_t* base, long from, std::uint8_t before, std::uint8_t at) {
    long i = from;
    if constexpr (kWordScan) {
        const std::uint64_t atAll = kOnes * at;
        const std::uint64_t beforeAll = kOnes * before;
        for (; i >= 8; i -= 8) {
            // Byte k of `high` is base[i - 7 + k]; of `low`, the byte before it.
            const std::uint64_t hits =
                ZeroBytes(Load8(base + i - 7) ^ atAll) & ZeroBytes(Load8(base + i - 8) ^ beforeAll);
            if (hits != 0) {
                return i - 7 + (63 - std::countl_zero(hits)) / 8;
            }
        }
    }
    for (; i >= 1; --i) {
        if (base[i] == at && base[i - 1] == before) {
            return i;
        }
    }
    return -1;
}

// The pattern's literal tail: from after its last wildcard or space (a
// space stands for two bytes) to its end; the last byte always counts, but
// a tail ending in a space is no more than that byte. Every hit ends with it.
int LiteralTail(const std::uint8_t* pattern, int length) {
    int tail = length > 0 ? 1 : 0;
    if (tail == 1 && pattern[length - 1] == ' ') {
        return tail;
    }
    while (tail < length && pattern[length - 1 - tail] != kAnyByte &&
           pattern[length - 1 - tail] != kAnyRun && pattern[length - 1 - tail] != ' ') {
        ++tail;
    }
    return tail;
}

// MatchIndex for a whole record: the candidates are the places where the
// literal tail ends, found two bytes at a time.
long MatchIndexByTail(const std::uint8_t* base, long data, const std::uint8_t* pattern, int length,
                      int tail, int* hitLength) {
    if (tail < 2) {
        return MatchIndex(base, data, pattern, length, hitLength);
    }
    const std::uint8_t* tailBytes = pattern + length - tail;
    for (long e = LastPairIndex(base, data, tailBytes[tail - 2], tailBytes[tail - 1]);
         e - tail + 1 >= 0; e = LastPairIndex(base, e - 1, tailBytes[tail - 2], tailBytes[tail - 1])) {
        if (std::memcmp(base + e - tail + 1, tailBytes, std::size_t(tail)) != 0) {
            continue;
        }
        switch (MatchEndingAt(base, e, pattern, length, hitLength)) {
            case Candidate::Hit: return e;
            case Candidate::NoHitAnywhere: return -1;
            case Candidate::Miss: break;
        }
    }
    return -1;
}

int PatternLength(const std::uint8_t* pattern) {
    int n = 0;
    while (n < kSearchPatternMaxLength && pattern[n] != 0) {
        ++n;
    }
    return n;
}

bool ViewHasText(const ArticleView* view) { return view != nullptr && view->text != nullptr; }

LessonNumber NextLesson(LessonNumber lesson) {
    return lesson >= kLastLesson ? kFirstLesson : LessonNumber(lesson + 1);
}

// Searches every lesson after the current one in turn, 262 wrapping to 1,
// up to the current one. A hit's article is handed to the view and its
// lesson becomes the current one; the back-link history is left alone.
bool SearchOtherLessons(ArticleView* view, std::uint16_t* last, int* hitLength) {
    const LessonNumber current = AppState.Lesson;
    LessonNumber lesson = current;
    // At most one round, even when the current number is outside the book.
    for (int step = 0; step < kLastLesson; ++step) {
        lesson = NextLesson(lesson);
        if (lesson == current) {
            break;
        }
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        if (text == nullptr) {
            continue;
        }
        const std::uint16_t hit = FindInArticle(text, length, 0, hitLength);
        if (hit == 0) {
            plat::Free(text);
            continue;
        }
        const LessonNumber oldLesson = AppState.Lesson;
        const std::uint32_t oldFlags = AppState.Flags;
        ChooseLesson(lesson, true);
        if (LayoutArticle(view, text, 1, length) != 0) {
            // The view refused the text: it keeps what it showed.
            plat::Free(text);
            AppState.Lesson = oldLesson;
            AppState.Flags = oldFlags;
            continue;
        }
        *last = hit;
        return true;
    }
    return false;
}

}  // namespace

const std::uint8_t* MatchBackward(const std::uint8_t* begin, const std::uint8_t* pattern,
                                  int patternLength, const std::uint8_t* data, int* hitLength) {
    if (begin == nullptr || pattern == nullptr || data == nullptr || data < begin) {
        return nullptr;
    }
    int length = 0;
    const long e = MatchIndex(begin, long(data - begin), pattern, patternLength, &length);
    if (e < 0) {
        return nullptr;
    }
    if (hitLength != nullptr) {
        *hitLength = length;
    }
    return begin + e;
}

std::uint16_t FindPatternInArticle(const std::uint8_t* text, std::uint32_t length,
                                   std::uint16_t start, const std::uint8_t* pattern,
                                   int* hitLength) {
    if (text == nullptr || pattern == nullptr) {
        return 0;
    }
    const int patternLength = PatternLength(pattern);
    const int tail = LiteralTail(pattern, patternLength);
    if (length > kMaxStreamLength) {
        length = kMaxStreamLength;
    }
    std::uint32_t record = 0;
    while (record < length && text[record] != 0) {
        // A record: flag byte, second byte, then a NUL-terminated string
        // (end is its NUL, or the stream's end when it has none).
        const std::uint32_t begin = record + 2;
        if (begin >= length) {
            break;
        }
        const std::uint32_t end = FindTextEnd(text, length, begin);
        // A start on the record's second byte comes from a hit at its first
        // text byte: the whole record lies behind the search already.
        // (Scanning it from its end again would go round its hits forever
        // on a page that cannot scroll the hit to the top.)
        const bool searchedAlready = start + 1u == begin;
        if (end >= start && !searchedAlready) {
            std::uint32_t scan = start >= begin ? start : end - 1;
            if (scan >= length) {
                scan = length - 1;
            }
            int n = 0;
            const long e = scan >= begin ? MatchIndexByTail(text + begin, long(scan - begin),
                                                            pattern, patternLength, tail, &n)
                                         : -1;
            if (e >= 0) {
                if (hitLength != nullptr) {
                    *hitLength = n;
                }
                return std::uint16_t(begin + std::uint32_t(e));
            }
        }
        record = end + 1;
    }
    return 0;
}

std::uint16_t FindInArticle(const std::uint8_t* text, std::uint32_t length, std::uint16_t start,
                            int* hitLength) {
    return FindPatternInArticle(text, length, start, AppState.SearchString, hitLength);
}

std::uint16_t SearchStartOffset() {
    const ArticleView* view = AppState.View;
    if (view == nullptr || view->lines == nullptr) {
        return std::uint16_t(view != nullptr ? view->highlightStart - 1 : kNoHighlightStart);
    }
    const DisplayLine* top = view->lines;
    int count = view->topLine;
    while (top->flags != 0 && count > 0) {
        count -= (top->flags & kBlankLineAfter) != 0 ? 2 : 1;
        ++top;
    }
    // The entry after the top one; the terminator has none after it.
    const DisplayLine* next = top->flags != 0 ? top + 1 : top;
    const std::uint32_t c = top->textOffset;
    const std::uint32_t d = top->charCount;
    const bool highlightOnTop = view->highlightEnd >= c && view->highlightEnd <= c + d;
    if (!highlightOnTop && view->topLine < view->maxTopLine) {
        return std::uint16_t(c + d - 1);
    }
    if (view->highlightStart == c) {
        return std::uint16_t(next->textOffset + next->charCount);
    }
    return std::uint16_t(view->highlightStart - 1);
}

void ShowSearchHit(ArticleView* view, std::uint16_t last, int hitLength) {
    if (view == nullptr) {
        return;
    }
    ScrollToTextOffset(view, last);
    if (AppState.MainWindow != nullptr) {
        if (Shell.repaintView != nullptr) Shell.repaintView(AppState.MainWindow, kPaintAll);
    } else {
        PaintArticleView(view, 1);
    }
    view->highlightStart = std::uint16_t(last - hitLength + 1);
    view->highlightEnd = std::uint16_t(last + 1);
    PaintArticleView(view, 1);
    UpdateBookmarkCheck(kMenuCheckSet);
    ShowTitleBanner(view);
}

int SearchAgain(plat::Window owner) {
    if (AppState.SearchString[0] == 0) {
        return 0;
    }
    ArticleView* view = AppState.View;
    if (view == nullptr) {
        return 0;
    }
    int hitLength = 0;
    std::uint16_t last = 0;
    if (ViewHasText(view)) {
        last = FindInArticle(view->text, view->textLength, SearchStartOffset(), &hitLength);
    }
    if (last == 0 && !SearchOtherLessons(view, &last, &hitLength) && ViewHasText(view)) {
        last = FindInArticle(view->text, view->textLength, 0, &hitLength);
    }
    if (last == 0) {
        plat::MessageBox(owner, u"Not Found!", u"Tovanel", MB_OK);
        return 0;
    }
    ShowSearchHit(view, last, hitLength);
    return 1;
}
