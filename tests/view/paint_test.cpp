// Painting pages, links and the highlight, and moving through the article.
#include "view_test_support.h"

namespace {

using plat::headless::DrawOp;
using viewtest::Stream;

class PaintTest : public viewtest::ViewTest {
protected:
    static Stream Lines(int n) {
        Stream stream;
        for (int i = 0; i < n; ++i) stream.Text(0x01, 0, std::string(1, char('A' + i)));
        return stream;
    }
    std::vector<DrawOp> Highlighted(int start, int end) {
        view_->highlightStart = std::uint16_t(start);
        view_->highlightEnd = std::uint16_t(end);
        EXPECT_EQ(Paint(), 0);
        std::vector<DrawOp> out;
        for (const DrawOp& op : TextOps()) {
            if (op.backColour == 0x0000FFFF) out.push_back(op);
        }
        return out;
    }
};

TEST_F(PaintTest, PageStartsOnABlankLineAndEndsAboveACutLine) {
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, "aaaa").Text(0x01, 0, "bbbb").Text(0x01, 0, "cccc")), 0);
    view_->topLine = 1;  // the blank line after the first paragraph
    ASSERT_EQ(Paint(), 0);
    ASSERT_EQ(TextOps().size(), 2u);
    EXPECT_EQ(TextOps()[0].text, u"bbbb");
    EXPECT_EQ(TextOps()[0].rect.top, 16);
    EXPECT_EQ(view_->linesPainted, 2);
    // 40 pixels: a line and its blank line; the next would be cut.
    view_->topLine = 0;
    view_->box.height = 40;
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
    EXPECT_EQ(TextOps().at(0).text, u"O");
    EXPECT_EQ(view_->linesPainted, 6);
    view_->topLine = 20;  // equal to the total: an empty page, not pulled back
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(view_->linesPainted, 0);
}

TEST_F(PaintTest, StylesColoursSeparatorsAndTheRestoredContext) {
    ASSERT_EQ(Layout(Stream().Text(0x0D, 0, "T").Text(0x03, 0, "s").Text(0x01, 0, "n")
                         .Link(0x00, 5, "L").Text(0x09, 0, "b").Separator(0x20, 50)), 0);
    plat::SetTextColor(dc_, 0x777777);
    plat::SelectBrush(dc_, plat::GetStockBrush(GRAY_BRUSH));
    ASSERT_EQ(Paint(1), 0);
    const DrawOp& erase = plat::headless::DrawLog().at(0);
    EXPECT_EQ(erase.kind, DrawOp::Fill);
    EXPECT_EQ(erase.brush, WHITE_BRUSH);
    EXPECT_EQ(erase.rect.bottom, 320);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 5u);
    const plat::Colour colours[] = {0x00FF0000, 0x00800000, 0, 0x00800000, 0};
    const int heights[] = {20, 12, 16, 12, 16};
    const int tops[] = {0, 20, 32, 48, 60};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(ops[i].textColour, colours[i]) << i;
        EXPECT_EQ(ops[i].font.height, heights[i]) << i;
        EXPECT_EQ(ops[i].rect.top, tops[i]) << i;
    }
    EXPECT_EQ(ops[4].font.weight, 700);
    // The rule: one pixel in the middle of its 16-pixel line, in black.
    auto rules = Ops(DrawOp::Rectangle);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].brush, BLACK_BRUSH);
    EXPECT_EQ(rules[0].rect.left, 50);
    EXPECT_EQ(rules[0].rect.top, 76 + 8);
    EXPECT_EQ(rules[0].rect.bottom, 76 + 9);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x777777u);
    EXPECT_EQ(plat::SelectBrush(dc_, nullptr), plat::GetStockBrush(GRAY_BRUSH));
}

