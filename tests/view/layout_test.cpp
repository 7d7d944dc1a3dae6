// Breaking article streams into display lines. The headless fonts have fixed
// advances (view_test_support.h), so every offset, x and width is exact.
#include "view_test_support.h"

namespace {

using viewtest::Stream;

class LayoutTest : public viewtest::ViewTest {};

struct Expected {
    int textOffset;
    int charCount;
    int x;
    int width;
};

void ExpectLines(const ArticleView* view, std::initializer_list<Expected> expected) {
    ASSERT_EQ(view->lineCount, expected.size());
    int i = 0;
    for (const Expected& e : expected) {
        const DisplayLine& line = view->lines[i];
        EXPECT_EQ(line.textOffset, e.textOffset) << "line " << i;
        EXPECT_EQ(line.charCount, e.charCount) << "line " << i;
        EXPECT_EQ(line.x, e.x) << "line " << i;
        EXPECT_EQ(line.width, e.width) << "line " << i;
        ++i;
    }
    EXPECT_EQ(view->lines[i].flags, 0) << "terminator";
}

TEST_F(LayoutTest, BreaksAtTheLastSpaceThatFits) {
    // "aaaa bbbb ccc" fits 100 pixels (96); the next 'c' does not.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb cccc")), 0);
    ExpectLines(view_, {{2, 9, 0, 68}, {12, 4, 0, 32}});
    EXPECT_EQ(view_->totalLines, 2);
    EXPECT_EQ(Line(0).height, viewtest::kHeight);
}

TEST_F(LayoutTest, BreaksAfterAHyphenButNeverBeforeTheFirstCharacter) {
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa-bbbb cc")), 0);
    ExpectLines(view_, {{2, 5, 0, 40}, {7, 7, 0, 52}});

    MakeView(0, 0, 40, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "-aaaaaaaa")), 0);
    ExpectLines(view_, {{2, 5, 0, 40}, {7, 4, 0, 32}});
}

TEST_F(LayoutTest, OverLongWordsAreCutWhereTheyStopFitting) {
    MakeView(0, 0, 30, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aa aaaaaaaaaa")), 0);
    // The short word keeps its line; the long one goes on and is cut.
    ExpectLines(view_, {{2, 2, 0, 16}, {5, 3, 0, 24}, {8, 3, 0, 24}, {11, 3, 0, 24},
                        {14, 1, 0, 8}});
}

TEST_F(LayoutTest, ALineTakesOneCharacterWhenNoneFits) {
    MakeView(0, 0, 5, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "ab")), 0);
    ExpectLines(view_, {{2, 1, 0, 8}, {3, 1, 0, 8}});

    // The label column takes the whole width: still one character a line.
    MakeView(0, 0, 12, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. ab").Text(0x31, 0x40, "ba .2")), 0);
    ASSERT_EQ(view_->lineCount, 4);
    EXPECT_EQ(Line(0).charCount, 1);
    EXPECT_EQ(Line(1).charCount, 1);
    EXPECT_EQ(Line(1).x, 12);
}

TEST_F(LayoutTest, IndentCountsAgainstTheWidthUnlessItTakesAllOfIt) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb ccc").Text(0x01, 10, "aaaa bbbb ccc")), 0);
    ExpectLines(view_, {{2, 13, 0, 96}, {18, 9, 10, 68}, {28, 3, 10, 24}});

    MakeView(0, 0, 30, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 40, "a")), 0);
    ExpectLines(view_, {{2, 1, 0, 8}});
}

TEST_F(LayoutTest, AlignmentPlacesTheLineInTheBox) {
    MakeView(2, 0, 200, 320);
    const std::string hundred = "aaaaaaaaaaaa.";  // 12 x 8 + 4
    ASSERT_EQ(Layout(Stream()
                         .Text(0x21, 5, hundred)
                         .Text(0x41, 5, hundred)
                         .Text(0x01, 5, hundred)
                         .Text(0x61, 5, hundred)),
              0);
    EXPECT_EQ(Line(0).x, 97);
    EXPECT_EQ(Line(1).x, 54);
    EXPECT_EQ(Line(2).x, 7);
    EXPECT_EQ(Line(3).x, 7);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Line(i).width, 100);
}

