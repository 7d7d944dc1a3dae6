// Paging near the end of an article and in windows that hold almost nothing.
#include "support/program_fixture.h"

namespace {

void ShowFrom(int top) {
    AppState.View->topLine = std::uint16_t(top);
    PaintArticleView(AppState.View, 1);
}

}  // namespace

TEST_F(Program, PagingBackFromAShortLastPageMovesAWholeWindow) {
    steps = {[&] {
        ArticleView* view = View();
        const int total = view->totalLines;
        const int last = view->maxTopLine;
        ASSERT_GT(last, 0);
        const int fullPage = total - last;
        ASSERT_GT(fullPage, 3);
        const ViewBox box = view->box;
        const std::function<void()> backs[] = {
            [] { Key(VK_PRIOR); },
            // In the upper half, below the page's one line (a link, maybe).
            [&] { Tap(box.x + box.width / 2, box.y + box.height / 2 - 1); },
            [] { ScrollBar(SB_PAGEUP); },
        };
        // The last line painted alone (a hidden back link may follow it).
        int oneLine = total - 1;
        for (ShowFrom(oneLine); view->linesPainted == 0 && oneLine > 0; ShowFrom(--oneLine)) {
        }
        for (const auto& back : backs) {
            // One line left on the page: back so that it ends the page.
            ShowFrom(oneLine);
            ASSERT_EQ(view->linesPainted, 1);
            back();
            EXPECT_EQ(view->topLine, oneLine - (fullPage - 1));
            // Nothing left on the page: back to a full last page.
            ShowFrom(total);
            ASSERT_EQ(view->linesPainted, 0);
            back();
            EXPECT_EQ(view->topLine, last);
        }
        // Inside the text a page back still keeps the top line in sight.
        ShowFrom(last);
        const int painted = view->linesPainted;
        Key(VK_PRIOR);
        EXPECT_EQ(view->topLine, last - (painted - 1));
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, APageStepIsNeverLessThanOneLine) {
    steps = {[&] {
        ArticleView* view = View();
        // A view lower than one line paints nothing at all.
        SetViewSize(view, view->box.width, 4);
        ShowFrom(0);
        ASSERT_EQ(view->linesPainted, 0);
        Key(VK_NEXT);
        EXPECT_EQ(view->topLine, 1);
        ScrollBar(SB_PAGEDOWN);
        EXPECT_EQ(view->topLine, 2);
        Key(VK_PRIOR);
        EXPECT_EQ(view->topLine, 1);
        ScrollBar(SB_PAGEUP);
        EXPECT_EQ(view->topLine, 0);
        // Half pages of a one-line page move one line too.
        AppState.Flags = (AppState.Flags & ~AppFlags::KeyPageMode) | 0x00200000u;
        Key(VK_NEXT);
        EXPECT_EQ(view->topLine, 1);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, EndShowsTheLastFullPageFromAnywhere) {
    steps = {[&] {
        ArticleView* view = View();
        const int last = view->maxTopLine;
        ASSERT_GT(last, 2);
        for (int from : {0, 1, last / 2, last - 1, last, int(view->totalLines) - 1}) {
            ShowFrom(from);
            Key(VK_END);
            EXPECT_EQ(view->topLine, last) << "from line " << from;
        }
    }};
    EXPECT_EQ(Run(), 0);
}
