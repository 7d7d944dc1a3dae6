// Matching a pattern against article records and the whole-book pass.
#include "search/search.h"

#include <cstring>

#include "app/app_state.h"
#include "app/window_layout.h"
#include "bookmarks/bookmarks.h"
#include "bookmarks/menu_check.h"
#include "calendar/weekly_schedule.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

constexpr std::uint16_t kNoHighlightStart = 0xFFFF;

// MatchBackward on indexes relative to `base`, so that nothing points before
// the record: the last byte of the hit ending at or before `data`, or -1.
long MatchIndex(const std::uint8_t* base, long data, const std::uint8_t* pattern, int length,
                int* hitLength) {
    if (length <= 0) {
        return -1;
    }
    const std::uint8_t last = pattern[length - 1];
    for (long e = data; e >= 0; --e) {
        if (base[e] != last) {
            continue;
        }
        long t = e - 1;
        int j = length - 2;
        bool matched = true;
        for (; j >= 0; --j, --t) {
            if (t < 0) {
                matched = false;  // the record ran out before the pattern
                break;
            }
            const std::uint8_t p = pattern[j];
            if (p == base[t] || p == kAnyByte) {
                continue;
            }
            if (p == kAnyRun) {
                // The part before the star must end at or before t; when it
                // is nowhere, no candidate further back can do better.
                int innerLength = 0;
                const long inner = MatchIndex(base, t, pattern, j, &innerLength);
                if (inner < 0) {
                    return -1;
                }
                *hitLength = innerLength + int(e - inner);
                return e;
            }
            matched = false;
            break;
        }
        if (matched) {
            *hitLength = int(e - t);
            return e;
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
            const long e = scan >= begin ? MatchIndex(text + begin, long(scan - begin), pattern,
                                                      patternLength, &n)
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
        RepaintView(AppState.MainWindow, kPaintAll);
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
