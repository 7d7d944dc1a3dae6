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
// view cannot lay out is freed here, and the view keeps what it showed.
bool ShowText(ArticleView* view, std::uint8_t* text, std::uint32_t length) {
    if (ReplaceArticleText(view, text, length) == 0) return true;
    plat::Free(text);
    return false;
}

// What a step to another lesson may change, so that a failed step changes
// nothing.
struct NavigationState {
    LessonNumber lesson;
    std::uint32_t flags;
    std::uint16_t lastPosition;
    LessonNumber previousLesson;
    std::uint16_t previousPosition;
    std::uint16_t viewFlags;

    static NavigationState Now(const ArticleView* view) {
        return {AppState.Lesson,         AppState.Flags,
                AppState.LastPosition,   AppState.PreviousLesson,
                AppState.PreviousPosition, view->viewFlags};
    }
    void Restore(ArticleView* view) const {
        AppState.Lesson = lesson;
        AppState.Flags = flags;
        AppState.LastPosition = lastPosition;
        AppState.PreviousLesson = previousLesson;
        AppState.PreviousPosition = previousPosition;
        view->viewFlags = viewFlags;
    }
};

bool IsBookLesson(LessonNumber lesson) { return lesson >= kFirstLesson && lesson <= kLastLesson; }

}  // namespace

int OpenLesson(plat::Window window, LessonNumber lesson, std::uint16_t position,
               bool recordHistory) {
    ArticleView* view = AppState.View;
    if (view == nullptr) return 1;  // nothing to show a lesson in
    const NavigationState before = NavigationState::Now(view);
    AppState.PreviousLesson = recordHistory ? AppState.Lesson : 0;
    AppState.PreviousPosition = view->topLine;
    SetBackLinkShown(view, recordHistory);
    ChooseLesson(lesson, true);

    std::uint32_t length = 0;
    std::uint8_t* text = LoadArticle(AppState.Lesson, nullptr, &length);
    if (text == nullptr || !ShowText(view, text, length)) {
        before.Restore(view);
        return 1;
    }
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

void DropUnusableStoredLessons() {
    if (!IsBookLesson(AppState.Lesson)) {
        AppState.Lesson = 0;
        AppState.LastPosition = 0;
        AppState.Flags &= ~AppFlags::LessonPinned;
    }
    if (!IsBookLesson(AppState.PreviousLesson)) {
        AppState.PreviousLesson = 0;
        AppState.PreviousPosition = 0;
    }
}

void LoadInitialLesson(plat::Window window) {
    std::uint32_t length = 0;
    std::uint8_t* text = LoadArticle(AppState.Lesson, nullptr, &length);
    if (text == nullptr && (AppState.Flags & AppFlags::LessonPinned) != 0) {
        // A stored lesson the book cannot load counts as none: this week's
        // lesson takes its place, and is what the exit saves.
        ChooseLesson(0, true);
        AppState.LastPosition = 0;
        text = LoadArticle(AppState.Lesson, nullptr, &length);
    }
    if (text == nullptr) {
        plat::MessageBox(AppState.MainWindow, u"Resource not found", u"Error",
                         MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    ArticleView* view = AppState.View;
    SetBackLinkShown(view, AppState.PreviousLesson != 0);
    if (!ShowText(view, text, length)) return;
    view->topLine = AppState.LastPosition;
    if (Shell.updateScrollBar != nullptr) Shell.updateScrollBar(window);
}
