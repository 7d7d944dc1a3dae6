// Painting pages, links, the highlight, and moving through the article.
#include "view_test_support.h"

namespace {

using plat::headless::DrawOp;
using viewtest::Stream;
using viewtest::U;

class PaintTest : public viewtest::ViewTest {
protected:
    int Paint(int erase = 0) {
        plat::headless::ClearDrawLog();
        return PaintArticleView(view_, erase);
    }
    static Stream Lines(int n) {
        Stream stream;
        for (int i = 0; i < n; ++i) stream.Text(0x01, 0, std::string(1, char('A' + i)));
        return stream;
    }
};

TEST_F(PaintTest, PageMayStartOnABlankLineAndEndsAboveACutLine) {
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, "aaaa").Text(0x01, 0, "bbbb").Text(0x01, 0, "cccc")),
              0);
    ASSERT_EQ(view_->totalLines, 4);
    view_->topLine = 1;
    ASSERT_EQ(Paint(), 0);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].text, u"bbbb");
    EXPECT_EQ(ops[0].rect.top, 16);
    EXPECT_EQ(view_->linesPainted, 2);

    // 40 pixels: the first line and its blank line fit, the next does not.
    MakeView(0, 0, 100, 40);
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, "aaaa").Text(0x01, 0, "bbbb")), 0);
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(TextOps().size(), 1u);
    EXPECT_EQ(view_->linesPainted, 2);
}

TEST_F(PaintTest, TopLineBeyondTheArticleIsPulledBack) {
    MakeView(0, 0, 100, 100);
    ASSERT_EQ(Layout(Lines(20)), 0);
    view_->topLine = 50;
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(view_->topLine, 14);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 6u);
    EXPECT_EQ(ops[0].text, u"O");
    EXPECT_EQ(ops[0].rect.top, 0);
    EXPECT_EQ(view_->linesPainted, 6);
    // Equal to the total is a page past the end, not pulled back.
    view_->topLine = 20;
    ASSERT_EQ(Paint(), 0);
    EXPECT_TRUE(TextOps().empty());
    EXPECT_EQ(view_->linesPainted, 0);
}

TEST_F(PaintTest, StylesHaveTheirColoursAndTheContextIsRestored) {
    ASSERT_EQ(Layout(Stream()
                         .Text(0x0D, 0, "T")
                         .Text(0x03, 0, "s")
                         .Text(0x01, 0, "n")
                         .Link(0x00, 5, "L")
                         .Text(0x09, 0, "b")),
              0);
    plat::SetTextColor(dc_, 0x777777);
    ASSERT_EQ(Paint(1), 0);
    const auto& log = plat::headless::DrawLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].kind, DrawOp::Fill);
    EXPECT_EQ(log[0].brush, WHITE_BRUSH);
    EXPECT_EQ(log[0].rect.right, 100);
    EXPECT_EQ(log[0].rect.bottom, 320);

    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 5u);
    const plat::Colour colours[] = {0x00FF0000, 0x00800000, 0, 0x00800000, 0};
    const int heights[] = {20, 12, 16, 12, 16};
    const int tops[] = {0, 20, 32, 48, 60};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ops[i].textColour, colours[i]) << i;
        EXPECT_EQ(ops[i].font.height, heights[i]) << i;
        EXPECT_EQ(ops[i].rect.top, tops[i]) << i;
    }
    EXPECT_EQ(ops[4].font.weight, 700);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x777777u);
}

TEST_F(PaintTest, SeparatorIsAOnePixelRuleInTheMiddleOfItsLine) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "a").Separator(0x20, 50)), 0);
    plat::SelectBrush(dc_, plat::GetStockBrush(GRAY_BRUSH));
    ASSERT_EQ(Paint(), 0);
    auto rules = Ops(DrawOp::Rectangle);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].brush, BLACK_BRUSH);
    EXPECT_EQ(rules[0].rect.left, 50);
    EXPECT_EQ(rules[0].rect.top, 24);
    EXPECT_EQ(rules[0].rect.right, 100);
    EXPECT_EQ(rules[0].rect.bottom, 25);
    EXPECT_EQ(view_->linesPainted, 2);
    EXPECT_EQ(plat::SelectBrush(dc_, nullptr), plat::GetStockBrush(GRAY_BRUSH));
}

