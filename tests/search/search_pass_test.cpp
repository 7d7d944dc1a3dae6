// Whole passes of SearchAgain over a hand-made book: the order of lessons,
// the wrap, the shown article last, searching on after a hit, "Not Found!",
// the highlight and the title banner.
#include <algorithm>

#include "search/search.h"
#include "search_support.h"

namespace {

using plat::headless::DrawOp;
using searchtest::SearchFixture;
using viewtest::Stream;

// A lesson with a title, a subtitle and one paragraph.
Stream Lesson(const std::string& body) {
    return Stream().Text(0xDC, 0, "ttl").Text(0xD1, 0, "sub").Text(0x10, 0, body);
}

class SearchPass : public SearchFixture {
protected:
    std::vector<DrawOp> Ops(DrawOp::Kind kind) const {
        std::vector<DrawOp> out;
        for (const DrawOp& op : plat::headless::DrawLog()) {
            if (op.kind == kind) out.push_back(op);
        }
        return out;
    }
};

TEST_F(SearchPass, GoesThroughTheLaterLessonsWrapsAndComesBackToTheShownOne) {
    std::map<int, Stream> book;
    for (int n : {1, 3, 5, 7, 262}) book[n] = Lesson("lesson");
    book[3] = Lesson("aa qz bb");
    book[7] = Lesson("cc qz dd");
    UseBook(book);
    Show(5);
    AppState.PreviousLesson = 9;
    AppState.PreviousPosition = 4;
    AppState.Flags = 0;
    SetPattern("qz");

    const LessonNumber expected[] = {7, 3, 7};
    for (LessonNumber lesson : expected) {
        ASSERT_EQ(SearchAgain(window_), 1);
        EXPECT_EQ(AppState.Lesson, lesson);
        EXPECT_NE(AppState.Flags & AppFlags::LessonPinned, 0u);
        // "qz" sits at offsets 17..18, in the paragraph after title and subtitle.
        EXPECT_EQ(View()->highlightStart, 17);
        EXPECT_EQ(View()->highlightEnd, 19);
    }
    // The back link still leads where it led before.
    EXPECT_EQ(AppState.PreviousLesson, 9);
    EXPECT_EQ(AppState.PreviousPosition, 4);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(SearchPass, TheLastLessonWrapsToTheFirst) {
    UseBook({{1, Lesson("xyz")}, {131, Lesson("abc")}, {262, Lesson("abc")}});
    Show(262);
    SetPattern("y");
    ASSERT_EQ(SearchAgain(window_), 1);
    EXPECT_EQ(AppState.Lesson, 1);
}

TEST_F(SearchPass, EarlierTextOfTheShownArticleIsFoundLast) {
    // The pattern is in the first paragraph only; the page starts below it.
    Stream stream = Lesson("zq");
    for (int i = 0; i < 40; ++i) stream.Text(0x10, 0, "filler line");
    UseBook({{5, stream}, {6, Lesson("nothing")}});
    Show(5);
    ASSERT_GT(View()->maxTopLine, 10);
    View()->topLine = 10;
    SetPattern("zq");
    ASSERT_EQ(SearchAgain(window_), 1);
    EXPECT_EQ(AppState.Lesson, 5);
    EXPECT_EQ(View()->highlightStart, 14);
    EXPECT_EQ(View()->highlightEnd, 16);
    // Title and subtitle, each with a blank line after it, then the hit's line.
    EXPECT_EQ(View()->topLine, 4);
}

TEST_F(SearchPass, SearchingAgainMovesOnFromTheLastHit) {
    // Two hits in one line, then one in the next paragraph. The article fits
    // on one page, so the hit's line never comes to the top; a hit at the
    // first byte of its record still lets the search move on to the next.
    UseBook({{5, Lesson("ab ab").Text(0x10, 0, "cab")}});
    Show(5);
    SetPattern("ab");
    // Records: title at 0, subtitle at 6, "ab ab" at 12 (text 14..18),
    // "cab" at 20 (text 22..24).
    const int expectedStarts[] = {17, 14, 23, 17};
    for (int start : expectedStarts) {
        ASSERT_EQ(SearchAgain(window_), 1);
        EXPECT_EQ(View()->highlightStart, start);
        EXPECT_EQ(View()->highlightEnd, start + 2);
    }
}

TEST_F(SearchPass, NothingFoundShowsTheMessageAndChangesNothing) {
    UseBook({{2, Lesson("abc")}, {5, Lesson("def")}});
    Show(5);
    View()->highlightStart = 14;
    View()->highlightEnd = 15;
    SetPattern("xyz");
    EXPECT_EQ(SearchAgain(window_), 0);
    ASSERT_EQ(plat::headless::MessageBoxes().size(), 1u);
    const auto& box = plat::headless::MessageBoxes()[0];
    EXPECT_EQ(box.text, u"Not Found!");
    EXPECT_EQ(box.caption, u"Tovanel");
    EXPECT_EQ(box.owner, window_);
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(AppState.Lesson, 5);
    EXPECT_EQ(View()->highlightStart, 14);
    EXPECT_EQ(View()->highlightEnd, 15);

    // An empty pattern searches nothing and says nothing.
    plat::headless::ClearMessageBoxes();
    SetPattern("");
    EXPECT_EQ(SearchAgain(window_), 0);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(SearchPass, AHitDrawsTheHighlightAndTheTitleBanner) {
    UseBook({{5, Lesson("xy")}, {8, Lesson("ab qz")}});
    Show(5);
    SetPattern("qz");
    plat::headless::ClearDrawLog();
    ASSERT_EQ(SearchAgain(window_), 1);

    // The frame: red, red, white, blue, blue, each one pixel inside the last.
    const std::vector<DrawOp> frames = Ops(DrawOp::Rectangle);
    ASSERT_EQ(frames.size(), 5u);
    const plat::Colour colours[] = {0x0000FF, 0x0000FF, 0xFFFFFF, 0xFF0000, 0xFF0000};
    // Banner font 12 high (three quarters of 16): two lines, W = 3 x 6
    // (widest text) + 2 x 12 + 8 = 50 centred in 240: left 95; bottom 318.
    for (int i = 0; i < 5; ++i) {
        const DrawOp& frame = frames[std::size_t(i)];
        EXPECT_EQ(frame.penColour, colours[i]) << i;
        EXPECT_EQ(frame.rect.left, 95 + i);
        EXPECT_EQ(frame.rect.right, 145 - i);
        EXPECT_EQ(frame.rect.bottom, 318 - i);
        EXPECT_EQ(frame.rect.top, 320 - 2 * 12 - 12 + i);
        EXPECT_EQ(frame.brush, NULL_BRUSH);
    }
    const DrawOp fill = Ops(DrawOp::Fill).back();
    EXPECT_EQ(fill.brushColour, 0x00FFFFu);
    EXPECT_EQ(fill.rect.left, 100);
    EXPECT_EQ(fill.rect.top, 289);

    // The highlight first, then the title and the subtitle, red on yellow.
    std::vector<DrawOp> texts = Ops(DrawOp::Text);
    ASSERT_GE(texts.size(), 3u);
    const DrawOp& subtitle = texts.back();
    const DrawOp& title = texts[texts.size() - 2];
    const DrawOp& hit = texts[texts.size() - 3];
    EXPECT_EQ(hit.text, u"\u05E0\u05E9");
    EXPECT_EQ(hit.textColour, 0xFF0000u);
    EXPECT_EQ(hit.backColour, 0x00FFFFu);
    EXPECT_EQ(title.text, u"\u05E3\u05E3\u05DB");
    EXPECT_EQ(subtitle.text, u"\u05E2\u05E4\u05D1");
    for (const DrawOp* op : {&title, &subtitle}) {
        EXPECT_EQ(op->textColour, 0x0000FFu);
        EXPECT_EQ(op->backColour, 0x00FFFFu);
        EXPECT_EQ(op->font.height, 12);
    }
    EXPECT_EQ(title.rect.top, 289);
    EXPECT_EQ(subtitle.rect.top, 301);
    EXPECT_EQ(title.rect.left, 100 + (40 - title.rect.right + title.rect.left) / 2);
    EXPECT_EQ(TextBuffer.letterBase, kLatinLetterBase);
}

TEST_F(SearchPass, AnArticleWithoutTitleShowsNoBanner) {
    UseBook({{5, Stream().Text(0x10, 0, "abc")}});
    Show(5);
    SetPattern("b");
    plat::headless::ClearDrawLog();
    ASSERT_EQ(SearchAgain(window_), 1);
    EXPECT_TRUE(Ops(DrawOp::Rectangle).empty());
}

}  // namespace
