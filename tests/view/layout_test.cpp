// Breaking article streams into display lines, with the exact numbers the
// headless fonts give.
#include "view_test_support.h"

namespace {

using viewtest::Stream;

class LayoutTest : public viewtest::ViewTest {
protected:
    struct Expected {
        int textOffset, charCount, x, width;
    };
    void ExpectLines(std::initializer_list<Expected> expected) {
        ASSERT_EQ(view_->lineCount, expected.size());
        int i = 0;
        for (const Expected& e : expected) {
            const DisplayLine& line = Line(i);
            EXPECT_EQ(line.textOffset, e.textOffset) << "line " << i;
            EXPECT_EQ(line.charCount, e.charCount) << "line " << i;
            EXPECT_EQ(line.x, e.x) << "line " << i;
            EXPECT_EQ(line.width, e.width) << "line " << i;
            ++i;
        }
        EXPECT_EQ(Line(i).flags, 0) << "terminator";
    }
};

TEST_F(LayoutTest, BreaksAtSpacesAndAfterHyphensAndCutsLongWords) {
    // "aaaa bbbb ccc" fits 100 pixels (96); the next 'c' does not.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb cccc")), 0);
    ExpectLines({{2, 9, 0, 68}, {12, 4, 0, 32}});
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa-bbbb cc")), 0);
    ExpectLines({{2, 5, 0, 40}, {7, 7, 0, 52}});
    // Never before the line's first character.
    MakeView(0, 0, 40, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "-aaaaaaaa")), 0);
    ExpectLines({{2, 5, 0, 40}, {7, 4, 0, 32}});
    MakeView(0, 0, 30, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aa aaaaaaaaaa")), 0);
    ExpectLines({{2, 2, 0, 16}, {5, 3, 0, 24}, {8, 3, 0, 24}, {11, 3, 0, 24}, {14, 1, 0, 8}});
    // A no-break space joins words: never a break there, in either direction.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa\xA0" "bbbb cc").Text(0x31, 0, "cc bbbb\xA0" "aaaa")), 0);
    ExpectLines({{2, 8, 0, 60}, {10, 4, 0, 28}, {21, 8, 0, 60}, {17, 4, 32, 28}});
}

TEST_F(LayoutTest, ALineTakesOneCharacterWhenNoneFits) {
    MakeView(0, 0, 5, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "ab")), 0);
    ExpectLines({{2, 1, 0, 8}, {3, 1, 0, 8}});
    // The label column takes the whole width.
    MakeView(0, 0, 12, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. ab").Text(0x31, 0x40, "ba .2")), 0);
    ExpectLines({{2, 1, 12, 8}, {6, 1, 12, 8}, {11, 1, 0, 8}, {10, 1, 0, 8}});
}

TEST_F(LayoutTest, IndentAndAlignmentPlaceTheLine) {
    MakeView(2, 0, 200, 320);
    const std::string hundred = "aaaaaaaaaaaa.";  // 12 x 8 + 4
    ASSERT_EQ(Layout(Stream().Text(0x21, 5, hundred).Text(0x41, 5, hundred).Text(0x01, 5, hundred)
                         .Text(0x61, 5, hundred)), 0);
    ExpectLines({{2, 13, 97, 100}, {18, 13, 54, 100}, {34, 13, 7, 100}, {50, 13, 7, 100}});
    // An indent counts against the width, unless it takes all of it.
    MakeView(0, 0, 100, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb ccc").Text(0x01, 10, "aaaa bbbb ccc")), 0);
    ExpectLines({{2, 13, 0, 96}, {18, 9, 10, 68}, {28, 3, 10, 24}});
    MakeView(0, 0, 30, 320);
    ASSERT_EQ(Layout(Stream().Text(0x01, 40, "a")), 0);
    ExpectLines({{2, 1, 0, 8}});
}

TEST_F(LayoutTest, LabelsHangInTheirColumnInBothDirections) {
    // Code 1 with a widest character of 12: a 12-pixel column.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x40, "1. aaaa bbbb cccc dddd")), 0);
    ExpectLines({{2, 9, 12, 68}, {15, 9, 12, 68}});
    EXPECT_EQ(Line(0).labelWidth, 12);
    EXPECT_EQ(Line(1).labelWidth, 0);
    // Codes 2 and 3: (3 x 12) / 2 and (4 x 12) / 2.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x80, "1. a").Text(0x21, 0xC3, "2. a")), 0);
    EXPECT_EQ(Line(0).labelWidth, 18);
    EXPECT_EQ(Line(1).labelWidth, 24);
    EXPECT_EQ(Line(1).x, 100 - 3 - 24 - 8);

    // Reading order "ab cccc dddd", stored reversed: the first line is the
    // stored stretch before the label, the second the stored start.
    MakeView(0, 0, 60, 320);
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x40, "dddd cccc ba")), 0);
    ExpectLines({{7, 4, 16, 32}, {2, 4, 16, 32}});
    ASSERT_EQ(Layout(Stream().Text(0x31, 0, "ccc bbb aaa")), 0);
    ExpectLines({{6, 7, 8, 52}, {2, 3, 36, 24}});
}

