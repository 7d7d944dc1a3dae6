// The whole program on the headless backend: start, keys, scroll bar,
// taps, commands, exit; then what the registry file holds and a second run.
#include "support/program_fixture.h"

TEST_F(Program, StartsOnThisWeekAndSavesWhereTheReaderWas) {
    int pageStep = 0;
    steps = {
        [&] {
            ASSERT_NE(Main(), nullptr);
            ASSERT_NE(View(), nullptr);
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, 0u);
            EXPECT_GT(View()->linesPainted, 1);
            // The bar: the menu and seven buttons with their tool tips.
            const auto* bar = plat::headless::GetBarInfo(AppState.MenuBar);
            ASSERT_NE(bar, nullptr);
            EXPECT_FALSE(bar->atBottom);
            EXPECT_EQ(AppState.MenuBarHeight, bar->height);
            ASSERT_EQ(bar->buttons.size(), 7u);
            const int commands[7] = {110, 108, 109, 40006, 116, 117, 107};
            for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(bar->buttons[i].command, commands[i]);
            ASSERT_EQ(bar->toolTips.size(), 8u);
            EXPECT_EQ(bar->toolTips[1], u"Previous Article");
            EXPECT_EQ(bar->toolTips[7], u"Choose Article");
            EXPECT_EQ(View()->box.y, AppState.MenuBarHeight + AppState.SurroundingGutter);
            // The next lesson, and back.
            Key(VK_RIGHT);
            EXPECT_EQ(AppState.Lesson, kThisWeek + 1);
            EXPECT_NE(AppState.Flags & AppFlags::LessonPinned, 0u);
            Key(VK_LEFT);
            EXPECT_EQ(AppState.Lesson, kThisWeek);
        },
        [&] {
            // Page Down moves a page less one line.
            pageStep = View()->linesPainted - 1;
            int before = View()->topLine;
            Key(VK_NEXT);
            int expected = std::min<int>(before + pageStep, View()->totalLines);
            if (before >= View()->maxTopLine) expected = before;
            EXPECT_EQ(View()->topLine, expected);
            plat::ScrollInfo info;
            info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
            ASSERT_TRUE(plat::GetScrollInfo(Main(), SB_VERT, &info));
            // A page step may end past the last full page; the bar stops there.
            EXPECT_EQ(info.pos, std::min(View()->topLine, View()->maxTopLine));
            EXPECT_EQ(info.max - int(info.page) + 1, View()->maxTopLine);
            // Home goes back to the top; Home at the top moves nothing.
            Key(VK_HOME);
            EXPECT_EQ(View()->topLine, 0);
            Key(VK_HOME);
            EXPECT_EQ(View()->topLine, 0);
            // The scroll bar's bottom moves one line; down arrow one more.
            ScrollBar(SB_BOTTOM);
            EXPECT_EQ(View()->topLine, View()->maxTopLine > 0 ? 1 : 0);
            Key(VK_DOWN);
            Key(VK_UP);
            EXPECT_EQ(View()->topLine, View()->maxTopLine > 0 ? 1 : 0);
            // Half pages in the second paging mode.
            AppState.Flags = (AppState.Flags & ~AppFlags::KeyPageMode) | 0x00200000u;
            ScrollBar(SB_TOP);
            const int half = View()->linesPainted / 2;
            Key(VK_NEXT);
            EXPECT_EQ(View()->topLine, half);
            AppState.Flags = (AppState.Flags & ~AppFlags::KeyPageMode) | 0x00100000u;
            // End from the top lands on the last full page; past it, End
            // moves nothing more.
            Key(VK_HOME);
            Key(VK_END);
            EXPECT_EQ(View()->topLine, View()->maxTopLine);
        },
        [&] {
            // The Reverse command flips the bit and the check mark together.
            Command(122);
            EXPECT_NE(AppState.Flags & AppFlags::Reverse, 0u);
            plat::MenuItemInfo info;
            info.mask = MIIM_STATE;
            ASSERT_TRUE(plat::GetMenuItemInfo(plat::CommandBarGetMenu(AppState.MenuBar, 0), 122,
                                              false, &info));
            EXPECT_EQ(info.state & MFS_CHECKED, MFS_CHECKED);
            Command(122);
            EXPECT_EQ(AppState.Flags & AppFlags::Reverse, 0u);
            // Wrap-around from the first lesson to the last.
            Command(110);
            for (int i = AppState.Lesson; i > 1; --i) Key(VK_LEFT);
            EXPECT_EQ(AppState.Lesson, 1);
            Key(VK_LEFT);
            EXPECT_EQ(AppState.Lesson, 262);
            Key(VK_RIGHT);
            EXPECT_EQ(AppState.Lesson, 1);
            // Back to this week's lesson, pinned again by the reader's steps.
            Command(108);
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, 0u);
            Key(VK_RIGHT);
            Key(VK_DOWN);
            Key(VK_DOWN);
        },
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Stored("Lesson"), "dword:0000001f");
    EXPECT_EQ(Stored("PreviousLesson"), "dword:00000000");
    std::string flags = Stored("Flags");
    ASSERT_EQ(flags.size(), 14u);
    EXPECT_NE(std::stoul(flags.substr(6), nullptr, 16) & AppFlags::LessonPinned, 0u);
    std::string lastPosition = Stored("LastPosition");
    ASSERT_EQ(lastPosition.size(), 14u);
    const unsigned savedTop = unsigned(std::stoul(lastPosition.substr(6), nullptr, 16));
    EXPECT_GT(savedTop, 0u);

    // A second run restores the lesson and the position.
    steps = {[&] {
        EXPECT_EQ(AppState.Lesson, kThisWeek + 1);
        EXPECT_EQ(View()->topLine, savedTop);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, LinksTheBackLinkAndTapPaging) {
    steps = {
        [&] {
            // Follow the first link on the page that is not the back link.
            Key(VK_END);
            const LinkHit* hit = FindLink(0);
            ASSERT_NE(hit, nullptr) << "this week's lesson shows a link on its last page";
            const int target = hit->line->linkNumber;
            const int leftTop = View()->topLine;
            Tap(hit->line->x + 1, hit->y + hit->line->height / 2);
            EXPECT_EQ(AppState.Lesson, target);
            EXPECT_EQ(AppState.PreviousLesson, kThisWeek);
            EXPECT_EQ(AppState.PreviousPosition, leftTop);
            EXPECT_EQ(View()->topLine, 0);
            EXPECT_NE(View()->viewFlags & kBackLinkShown, 0);
        },
        [&] {
            // The back link returns to the same place and is then gone.
            const int savedTop = AppState.PreviousPosition;
            Key(VK_END);
            const LinkHit* back = FindLink(kBackLink);
            ASSERT_NE(back, nullptr) << "a lesson reached by a link offers the back link";
            Tap(back->line->x + 1, back->y + back->line->height / 2);
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(View()->topLine, savedTop);
            EXPECT_EQ(AppState.PreviousLesson, 0);
            EXPECT_EQ(View()->viewFlags & kBackLinkShown, 0);
            Key(VK_END);
            EXPECT_EQ(FindLink(kBackLink), nullptr);
        },
        [&] {
            // A tap in the lower half pages forward, one in the upper half back.
            Key(VK_HOME);
            const ViewBox box = View()->box;
            const int step = View()->linesPainted - 1;
            Tap(box.x + box.width / 2, box.y + box.height / 2);  // exactly the middle line
            EXPECT_EQ(View()->topLine, std::min<int>(step, View()->totalLines));
            const int top = View()->topLine;
            const int back = View()->linesPainted - 1;
            Tap(box.x + box.width / 2, box.y + 2);
            EXPECT_EQ(View()->topLine, std::max(0, top - back));
            // Outside the view and its margin: nothing.
            Key(VK_HOME);
            Tap(box.x + box.width / 2, box.y + box.height + AppState.SurroundingGutter + 1);
            EXPECT_EQ(View()->topLine, 0);
        },
    };
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, TheGutterCountsForTaps) {
    WriteShared("\"SurroundingGutter\"=dword:00000005\n");
    steps = {[&] {
        const ViewBox box = View()->box;
        EXPECT_EQ(box.x, 5);
        EXPECT_EQ(box.y, AppState.MenuBarHeight + 5);
        Key(VK_HOME);
        const int y = box.y + box.height - 2;
        Tap(box.x - 6, y);
        EXPECT_EQ(View()->topLine, 0);
        Tap(box.x - 4, y);
        EXPECT_GT(View()->topLine, 0);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, TodayOverridesAPinnedLessonAndASecondStartHandsOver) {
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"Lesson\"=dword:00000064\n\"Flags\"=dword:d1140044\n");
    steps = {[&] { EXPECT_EQ(AppState.Lesson, 100); }};
    EXPECT_EQ(Run(u"--help-is-ignored"), 0);

    steps = {
        [&] {
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, 0u);
            Key(VK_RIGHT);
        },
        [&] {
            // A second start while the reader is in front finds it, shows
            // this week's lesson there and makes no window of its own.
            ASSERT_EQ(AppState.Lesson, kThisWeek + 1);
            plat::Window first = Main();
            EXPECT_TRUE(HandOverToRunningCopy());
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(plat::FindWindow(u"Tovanel", u"Tovanel"), first);
            EXPECT_EQ(plat::GetForegroundWindow(), first);
        },
    };
    EXPECT_EQ(Run(u"/TODAY"), 0);
}

TEST_F(Program, TheSharedSwitchesPlaceTheBarAndAskForFullScreen) {
    WriteShared("\"MenuBarOnBottom\"=dword:00000001\n\"FullScreen\"=dword:00000001\n");
    steps = {[&] {
        const auto* bar = plat::headless::GetBarInfo(AppState.MenuBar);
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(bar->atBottom);
        EXPECT_EQ(bar->buttons.size(), 7u);
        EXPECT_FALSE(bar->closeBox);  // the close box belongs to the top bar only
        plat::Rect client;
        plat::GetClientRect(Main(), &client);
        const int g = AppState.SurroundingGutter;
        EXPECT_EQ(View()->box.y, g);
        EXPECT_EQ(View()->box.height, client.bottom - AppState.MenuBarHeight - 2 * g);
        // The bottom bar leaves the scroll bar uncovered.
        plat::Rect barRect;
        plat::GetWindowRect(AppState.MenuBar, &barRect);
        EXPECT_EQ(barRect.right - barRect.left, client.right - 13);
        EXPECT_TRUE(plat::headless::IsFullScreen(Main()));
        // The check marks reach the bottom bar's menu too.
        Command(122);
        plat::Menu menu = reinterpret_cast<plat::Menu>(
            plat::SendMessage(AppState.MenuBar, plat::SHCMBM_GETSUBMENU, 0, 40001));
        plat::MenuItemInfo info;
        info.mask = MIIM_STATE;
        ASSERT_TRUE(plat::GetMenuItemInfo(menu, 122, false, &info));
        EXPECT_EQ(info.state & MFS_CHECKED, MFS_CHECKED);
        EXPECT_NE(AppState.Flags & AppFlags::Reverse, 0u);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, AnUnknownCommandGoesToTheDefaultHandlingAndUnknownKeysAreSwallowed) {
    steps = {[&] {
        EXPECT_EQ(plat::SendMessage(Main(), WM_KEYDOWN, 'Q', 0), 1);
        EXPECT_EQ(plat::SendMessage(Main(), WM_KEYDOWN, VK_DOWN, 0), 0);
        const LessonNumber before = AppState.Lesson;
        plat::SendMessage(Main(), WM_COMMAND, 4242, 0);
        EXPECT_EQ(AppState.Lesson, before);
        EXPECT_TRUE(plat::IsWindow(Main()));
        // The private close request ends the program like Exit.
        plat::PostMessage(Main(), WM_PRIVATE_CLOSE, 0, 0);
    }};
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Stored("Flags").empty());
}
