// Layout, painting, scrolling and hit-testing of the index view on the
// headless metrics (view box 100 x 320 at the origin unless a test says).
#include "index_test_support.h"
#include "view/view_test_support.h"

namespace {

using indextest::Article;
using indextest::IndexStream;
using indextest::kClosed;
using indextest::kHidden;
using indextest::kOpen;
using indextest::kShown;
using indextest::Section;
using indextest::Stored;

using IndexLayout = indextest::IndexViewTest;

struct ExpectedLine {
    std::string reading;  // the line's text in reading order
    int width;
    int x;
};
struct LayoutCase {
    const char* name;
    int level;
    std::string reading;
    std::vector<ExpectedLine> lines;
};

TEST_F(IndexLayout, BreaksRecordsIntoRightAlignedLines) {
    const LayoutCase cases[] = {
        // Level 1: 13 pixels of indent leave 87.
        {"spaces read last stay on the line, no line of their own", 1, "xxxxxxxxxx  ",
         {{"xxxxxxxxxx ", 84, 3}}},
        {"spaces read first start no line", 1, "  ab", {{"ab", 16, 71}}},
        {"a break falls between words", 1, "aaaa bbbb cccc",
         {{"aaaa bbbb", 68, 19}, {"cccc", 32, 55}}},
        {"an over-long word is cut where the width ends", 1, "mmmmmmmmmm",
         {{"mmmmmmm", 84, 3}, {"mmm", 36, 51}}},
        {"an indent that reaches the width becomes 0", 8, "ab", {{"ab", 16, 84}}},
        {"level 0 has no indent", 0, "ab", {{"ab", 16, 84}}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Layout(IndexStream().Record(Article(3), kShown, std::uint8_t(c.level), c.reading)), 0);
        ASSERT_EQ(view_->lineCount, c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(LineText(int(i)), Stored(c.lines[i].reading));
            EXPECT_EQ(Line(int(i)).textWidth, c.lines[i].width);
            EXPECT_EQ(Line(int(i)).x, c.lines[i].x);
            EXPECT_EQ(Line(int(i)).height, 16);
            EXPECT_EQ(Line(int(i)).id, Article(3));
        }
        EXPECT_EQ(view_->visibleCount, c.lines.size());
        EXPECT_EQ(Line(view_->lineCount).flags, 0);  // the zero line
    }
}

TEST_F(IndexLayout, ACharacterWiderThanTheBoxStillMovesTheLayoutOn) {
    MakeView(10, 320);
    ASSERT_EQ(Layout(IndexStream().Record(Article(3), kShown, 0, "mmm")), 0);
    ASSERT_EQ(view_->lineCount, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Line(i).charCount, 1);
}

TEST_F(IndexLayout, StylesGiveTheirFontsAndTheTableGrows) {
    IndexStream stream;
    stream.Record(Section(1), kVisibleBit | kExpandedBit | 0x0D, 1, "ab");
    for (int i = 0; i < 200; ++i) stream.Record(Article(1 + i % 262), kShown, 2, "ab");
    ASSERT_EQ(Layout(stream), 0);
    EXPECT_EQ(view_->lineCount, 201);
    EXPECT_GE(view_->capacity, 201);
    EXPECT_EQ(Line(0).height, 20);
    EXPECT_EQ(Line(0).textWidth, 2 * (20 / 2 + 1));  // large bold
    EXPECT_EQ(Line(1).height, 16);
    EXPECT_EQ(view_->maxTopLine, 201 - 20);  // the last 20 lines of 16 fill 320

    plat::headless::ClearDrawLog();
    ASSERT_EQ(PaintIndexView(view_, 0), 0);
    const auto texts = Ops(plat::headless::DrawOp::Text);
    ASSERT_EQ(texts.size(), 19u);
    EXPECT_EQ(texts[0].font.height, 20);
    EXPECT_EQ(texts[0].font.weight, FW_BOLD);
    EXPECT_EQ(texts[0].textColour, kIndexHeadingColour);
    EXPECT_EQ(texts[1].font.weight, FW_NORMAL);
    EXPECT_EQ(texts[1].textColour, kIndexTextColour);
}

TEST_F(IndexLayout, BadStreamsAreRefusedAndNothingIsReadPastTheirEnd) {
    EXPECT_EQ(Layout(IndexStream()), -4);  // the terminator first
    EXPECT_EQ(Layout(IndexStream().Record(Article(3), kShown, 1, "")), -4);
    EXPECT_EQ(LayoutIndex(nullptr, nullptr, 0), -1);

    // A stream cut inside its second record, without NUL or terminator.
    std::vector<std::uint8_t> bytes = IndexStream().Record(Article(3), kShown, 1, "ab").Bytes();
    bytes.resize(bytes.size() - 5);
    const std::vector<std::uint8_t> second = {0x04, 0x40, kShown, 1, 'c', 'd'};
    bytes.insert(bytes.end(), second.begin(), second.end());
    viewtest::Guarded guarded(bytes);
    ASSERT_EQ(LayoutIndex(view_, guarded.data(), 0, std::uint32_t(bytes.size())), 0);
    EXPECT_EQ(view_->lineCount, 1);
    view_->data = nullptr;  // the guarded bytes are not the view's to free

    ASSERT_EQ(Layout(IndexStream().Record(Article(3), kShown, 1, "ab")), 0);
    EXPECT_EQ(LayoutIndex(view_, nullptr, 1), 2);
    EXPECT_EQ(view_->data, nullptr);
    EXPECT_EQ(PaintIndexView(view_, 1), -1);
    EXPECT_EQ(HitTestIndex(view_, 50, 5), 0);
}

TEST_F(IndexLayout, RunningOutOfMemoryStopsTheLayout) {
    IndexStream stream;
    for (int i = 0; i < 300; ++i) stream.Record(Article(1 + i % 262), kShown, 2, "ab");
    plat::testing::FailAllocationsAfter(20);
    EXPECT_EQ(Layout(stream), -2);
    plat::testing::ResetAllocationFailure();
    EXPECT_LE(view_->lineCount, view_->capacity);
    EXPECT_EQ(Line(view_->lineCount).id, 0);
}

using IndexPaint = indextest::IndexViewTest;

// 30 one-line entries of 16 pixels in a box 100 high: 6 fit.
IndexStream ThirtyEntries() {
    IndexStream stream;
    for (int i = 1; i <= 30; ++i) stream.Record(Article(i), kShown, 1, "ab");
    return stream;
}

TEST_F(IndexPaint, ScrollsByWholeLinesBetweenTheEnds) {
    MakeView(100, 100);
    ASSERT_EQ(Layout(ThirtyEntries()), 0);
    EXPECT_EQ(view_->maxTopLine, 24);
    plat::headless::ClearDrawLog();
    EXPECT_EQ(ScrollIndexView(view_, -5), 1);
    EXPECT_TRUE(plat::headless::DrawLog().empty());
    EXPECT_EQ(ScrollIndexView(view_, 100), 0);
    EXPECT_EQ(view_->topLine, 24);
    EXPECT_EQ(view_->paintedCount, 6);
    EXPECT_EQ(ScrollIndexView(view_, 1), 1);
    EXPECT_EQ(ScrollIndexView(view_, -30), 0);
    EXPECT_EQ(view_->topLine, 0);

    view_->topLine = 31;  // past every line: back to the last page
    PaintIndexView(view_, 0);
    EXPECT_EQ(view_->topLine, 24);
    view_->topLine = 27;  // only past the last page: drawn from there
    PaintIndexView(view_, 0);
    EXPECT_EQ(view_->topLine, 27);
    EXPECT_EQ(view_->paintedCount, 3);
}

TEST_F(IndexPaint, DrawsEachEntryWithItsMarkAndOnlyWholeLines) {
    MakeView(100, 60);
    ASSERT_EQ(Layout(IndexStream()
                         .Record(Section(1), kOpen, 1, "aaaa bbbb cccc")
                         .Record(Article(4), kShown, 2, "ab")
                         .Record(Section(2), kClosed, 2, "ab")
                         .Record(Article(5), kHidden, 3, "ab")),
              0);
    plat::headless::ClearDrawLog();
    ASSERT_EQ(PaintIndexView(view_, 1), 0);
    const auto fills = Ops(plat::headless::DrawOp::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect.bottom, 60);
    // Three lines of 16 fit in 60; the heading takes two of them.
    EXPECT_EQ(view_->paintedCount, 3);
    const auto marks = Ops(plat::headless::DrawOp::Blit);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].bitmapId, kBitmapSectionOpen);
    EXPECT_EQ(marks[0].rect.left, Line(0).x + Line(0).textWidth + 4);
    EXPECT_EQ(marks[0].rect.right, 100);  // level 1: the mark ends at the box's edge
    EXPECT_EQ(marks[0].rect.top, 3);
    EXPECT_EQ(marks[1].bitmapId, kBitmapArticle);
    EXPECT_EQ(marks[1].rect.top, 32 + 3);

    ToggleIndexEntry(view_, 3);  // the closed heading opens: its mark follows
    plat::headless::ClearDrawLog();
    view_->topLine = 2;
    PaintIndexView(view_, 0);
    ASSERT_FALSE(Ops(plat::headless::DrawOp::Blit).empty());
    EXPECT_EQ(Ops(plat::headless::DrawOp::Blit)[1].bitmapId, kBitmapSectionOpen);
}

