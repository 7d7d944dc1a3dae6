// Navigation that cannot be done changes nothing, and stored lesson numbers
// the book cannot show give way to this week's lesson.
#include "platform/memory.h"
#include "support/program_fixture.h"

namespace {

struct Shown {
    LessonNumber lesson, previousLesson;
    std::uint16_t lastPosition, previousPosition, topLine, totalLines, viewFlags;
    std::uint32_t flags;
    const std::uint8_t* text;

    static Shown Now() {
        const ArticleView* v = AppState.View;
        return {AppState.Lesson,       AppState.PreviousLesson, AppState.LastPosition,
                AppState.PreviousPosition, v->topLine,          v->totalLines,
                v->viewFlags,          AppState.Flags,          v->text};
    }
    void ExpectSame(const Shown& o, const char* what) const {
        EXPECT_EQ(lesson, o.lesson) << what;
        EXPECT_EQ(previousLesson, o.previousLesson) << what;
        EXPECT_EQ(lastPosition, o.lastPosition) << what;
        EXPECT_EQ(previousPosition, o.previousPosition) << what;
        EXPECT_EQ(topLine, o.topLine) << what;
        EXPECT_EQ(totalLines, o.totalLines) << what;
        EXPECT_EQ(viewFlags, o.viewFlags) << what;
        EXPECT_EQ(flags, o.flags) << what;
        EXPECT_EQ(text, o.text) << what;
    }
};

}  // namespace

TEST_F(Program, AStepThatRunsOutOfMemoryChangesNothing) {
    steps = {[&] {
        // Reach a lesson by a link so that there is history to lose.
        Key(VK_END);
        const LinkHit* hit = FindLink(0);
        ASSERT_NE(hit, nullptr);
        Tap(hit->line->x + 1, hit->y + hit->line->height / 2);
        ASSERT_NE(AppState.PreviousLesson, 0);
        Key(VK_DOWN);
        AppState.LastPosition = 3;
        // Memory runs out at every point of the step in turn: while the
        // lesson loads, and while it is laid out.
        int failures = 0;
        for (long successes = 0; successes < 6; ++successes) {
            const Shown before = Shown::Now();
            plat::testing::FailAllocationsAfter(successes);
            Key(VK_RIGHT);
            const bool refused = plat::testing::RefusedAllocations() > 0;
            plat::testing::ResetAllocationFailure();
            if (AppState.Lesson == before.lesson) {
                ++failures;
                Shown::Now().ExpectSame(before, "a failed step");
                // The old text is still laid out and painted in full.
                PaintArticleView(View(), 1);
                EXPECT_GT(View()->linesPainted, 1);
            } else {
                EXPECT_FALSE(refused && View()->text == before.text);
                Key(VK_LEFT);
                ASSERT_EQ(AppState.Lesson, before.lesson);
                AppState.LastPosition = 3;
            }
        }
        EXPECT_GE(failures, 2) << "both the load and the layout failed at least once";
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, WithoutAViewTheLessonKeysChangeNothing) {
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"Lesson\"=dword:00000064\n\"Flags\"=dword:d1140044\n"
                   "\"LastPosition\"=dword:00000005\n\"PreviousLesson\"=dword:00000007\n"
                   "\"PreviousPosition\"=dword:00000009\n");
    steps = {[&] {
        // The window as it runs when its view could not be made.
        ArticleView* view = AppState.View;
        ASSERT_NE(view, nullptr);
        AppState.View = nullptr;
        Key(VK_LEFT);
        Key(VK_RIGHT);
        Command(108);
        Command(109);
        Tap(20, 100);
        EXPECT_EQ(AppState.Lesson, 100);
        EXPECT_EQ(AppState.LastPosition, 5);
        EXPECT_EQ(AppState.PreviousLesson, 7);
        EXPECT_EQ(AppState.PreviousPosition, 9);
        EXPECT_NE(AppState.Flags & AppFlags::LessonPinned, 0u);
        AppState.View = view;
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, AStoredLessonTheBookCannotShowGivesWayToThisWeeksOnce) {
    // Numbers outside the book, the index's own number among them.
    for (const char* stored : {"00000000", "00000107", "00007c17", "0000ffff"}) {
        SCOPED_TRACE(stored);
        registry.Write(std::string("Windows Registry Editor Version 5.00\n\n"
                                   "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                                   "\"Lesson\"=dword:") + stored +
                       "\n\"Flags\"=dword:d1140044\n\"LastPosition\"=dword:00000004\n"
                       "\"PreviousLesson\"=dword:00007c17\n");
        plat::headless::ClearMessageBoxes();
        steps = {[&] {
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, 0u);
            EXPECT_EQ(View()->topLine, 0);
            EXPECT_GT(View()->totalLines, 0);
            EXPECT_EQ(AppState.PreviousLesson, 0);
            EXPECT_EQ(View()->viewFlags & kBackLinkShown, 0);
        }};
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(plat::headless::MessageBoxes().empty());
        EXPECT_EQ(Stored("Lesson"), "dword:0000001e");
        EXPECT_EQ(Stored("PreviousLesson"), "dword:00000000");
    }
}