TEST_F(LayoutTest, LeftToRightLabelHangsInItsColumn) {
    // Label code 1 with a widest character of 12: a 12-pixel column.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. aaaa bbbb cccc dddd")), 0);
    ExpectLines(view_, {{2, 9, 12, 68}, {15, 9, 12, 68}});
    EXPECT_EQ(Line(0).labelWidth, 12);
    EXPECT_EQ(Line(1).labelWidth, 0);

    // Codes 2 and 3: (3 x 12) / 2 and (4 x 12) / 2; right aligned, the
    // column sits at the start side all the same.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x80, "1. a").Text(0x21, 0xC3, "2. a")), 0);
    EXPECT_EQ(Line(0).labelWidth, 18);
    EXPECT_EQ(Line(0).x, 18);
    EXPECT_EQ(Line(1).labelWidth, 24);
    EXPECT_EQ(Line(1).x, 100 - 3 - 24 - 8);
}

TEST_F(LayoutTest, RightToLeftLinesMapBackToStoredStretches) {
    // Reading order "ab cccc dddd" with the label "ab", stored reversed.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x40, "dddd cccc ba")), 0);
    ExpectLines(view_, {{7, 4, 16, 32}, {2, 4, 16, 32}});
    EXPECT_EQ(Line(0).labelWidth, 12);

    // Unlabelled: the first line in reading order is the stored tail.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x31, 0, "ccc bbb aaa")), 0);
    ExpectLines(view_, {{6, 7, 8, 52}, {2, 3, 36, 24}});
}

TEST_F(LayoutTest, ContinuationParagraphsKeepTheRunningIndent) {
    ASSERT_EQ(Layout(Stream()
                         .Text(0x01, 0x45, "1. aaaa")
                         .Text(0x01, 0x48, " bbbb")
                         .Text(0x01, 0x40, "2. cccc")),
              0);
    // Indent 5 plus the 12-pixel column; the continuation moves by 8 - 5
    // and has no label; the next labelled paragraph starts afresh.
    ExpectLines(view_, {{2, 4, 17, 32}, {13, 4, 20, 32}, {20, 4, 12, 32}});
    EXPECT_EQ(Line(1).labelWidth, 0);

    // Right to left: the same arithmetic measured from the right edge. The
    // marking space is stored first, so in reading order it ends the line.
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x45, "aaaa .1").Text(0x31, 0x48, " bbbb")), 0);
    ExpectLines(view_, {{2, 4, 100 - 17 - 32, 32}, {12, 5, 100 - 20 - 36, 36}});

    // A first record that starts with a space is no continuation.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x45, " 1. aaaa")), 0);
    ExpectLines(view_, {{3, 4, 17, 32}});
    EXPECT_EQ(Line(0).labelWidth, 12);
}

TEST_F(LayoutTest, SeparatorsInPixelsAndPercentOfTheWidth) {
    MakeView(0, 0, 240, 320);
    ASSERT_EQ(Layout(Stream()
                         .Separator(0x00, 200)
                         .Separator(0x20, 100)
                         .Separator(0x40, 255)
                         .Separator(0x40, 161)
                         .Text(0x05, 0, "a")
                         .Separator(0x00, 10)),
              0);
    ExpectLines(view_, {{2, 0, 0, 192}, {5, 0, 140, 100}, {8, 0, 0, 240}, {11, 0, 118, 4},
                        {14, 1, 0, 10}, {18, 0, 0, 10}});
    // A separator is as high as the font before it: style 1 at the start.
    EXPECT_EQ(Line(0).height, 16);
    EXPECT_EQ(Line(5).height, 20);

    // Narrower: percentages follow the width and no rule passes it.
    ASSERT_EQ(SetViewSize(view_, 60, 320), 0);
    EXPECT_EQ(Line(0).width, 48);
    EXPECT_EQ(Line(1).width, 60);
    EXPECT_EQ(Line(1).x, 0);
}

