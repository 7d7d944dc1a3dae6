// The book's formats: what the compiler writes is what the reader reads back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "format/book_format.h"

namespace {

TEST(LinkNumber, EncodedNumbersReadBackWithTheirCaption) {
    struct Case {
        std::uint16_t number;
        std::uint8_t captionFirst;
        int size;
    };
    const Case cases[] = {
        {5, 0x41, 1},           // small number, plain caption: one byte
        {0x7F, 0x41, 1},        // largest one-byte number
        {0x80, 0x41, 2},        // needs bit 7
        {133, 0x61, 2},         // the two-byte example: 0x85 0x81
        {5, 0xE9, 2},           // a caption byte with bit 7 would be misread as a second number byte
        {kBackLink, 0x61, 2},   // largest number
    };
    for (const Case& c : cases) {
        std::uint8_t record[4] = {0, 0, 0, 0};
        const int size = EncodeLinkNumber(c.number, c.captionFirst, record);
        ASSERT_EQ(size, c.size) << c.number;
        record[size] = c.captionFirst;
        EXPECT_NE(record[0], 0) << "a zero first byte would make the record a separator";
        std::uint32_t used = 0;
        EXPECT_EQ(DecodeLinkNumber(record[0], record[1], &used), c.number);
        EXPECT_EQ(used, std::uint32_t(size)) << c.number;
    }
    std::uint8_t bytes[2];
    ASSERT_EQ(EncodeLinkNumber(133, 0x61, bytes), 2);
    EXPECT_EQ(bytes[0], 0x85);
    EXPECT_EQ(bytes[1], 0x81);
}

TEST(Container, WrittenHeaderReadsBackAndDamageIsRefused) {
    std::vector<std::uint8_t> container(kContainerStreamAt + 3 + kContainerTrailerSize, 0);
    WriteContainerHeader(container.data(), 3, 40);
    const std::uint8_t expected[] = {0x00, 0x0B, 0x00, 0x28, 0x00, 0x28, 0x00, 0x03, 0x00, 0x28};
    EXPECT_EQ(std::vector<std::uint8_t>(container.begin(), container.begin() + kContainerStreamAt),
              std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
    ContainerHeader header;
    ASSERT_TRUE(ReadContainerHeader(container.data(), std::uint32_t(container.size()), &header));
    EXPECT_EQ(header.remainder, container.size() - kContainerLeadSize);
    EXPECT_EQ(header.compressedLength, 3u);
    EXPECT_EQ(header.textLength, 40u);

    // Cut short: the remainder no longer fits the resource.
    EXPECT_FALSE(ReadContainerHeader(container.data(), std::uint32_t(container.size() - 1), &header));
    // Only the header: nothing to decode.
    EXPECT_FALSE(ReadContainerHeader(container.data(), kContainerStreamAt, &header));
    // A compressed length that runs past the remainder.
    std::vector<std::uint8_t> damaged = container;
    WriteBig16(damaged.data() + kContainerCompressedAt, 9);
    EXPECT_FALSE(ReadContainerHeader(damaged.data(), std::uint32_t(damaged.size()), &header));
    // No text.
    damaged = container;
    WriteBig16(damaged.data() + kContainerTextLengthAt, 0);
    EXPECT_FALSE(ReadContainerHeader(damaged.data(), std::uint32_t(damaged.size()), &header));
}

TEST(LetterCode, StoredBytesUnderEachLetterBase) {
    struct Case {
        std::uint8_t byte;
        std::int32_t base;
        char32_t shown;
    };
    const Case cases[] = {
        {0x61, kUnicodeLetterBase, 0x05D0}, {0x7B, kUnicodeLetterBase, 0x05EA},
        {0x7E, kUnicodeLetterBase, U'{'},   {0x7D, kUnicodeLetterBase, U'}'},
        {0x41, kUnicodeLetterBase, U'A'},   {0xE9, kUnicodeLetterBase, 0xE9},
        {0x61, kCodePageLetterBase, 0xE0},  {0x7B, kCodePageLetterBase, 0xFA},
        {0x61, kLatinLetterBase, U'a'},     {0x7E, kLatinLetterBase, U'~'},
        {0x60, kUnicodeLetterBase, 0x60},   {0x7C, kUnicodeLetterBase, 0x7C},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapStoredByte(c.byte, c.base), c.shown) << int(c.byte) << " base " << c.base;
    }
    for (char32_t letter = 0x05D0; letter <= 0x05EA; ++letter) {
        ASSERT_TRUE(IsUnicodeHebrewLetter(letter));
        EXPECT_EQ(MapStoredByte(LetterCodeOf(letter), kUnicodeLetterBase), letter);
    }
    EXPECT_FALSE(IsUnicodeHebrewLetter(0x05CF));
    EXPECT_FALSE(IsUnicodeHebrewLetter(0x05EB));
}

TEST(Separator, WidthInPixelsOrPercentOfTheView) {
    EXPECT_EQ(SeparatorWidth(80, 240), 80);
    EXPECT_EQ(SeparatorWidth(200, 240), 192);
    EXPECT_EQ(SeparatorWidth(100, 60), 60);
    EXPECT_EQ(SeparatorWidth(SeparatorPercentLayout(50), 200), 100);
    EXPECT_EQ(SeparatorWidth(255, 100), 100);  // 190 percent is held to the view
}

}  // namespace