TEST_F(IndexPaint, AHiddenLineTallerThanTheRoomLeftEndsTheWalks) {
    const std::uint8_t hiddenLarge = 0x0D;  // 20 high
    MakeView(100, 50);
    ASSERT_EQ(Layout(IndexStream()
                         .Record(Article(1), kShown, 1, "ab")
                         .Record(Article(2), kShown, 1, "ab")
                         .Record(Section(3), hiddenLarge, 1, "ab")
                         .Record(Article(4), kShown, 1, "ab")),
              0);
    PaintIndexView(view_, 0);
    EXPECT_EQ(view_->paintedCount, 2);  // 18 pixels left, the hidden line needs 20
    EXPECT_EQ(HitTestIndex(view_, 90, 45), kIndexMissHit);
    EXPECT_EQ(view_->maxTopLine, 0);

    MakeView(100, 18);
    ASSERT_EQ(Layout(IndexStream()
                         .Record(Article(1), kShown, 1, "ab")
                         .Record(Section(3), hiddenLarge, 1, "ab")),
              0);
    EXPECT_EQ(view_->maxTopLine, 1);  // the hidden 20 ends the walk at once
    EXPECT_EQ(ComputeIndexMaxTop(nullptr), -1);
}

using IndexHit = indextest::IndexViewTest;