TEST_F(LayoutTest, LinkNumbersAndCaptions) {
    ASSERT_EQ(Layout(Stream()
                         .Raw({0x07, 0x01, 0x85, 0x81, 's', 'e', 'e', 0})
                         .Raw({0x07, 0x01, 0x05, 0x41, 0x42, 0})
                         .Raw({0x07, 0x01, 0x80, 0x43, 0x44, 0})
                         .Raw({0x07, 0xFF, 0x86, 'x', 0})
                         .Link(0x00, kBackLink, "c")
                         .Text(0x01, 0, "a")),
              0);
    // Captions are set small (12 high, normal advance 6), without indent
    // or label whatever the layout byte says; number 0 gives nothing.
    ExpectLines(view_, {{4, 3, 0, 18}, {11, 2, 0, 12}, {23, 1, 0, 6}, {29, 1, 0, 6},
                        {33, 1, 0, 8}});
    EXPECT_EQ(Line(0).linkNumber, 133);
    EXPECT_EQ(Line(1).linkNumber, 5);
    EXPECT_EQ(Line(2).linkNumber, 6);
    EXPECT_EQ(Line(3).linkNumber, kBackLink);
    EXPECT_EQ(Line(4).linkNumber, 0);
    EXPECT_EQ(Line(0).labelWidth, 0);
    EXPECT_EQ(Line(0).height, 12);
    EXPECT_EQ(Line(0).flags, 0x07);
    // The text after the links selects its own font again.
    EXPECT_EQ(Line(4).height, 16);
    ASSERT_NE(view_->linkHits, nullptr);
    EXPECT_EQ(view_->linkHits[0].line, nullptr);
}

TEST_F(LayoutTest, LinkCaptionsBreakLikeTextAndCarryTheirNumber) {
    MakeView(0, 0, 40, 320);
    ASSERT_EQ(Layout(Stream().Link(0x20, 9, "aaa bbb ccc")), 0);
    ASSERT_EQ(view_->lineCount, 2);
    EXPECT_EQ(Line(0).linkNumber, 9);
    EXPECT_EQ(Line(1).linkNumber, 9);
    EXPECT_EQ(Line(0).width, 39);       // "aaa bbb" at 6 and 3
    EXPECT_EQ(Line(0).x, 40 - 39);      // right aligned
    EXPECT_EQ(Line(1).textOffset, 11);  // number byte at 2, caption from 3
}

TEST_F(LayoutTest, BlankLinesFollowParagraphsButNotTheLastRecord) {
    const std::string three = "aaaa bbbb cccc dddd eeee ffff";
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, three)), 0);
    EXPECT_EQ(view_->lineCount, 3);
    EXPECT_EQ(view_->totalLines, 3);
    EXPECT_EQ(Line(2).flags, 0x01);

    ASSERT_EQ(Layout(Stream().Text(0x81, 0, three).Separator(0x80, 5).Text(0x01, 0, "x")), 0);
    EXPECT_EQ(view_->lineCount, 5);
    EXPECT_EQ(view_->totalLines, 7);
    // Only the record's last line carries the bit.
    EXPECT_EQ(Line(0).flags, 0x01);
    EXPECT_EQ(Line(1).flags, 0x01);
    EXPECT_EQ(Line(2).flags, 0x81);
    EXPECT_EQ(Line(3).flags, 0x87);
}

TEST_F(LayoutTest, PlainStyleWithABlankLineKeepsItsLinesInTheTable) {
    // Flag byte 0x80 without its bit 7 would read as the terminator.
    const std::string three = "aaaa bbbb cccc dddd eeee ffff";
    ASSERT_EQ(Layout(Stream().Text(0x80, 0, three).Text(0x80, 0, "x")), 0);
    EXPECT_EQ(view_->lineCount, 4);
    EXPECT_EQ(view_->totalLines, 5);
    for (int i = 0; i < 4; ++i) EXPECT_NE(Line(i).flags, 0) << i;
    EXPECT_EQ(Line(2).flags, 0x80);
    plat::headless::ClearDrawLog();
    ASSERT_EQ(PaintArticleView(view_, 0), 0);
    EXPECT_EQ(view_->linesPainted, 5);
    EXPECT_EQ(TextOps().size(), 4u);
}

TEST_F(LayoutTest, EmptyRecordsProduceNothing) {
    ASSERT_EQ(Layout(Stream().Empty().Text(0x01, 0, "a").Text(0x81, 0, "").Text(0x01, 0, "b")), 0);
    ExpectLines(view_, {{5, 1, 0, 8}, {12, 1, 0, 8}});
    EXPECT_EQ(view_->totalLines, 2);
}