TEST_F(PaintTest, LinkLinesAreFramedAsAGroupAndHitWithinTheFrame) {
    // The caption breaks into "aaa bbb" (39 wide, at x 11) and "ccc" (18, at 32).
    MakeView(0, 0, 50, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "a").Link(0x20, 42, "aaa bbb ccc").Text(0x01, 0, "b")), 0);
    EXPECT_EQ(HitTestLink(view_, 20, 20), 0);  // nothing painted yet
    ASSERT_EQ(Paint(), 0);
    auto frames = Ops(DrawOp::RoundRect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].brush, HOLLOW_BRUSH);
    const plat::Rect expected{1, 14, 60, 43};
    EXPECT_EQ(frames[0].rect.left, expected.left);
    EXPECT_EQ(frames[0].rect.top, expected.top);
    EXPECT_EQ(frames[0].rect.right, expected.right);
    EXPECT_EQ(frames[0].rect.bottom, expected.bottom);
    EXPECT_EQ(TextOps()[3].rect.top, 40);
    // 10 pixels left of x hits, 11 misses; 2 above and 3 below the line.
    const int hits[][3] = {{1, 16, 42}, {0, 16, 0},  {60, 16, 42}, {61, 16, 0}, {11, 14, 42},
                           {11, 13, 0}, {32, 43, 42}, {32, 44, 0},  {5, 4, 0}};
    for (const auto& h : hits) EXPECT_EQ(HitTestLink(view_, h[0], h[1]), h[2]) << h[0] << "," << h[1];
    // A page without the link forgets it.
    view_->topLine = 3;
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(HitTestLink(view_, 11, 16), 0);

    // Neighbouring records of one number share a frame, within the room left.
    MakeView(0, 0, 100, 320);
    ASSERT_EQ(Layout(Stream().Link(0x00, 7, "x").Link(0x80, 7, "y").Link(0x00, 8, "z")), 0);
    ASSERT_EQ(Paint(), 0);
    frames = Ops(DrawOp::RoundRect);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].rect.bottom, 12 + 12 + 3);
    EXPECT_EQ(frames[1].rect.top, 36 - 2);  // after y's blank line
    EXPECT_EQ(HitTestLink(view_, 3, 37), 8);
    view_->box.height = 20;
    ASSERT_EQ(Paint(), 0);
    EXPECT_EQ(Ops(DrawOp::RoundRect).at(0).rect.bottom, 12 + 3);
}

TEST_F(PaintTest, TheBackLinkShowsOnlyWhenThereIsAPlaceToGoBackTo) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "a").Link(0x00, kBackLink, "back").Text(0x01, 0, "b")), 0);
    ASSERT_EQ(Paint(), 0);
    ASSERT_EQ(TextOps().size(), 2u);
    EXPECT_EQ(TextOps()[1].rect.top, 16);  // the hidden link takes no room
    EXPECT_TRUE(Ops(DrawOp::RoundRect).empty());
    EXPECT_EQ(HitTestLink(view_, 5, 20), 0);
    view_->viewFlags |= kBackLinkShown;
    ASSERT_EQ(Paint(), 0);
    ASSERT_EQ(TextOps().size(), 3u);
    EXPECT_EQ(TextOps()[2].rect.top, 28);
    EXPECT_EQ(Ops(DrawOp::RoundRect).size(), 1u);
    EXPECT_EQ(HitTestLink(view_, 5, 20), kBackLink);
}

TEST_F(PaintTest, LabelsAreDrawnInTheirColumn) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. aaaa").Text(0x01, 0x40, "abcdef bb")), 0);
    ASSERT_EQ(Paint(), 0);
    auto ops = TextOps();
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].text, u"1.");
    EXPECT_EQ(ops[0].rect.right, 12);
    EXPECT_EQ(ops[1].rect.left, 12);
    EXPECT_EQ(ops[2].text, u"a");  // a label wider than its column is cut
    // Right to left: the last stored word, right-aligned in the column
    // (18 pixels for code 2) to the right of the text.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x80, "dddd cccc ba").Text(0x31, 0x80, "a")), 0);
    ASSERT_EQ(Paint(), 0);
    ops = TextOps();
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0].text, u"\u05D1\u05D0");
    EXPECT_EQ(ops[0].rect.left, 44);
    EXPECT_EQ(ops[0].rect.right, 60);
    EXPECT_EQ(ops[1].text, u"\u05D2\u05D2\u05D2\u05D2");
    EXPECT_EQ(ops[1].rect.left, 10);
    EXPECT_EQ(ops[2].text, u"\u05D3\u05D3\u05D3\u05D3");
    EXPECT_EQ(ops[3].text, u"\u05D0");  // a paragraph that is only its label
    EXPECT_EQ(ops[3].rect.right, 60);
}