// Heading at level 2 (text 42..74, mark to 87), articles at level 3.
IndexStream HitStream() {
    return IndexStream()
        .Record(Section(1), kOpen, 2, "head")
        .Record(Article(5), kShown, 3, "five")
        .Record(Article(6), kShown, 3, "six")
        .Record(Section(2), kClosed, 2, "next")
        .Record(Article(7), kHidden, 3, "seven");
}

TEST_F(IndexHit, TapsInEachBand) {
    struct Tap {
        const char* name;
        int x, y;
        std::int32_t result;
    };
    const Tap taps[] = {
        {"on a heading's text", 50, 8, -1},
        {"on a heading's mark", 80, 8, -1},
        {"right of a heading's mark", 95, 8, -1},
        {"on the box's right edge", 100, 8, -1},
        {"left of a heading's text", 10, 8, 0},
        {"on the bottom edge of the first line", 50, 16, -1},
        {"on an article's text", 40, 24, 5},
        {"on an article's mark", 70, 24, 5},
        {"right of an article's mark", 80, 24, 0},
        {"below the last line", 40, 100, kIndexMissHit},
        {"right of the box", 101, 8, 0},
        {"above the box", 50, -1, 0},
    };
    for (const Tap& tap : taps) {
        SCOPED_TRACE(tap.name);
        ASSERT_EQ(Layout(HitStream()), 0);
        EXPECT_EQ(HitTestIndex(view_, tap.x, tap.y), tap.result);
        EXPECT_EQ(view_->visibleCount, tap.result == -1 ? 2 : 4);
    }
}

TEST_F(IndexHit, ALineThatIsNeitherHeadingNorArticleDoesNothing) {
    ASSERT_EQ(Layout(IndexStream()
                         .Record(0x0009, kShown, 1, "note")
                         .Record(Article(5), kShown, 1, "five")),
              0);
    EXPECT_EQ(HitTestIndex(view_, 90, 8), 0);
    EXPECT_EQ(HitTestIndex(view_, 90, 8), 0);
    EXPECT_EQ(view_->visibleCount, 2);
}

}  // namespace
