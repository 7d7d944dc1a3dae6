// The text at the top of the page is found again after the view is laid
// out at another width.
#include "view_test_support.h"

namespace {

using viewtest::Stream;

class AnchorTest : public viewtest::ViewTest {
protected:
    // The entry shown at a display line, and whether that line is the blank
    // line after it.
    const DisplayLine* EntryAt(int displayLine, bool* blank) const {
        int count = 0;
        for (const DisplayLine* line = view_->lines; line->flags != 0; ++line) {
            const int lines = (line->flags & 0x80) != 0 ? 2 : 1;
            if (displayLine < count + lines) {
                *blank = displayLine > count;
                return line;
            }
            count += lines;
        }
        return nullptr;
    }
    static bool Holds(const DisplayLine& line, int offset) {
        return line.textOffset <= offset && offset < line.textOffset + line.charCount;
    }
};

TEST_F(AnchorTest, TheTopLineKeepsItsTextAtEveryWidth) {
    // Two paragraphs of distinct words, one each way, with a blank line
    // after the first.
    const Stream stream = Stream()
        .Text(0x81, 0, "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll")
        .Text(0x11, 0, "mmmm nnnn oooo pppp qqqq rrrr ssss tttt uuuu vvvv wwww xxxx");
    for (int width : {60, 100, 140}) {
        MakeView(0, 0, width, 320);
        ASSERT_EQ(Layout(stream), 0);
        for (int top = 0; top < view_->totalLines; ++top) {
            view_->topLine = std::uint16_t(top);
            bool blank = false;
            const DisplayLine* before = EntryAt(top, &blank);
            ASSERT_NE(before, nullptr);
            const TextAnchor anchor = TopTextAnchor(view_);
            ASSERT_TRUE(anchor.valid);
            for (int other : {52, 76, 100, 180}) {
                SCOPED_TRACE(testing::Message() << width << " to " << other << ", top " << top);
                ASSERT_EQ(SetViewSize(view_, other, 320), 0);
                const int found = TopLineForAnchor(view_, anchor);
                ASSERT_GE(found, 0);
                bool blankNow = false;
                const DisplayLine* now = EntryAt(found, &blankNow);
                ASSERT_NE(now, nullptr);
                if (blank) {
                    // The blank line after the first paragraph stays on top.
                    EXPECT_TRUE(blankNow);
                    EXPECT_EQ(now->flags & 0x10, 0);
                } else {
                    EXPECT_FALSE(blankNow);
                    EXPECT_TRUE(Holds(*now, anchor.offset))
                        << "offset " << anchor.offset << " on " << now->textOffset << "+"
                        << now->charCount;
                }
                ASSERT_EQ(SetViewSize(view_, width, 320), 0);
            }
        }
        // Past the text there is nothing to keep.
        view_->topLine = view_->totalLines;
        EXPECT_FALSE(TopTextAnchor(view_).valid);
    }
}

}  // namespace