TEST_F(PaintTest, HighlightCoversOnlyItsPartOfARun) {
    // The second line's stretch is offsets 8 to 20.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaa").Text(0x01, 0, "abcdeabcdeab")), 0);
    auto ops = Highlighted(10, 15);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, u"cdeab");
    EXPECT_EQ(ops[0].textColour, 0x00FF0000u);
    EXPECT_EQ(ops[0].rect.left, 16);
    EXPECT_EQ(ops[0].rect.right, 56);
    EXPECT_EQ(ops[0].rect.top, 16);
    EXPECT_EQ(ops[0].rect.bottom, 32);
    struct Case {
        int start, end;
        std::u16string text;
        int left, top;
    };
    for (const Case& c : {Case{5, 11, u"abc", 0, 16}, Case{3, 4, u"a", 8, 0}, Case{18, 30, u"ab", 80, 16}}) {
        ops = Highlighted(c.start, c.end);
        ASSERT_EQ(ops.size(), 1u) << c.start;
        EXPECT_EQ(ops[0].text, c.text);
        EXPECT_EQ(ops[0].rect.left, c.left);
        EXPECT_EQ(ops[0].rect.top, c.top);
    }
    // Right to left: placed by storage order, drawn reversed under Reverse.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "x").Text(0x31, 0, "ab(c")), 0);
    AppState.Flags = AppFlags::Reverse;
    ops = Highlighted(7, 9);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].rect.left, Line(1).x + 8);
    EXPECT_EQ(ops[0].text, u")\u05D1");
}

TEST_F(PaintTest, ReverseTurnsOnlyRightToLeftRunsInAHebrewFont) {
    ASSERT_EQ(Layout(Stream().Text(0x31, 0, "ab(c)").Text(0x01, 0, "ab(c)")), 0);
    ASSERT_EQ(Paint(), 0);
    const auto plain = TextOps();
    AppState.Flags = AppFlags::Reverse;
    ASSERT_EQ(Paint(), 0);
    const auto reversed = TextOps();
    EXPECT_EQ(plain.at(0).text, u"\u05D0\u05D1(\u05D2)");
    EXPECT_EQ(reversed.at(0).text, u"(\u05D2)\u05D1\u05D0");
    EXPECT_EQ(reversed.at(0).rect.left, plain.at(0).rect.left);
    EXPECT_EQ(reversed.at(1).text, u"ab(c)");
    // With the Latin base the picture does not change.
    AppState.Font.FontAsciiBase = 97;
    plat::headless::ClearDrawLog();
    ASSERT_EQ(ApplyFont(view_, &AppState.Font), 0);
    EXPECT_EQ(TextOps().at(0).text, u"ab(c)");
}

TEST_F(PaintTest, ScrollingIsBoundedByTheLastFullPage) {
    MakeView(0, 0, 100, 100);
    ASSERT_EQ(Layout(Lines(20)), 0);
    ASSERT_EQ(view_->maxTopLine, 14);
    struct Step {
        int from, delta, bounded, result, to;
    };
    const Step steps[] = {
        {14, 1, 1, 1, 14},  {1, -3, 1, 3, 0},  {0, -1, 1, 1, 0},
        {12, 5, 1, 3, 17},  // may pass the last page by one step
        {17, 1, 1, 1, 17},  {17, -2, 1, 3, 15}, {0, 30, 1, 3, 14}, {0, 30, 0, 3, 14},
        {14, 3, 0, 3, 17},  // unbounded within the article
    };
    for (const Step& s : steps) {
        view_->topLine = std::uint16_t(s.from);
        EXPECT_EQ(ScrollArticleView(view_, s.delta, 0, s.bounded), s.result) << s.from << s.delta;
        EXPECT_EQ(view_->topLine, s.to) << s.from << "+" << s.delta;
    }
    // Painting: only after a move, unless asked to paint anyway.
    view_->topLine = 0;
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ScrollArticleView(view_, 0, 1, 1), 1);
    EXPECT_TRUE(plat::headless::DrawLog().empty());
    EXPECT_EQ(ScrollArticleView(view_, 0, 2, 1), 0);
    EXPECT_FALSE(plat::headless::DrawLog().empty());
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ScrollArticleView(view_, 1, 1, 1), 0);
    EXPECT_EQ(TextOps().at(0).text, u"B");
    EXPECT_EQ(ScrollArticleView(nullptr, 1, 1, 1), -1);
}

TEST_F(PaintTest, ScrollToTextOffsetCountsBlankLines) {
    MakeView(0, 0, 100, 100);
    Stream stream = Stream().Text(0x81, 0, "aaaa").Text(0x01, 0, "bbbb");
    for (int i = 0; i < 10; ++i) stream.Text(0x01, 0, "c");
    ASSERT_EQ(Layout(stream), 0);  // 13 display lines, the last page from 7
    const int cases[][2] = {{10, 2}, {6, 0}, {52, 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScrollToTextOffset(view_, c[0]), 1);
        EXPECT_EQ(view_->topLine, c[1]) << c[0];
    }
    view_->topLine = 3;
    EXPECT_EQ(ScrollToTextOffset(view_, 500), 0);
    EXPECT_EQ(view_->topLine, 3);
}

}  // namespace