TEST_F(PaintTest, LinkLinesAreFramedAsAGroupAndHitWithinTheFrame) {
    // The caption breaks into "aaa bbb" (39 wide, at x 11) and "ccc" (18, at 32).
    MakeView(0, 0, 50, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "a").Link(0x20, 42, "aaa bbb ccc").Text(0x01, 0, "b")),
              0);
    EXPECT_EQ(HitTestLink(view_, 20, 20), 0);  // nothing painted yet
    ASSERT_EQ(Paint(), 0);
    auto frames = Ops(DrawOp::RoundRect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].brush, HOLLOW_BRUSH);
    EXPECT_EQ(frames[0].rect.left, 1);
    EXPECT_EQ(frames[0].rect.top, 14);
    EXPECT_EQ(frames[0].rect.right, 60);
    EXPECT_EQ(frames[0].rect.bottom, 43);
    EXPECT_EQ(TextOps()[3].rect.top, 40);

    EXPECT_EQ(HitTestLink(view_, 1, 16), 42);   // 10 left of x
    EXPECT_EQ(HitTestLink(view_, 0, 16), 0);    // 11 left
    EXPECT_EQ(HitTestLink(view_, 60, 16), 42);
    EXPECT_EQ(HitTestLink(view_, 61, 16), 0);
    EXPECT_EQ(HitTestLink(view_, 11, 14), 42);  // 2 above
    EXPECT_EQ(HitTestLink(view_, 11, 13), 0);
    EXPECT_EQ(HitTestLink(view_, 32, 43), 42);  // 3 below the second line
    EXPECT_EQ(HitTestLink(view_, 32, 44), 0);
    EXPECT_EQ(HitTestLink(view_, 5, 4), 0);     // the text above

    // A page without the link forgets it.
    view_->topLine = 3;
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(HitTestLink(view_, 11, 16), 0);
}

TEST_F(PaintTest, NeighbouringRecordsOfOneLinkShareAFrame) {
    ASSERT_EQ(Layout(Stream().Link(0x00, 7, "x").Link(0x80, 7, "y").Link(0x00, 8, "z")), 0);
    ASSERT_EQ(Paint(), 0);
    auto frames = Ops(DrawOp::RoundRect);
    ASSERT_EQ(frames.size(), 2u);
    // 12-pixel lines: x, y, its blank line, z.
    EXPECT_EQ(frames[0].rect.top, -2);
    EXPECT_EQ(frames[0].rect.bottom, 12 + 12 + 3);
    EXPECT_EQ(frames[1].rect.top, 36 - 2);
    EXPECT_EQ(HitTestLink(view_, 3, 37), 8);

    // A frame covers only the lines that fit.
    MakeView(0, 0, 100, 20);
    ASSERT_EQ(Layout(Stream().Link(0x00, 7, "x").Link(0x00, 7, "y")), 0);
    ASSERT_EQ(Paint(), 0);
    frames = Ops(DrawOp::RoundRect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].rect.bottom, 12 + 3);
}

TEST_F(PaintTest, TheBackLinkShowsOnlyWhenThereIsAPlaceToGoBackTo) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "a").Link(0x00, kBackLink, "back").Text(0x01, 0, "b")),
              0);
    ASSERT_EQ(Paint(), 0);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[1].text, u"b");
    EXPECT_EQ(ops[1].rect.top, 16);  // the hidden link takes no room
    EXPECT_TRUE(Ops(DrawOp::RoundRect).empty());
    EXPECT_EQ(HitTestLink(view_, 5, 20), 0);
    EXPECT_EQ(view_->linesPainted, 2);

    view_->viewFlags |= kBackLinkShown;
    ASSERT_EQ(Paint(), 0);
    ops = TextOps();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[1].text, u"back");
    EXPECT_EQ(ops[2].rect.top, 28);
    EXPECT_EQ(Ops(DrawOp::RoundRect).size(), 1u);
    EXPECT_EQ(HitTestLink(view_, 5, 20), kBackLink);
}

