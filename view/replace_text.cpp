// Taking a new article stream so that a failure leaves the view as it was.
#include "platform/memory.h"
#include "view/article_view.h"

namespace {

// The parts of a view that a layout rewrites.
struct LaidOut {
    DisplayLine* lines;
    std::uint16_t capacity, lineCount, totalLines, maxTopLine;
    std::uint16_t highlightStart, highlightEnd;
    LinkHit* linkHits;
    std::uint16_t linkHitCapacity;
    std::uint8_t* text;
    std::uint32_t textLength;

    static LaidOut TakeFrom(ArticleView* view) {
        LaidOut kept{view->lines,          view->capacity,   view->lineCount,
                     view->totalLines,     view->maxTopLine, view->highlightStart,
                     view->highlightEnd,   view->linkHits,   view->linkHitCapacity,
                     view->text,           view->textLength};
        view->lines = nullptr;
        view->capacity = 0;
        view->lineCount = 0;
        view->linkHits = nullptr;
        view->linkHitCapacity = 0;
        return kept;
    }
    void PutBack(ArticleView* view) const {
        view->lines = lines;
        view->capacity = capacity;
        view->lineCount = lineCount;
        view->totalLines = totalLines;
        view->maxTopLine = maxTopLine;
        view->highlightStart = highlightStart;
        view->highlightEnd = highlightEnd;
        view->linkHits = linkHits;
        view->linkHitCapacity = linkHitCapacity;
        view->text = text;
        view->textLength = textLength;
    }
    void Release() const {
        plat::Free(lines);
        plat::Free(linkHits);
        plat::Free(text);
    }
};

}  // namespace

int ReplaceArticleText(ArticleView* view, std::uint8_t* stream, std::uint32_t streamLength) {
    if (view == nullptr) {
        return -1;
    }
    if (stream == nullptr) {
        return 2;
    }
    // The new stream is laid out into a table of its own; the old table and
    // text go only once it has succeeded.
    const LaidOut old = LaidOut::TakeFrom(view);
    const int status = LayoutArticle(view, stream, 0, streamLength);
    if (status != 0) {
        plat::Free(view->lines);
        plat::Free(view->linkHits);
        old.PutBack(view);
        return status;
    }
    if (old.text == stream) {
        plat::Free(old.lines);
        plat::Free(old.linkHits);
    } else {
        old.Release();
    }
    return 0;
}
