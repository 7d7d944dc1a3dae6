// Streams that are not what they should be: the view must answer with one of
// its results, never read past the bytes it was given, and stay safe to
// paint, hit-test and scroll afterwards. Streams sit right before an
// unreadable page, so a read past the end faults.
#include <random>

#include "view_test_support.h"

namespace {

using viewtest::Guarded;
using viewtest::Stream;

bool SameLine(const DisplayLine& a, const DisplayLine& b) {
    return a.textOffset == b.textOffset && a.charCount == b.charCount && a.x == b.x &&
           a.labelWidth == b.labelWidth && a.width == b.width && a.height == b.height &&
           a.linkNumber == b.linkNumber && a.flags == b.flags;
}

class BadInputTest : public viewtest::ViewTest {
protected:
    // Lays out bytes the test keeps owning; returns the result.
    int LayoutGuarded(Guarded& bytes, std::size_t size) {
        const int result = LayoutArticle(view_, bytes.data(), 0, std::uint32_t(size));
        EXPECT_TRUE(result == 0 || result == -2 || result == -4) << result;
        return result;
    }

    // Everything a window would do with the view afterwards.
    void Exercise(std::uint32_t seed) {
        std::mt19937 random(seed);
        for (int i = 0; i < 3; ++i) {
            view_->highlightStart = std::uint16_t(random() % 64);
            view_->highlightEnd = std::uint16_t(view_->highlightStart + random() % 64);
            view_->topLine = std::uint16_t(random() % 8);
            view_->viewFlags = std::uint16_t(random() % 2);
            const int painted = PaintArticleView(view_, 1);
            EXPECT_TRUE(painted == 0 || painted == -1);
            for (int y = -4; y < 120; y += 7) {
                for (int x = -12; x < 120; x += 9) {
                    const int link = HitTestLink(view_, x, y);
                    EXPECT_TRUE(link >= 0 && link <= 0x3FFF);
                }
            }
            ScrollArticleView(view_, int(random() % 7) - 3, 1, 1);
            ScrollToTextOffset(view_, int(random() % 80));
        }
    }

    // The lines of a good layout lie inside the bytes read.
    void ExpectLinesInside(std::size_t size) {
        int count = 0;
        for (const DisplayLine* line = view_->lines; line->flags != 0; ++line, ++count) {
            EXPECT_LE(std::size_t(line->textOffset) + line->charCount, size);
        }
        EXPECT_EQ(count, view_->lineCount);
        EXPECT_LE(view_->textLength, size);
    }
};

TEST_F(BadInputTest, RandomBytes) {
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = 1 + random() % 300;
        std::vector<std::uint8_t> bytes(size);
        for (auto& b : bytes) {
            // Mostly letters, spaces and the special bytes the format uses.
            switch (random() % 6) {
                case 0: b = std::uint8_t(random()); break;
                case 1: b = 0; break;
                case 2: b = ' '; break;
                case 3: b = std::uint8_t(0x07 | (random() & 0xF8)); break;
                default: b = std::uint8_t('a' + random() % 27); break;
            }
        }
        bytes[0] = std::uint8_t(random());
        MakeView(int(random() % 5), 0, 1 + int(random() % 120), 1 + int(random() % 100));
        Guarded guarded(bytes);
        if (LayoutGuarded(guarded, size) == 0) {
            ExpectLinesInside(size);
        }
        Exercise(std::uint32_t(round));
        view_->text = nullptr;
    }
}

TEST_F(BadInputTest, StreamsCutShortEndWhereTheirBytesDo) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        int lines;
        int firstCount;
        int link;
    };
    const Case cases[] = {
        {{0x01, 0x00, 'a', 'b'}, 1, 2, 0},                    // no NUL, no end mark
        {{0x01, 0x00, 'a', 0}, 1, 1, 0},                       // no end mark
        {{0x01, 0x40, 'a', 0, 0x11}, 1, 0, 0},                 // a lone flag byte
        {{0x01, 0x40, 'a', 0, 0x11, 0x41}, 1, 0, 0},           // flag and layout byte
        {{0x07, 0x01, 0x85}, 0, 0, 0},                         // link cut in its number
        {{0x07, 0x01, 0x85, 0x81}, 0, 0, 0},                   // number bytes, no caption
        {{0x07, 0x01, 0x85, 0x81, 'x', 'y'}, 1, 2, 133},       // caption without NUL
        {{0x31, 0x40, 'a', ' ', 'b'}, 1, 1, 0},                // labelled, right to left
        {{0x87, 0x05}, 1, 0, 0},                               // separator cut short
        {{0x07, 0x00}, 0, 0, 0},                               // empty record cut short
    };
    for (const Case& c : cases) {
        Guarded guarded(c.bytes);
        ASSERT_EQ(LayoutGuarded(guarded, c.bytes.size()), 0);
        EXPECT_EQ(view_->lineCount, c.lines);
        if (c.lines > 0) {
            EXPECT_EQ(Line(0).charCount, c.firstCount);
            EXPECT_EQ(Line(0).linkNumber, c.link);
        }
        ExpectLinesInside(c.bytes.size());
        Exercise(7);
        view_->text = nullptr;
    }
}