TEST_F(PaintTest, LabelsAreDrawnInTheirColumn) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. aaaa").Text(0x01, 0x40, "abcdef bb")), 0);
    ASSERT_EQ(Paint(), 0);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].text, u"1.");
    EXPECT_EQ(ops[0].rect.left, 0);
    EXPECT_EQ(ops[0].rect.right, 12);
    EXPECT_EQ(ops[1].text, u"aaaa");
    EXPECT_EQ(ops[1].rect.left, 12);
    // A label wider than its column is cut to what fits.
    EXPECT_EQ(ops[2].text, u"a");
    EXPECT_EQ(ops[3].text, u"bb");

    // Right to left: the label is the last stored word, right-aligned in
    // the column (18 pixels for code 2) to the right of the text.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x80, "dddd cccc ba")), 0);
    ASSERT_EQ(Paint(), 0);
    ops = TextOps();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].text, std::u16string(u"\u05D1\u05D0"));
    EXPECT_EQ(ops[0].rect.left, 44);
    EXPECT_EQ(ops[0].rect.right, 60);
    EXPECT_EQ(ops[1].text, std::u16string(u"\u05D2\u05D2\u05D2\u05D2"));
    EXPECT_EQ(ops[1].rect.left, 10);
    EXPECT_EQ(ops[2].text, std::u16string(u"\u05D3\u05D3\u05D3\u05D3"));
    EXPECT_EQ(ops[2].rect.top, 16);

    // A paragraph that is only its label still shows it.
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x40, "a")), 0);
    ASSERT_EQ(Paint(), 0);
    ops = TextOps();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops[0].text, std::u16string(u"\u05D0"));
    EXPECT_EQ(ops[0].rect.right, 60);
}

TEST_F(PaintTest, HighlightCoversOnlyItsPartOfARun) {
    // The second line's stretch is offsets 8 to 20.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaa").Text(0x01, 0, "abcdeabcdeab")), 0);
    ASSERT_EQ(Line(1).textOffset, 8);
    auto highlighted = [&](int start, int end) {
        view_->highlightStart = std::uint16_t(start);
        view_->highlightEnd = std::uint16_t(end);
        EXPECT_EQ(Paint(), 0);
        std::vector<DrawOp> out;
        for (const DrawOp& op : TextOps()) {
            if (op.backColour == 0x0000FFFF) out.push_back(op);
        }
        return out;
    };
    auto ops = highlighted(10, 15);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, u"cdeab");
    EXPECT_EQ(ops[0].textColour, 0x00FF0000u);
    EXPECT_EQ(ops[0].rect.left, 16);
    EXPECT_EQ(ops[0].rect.right, 56);
    EXPECT_EQ(ops[0].rect.top, 16);
    EXPECT_EQ(ops[0].rect.bottom, 32);

    ops = highlighted(5, 11);  // from the first record into the second
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, u"abc");
    EXPECT_EQ(ops[0].rect.left, 0);

    ops = highlighted(3, 4);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, u"a");
    EXPECT_EQ(ops[0].rect.left, 8);
    EXPECT_EQ(ops[0].rect.top, 0);

    ops = highlighted(18, 30);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, u"ab");
    EXPECT_EQ(ops[0].rect.left, 80);
}

TEST_F(PaintTest, HighlightInRightToLeftTextIsPlacedInStorageOrder) {
    // Stored "ab(c" at offsets 6..9; the highlight covers offsets 7 and 8.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "x").Text(0x31, 0, "ab(c")), 0);
    ASSERT_EQ(Line(1).textOffset, 6);
    view_->highlightStart = 7;
    view_->highlightEnd = 9;
    AppState.Flags = AppFlags::Reverse;
    ASSERT_EQ(Paint(), 0);
    const DrawOp op = TextOps().back();
    EXPECT_EQ(op.backColour, 0x0000FFFFu);
    // Placed after the first stored character, drawn reversed.
    EXPECT_EQ(op.rect.left, Line(1).x + 8);
    EXPECT_EQ(op.text, std::u16string(u")\u05D1"));
}

TEST_F(PaintTest, ReverseTurnsOnlyRightToLeftRunsInAHebrewFont) {
    const Stream stream = Stream().Text(0x31, 0, "ab(c)").Text(0x01, 0, "ab(c)");
    ASSERT_EQ(Layout(stream), 0);
    ASSERT_EQ(Paint(), 0);
    auto plain = TextOps();
    AppState.Flags = AppFlags::Reverse;
    ASSERT_EQ(Paint(), 0);
    auto reversed = TextOps();
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(reversed.size(), 2u);
    EXPECT_EQ(plain[0].text, std::u16string(u"\u05D0\u05D1(\u05D2)"));
    EXPECT_EQ(reversed[0].text, std::u16string(u"(\u05D2)\u05D1\u05D0"));
    EXPECT_EQ(reversed[0].rect.left, plain[0].rect.left);
    EXPECT_EQ(reversed[1].text, u"ab(c)");

    // With the Latin base the picture does not change at all.
    AppState.Flags = 0;
    AppState.Font.FontAsciiBase = 97;
    ASSERT_EQ(ApplyFont(view_, &AppState.Font), 0);
    ASSERT_EQ(Paint(), 0);
    plain = TextOps();
    AppState.Flags = AppFlags::Reverse;
    ASSERT_EQ(Paint(), 0);
    reversed = TextOps();
    ASSERT_EQ(plain.size(), reversed.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(reversed[i].text, plain[i].text);
        EXPECT_EQ(reversed[i].rect.left, plain[i].rect.left);
    }
    EXPECT_EQ(plain[0].text, u"ab(c)");
}

