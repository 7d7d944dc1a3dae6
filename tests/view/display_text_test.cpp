// Character mapping and the text primitives.
#include <string>

#include "view/display_text.h"
#include "view_test_support.h"

namespace {

using plat::headless::DrawLog;
using plat::headless::DrawOp;

class DisplayTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontAsciiBase = 1488;
        scratch_ = DisplayTextBuffer{nullptr, 0, 0};
        dc_ = plat::CreateImageDC(240, 320);
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        plat::Free(scratch_.buffer);
        plat::DeleteImageDC(dc_);
        AppState.Flags = 0;
        TextBuffer.letterBase = kLatinLetterBase;
    }
    std::u16string Convert(const std::string& bytes, std::int32_t base, int count = -1) {
        scratch_.letterBase = base;
        const char16_t* text = ConvertToDisplayText(
            reinterpret_cast<const std::uint8_t*>(bytes.c_str()), nullptr, &scratch_,
            count < 0 ? int(bytes.size()) : count);
        return text != nullptr ? std::u16string(text) : u"<none>";
    }

    DisplayTextBuffer scratch_{};
    plat::Dc dc_ = nullptr;
};

TEST_F(DisplayTextTest, LetterBasesMapOnlyTheHebrewLettersAndTheBrace) {
    // Every byte below, between and above the 27 letters keeps its value.
    std::string all;
    for (int b = 1; b <= 0xFF; ++b) all.push_back(char(b));
    const std::u16string latin = Convert(all, 97);
    ASSERT_EQ(latin.size(), 255u);
    for (int b = 1; b <= 0xFF; ++b) EXPECT_EQ(int(latin[b - 1]), b) << b;

    for (std::int32_t base : {224, 1488}) {
        const std::u16string out = Convert(all, base);
        ASSERT_EQ(out.size(), 255u);
        for (int b = 1; b <= 0xFF; ++b) {
            int expected = b;
            if (b >= 0x61 && b <= 0x7B) expected = base + (b - 0x61);
            if (b == 0x7E) expected = '{';
            EXPECT_EQ(int(out[b - 1]), expected) << "base " << base << " byte " << b;
        }
    }
    EXPECT_EQ(Convert("a{", 1488), std::u16string(u"\u05D0\u05EA"));
    EXPECT_EQ(Convert("a{", 224), std::u16string(u"\u00E0\u00FA"));
}

TEST_F(DisplayTextTest, ZeroBaseMeansTheFontsBase) {
    AppState.Font.FontAsciiBase = 224;
    EXPECT_EQ(Convert("ab", 0), std::u16string(u"\u00E0\u00E1"));
    // Without a scratch the font's base applies too, and the caller owns the text.
    char16_t* own = ConvertToDisplayText(reinterpret_cast<const std::uint8_t*>("b"), nullptr,
                                         nullptr, 1);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(std::u16string(own), std::u16string(u"\u00E1"));
    plat::Free(own);
}

TEST_F(DisplayTextTest, ReverseTurnsNonLatinRunsAroundWithTheirBrackets) {
    AppState.Flags = AppFlags::Reverse;
    EXPECT_EQ(Convert("(ab)", 1488), std::u16string(u"(\u05D1\u05D0)"));
    EXPECT_EQ(Convert("[1](2)", 224), u"(2)[1]");
    // 0x7E gives the brace that 0x7B no longer gives, and it is mirrored too.
    EXPECT_EQ(Convert("1~", 224), u"}1");
    // Under the Latin base nothing moves.
    EXPECT_EQ(Convert("(ab)~", 97), std::u16string(u"(ab)~"));
    // The count stops at the NUL, and only the characters before it turn.
    EXPECT_EQ(Convert(std::string("ab\0cd", 5), 1488, 5), std::u16string(u"\u05D1\u05D0"));
    EXPECT_EQ(Convert("ab", 1488, 0), u"");
    EXPECT_EQ(Convert("abc", 1488, 2), std::u16string(u"\u05D1\u05D0"));
}

TEST_F(DisplayTextTest, ScratchGrowsToTheLargestCountAndIsReused) {
    Convert("abcdef", 97);
    EXPECT_EQ(scratch_.capacity, 6);
    char16_t* const buffer = scratch_.buffer;
    EXPECT_EQ(Convert("xy", 97), u"xy");
    EXPECT_EQ(scratch_.buffer, buffer);
    EXPECT_EQ(scratch_.capacity, 6);
    EXPECT_EQ(Convert("abcdefgh", 97), u"abcdefgh");
    EXPECT_EQ(scratch_.capacity, 8);
}