TEST_F(BadInputTest, FlagAndLayoutBytesOfEveryValue) {
    const std::uint8_t layouts[] = {0x00, 0x01, 0x3F, 0x40, 0x7F, 0x80, 0xA0, 0xC8, 0xFF};
    for (int flags = 0; flags <= 0xFF; ++flags) {
        for (std::uint8_t layout : layouts) {
            // As the first record, then after a good paragraph.
            std::vector<std::uint8_t> first = {std::uint8_t(flags), layout, ' ', 'a', '-', 'b',
                                               ' ', 'c', 0, std::uint8_t(flags), layout, 0x81};
            Guarded a(first);
            const int result = LayoutGuarded(a, first.size());
            EXPECT_EQ(result == -4, flags == 0) << flags;
            Exercise(std::uint32_t(flags));
            view_->text = nullptr;

            Stream stream = Stream().Text(0x01, 0x40, "1. x");
            std::vector<std::uint8_t> second = stream.Bytes();
            second.back() = std::uint8_t(flags);
            second.insert(second.end(), {layout, 0x85, 0x81, 'q', ' ', 'r'});
            Guarded b(second);
            ASSERT_EQ(LayoutGuarded(b, second.size()), 0) << flags;
            ExpectLinesInside(second.size());
            Exercise(std::uint32_t(flags + 1));
            view_->text = nullptr;
        }
        // A first text record with no text is refused; a special one is not.
        std::vector<std::uint8_t> empty = {std::uint8_t(flags), 0x40, 0, 0x01, 0, 'a', 0, 0};
        Guarded c(empty);
        const int result = LayoutGuarded(c, empty.size());
        EXPECT_EQ(result, (flags & 7) == 7 ? 0 : -4) << flags;
        view_->text = nullptr;
    }
}

TEST_F(BadInputTest, TooManyLinesOrBytesAreRefusedSafely) {
    // A one-pixel view puts every character on a line of its own.
    MakeView(0, 0, 1, 50);
    const std::string word(40000, 'a');
    std::vector<std::uint8_t> bytes = Stream().Text(0x01, 0, word).Bytes();
    Guarded many(bytes);
    EXPECT_EQ(LayoutGuarded(many, bytes.size()), -2);
    EXPECT_LE(view_->lineCount, 32767);
    Exercise(3);
    view_->text = nullptr;

    // Only the first 65,535 bytes are addressed.
    MakeView(0, 0, 240, 320);
    Stream big;
    while (big.Size() < 70000) big.Text(0x01, 0, "aaaa bbbb");
    bytes = big.Bytes();
    Guarded large(bytes);
    ASSERT_EQ(LayoutGuarded(large, bytes.size()), 0);
    ExpectLinesInside(0xFFFF);
    EXPECT_EQ(view_->lineCount, 65535 / 12 + 1);  // the last record cut after one letter
    Exercise(4);
    view_->text = nullptr;  // the guarded bytes are not the view's to free
}

TEST_F(BadInputTest, OutOfMemoryAtEveryStepLeavesASafeView) {
    Stream stream;
    for (int i = 0; i < 60; ++i) {
        stream.Text(0x31, 0x40, "dddd cccc bbbb ba")
            .Text(0x01, 0x41, "1. one two three four")
            .Link(0x20, std::uint16_t(100 + i), "link caption")
            .Separator(0x80, 170);
    }
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    MakeView(0, 0, 120, 200);
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1, std::uint32_t(bytes.size())), 0);
    const std::vector<DisplayLine> clean(view_->lines, view_->lines + view_->lineCount + 1);
    bool sawFailure = false;
    for (long k = 0; k < 40; ++k) {
        MakeView(0, 0, 120, 200);
        // The view owns what it takes, so hand it an allocated copy.
        std::uint8_t* owned = viewtest::Owned(bytes);
        view_->text = viewtest::Owned(bytes);  // a previous text to release
        view_->textLength = std::uint32_t(bytes.size());
        plat::testing::FailAllocationsAfter(k);
        const int result = LayoutArticle(view_, owned, 1, std::uint32_t(bytes.size()));
        plat::testing::ResetAllocationFailure();
        ASSERT_TRUE(result == 0 || result == -2) << k;
        if (result != 0) {
            sawFailure = true;
            plat::Free(owned);
            EXPECT_EQ(view_->totalLines, 0);
        }
        ExpectLinesInside(bytes.size());
        Exercise(std::uint32_t(k));
        // A later layout works again.
        owned = viewtest::Owned(bytes);
        ASSERT_EQ(LayoutArticle(view_, owned, 1, std::uint32_t(bytes.size())), 0);
        ASSERT_EQ(view_->lineCount + 1, clean.size());
        for (std::size_t i = 0; i < clean.size(); ++i) {
            EXPECT_TRUE(SameLine(view_->lines[i], clean[i])) << "line " << i;
        }
    }
    EXPECT_TRUE(sawFailure);
}

TEST_F(BadInputTest, WithoutALengthTheEndMarkEndsTheStream) {
    const Stream stream = Stream().Text(0x31, 0x40, "dddd cccc ba").Link(0, 9, "go").Separator(0, 50);
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1), 0);
    const int lines = view_->lineCount;
    EXPECT_EQ(view_->textLength, bytes.size());
    std::vector<DisplayLine> first(view_->lines, view_->lines + lines);
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1, std::uint32_t(bytes.size())), 0);
    ASSERT_EQ(view_->lineCount, lines);
    for (int i = 0; i < lines; ++i) {
        EXPECT_TRUE(SameLine(first[i], view_->lines[i])) << i;
    }
}

}  // namespace