TEST_F(PaintTest, ScrollingIsBoundedByTheLastFullPage) {
    MakeView(0, 0, 100, 100);
    ASSERT_EQ(Layout(Lines(20)), 0);
    ASSERT_EQ(view_->maxTopLine, 14);

    view_->topLine = 14;
    EXPECT_EQ(ScrollArticleView(view_, 1, 0, 1), 1);
    EXPECT_EQ(view_->topLine, 14);
    view_->topLine = 1;
    EXPECT_EQ(ScrollArticleView(view_, -3, 0, 1), 3);
    EXPECT_EQ(view_->topLine, 0);
    EXPECT_EQ(ScrollArticleView(view_, -1, 0, 1), 1);

    // A step from below the last page may pass it; the next one does nothing.
    view_->topLine = 12;
    EXPECT_EQ(ScrollArticleView(view_, 5, 0, 1), 3);
    EXPECT_EQ(view_->topLine, 17);
    EXPECT_EQ(ScrollArticleView(view_, 1, 0, 1), 1);
    EXPECT_EQ(ScrollArticleView(view_, -2, 0, 1), 3);
    EXPECT_EQ(view_->topLine, 15);

    // Past the end of the article it stops at the last page.
    view_->topLine = 0;
    EXPECT_EQ(ScrollArticleView(view_, 30, 0, 1), 3);
    EXPECT_EQ(view_->topLine, 14);
    view_->topLine = 0;
    EXPECT_EQ(ScrollArticleView(view_, 30, 0, 0), 3);
    EXPECT_EQ(view_->topLine, 14);
    EXPECT_EQ(ScrollArticleView(view_, 3, 0, 0), 3);
    EXPECT_EQ(view_->topLine, 17);

    // Painting: only on a move, unless asked to paint anyway.
    view_->topLine = 0;
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ScrollArticleView(view_, 0, 1, 1), 1);
    EXPECT_TRUE(plat::headless::DrawLog().empty());
    EXPECT_EQ(ScrollArticleView(view_, 0, 2, 1), 0);
    EXPECT_FALSE(plat::headless::DrawLog().empty());
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ScrollArticleView(view_, 1, 1, 1), 0);
    EXPECT_EQ(TextOps().front().text, u"B");
    EXPECT_EQ(ScrollArticleView(nullptr, 1, 1, 1), -1);
}

TEST_F(PaintTest, ScrollToTextOffsetCountsBlankLines) {
    MakeView(0, 0, 100, 100);
    Stream stream = Stream().Text(0x81, 0, "aaaa").Text(0x01, 0, "bbbb");
    for (int i = 0; i < 10; ++i) stream.Text(0x01, 0, "c");
    ASSERT_EQ(Layout(stream), 0);  // 13 display lines, last page from 7
    ASSERT_EQ(view_->maxTopLine, 7);

    EXPECT_EQ(ScrollToTextOffset(view_, 10), 1);
    EXPECT_EQ(view_->topLine, 2);
    EXPECT_EQ(ScrollToTextOffset(view_, 6), 1);  // the end of a stretch counts
    EXPECT_EQ(view_->topLine, 0);
    EXPECT_EQ(ScrollToTextOffset(view_, 52), 1);  // the last line
    EXPECT_EQ(view_->topLine, 7);
    view_->topLine = 3;
    EXPECT_EQ(ScrollToTextOffset(view_, 500), 0);
    EXPECT_EQ(view_->topLine, 3);
}

TEST_F(PaintTest, NothingToPaintWithoutText) {
    EXPECT_EQ(PaintArticleView(view_, 1), -1);
    EXPECT_EQ(PaintArticleView(nullptr, 1), -1);
    EXPECT_EQ(HitTestLink(nullptr, 0, 0), 0);
    EXPECT_EQ(ScrollToTextOffset(view_, 0), 0);
}

}  // namespace