TEST_F(LayoutTest, StreamsWithoutAFirstTextAreRejectedWhole) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa")), 0);
    const std::uint8_t* held = view_->text;
    view_->highlightStart = 3;
    view_->highlightEnd = 4;

    EXPECT_EQ(Layout(Stream().Text(0x01, 0, "").Text(0x01, 0, "a")), -4);
    std::uint8_t zero[] = {0, 1, 'a', 0, 0};
    EXPECT_EQ(LayoutArticle(view_, zero, 1, sizeof zero), -4);
    std::uint8_t none[] = {1};
    EXPECT_EQ(LayoutArticle(view_, none, 1, 0), -4);
    // Text and lines stay; the totals and the highlight do not.
    EXPECT_EQ(view_->text, held);
    EXPECT_EQ(view_->lineCount, 1);
    EXPECT_EQ(Line(0).charCount, 4);
    EXPECT_EQ(view_->totalLines, 0);
    EXPECT_EQ(view_->highlightStart, 0);

    EXPECT_EQ(LayoutArticle(view_, nullptr, 0, 0), 2);
    EXPECT_EQ(view_->text, held);
    EXPECT_EQ(LayoutArticle(view_, nullptr, 1, 0), 2);
    EXPECT_EQ(view_->text, nullptr);
    EXPECT_EQ(LayoutArticle(nullptr, nullptr, 1, 0), -1);
}

TEST_F(LayoutTest, TableGrowsPastItsFirstSize) {
    Stream stream;
    for (int i = 0; i < 300; ++i) stream.Text(0x01, 0, "a");
    DestroyArticleView(view_, 1);
    view_ = CreateArticleView(dc_, nullptr, &AppState.Font, 0);
    ASSERT_NE(view_, nullptr);
    view_->box = ViewBox{0, 0, 100, 320};
    ASSERT_EQ(Layout(stream), 0);
    EXPECT_EQ(view_->lineCount, 300);
    EXPECT_GE(view_->capacity, 300);
    EXPECT_EQ(Line(299).textOffset, 2 + 299 * 4);
    EXPECT_EQ(view_->lines[300].flags, 0);
}

TEST_F(LayoutTest, MaxTopLineCountsBlankLinesOfTheLastPage) {
    // Six 10-pixel lines, then 30 (with a blank line), 20 and 20: ten
    // display lines.
    DisplayLine* lines = view_->lines;
    for (int i = 0; i < 6; ++i) lines[i] = DisplayLine{0, 0, 0, 0, 0, 10, 0, 0x01};
    lines[6] = DisplayLine{0, 0, 0, 0, 0, 30, 0, 0x81};
    lines[7] = DisplayLine{0, 0, 0, 0, 0, 20, 0, 0x01};
    lines[8] = DisplayLine{0, 0, 0, 0, 0, 20, 0, 0x01};
    lines[9] = DisplayLine{};
    view_->lineCount = 9;
    view_->totalLines = 10;

    view_->box.height = 100;
    EXPECT_EQ(ComputeMaxTopLine(view_), 6);
    EXPECT_EQ(view_->maxTopLine, 6);
    // The 30-pixel line's blank line overshoots by 10: it is not counted.
    view_->box.height = 90;
    EXPECT_EQ(ComputeMaxTopLine(view_), 7);
    view_->box.height = 1000;
    EXPECT_EQ(ComputeMaxTopLine(view_), 0);

    view_->totalLines = 0;
    EXPECT_EQ(ComputeMaxTopLine(view_), -1);
    EXPECT_EQ(view_->maxTopLine, 0);
}

TEST_F(LayoutTest, LayoutEndsWithThePageArithmetic) {
    Stream stream;
    for (int i = 0; i < 20; ++i) stream.Text(0x01, 0, "a");
    MakeView(0, 0, 100, 100);
    view_->topLine = 5;
    ASSERT_EQ(Layout(stream), 0);
    EXPECT_EQ(view_->maxTopLine, 20 - 6);
    EXPECT_EQ(view_->topLine, 5);  // the caller sets it
}

