// When a scroll moves the pixels on screen instead of painting the page
// whole: only when the page on screen is the one last painted, the move is
// small and neither page starts with a link.
#include "view_test_support.h"

namespace {

using plat::headless::DrawOp;
using viewtest::Stream;

class ScrollTest : public viewtest::ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        MakeView(0, 0, 200, 160);  // ten lines of 16 pixels
        Stream stream;
        for (int i = 0; i < 30; ++i) {
            if (i == 12) {
                stream.Link(0x10, 40, "abc");
            } else {
                stream.Text(0x11, 0, "abcd");
            }
        }
        ASSERT_EQ(Layout(stream), 0);
    }
    // Paints the page at `top` whole, then scrolls by `delta`; the moves seen.
    std::vector<DrawOp> ScrollFrom(int top, int delta, bool drawBetween = false) {
        view_->topLine = std::uint16_t(top);
        PaintArticleView(view_, 1);
        if (drawBetween) {
            plat::FillRect(dc_, plat::Rect{0, 0, 10, 10}, plat::GetStockBrush(BLACK_BRUSH));
        }
        plat::headless::ClearDrawLog();
        EXPECT_EQ(ScrollArticleView(view_, delta, 1, 1), 0);
        return Ops(DrawOp::Scroll);
    }
};

TEST_F(ScrollTest, SmallScrollsMoveThePixelsOnScreen) {
    const auto down = ScrollFrom(2, 1);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].scrollBy, -16);
    const auto up = ScrollFrom(5, -3);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].scrollBy, 48);
    // The page is still drawn through (clipped to the changing bands).
    EXPECT_EQ(TextOps().size(), 10u);
    EXPECT_EQ(view_->linesPainted, 10);
}

TEST_F(ScrollTest, TheWholePageIsPaintedWhenMovingPixelsCouldShowTheWrongPicture) {
    EXPECT_TRUE(ScrollFrom(2, 1, true).empty()) << "something drew over the page";
    EXPECT_TRUE(ScrollFrom(2, 6).empty()) << "more than half the box";
    EXPECT_TRUE(ScrollFrom(11, 1).empty()) << "the new page starts with a link";
    EXPECT_TRUE(ScrollFrom(12, 1).empty()) << "the old page started with a link";
    view_->topLine = 3;
    PaintArticleView(view_, 0);  // a paint without erase is not a whole page
    plat::headless::ClearDrawLog();
    ScrollArticleView(view_, 1, 1, 1);
    EXPECT_TRUE(Ops(DrawOp::Scroll).empty());
}

}  // namespace