TEST_F(LayoutTest, ContinuationParagraphsKeepTheRunningIndent) {
    // Indent 5 plus the column; the continuation moves by 8 - 5 and has no
    // label; the next labelled paragraph starts afresh.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x45, "1. aaaa").Text(0x01, 0x48, " bbbb")
                         .Text(0x01, 0x40, "2. cccc")), 0);
    ExpectLines({{2, 4, 17, 32}, {13, 4, 20, 32}, {20, 4, 12, 32}});
    EXPECT_EQ(Line(1).labelWidth, 0);
    // Right to left, from the right edge; the marking space is stored first,
    // so in reading order it ends the line.
    ASSERT_EQ(Layout(Stream().Text(0x31, 0x45, "aaaa .1").Text(0x31, 0x48, " bbbb")), 0);
    ExpectLines({{2, 4, 100 - 17 - 32, 32}, {12, 5, 100 - 20 - 36, 36}});
    // A first record that starts with a space is no continuation.
    ASSERT_EQ(Layout(Stream().Text(0x01, 0x45, " 1. aaaa")), 0);
    ExpectLines({{3, 4, 17, 32}});
}

TEST_F(LayoutTest, AContinuationKeepsItsBlankLineWhenOnlyItsMarkingSpaceOverflows) {
    // Right to left with a 12-pixel label column: the continuation's last
    // word is eleven 8-pixel letters. At 100 pixels the word fills the 88
    // left exactly and the marking space that ends it in reading order does
    // not fit; at 104 both fit; at 60 the word is cut in two.
    const struct {
        int width, lines;
    } cases[] = {{100, 3}, {104, 3}, {60, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        MakeView(0, 0, c.width, 320);
        ASSERT_EQ(Layout(Stream().Text(0x11, 0x40, "bb .1").Text(0x91, 0x40, " aaaaaaaaaaa")
                             .Text(0x01, 0, "x")), 0);
        ASSERT_EQ(view_->lineCount, c.lines);
        EXPECT_NE(Line(c.lines - 2).flags & 0x80, 0) << "the continuation's last line";
        EXPECT_EQ(view_->totalLines, c.lines + 1);
    }
}

TEST_F(LayoutTest, SeparatorsInPixelsAndPercentOfTheWidth) {
    MakeView(0, 0, 240, 320);
    ASSERT_EQ(Layout(Stream().Separator(0x00, 200).Separator(0x20, 100).Separator(0x40, 255)
                         .Separator(0x40, 161).Text(0x05, 0, "a").Separator(0x00, 10)), 0);
    ExpectLines({{2, 0, 0, 192}, {5, 0, 140, 100}, {8, 0, 0, 240}, {11, 0, 118, 4},
                 {14, 1, 0, 10}, {18, 0, 0, 10}});
    // As high as the font before: style 1 at the start, large after "a".
    EXPECT_EQ(Line(0).height, 16);
    EXPECT_EQ(Line(5).height, 20);
    ASSERT_EQ(SetViewSize(view_, 60, 320), 0);
    EXPECT_EQ(Line(0).width, 48);
    EXPECT_EQ(Line(1).width, 60);
    EXPECT_EQ(Line(1).x, 0);
}

TEST_F(LayoutTest, LinkNumbersAndCaptions) {
    ASSERT_EQ(Layout(Stream()
                         .Raw({0x07, 0x01, 0x85, 0x81, 's', 'e', 'e', 0})  // 133, caption at 4
                         .Raw({0x07, 0x01, 0x05, 0x41, 0x42, 0})           // 5, caption "AB" at 3
                         .Raw({0x07, 0x01, 0x80, 0x43, 0x44, 0})           // 0: nothing
                         .Raw({0x07, 0xFF, 0x86, 'x', 0})                  // layout byte ignored
                         .Link(0x00, kBackLink, "c")
                         .Text(0x01, 0, "a")), 0);
    // Small type (normal advance 6), no indent, no label.
    ExpectLines({{4, 3, 0, 18}, {11, 2, 0, 12}, {23, 1, 0, 6}, {29, 1, 0, 6}, {33, 1, 0, 8}});
    const int numbers[] = {133, 5, 6, kBackLink, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Line(i).linkNumber, numbers[i]);
    EXPECT_EQ(Line(0).height, 12);
    EXPECT_EQ(Line(0).flags, 0x07);
    EXPECT_EQ(Line(4).height, 16);  // the text after selects its own font
    // A long caption breaks like text, every line carrying the number.
    MakeView(0, 0, 40, 320);
    ASSERT_EQ(Layout(Stream().Link(0x20, 9, "aaa bbb ccc")), 0);
    ExpectLines({{3, 7, 1, 39}, {11, 3, 40 - 18, 18}});
    EXPECT_EQ(Line(1).linkNumber, 9);
}

TEST_F(LayoutTest, BlankLinesFollowRecordsButNotTheLastOne) {
    const std::string three = "aaaa bbbb cccc dddd eeee ffff";
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, three)), 0);
    EXPECT_EQ(view_->lineCount, 3);
    EXPECT_EQ(view_->totalLines, 3);
    EXPECT_EQ(Line(2).flags, 0x01);
    ASSERT_EQ(Layout(Stream().Text(0x81, 0, three).Separator(0x80, 5).Text(0x01, 0, "x")), 0);
    EXPECT_EQ(view_->totalLines, 7);
    const int flags[] = {0x01, 0x01, 0x81, 0x87, 0x01};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Line(i).flags, flags[i]) << i;
    // Flag byte 0x80 without its bit 7 would read as the terminator.
    ASSERT_EQ(Layout(Stream().Text(0x80, 0, three).Text(0x80, 0, "x")), 0);
    EXPECT_EQ(view_->lineCount, 4);
    for (int i = 0; i < 4; ++i) EXPECT_NE(Line(i).flags, 0) << i;
}

