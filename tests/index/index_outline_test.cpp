// Opening and closing sections, revealing a lesson and keeping the open
// sections across a new layout.
#include "index_test_support.h"

namespace {

using indextest::Article;
using indextest::IndexStream;
using indextest::kClosed;
using indextest::kHidden;
using indextest::kOpen;
using indextest::kShown;
using indextest::Section;

using IndexOutline = indextest::IndexViewTest;

// Lines: 0 A, 1 B, 2 b1, 3 a1, 4 C, 5 c1 (hidden), 6 D, 7 d1 (hidden).
IndexStream Nested() {
    return IndexStream()
        .Record(Section(1), kOpen, 1, "a")
        .Record(Section(2), kOpen, 2, "b")
        .Record(Article(10), kShown, 3, "x")
        .Record(Article(11), kShown, 2, "y")
        .Record(Section(3), kClosed, 2, "c")
        .Record(Article(12), kHidden, 3, "z")
        .Record(Section(4), kClosed, 1, "d")
        .Record(Article(13), kHidden, 2, "w");
}

std::string Shown(const IndexView* view) {
    std::string out;
    for (int i = 0; i < view->lineCount; ++i) out += IsVisibleLine(view->lines[i]) ? '1' : '0';
    return out;
}

TEST_F(IndexOutline, ClosingHidesTheSubtreeOpeningShowsTheFirstLevel) {
    ASSERT_EQ(Layout(Nested()), 0);
    EXPECT_EQ(Shown(view_), "11111010");
    EXPECT_EQ(ToggleIndexEntry(view_, 0), -1);
    EXPECT_EQ(Shown(view_), "10000010");
    EXPECT_EQ(Line(0).flags & kExpandedBit, 0);
    EXPECT_EQ(ToggleIndexEntry(view_, 0), -1);
    EXPECT_EQ(Shown(view_), "11011010");  // b1 keeps the state it had
    EXPECT_EQ(ToggleIndexEntry(view_, 4), -3);
    EXPECT_EQ(Shown(view_), "11011110");
    EXPECT_EQ(ToggleIndexEntry(view_, 6), -4);  // the last section, up to the table's end
    EXPECT_EQ(Shown(view_), "11011111");
    EXPECT_EQ(view_->visibleCount, 7);
}

TEST_F(IndexOutline, AHeadingOnSeveralLinesKeepsItsOwnLines) {
    ASSERT_EQ(Layout(IndexStream()
                         .Record(Section(1), kOpen, 1, "aaaa bbbb cccc")
                         .Record(Article(4), kShown, 2, "ab")
                         .Record(Article(5), kShown, 1, "ab")),
              0);
    ASSERT_EQ(view_->lineCount, 4);
    EXPECT_EQ(HitTestIndex(view_, 50, 8), -1);
    EXPECT_EQ(Shown(view_), "1101");
    EXPECT_EQ(view_->visibleCount, 3);
    // The heading's second line opens it again; both lines agree on the state.
    EXPECT_EQ(HitTestIndex(view_, 90, 24), -1);
    EXPECT_EQ(Shown(view_), "1111");
    EXPECT_EQ(Line(0).flags & kExpandedBit, kExpandedBit);
    EXPECT_EQ(Line(1).flags & kExpandedBit, kExpandedBit);
}

TEST_F(IndexOutline, ClosingASectionBringsTheLastPageUp) {
    IndexStream stream;
    stream.Record(Section(1), kOpen, 1, "ab");
    for (int i = 1; i <= 40; ++i) stream.Record(Article(i), kShown, 2, "ab");
    ASSERT_EQ(Layout(stream), 0);
    EXPECT_EQ(view_->maxTopLine, 41 - 20);
    ToggleIndexEntry(view_, 0);
    EXPECT_EQ(view_->visibleCount, 1);
    EXPECT_EQ(view_->maxTopLine, 0);
}

TEST_F(IndexOutline, RevealOpensThePathToALesson) {
    ASSERT_EQ(Layout(Nested()), 0);
    ToggleIndexEntry(view_, 0);  // everything under A hidden
    RevealLesson(view_, 10);
    // b1 and the entry after it (a1), and B above them, shown closed.
    EXPECT_EQ(Shown(view_), "11110010");
    EXPECT_EQ(Line(1).flags & kExpandedBit, 0);
    EXPECT_EQ(view_->visibleCount, 5);

    ASSERT_EQ(Layout(Nested()), 0);
    RevealLesson(view_, 13);  // the last entry: nothing follows it
    EXPECT_EQ(Shown(view_), "11111011");
    EXPECT_EQ(Line(6).flags & kExpandedBit, 0);  // D was visible: it keeps its state
    RevealLesson(view_, 99);  // not listed
    RevealLesson(view_, 0);
    EXPECT_EQ(view_->visibleCount, 7);
}

TEST_F(IndexOutline, ALessonListedTwiceIsFoundVisibleFirst) {
    ASSERT_EQ(Layout(IndexStream()
                         .Record(Section(0x877), kOpen, 1, "bm")
                         .Record(Article(12), kShown, 2, "z")
                         .Record(Section(3), kClosed, 1, "c")
                         .Record(Article(12), kHidden, 2, "z")),
              0);
    RevealLesson(view_, 12);
    EXPECT_EQ(Shown(view_), "1110");
}

TEST_F(IndexOutline, OpenSectionsSurviveANewLayout) {
    ASSERT_EQ(Layout(Nested()), 0);
    ToggleIndexEntry(view_, 4);  // the reader opens C
    ToggleIndexEntry(view_, 1);  // and closes B, which the data shows open
    EXPECT_EQ(Shown(view_), "11011110");
    std::uint16_t* pairs = SaveExpansion(view_);
    ASSERT_NE(pairs, nullptr);
    ASSERT_EQ(ResizeIndexView(view_, 120, 200), 0);
    EXPECT_EQ(Shown(view_), "11111010");  // as the data says
    EXPECT_EQ(RestoreExpansion(view_, pairs), 0);
    plat::Free(pairs);
    EXPECT_EQ(Shown(view_), "11111110");
    EXPECT_EQ(Line(4).flags & kExpandedBit, kExpandedBit);
    EXPECT_EQ(Line(1).flags & kExpandedBit, kExpandedBit);
    EXPECT_EQ(view_->visibleCount, 7);
    EXPECT_EQ(Line(0).x, 120 - 13 - 8);  // laid out for the new width

    EXPECT_EQ(RestoreExpansion(view_, nullptr), -1);
    const std::uint16_t unknown[] = {Section(9), kExpandedBit, Section(3), 0, 0};
    EXPECT_EQ(RestoreExpansion(view_, unknown), 0);  // an id not in the table ends the walk
    EXPECT_EQ(view_->visibleCount, 7);
}

TEST_F(IndexOutline, NothingToSaveWithoutLines) {
    EXPECT_EQ(SaveExpansion(view_), nullptr);
    EXPECT_EQ(SaveExpansion(nullptr), nullptr);
    ASSERT_EQ(Layout(IndexStream().Record(Article(1), kHidden, 1, "ab")), 0);
    EXPECT_EQ(SaveExpansion(view_), nullptr);
}

}  // namespace
