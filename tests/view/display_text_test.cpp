// Character mapping and the text primitives.
#include "view_test_support.h"

namespace {

using plat::headless::DrawLog;
using plat::headless::DrawOp;

class DisplayTextTest : public viewtest::ViewTest {
protected:
    void TearDown() override {
        plat::Free(scratch_.buffer);
        TextBuffer.letterBase = kLatinLetterBase;
        ViewTest::TearDown();
    }
    std::u16string Convert(const std::string& bytes, std::int32_t base, int count = -1) {
        scratch_.letterBase = base;
        const char16_t* text =
            ConvertToDisplayText(Bytes(bytes), nullptr, &scratch_, count < 0 ? int(bytes.size()) : count);
        return text != nullptr ? std::u16string(text) : u"<none>";
    }
    static const std::uint8_t* Bytes(const std::string& s) {
        return reinterpret_cast<const std::uint8_t*>(s.c_str());
    }
    DisplayTextBuffer scratch_{nullptr, 0, 0};
};

TEST_F(DisplayTextTest, LetterBasesMapOnlyTheLettersAndTheBrace) {
    std::string all;
    for (int b = 1; b <= 0xFF; ++b) all.push_back(char(b));
    for (std::int32_t base : {97, 224, 1488}) {
        const std::u16string out = Convert(all, base);
        ASSERT_EQ(out.size(), 255u);
        for (int b = 1; b <= 0xFF; ++b) {
            int expected = b;
            if (base != 97 && b >= 0x61 && b <= 0x7B) expected = base + (b - 0x61);
            if (base != 97 && b == 0x7E) expected = '{';
            EXPECT_EQ(int(out[std::size_t(b - 1)]), expected) << "base " << base << " byte " << b;
        }
    }
    // 0 takes the font's base, with or without a scratch.
    AppState.Font.FontAsciiBase = 224;
    EXPECT_EQ(Convert("a{", 0), u"\u00E0\u00FA");
    char16_t* own = ConvertToDisplayText(Bytes("b"), nullptr, nullptr, 1);
    EXPECT_EQ(std::u16string(own), u"\u00E1");
    // releaseAfter is freed (the leak checker would see it otherwise).
    own = ConvertToDisplayText(Bytes("c"), own, nullptr, 1);
    plat::Free(own);
}

TEST_F(DisplayTextTest, ReverseTurnsRunsOfAHebrewBaseWithTheirBrackets) {
    AppState.Flags = AppFlags::Reverse;
    EXPECT_EQ(Convert("(ab)", 1488), u"(\u05D1\u05D0)");
    EXPECT_EQ(Convert("[1](2)", 224), u"(2)[1]");
    EXPECT_EQ(Convert("1~", 224), u"}1");
    EXPECT_EQ(Convert("(ab)~", 97), u"(ab)~");
    // Only the characters before a NUL, or within the count, are turned.
    EXPECT_EQ(Convert(std::string("ab\0cd", 5), 1488, 5), u"\u05D1\u05D0");
    EXPECT_EQ(Convert("abc", 1488, 2), u"\u05D1\u05D0");
    EXPECT_EQ(Convert("ab", 1488, 0), u"");
}

TEST_F(DisplayTextTest, ScratchGrowsOnlyAndOutOfMemoryLeavesNone) {
    Convert("abcdef", 97);
    char16_t* const buffer = scratch_.buffer;
    EXPECT_EQ(Convert("xy", 97), u"xy");
    EXPECT_EQ(scratch_.buffer, buffer);
    EXPECT_EQ(scratch_.capacity, 6);

    plat::testing::FailAllocationsAfter(0);
    EXPECT_EQ(Convert("abcdefgh", 97), u"<none>");
    EXPECT_EQ(scratch_.buffer, nullptr);
    EXPECT_EQ(scratch_.capacity, 0);

    // A reversal without memory leaves storage order.
    plat::testing::ResetAllocationFailure();
    Convert("abcdefgh", 97);
    AppState.Flags = AppFlags::Reverse;
    plat::testing::FailAllocationsAfter(0);
    EXPECT_EQ(Convert("ab", 1488), u"\u05D0\u05D1");
}

TEST_F(DisplayTextTest, MeasureFitsLeadingCharactersInStorageOrder) {
    // Advances 8, 8, 4, 8, 8: the prefixes are 8, 16, 20, 28, 36 wide.
    struct Case {
        int width, count, fit, fitWidth;
    };
    for (const Case c : {Case{19, 5, 2, 16}, Case{20, 5, 3, 20}, Case{100, 4, 4, 28},
                         Case{7, 5, 0, 0}}) {
        TextBuffer.letterBase = 97;
        int width = c.width;
        int count = c.count;
        ASSERT_EQ(MeasureText(dc_, Bytes("ab cd"), &width, &count), 0);
        EXPECT_EQ(count, c.fit) << c.width;
        EXPECT_EQ(width, c.fitWidth) << c.width;
    }
    // Stored "fo" is a narrow vav then a wide mem: measured in that order
    // even with Reverse on, and Reverse comes back.
    AppState.Flags = AppFlags::Reverse;
    TextBuffer.letterBase = 1488;
    int width = 4;
    int count = 2;
    MeasureText(dc_, Bytes("fo"), &width, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(AppState.Flags, AppFlags::Reverse);
}

TEST_F(DisplayTextTest, DrawingCentresInTheBoxAndRestoresColours) {
    TextBuffer.letterBase = 97;
    plat::SetTextColor(dc_, 0x123456);
    plat::SetBkColor(dc_, 0x654321);
    DrawTextRunInColours(dc_, Bytes("abc"), 2, 10, 20, 30, 16, 0x00FF0000, 0x0000FFFF);
    FillViewBox(dc_, ViewBox{5, 6, 7, 8}, WHITE_BRUSH);
    ASSERT_EQ(DrawLog().size(), 2u);
    const DrawOp& op = DrawLog()[0];
    EXPECT_EQ(op.text, u"ab");
    EXPECT_EQ(op.format, 0x825u);
    EXPECT_EQ(op.textX, 10 + (30 - 16) / 2);
    EXPECT_EQ(op.rect.bottom, 36);
    EXPECT_EQ(op.textColour, 0x00FF0000u);
    EXPECT_EQ(op.backColour, 0x0000FFFFu);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x123456u);
    EXPECT_EQ(plat::GetBkColor(dc_), 0x654321u);
    EXPECT_EQ(DrawLog()[1].brush, WHITE_BRUSH);
    EXPECT_EQ(DrawLog()[1].rect.right, 12);
    EXPECT_EQ(DrawLog()[1].rect.bottom, 14);
}

}  // namespace