TEST_F(LayoutTest, EmptyRecordsAndRejectedStreams) {
    ASSERT_EQ(Layout(Stream().Empty().Text(0x01, 0, "a").Text(0x81, 0, "").Text(0x01, 0, "b")), 0);
    ExpectLines({{5, 1, 0, 8}, {12, 1, 0, 8}});
    EXPECT_EQ(view_->totalLines, 2);
    const std::uint8_t* held = view_->text;
    view_->highlightEnd = 4;

    // An empty first text, a zero first byte, no bytes: the view keeps its
    // text and lines, but not its totals nor the highlight.
    EXPECT_EQ(Layout(Stream().Text(0x01, 0, "").Text(0x01, 0, "a")), -4);
    std::uint8_t zero[] = {0, 1, 'a', 0, 0};
    EXPECT_EQ(LayoutArticle(view_, zero, 1, sizeof zero), -4);
    EXPECT_EQ(LayoutArticle(view_, zero + 1, 1, 0), -4);
    EXPECT_EQ(view_->text, held);
    EXPECT_EQ(view_->lineCount, 2);
    EXPECT_EQ(view_->totalLines, 0);
    EXPECT_EQ(view_->highlightEnd, 0);

    EXPECT_EQ(LayoutArticle(view_, nullptr, 0, 0), 2);
    EXPECT_EQ(view_->text, held);
    EXPECT_EQ(LayoutArticle(view_, nullptr, 1, 0), 2);
    EXPECT_EQ(view_->text, nullptr);
    EXPECT_EQ(LayoutArticle(nullptr, nullptr, 1, 0), -1);
}

TEST_F(LayoutTest, MaxTopLineCountsBlankLinesOfTheLastPage) {
    // Six 10-pixel lines, then 30 (with its blank line), 20 and 20.
    DisplayLine* lines = view_->lines;
    for (int i = 0; i < 6; ++i) lines[i] = DisplayLine{0, 0, 0, 0, 0, 10, 0, 0x01};
    lines[6] = DisplayLine{0, 0, 0, 0, 0, 30, 0, 0x81};
    lines[7] = lines[8] = DisplayLine{0, 0, 0, 0, 0, 20, 0, 0x01};
    lines[9] = DisplayLine{};
    view_->lineCount = 9;
    view_->totalLines = 10;
    view_->box.height = 100;
    EXPECT_EQ(ComputeMaxTopLine(view_), 6);
    // The blank line overshoots by 10: the last page starts with it.
    view_->box.height = 90;
    EXPECT_EQ(ComputeMaxTopLine(view_), 7);
    EXPECT_EQ(view_->maxTopLine, 7);
    view_->box.height = 1000;
    EXPECT_EQ(ComputeMaxTopLine(view_), 0);
    view_->totalLines = 0;
    EXPECT_EQ(ComputeMaxTopLine(view_), -1);
}

