// The whole program on the headless backend: marks made with the Bookmark
// command, the index opened, an entry tapped, the marks in the registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/choose_section.h"
#include "index/index_view.h"
#include "support/program_fixture.h"

namespace {

class IndexProgram : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        StoreFont("David CLM");
    }
    using Program::Tap;
    static void Tap(plat::Window window, int x, int y) {
        plat::SendMessage(window, WM_LBUTTONDOWN, 0,
                          plat::MakeLParam(std::uint16_t(x), std::uint16_t(y)));
    }
    // Scrolls the first visible line of the entry with this id into the box
    // and taps it; false when no such line is visible.
    static bool TapEntry(plat::Window dialog, std::uint16_t id) {
        IndexView* view = OpenIndexView();
        int ordinal = 0;
        for (int i = 0; i < view->lineCount && view->lines[i].id != id; ++i) {
            ordinal += IsVisibleLine(view->lines[i]) ? 1 : 0;
        }
        ScrollIndexView(view, ordinal - view->topLine);
        int row = view->top;
        for (int i = FirstDrawnLine(view); i < view->lineCount; ++i) {
            const IndexLine& line = view->lines[i];
            if (!IsVisibleLine(line)) continue;
            if (line.id == id) {
                Tap(dialog, line.x + 1, row + 1);
                return true;
            }
            row += line.height;
        }
        return false;
    }
};

TEST_F(IndexProgram, MarkedLessonsComeFirstInTheIndexAndATapOpensOne) {
    std::vector<std::uint16_t> firstIds;
    steps = {
        [&] {
            ASSERT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_FALSE(BookmarkChecked());
            Command(Command::Bookmark);
            EXPECT_TRUE(BookmarkChecked());
            Command(Command::NextArticle);
            EXPECT_FALSE(BookmarkChecked());  // the next lesson is not marked
            Command(Command::Bookmark);
        },
        [&] {
            plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t id) {
                ASSERT_EQ(id, kDialogChooseSection);
                const IndexView* view = OpenIndexView();
                ASSERT_NE(view, nullptr);
                EXPECT_EQ(view->width, 200 - 13);  // the screen less the scroll bar
                for (int i = 0; i < view->lineCount && firstIds.size() < 3; ++i) {
                    if (firstIds.empty() || firstIds.back() != view->lines[i].id) {
                        firstIds.push_back(view->lines[i].id);
                    }
                }
                EXPECT_TRUE(TapEntry(dialog, kArticleBit | kThisWeek));
            });
            Command(Command::Index);
            plat::headless::SetDialogDriver(nullptr);
            EXPECT_EQ(firstIds, (std::vector<std::uint16_t>{0x8877, 0x4000 | kThisWeek,
                                                           0x4000 | (kThisWeek + 1)}));
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_TRUE(BookmarkChecked());
            EXPECT_EQ(AppState.PreviousLesson, 0);
        },
    };
    Run();
    EXPECT_EQ(Stored("Bookmarks"), "hex:1e,00,1f,00,00,00");
    // The index is the last dialog run (a first run also asks for a font).
    ASSERT_FALSE(plat::headless::DialogsRun().empty());
    EXPECT_EQ(plat::headless::DialogsRun().back().templateId, kDialogChooseSection);
    EXPECT_EQ(plat::headless::DialogsRun().back().result, 1);
}

TEST_F(IndexProgram, CancelOkAndTheCurrentLessonOpenNothing) {
    struct Ending {
        const char* name;
        std::function<void(plat::Window)> act;
        std::intptr_t code;
    };
    const Ending endings[] = {
        {"Cancel", [](plat::Window d) { plat::SendMessage(d, WM_COMMAND, IDCANCEL, 0); }, 2},
        {"OK", [](plat::Window d) { plat::SendMessage(d, WM_COMMAND, IDOK, 0); }, 1},
        {"a tap on the current lesson",
         [](plat::Window d) { TapEntry(d, kArticleBit | kThisWeek); }, 1},
    };
    steps = {[&] {
        ScrollArticleView(AppState.View, 3, 1, 1);
        ASSERT_EQ(AppState.View->topLine, 3);
        for (const Ending& ending : endings) {
            SCOPED_TRACE(ending.name);
            plat::headless::SetDialogDriver(
                [&](plat::Window dialog, std::uint16_t) { ending.act(dialog); });
            Command(Command::ChooseArticle);
            EXPECT_EQ(plat::headless::DialogsRun().back().result, ending.code);
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.View->topLine, 3);  // nothing was opened
        }
        plat::headless::SetDialogDriver(nullptr);
    }};
    Run();
    EXPECT_EQ(Stored("Bookmarks"), "hex:00,00");
}