TEST_F(LayoutTest, StyleFontsFollowTheKey) {
    auto describe = [&](int key) {
        SelectStyleFont(view_, key);
        plat::Font font = plat::SelectFont(dc_, nullptr);
        plat::LogFont description;
        plat::GetFontDescription(font, &description);
        plat::SelectFont(dc_, font);
        return description;
    };
    EXPECT_EQ(describe(0x01).height, 16);
    EXPECT_EQ(describe(0x04).height, 20);
    EXPECT_EQ(describe(0x02).height, 12);
    EXPECT_EQ(describe(0x06).height, 20);  // large wins
    EXPECT_EQ(describe(0x01).weight, 400);
    EXPECT_EQ(describe(0x09).weight, 700);
    EXPECT_EQ(std::u16string(describe(0x11).faceName), u"");

    // The same key gives the same font; bit 0 makes a separate one.
    SelectStyleFont(view_, 0x03);
    const plat::Font font3 = SelectStyleFont(view_, 0x02);
    const plat::Font font2 = SelectStyleFont(view_, 0x03);
    EXPECT_NE(font3, font2);
    EXPECT_EQ(SelectStyleFont(view_, 0x03), font3);

    // Colours come with option 0x100 (bits above the key are ignored).
    SelectStyleFont(view_, 0x0C | 0x20 | 0x100);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x00FF0000u);
    SelectStyleFont(view_, 0x04 | 0x100);
    EXPECT_EQ(plat::GetTextColor(dc_), 0u);
    SelectStyleFont(view_, 0x0A | 0x100);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x00800000u);
    SelectStyleFont(view_, 0x01);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x00800000u);

    // Without a size: large 20, small 14, others the system default.
    FontDescription unsized = AppState.Font;
    unsized.FontSize = 0;
    std::u16string name = u"David CLM";
    for (std::size_t i = 0; i < name.size(); ++i) unsized.FontName[i] = name[i];
    ASSERT_EQ(ApplyFont(view_, &unsized), 1);  // nothing to lay out
    EXPECT_EQ(describe(0x05).height, 20);
    EXPECT_EQ(describe(0x03).height, 14);
    EXPECT_EQ(describe(0x01).height, 0);
    EXPECT_EQ(std::u16string(describe(0x01).faceName), name);
}

TEST_F(LayoutTest, DeletedFontsDoNotStaySelected) {
    SelectStyleFont(view_, 0x05);
    ApplyFont(view_, nullptr);
    // The context draws with its own font again, not a deleted one.
    DrawTextRun(dc_, reinterpret_cast<const std::uint8_t*>("a"), 1, 0, 0, 10, 10);
    ASSERT_EQ(TextOps().size(), 1u);
    EXPECT_EQ(TextOps()[0].font.height, 0);
    // A font that is not the view's stays selected.
    plat::LogFont own;
    own.height = 33;
    plat::Font mine = plat::CreateFontIndirect(own);
    plat::SelectFont(dc_, mine);
    SelectStyleFont(view_, 0x01);
    plat::SelectFont(dc_, mine);
    DestroyArticleView(view_, 1);
    view_ = nullptr;
    EXPECT_EQ(plat::SelectFont(dc_, nullptr), mine);
    plat::DeleteFont(mine);
}

TEST_F(LayoutTest, NewFontOrSizeLaysTheTextOutAgain) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb cccc")), 0);
    ASSERT_EQ(view_->lineCount, 2);
    view_->topLine = 1;

    FontDescription bigger = AppState.Font;
    bigger.FontSize = 8;  // advances 4, space 2
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ApplyFont(view_, &bigger), 0);
    EXPECT_EQ(view_->lineCount, 1);
    EXPECT_EQ(Line(0).height, 8);
    EXPECT_EQ(view_->topLine, 1);
    EXPECT_FALSE(Ops(plat::headless::DrawOp::Fill).empty());  // painted with erase

    EXPECT_EQ(SetViewSize(view_, 0, 10), -5);
    EXPECT_EQ(SetViewSize(view_, 10, -1), -5);
    EXPECT_EQ(view_->box.width, 100);
    ASSERT_EQ(SetViewSize(view_, 20, 50), 0);
    EXPECT_EQ(view_->box.x, 0);
    EXPECT_EQ(view_->lineCount, 3);
    EXPECT_EQ(SetViewSize(nullptr, 20, 50), -1);
}

}  // namespace
