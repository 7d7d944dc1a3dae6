#include "store/navigation.h"

#include "calendar/weekly_schedule.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

void SetBackLinkShown(ArticleView* view, bool shown) {
    if (shown) {
        view->viewFlags |= kBackLinkShown;
    } else {
        view->viewFlags &= std::uint16_t(~kBackLinkShown);
    }
}

// Hands a loaded text to the view, which owns it from then on; a text the
// view refuses is freed here.
bool ShowText(ArticleView* view, std::uint8_t* text, std::uint32_t length, bool releasePrevious) {
    if (LayoutArticle(view, text, releasePrevious ? 1 : 0, length) == 0) return true;
    plat::Free(text);
    return false;
}

}  // namespace

int OpenLesson(plat::Window window, LessonNumber lesson, std::uint16_t position,
               bool recordHistory) {
    const LessonNumber oldLesson = AppState.Lesson;
    const std::uint32_t oldFlags = AppState.Flags;
    ArticleView* view = AppState.View;
    AppState.PreviousLesson = recordHistory ? AppState.Lesson : 0;
    AppState.PreviousPosition = view != nullptr ? view->topLine : 0;
    if (view != nullptr) SetBackLinkShown(view, recordHistory);
    ChooseLesson(lesson, true);

    std::uint32_t length = 0;
    std::uint8_t* text = LoadArticle(AppState.Lesson, nullptr, &length);
    if (text == nullptr || view == nullptr) {
        plat::Free(text);
        AppState.Lesson = oldLesson;
        AppState.Flags = oldFlags;
        return 1;
    }
    ShowText(view, text, length, true);
    view->topLine = position;
    if (Shell.repaintView != nullptr) Shell.repaintView(window, kPaintAll);
    if (Shell.lessonShown != nullptr) Shell.lessonShown();
    return 0;
}

int StepLesson(plat::Window window, int step) {
    int next = int(AppState.Lesson) + step;
    if (next > kLastLesson) {
        next = kFirstLesson;
    } else if (next < kFirstLesson) {
        next = kLastLesson;
    }
    return OpenLesson(window, LessonNumber(next), 0, false);
}

void LoadInitialLesson(plat::Window window) {
    std::uint32_t length = 0;
    std::uint8_t* text = LoadArticle(AppState.Lesson, nullptr, &length);
    if (text == nullptr) {
        plat::MessageBox(AppState.MainWindow, u"Resource not found", u"Error",
                         MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    ArticleView* view = AppState.View;
    SetBackLinkShown(view, AppState.PreviousLesson != 0);
    if (!ShowText(view, text, length, false)) return;
    view->topLine = AppState.LastPosition;
    if (Shell.updateScrollBar != nullptr) Shell.updateScrollBar(window);
}