TEST_F(IndexProgram, TheDialogScrollsAndTogglesWithItsScrollBarKept) {
    plat::headless::SetScreenSize(200, 140);
    steps = {[&] {
        plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t) {
            IndexView* view = OpenIndexView();
            ASSERT_NE(view, nullptr);
            ASSERT_GT(view->maxTopLine, 2);
            auto scrollPos = [dialog] {
                plat::ScrollInfo info;
                info.mask = SIF_POS | SIF_RANGE;
                plat::GetScrollInfo(dialog, SB_VERT, &info);
                return std::pair<int, int>(info.pos, info.max);
            };
            EXPECT_EQ(scrollPos(), std::make_pair(0, int(view->maxTopLine)));
            plat::SendMessage(dialog, WM_KEYDOWN, VK_NEXT, 0);  // one line, as Down
            EXPECT_EQ(view->topLine, 1);
            plat::SendMessage(dialog, WM_VSCROLL, SB_BOTTOM, 0);  // one line, not the end
            EXPECT_EQ(view->topLine, 2);
            EXPECT_EQ(scrollPos().first, 2);
            plat::SendMessage(dialog, WM_VSCROLL, SB_TOP, 0);
            EXPECT_EQ(view->topLine, 0);
            const int page = view->paintedCount;  // the lines drawn last
            ASSERT_LT(page, view->maxTopLine);
            plat::SendMessage(dialog, WM_VSCROLL, SB_PAGEDOWN, 0);
            EXPECT_EQ(view->topLine, page);
            plat::SendMessage(dialog, WM_KEYDOWN, VK_PRIOR, 0);
            EXPECT_EQ(view->topLine, page - 1);
            plat::SendMessage(dialog, WM_VSCROLL, plat::MakeWParam(SB_THUMBTRACK, 4), 0);
            EXPECT_EQ(view->topLine, 4);
            plat::SendMessage(dialog, WM_VSCROLL, SB_TOP, 0);
            EXPECT_EQ(plat::SendMessage(dialog, WM_KEYDOWN, VK_HOME, 0), 1);

            // Close the first section: the range shrinks at once.
            const int before = view->maxTopLine;
            Tap(dialog, view->lines[0].x + 1, 1);
            EXPECT_LT(view->maxTopLine, before);
            EXPECT_EQ(scrollPos().second, int(view->maxTopLine));
            // A resize lays out again; a section the book shows open opens
            // again, one the reader opened stays open.
            int opened = -1;
            for (int i = 1; i < view->lineCount && opened < 0; ++i) {
                const IndexLine& line = view->lines[i];
                if (IsSectionLine(line) && IsVisibleLine(line) && !(line.flags & kExpandedBit)) {
                    opened = i;
                }
            }
            ASSERT_GT(opened, 0);
            ToggleIndexEntry(view, opened);
            const std::uint16_t openedId = view->lines[opened].id;
            plat::SendMessage(dialog, WM_SIZE, 0, plat::MakeLParam(150, 200));
            EXPECT_EQ(view->width, 150);
            EXPECT_EQ(view->lines[0].flags & kExpandedBit, kExpandedBit);
            for (int i = 0; i < view->lineCount; ++i) {
                if (view->lines[i].id != openedId) continue;
                EXPECT_EQ(view->lines[i].flags & kExpandedBit, kExpandedBit);
                EXPECT_TRUE(IsVisibleLine(view->lines[i + 1]));
                break;
            }
            plat::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(Command::Index);
        plat::headless::SetDialogDriver(nullptr);
    }};
    Run();
}

}  // namespace
