// Streams that are not what they should be: the view answers with one of its
// results, never reads past the bytes it was given (they sit right before an
// unreadable page), and stays safe to paint, hit-test and scroll.
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
    // Lays out bytes the test keeps owning.
    int LayoutGuarded(const std::vector<std::uint8_t>& bytes) {
        Guarded guarded(bytes);
        const int result = LayoutArticle(view_, guarded.data(), 0, std::uint32_t(bytes.size()));
        EXPECT_TRUE(result == 0 || result == -2 || result == -4) << result;
        if (result == 0) {
            int count = 0;
            for (const DisplayLine* line = view_->lines; line->flags != 0; ++line, ++count) {
                EXPECT_LE(std::size_t(line->textOffset) + line->charCount, bytes.size());
            }
            EXPECT_EQ(count, view_->lineCount);
        }
        Exercise(std::uint32_t(bytes.size()));
        view_->text = nullptr;  // not the view's to free
        return result;
    }

    // What a window does with the view afterwards.
    void Exercise(std::uint32_t variant) {
        std::mt19937 random(variant);
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
};

TEST_F(BadInputTest, RandomBytes) {
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(1 + random() % 300);
        for (auto& b : bytes) {
            // Mostly what the format is made of: letters, spaces, NULs, special flags.
            const std::uint8_t choices[] = {std::uint8_t(random()), 0, ' ',
                                            std::uint8_t(0x07 | (random() & 0xF8)),
                                            std::uint8_t('a' + random() % 27)};
            b = choices[random() % 5];
        }
        MakeView(int(random() % 5), 0, 1 + int(random() % 120), 1 + int(random() % 100));
        LayoutGuarded(bytes);
    }
}

TEST_F(BadInputTest, StreamsCutShortEndWhereTheirBytesDo) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        int lines, firstCount, link;
    };
    const Case cases[] = {
        {{0x01, 0x00, 'a', 'b'}, 1, 2, 0},               // no NUL, no end mark
        {{0x01, 0x40, 'a', 0, 0x11}, 1, 0, 0},            // a lone flag byte
        {{0x01, 0x40, 'a', 0, 0x11, 0x41}, 1, 0, 0},      // flag and layout byte
        {{0x07, 0x01, 0x85}, 0, 0, 0},                    // link cut in its number
        {{0x07, 0x01, 0x85, 0x81}, 0, 0, 0},              // number bytes, no caption
        {{0x07, 0x01, 0x85, 0x81, 'x', 'y'}, 1, 2, 133},  // caption without NUL
        {{0x31, 0x40, 'a', ' ', 'b'}, 1, 1, 0},           // labelled, right to left
        {{0x87, 0x05}, 1, 0, 0},                          // separator cut short
        {{0x07, 0x00}, 0, 0, 0},                          // empty record cut short
    };
    for (const Case& c : cases) {
        ASSERT_EQ(LayoutGuarded(c.bytes), 0);
        ASSERT_EQ(view_->lineCount, c.lines);
        if (c.lines > 0) {
            EXPECT_EQ(Line(0).charCount, c.firstCount);
            EXPECT_EQ(Line(0).linkNumber, c.link);
        }
    }
}

TEST_F(BadInputTest, FlagAndLayoutBytesOfEveryValue) {
    const std::uint8_t layouts[] = {0x00, 0x01, 0x3F, 0x40, 0x7F, 0x80, 0xA0, 0xC8, 0xFF};
    for (int flags = 0; flags <= 0xFF; ++flags) {
        const auto f = std::uint8_t(flags);
        for (std::uint8_t layout : layouts) {
            // As the first record, and after a paragraph with a cut link behind.
            EXPECT_EQ(LayoutGuarded({f, layout, ' ', 'a', '-', 'b', ' ', 'c', 0, f, layout, 0x81}) == -4,
                      flags == 0) << flags;
            std::vector<std::uint8_t> second = Stream().Text(0x01, 0x40, "1. x").Bytes();
            second.back() = f;
            second.insert(second.end(), {layout, 0x85, 0x81, 'q', ' ', 'r'});
            EXPECT_EQ(LayoutGuarded(second), 0) << flags;
        }
        // A first text record without text is refused; a special one is not.
        EXPECT_EQ(LayoutGuarded({f, 0x40, 0, 0x01, 0, 'a', 0, 0}), (flags & 7) == 7 ? 0 : -4) << flags;
    }
}

TEST_F(BadInputTest, TooManyLinesOrBytesAreRefusedSafely) {
    // A one-pixel view puts every character on a line of its own.
    MakeView(0, 0, 1, 50);
    EXPECT_EQ(LayoutGuarded(Stream().Text(0x01, 0, std::string(40000, 'a')).Bytes()), -2);
    EXPECT_LE(view_->lineCount, 32767);
    // Only the first 65,535 bytes are addressed: the last record is cut.
    MakeView(0, 0, 240, 320);
    Stream big;
    while (big.Size() < 70000) big.Text(0x01, 0, "aaaa bbbb");
    ASSERT_EQ(LayoutGuarded(big.Bytes()), 0);
    EXPECT_EQ(view_->lineCount, 65535 / 12 + 1);
}

TEST_F(BadInputTest, OutOfMemoryAtEveryStepLeavesASafeView) {
    Stream stream;
    for (int i = 0; i < 60; ++i) {
        stream.Text(0x31, 0x40, "dddd cccc bbbb ba").Text(0x01, 0x41, "1. one two three four")
            .Link(0x20, std::uint16_t(100 + i), "link caption").Separator(0x80, 170);
    }
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    const auto size = std::uint32_t(bytes.size());
    MakeView(0, 0, 120, 200);
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1, size), 0);
    const std::vector<DisplayLine> clean(view_->lines, view_->lines + view_->lineCount + 1);
    bool failed = false;
    for (long k = 0; k < 40; ++k) {
        MakeView(0, 0, 120, 200);
        view_->text = viewtest::Owned(bytes);  // a previous text to release
        view_->textLength = size;
        std::uint8_t* owned = viewtest::Owned(bytes);
        plat::testing::FailAllocationsAfter(k);
        const int result = LayoutArticle(view_, owned, 1, size);
        plat::testing::ResetAllocationFailure();
        ASSERT_TRUE(result == 0 || result == -2) << k;
        if (result != 0) {
            failed = true;
            plat::Free(owned);
            EXPECT_EQ(view_->totalLines, 0);
        }
        Exercise(std::uint32_t(k));
        // The next layout works again.
        ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1, size), 0);
        ASSERT_EQ(view_->lineCount + 1u, clean.size());
        for (std::size_t i = 0; i < clean.size(); ++i) EXPECT_TRUE(SameLine(view_->lines[i], clean[i])) << i;
    }
    EXPECT_TRUE(failed);
}

TEST_F(BadInputTest, WithoutALengthTheEndMarkEndsTheStream) {
    const std::vector<std::uint8_t> bytes =
        Stream().Text(0x31, 0x40, "dddd cccc ba").Link(0, 9, "go").Separator(0, 50).Bytes();
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1), 0);
    EXPECT_EQ(view_->textLength, bytes.size());
    const std::vector<DisplayLine> first(view_->lines, view_->lines + view_->lineCount + 1);
    ASSERT_EQ(LayoutArticle(view_, viewtest::Owned(bytes), 1, std::uint32_t(bytes.size())), 0);
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(SameLine(first[i], view_->lines[i])) << i;
}

}  // namespace
