// What a desktop user expects of the window: a margin around the text, the
// text under the eyes kept across a resize, a scroll bar thumb that shows
// how much is visible.
#include "program_fixture.h"

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
