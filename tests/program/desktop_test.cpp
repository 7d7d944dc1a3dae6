// What a desktop user expects of the window: a margin around the text, the
// text under the eyes kept across a resize, a scroll bar thumb that shows
// how much is visible.
#include "app/window_layout.h"
#include "support/program_fixture.h"

namespace {

void Resize(int width, int height) {
    plat::SendMessage(AppState.MainWindow, WM_SIZE, 0,
                      plat::MakeLParam(std::uint16_t(width), std::uint16_t(height)));
}

// The entry shown at a display line, and whether that line is the blank
// line after it.
const DisplayLine* EntryAt(const ArticleView* view, int displayLine, bool* blank) {
    int count = 0;
    for (const DisplayLine* line = view->lines; line->flags != 0; ++line) {
        const int lines = (line->flags & 0x80) != 0 ? 2 : 1;
        if (displayLine < count + lines) {
            *blank = displayLine > count;
            return line;
        }
        count += lines;
    }
    return nullptr;
}

}  // namespace

TEST_F(Program, TheTextKeepsADesktopMarginUnlessAGutterIsStored) {
    const struct {
        const char* stored;  // nullptr: no value
        int gutter;
    } cases[] = {{nullptr, 8}, {"00000000", 0}, {"00000005", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored != nullptr ? c.stored : "none");
        WriteShared(c.stored != nullptr
                        ? std::string("\"SurroundingGutter\"=dword:") + c.stored + "\n"
                        : std::string());
        steps = {[&] {
            plat::Rect client;
            plat::GetClientRect(Main(), &client);
            const ViewBox box = View()->box;
            EXPECT_EQ(box.x, c.gutter);
            EXPECT_EQ(box.y, AppState.MenuBarHeight + c.gutter);
            EXPECT_EQ(box.width, client.right - 2 * c.gutter);
            EXPECT_EQ(box.height, client.bottom - AppState.MenuBarHeight - 2 * c.gutter);
        }};
        EXPECT_EQ(Run(), 0);
    }
}

TEST_F(Program, AResizeKeepsTheTextAtTheTopOfThePage) {
    steps = {[&] {
        ArticleView* view = View();
        plat::Rect client;
        plat::GetClientRect(Main(), &client);
        const int top = view->maxTopLine / 2;
        ASSERT_GT(top, 5);
        for (int step = 0; step < 8; ++step) {
            view->topLine = std::uint16_t(top + step);
            const TextAnchor before = TopTextAnchor(view);
            ASSERT_TRUE(before.valid);
            // Narrower and back, a few times, as a dragged edge does: the
            // top line always holds the text, and the old size gives the old
            // page again.
            for (int round = 0; round < 3; ++round) {
                Resize(client.right - 60 + 7 * round, client.bottom);
                ASSERT_EQ(view->box.width,
                          client.right - 60 + 7 * round - 2 * AppState.SurroundingGutter);
                bool blank = false;
                const DisplayLine* line = EntryAt(view, view->topLine, &blank);
                ASSERT_NE(line, nullptr);
                EXPECT_EQ(blank, before.blankBefore);
                if (!blank) {
                    EXPECT_LE(line->textOffset, before.offset);
                    EXPECT_LT(before.offset, line->textOffset + line->charCount);
                }
                Resize(client.right, client.bottom);
                EXPECT_EQ(TopTextAnchor(view).offset, before.offset) << "from line " << top + step;
                EXPECT_EQ(view->topLine, top + step);
            }
        }
        // A full last page stays full in a higher window.
        view->topLine = view->maxTopLine;
        Resize(client.right, client.bottom + 80);
        EXPECT_EQ(view->topLine, view->maxTopLine);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, TheScrollBarThumbIsAsLongAsTheVisiblePart) {
    steps = {[&] {
        ArticleView* view = View();
        plat::Rect client;
        plat::GetClientRect(Main(), &client);
        for (int height : {int(client.bottom), 120, 400}) {
            Resize(client.right, height);
            const int last = view->maxTopLine;
            const int page = view->totalLines - last;
            ASSERT_GT(page, 1);
            for (int top : {0, last / 2, last, last + 2}) {
                SCOPED_TRACE(testing::Message() << "height " << height << ", top " << top);
                view->topLine = std::uint16_t(top);
                UpdateScrollBar(Main());
                plat::ScrollInfo info;
                info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
                ASSERT_TRUE(plat::GetScrollInfo(Main(), SB_VERT, &info));
                EXPECT_EQ(info.min, 0);
                EXPECT_EQ(int(info.page), page);
                // Positions run from 0 to the last full page, as the
                // thumb's range does.
                EXPECT_EQ(info.max - int(info.page) + 1, last);
                EXPECT_EQ(info.pos, std::min(top, last));
            }
        }
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, TheWindowOpensWhereAndAsTheReaderLeftIt) {
    steps = {[&] { plat::MoveWindow(Main(), 10, 20, 150, 180, true); }};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Stored("WindowLeft"), "dword:0000000a");
    EXPECT_EQ(Stored("WindowTop"), "dword:00000014");
    EXPECT_EQ(Stored("WindowWidth"), "dword:00000096");
    EXPECT_EQ(Stored("WindowHeight"), "dword:000000b4");
    EXPECT_EQ(Stored("WindowMaximized"), "dword:00000000");

    steps = {[&] {
        plat::Rect rect;
        plat::GetWindowRect(Main(), &rect);
        EXPECT_EQ(rect.left, 10);
        EXPECT_EQ(rect.top, 20);
        EXPECT_EQ(rect.right, 160);
        EXPECT_EQ(rect.bottom, 200);
        plat::ShowWindow(Main(), SW_SHOWMAXIMIZED);
    }};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Stored("WindowMaximized"), "dword:00000001");

    steps = {[&] {
        plat::WindowPlacement placement;
        ASSERT_TRUE(plat::GetWindowPlacement(Main(), &placement));
        EXPECT_TRUE(placement.maximised);
        EXPECT_EQ(placement.normal.left, 10);
    }};
    EXPECT_EQ(Run(), 0);

    // A size no window could have is not used.
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"WindowLeft\"=dword:00000000\n\"WindowTop\"=dword:00000000\n"
                   "\"WindowWidth\"=dword:00000003\n\"WindowHeight\"=dword:ffffffff\n");
    steps = {[&] {
        plat::Rect rect;
        plat::GetWindowRect(Main(), &rect);
        EXPECT_EQ(rect.right - rect.left, 200);
        EXPECT_EQ(rect.bottom - rect.top, 240);
    }};
    EXPECT_EQ(Run(), 0);
}