TEST_F(DisplayTextTest, OutOfMemoryGivesNoneAndLeavesNoBuffer) {
    Convert("ab", 97);
    plat::testing::FailAllocationsAfter(0);
    EXPECT_EQ(Convert("abcdefgh", 97), u"<none>");
    EXPECT_EQ(scratch_.buffer, nullptr);
    EXPECT_EQ(scratch_.capacity, 0);

    // A reversal that cannot get its buffer leaves storage order.
    plat::testing::ResetAllocationFailure();
    Convert("abcdefgh", 97);
    AppState.Flags = AppFlags::Reverse;
    plat::testing::FailAllocationsAfter(0);
    EXPECT_EQ(Convert("ab", 1488), std::u16string(u"\u05D0\u05D1"));
    char16_t text[] = u"(ab";
    EXPECT_EQ(ReverseDisplayText(text, 3), 1);
    EXPECT_EQ(std::u16string(text), u"(ab");
}

TEST_F(DisplayTextTest, ReleaseAfterIsFreed) {
    char16_t* first = ConvertToDisplayText(reinterpret_cast<const std::uint8_t*>("ab"), nullptr,
                                           nullptr, 2);
    ASSERT_NE(first, nullptr);
    // Handing the first result back frees it (a leak checker would complain otherwise).
    char16_t* second = ConvertToDisplayText(reinterpret_cast<const std::uint8_t*>("cd"), first,
                                            nullptr, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::u16string(second), std::u16string(u"\u05D2\u05D3"));
    plat::Free(second);
}

TEST_F(DisplayTextTest, MeasureFitsLeadingCharactersInStorageOrder) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>("ab cd");
    TextBuffer.letterBase = 97;
    // Advances 8, 8, 4, 8, 8: the prefixes are 8, 16, 20, 28, 36 wide.
    int width = 19;
    int count = 5;
    ASSERT_EQ(MeasureText(dc_, bytes, &width, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(width, 16);
    width = 20;
    count = 5;
    MeasureText(dc_, bytes, &width, &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(width, 20);
    // The count given limits the characters looked at.
    width = 100;
    count = 4;
    MeasureText(dc_, bytes, &width, &count);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(width, 28);

    width = 7;  // narrower than the first character
    count = 5;
    MeasureText(dc_, bytes, &width, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(width, 0);

    // Reverse is suspended: the fit counts from the first stored byte, whose
    // width (vav, narrow) differs from the last one's (mem, wide).
    AppState.Flags = AppFlags::Reverse;
    TextBuffer.letterBase = 1488;
    width = 4;
    count = 2;
    MeasureText(dc_, reinterpret_cast<const std::uint8_t*>("fo"), &width, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(AppState.Flags, AppFlags::Reverse);
}

TEST_F(DisplayTextTest, DrawingCentresInTheBoxAndRestoresColours) {
    TextBuffer.letterBase = 97;
    plat::SetTextColor(dc_, 0x123456);
    plat::SetBkColor(dc_, 0x654321);
    DrawTextRunInColours(dc_, reinterpret_cast<const std::uint8_t*>("abc"), 2, 10, 20, 30, 16,
                         0x00FF0000, 0x0000FFFF);
    ASSERT_EQ(DrawLog().size(), 1u);
    const DrawOp& op = DrawLog()[0];
    EXPECT_EQ(op.text, u"ab");
    EXPECT_EQ(op.format, 0x825u);
    EXPECT_EQ(op.rect.left, 10);
    EXPECT_EQ(op.rect.top, 20);
    EXPECT_EQ(op.rect.right, 40);
    EXPECT_EQ(op.rect.bottom, 36);
    EXPECT_EQ(op.textColour, 0x00FF0000u);
    EXPECT_EQ(op.backColour, 0x0000FFFFu);
    EXPECT_EQ(plat::GetTextColor(dc_), 0x123456u);
    EXPECT_EQ(plat::GetBkColor(dc_), 0x654321u);

    FillViewBox(dc_, ViewBox{5, 6, 7, 8}, WHITE_BRUSH);
    const DrawOp& fill = DrawLog().back();
    EXPECT_EQ(fill.kind, DrawOp::Fill);
    EXPECT_EQ(fill.brush, WHITE_BRUSH);
    EXPECT_EQ(fill.rect.right, 12);
    EXPECT_EQ(fill.rect.bottom, 14);
}

}  // namespace