TEST_F(LayoutTest, TheTableGrowsAndTheTopLineIsTheCallers) {
    Stream stream;
    for (int i = 0; i < 300; ++i) stream.Text(0x01, 0, "a");
    DestroyArticleView(view_, 1);
    view_ = CreateArticleView(dc_, nullptr, &AppState.Font, 0);
    view_->box = ViewBox{0, 0, 100, 100};
    view_->topLine = 5;
    ASSERT_EQ(Layout(stream), 0);
    EXPECT_EQ(view_->lineCount, 300);
    EXPECT_EQ(Line(299).textOffset, 2 + 299 * 4);
    EXPECT_EQ(view_->maxTopLine, 300 - 6);
    EXPECT_EQ(view_->topLine, 5);
}

TEST_F(LayoutTest, StyleFontsAndTheirColours) {
    auto described = [&](int key) {
        SelectStyleFont(view_, key);
        plat::Font font = plat::SelectFont(dc_, nullptr);
        plat::LogFont description;
        plat::GetFontDescription(font, &description);
        plat::SelectFont(dc_, font);
        return description;
    };
    EXPECT_EQ(described(0x01).height, 16);
    EXPECT_EQ(described(0x04).height, 20);
    EXPECT_EQ(described(0x02).height, 12);
    EXPECT_EQ(described(0x06).height, 20);  // large wins
    EXPECT_EQ(described(0x09).weight, 700);
    EXPECT_EQ(described(0x11).weight, 400);
    // Same key, same font; bit 0 makes a separate one.
    SelectStyleFont(view_, 0x03);
    const plat::Font font3 = SelectStyleFont(view_, 0x02);
    EXPECT_NE(SelectStyleFont(view_, 0x03), font3);
    EXPECT_EQ(SelectStyleFont(view_, 0x03), font3);
    // Colours only with option 0x100.
    const std::pair<int, plat::Colour> colours[] = {
        {0x12C, 0x00FF0000}, {0x104, 0}, {0x10A, 0x00800000}, {0x001, 0x00800000}};
    for (const auto& [key, colour] : colours) {
        SelectStyleFont(view_, key);
        EXPECT_EQ(plat::GetTextColor(dc_), colour) << key;
    }
    // Without a size: large 20, small 14; the face comes along.
    FontDescription unsized = AppState.Font;
    unsized.FontSize = 0;
    unsized.FontName[0] = u'D';
    ASSERT_EQ(ApplyFont(view_, &unsized), 1);  // nothing to lay out
    EXPECT_EQ(described(0x05).height, 20);
    EXPECT_EQ(described(0x03).height, 14);
    EXPECT_EQ(described(0x01).height, 0);
    EXPECT_EQ(std::u16string(described(0x01).faceName), u"D");
    // Deleting the fonts leaves none of them selected.
    SelectStyleFont(view_, 0x05);
    ApplyFont(view_, nullptr);
    DrawTextRun(dc_, reinterpret_cast<const std::uint8_t*>("a"), 1, 0, 0, 10, 10);
    EXPECT_EQ(TextOps().at(0).font.height, 0);
}

TEST_F(LayoutTest, NewFontOrSizeLaysTheTextOutAgain) {
    ASSERT_EQ(Layout(Stream().Text(0x01, 0, "aaaa bbbb cccc")), 0);
    view_->topLine = 1;
    FontDescription smaller = AppState.Font;
    smaller.FontSize = 8;  // advances 4, spaces 2
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ApplyFont(view_, &smaller), 0);
    EXPECT_EQ(view_->lineCount, 1);
    EXPECT_EQ(Line(0).height, 8);
    EXPECT_EQ(view_->topLine, 1);
    EXPECT_FALSE(Ops(plat::headless::DrawOp::Fill).empty());  // painted with erase

    EXPECT_EQ(SetViewSize(view_, 0, 10), -5);
    EXPECT_EQ(SetViewSize(view_, 10, -1), -5);
    ASSERT_EQ(SetViewSize(view_, 20, 50), 0);
    EXPECT_EQ(view_->lineCount, 3);
}

}  // namespace
