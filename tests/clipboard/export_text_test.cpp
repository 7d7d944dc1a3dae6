// The article as lines of text: records to lines, the buffer size, and
// right-to-left lines in reading order.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/export_text.h"
#include "clipboard/reading_order.h"
#include "clipboard/rtf_writer.h"
#include "format/book_format.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "platform/headless/headless.h"
#include "platform/unicode.h"
#include "tools/bookc/text_code.h"
#include "view/view_test_support.h"

namespace {

using viewtest::Guarded;
using viewtest::Stream;

constexpr std::uint8_t kLtr = 0x01;
constexpr std::uint8_t kRtl = 0x11;

class ExportTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontAsciiBase = 97;
    }
    void TearDown() override { AppState.Flags = 0; }

    // Decodes a stream held right before an unreadable page.
    static std::u16string Decode(const Stream& stream) {
        const std::vector<std::uint8_t> bytes = stream.Bytes();
        Guarded guarded(bytes);
        const std::uint32_t size = ExportBufferSize(guarded.data(), std::uint32_t(bytes.size()));
        std::vector<char16_t> buffer(size / 2, u'#');
        EXPECT_EQ(DecodeArticleText(guarded.data(), std::uint32_t(bytes.size()), buffer.data(), size), 0);
        return std::u16string(buffer.data());
    }
};

// Stored bytes with no-break spaces made plain.
std::string SpacesUnjoined(std::string bytes) {
    for (char& b : bytes) {
        if (std::uint8_t(b) == 0xA0) b = ' ';
    }
    return bytes;
}

// Right-to-left text stored as the book stores it (visual order).
std::string StoreRightToLeft(const std::u16string& reading) {
    std::vector<bookc::SourceChar> chars;
    for (char16_t c : reading) chars.push_back({c, int(chars.size()) + 1});
    bookc::Diagnostics diagnostics;
    std::string bytes;
    EXPECT_TRUE(bookc::EncodeText(chars, bookc::Direction::RightToLeft, {}, diagnostics, &bytes))
        << plat::Utf16ToUtf8(reading);
    return bytes;
}

TEST_F(ExportTextTest, RecordsBecomeLines) {
    struct Case {
        const char* what;
        Stream stream;
        std::u16string text;
    };
    const Case cases[] = {
        {"left-to-right indent before the text", Stream().Text(kLtr, 3, "AB"), u"   AB\r\n"},
        {"right-to-left indent after the text", Stream().Text(kRtl, 2, "ab"), u"ab  \r\n"},
        {"label bits are not indent", Stream().Text(kLtr, 0x41, "X"), u" X\r\n"},
        {"blank line after", Stream().Text(0x81, 0, "A").Text(kLtr, 0, "B"), u"A\r\n\r\nB\r\n"},
        {"short rule", Stream().Text(kLtr, 0, "A").Separator(0, 20), u"A\r\n" + std::u16string(20, u'-') + u"\r\n"},
        {"rule in percent", Stream().Text(kLtr, 0, "A").Separator(0, 200),
         u"A\r\n" + std::u16string(80, u'-') + u"\r\n"},
        {"empty record", Stream().Text(kLtr, 0, "A").Empty(), u"A\r\n\r\n"},
        {"link by its layout byte, no caption", Stream().Text(kLtr, 0, "A").Link(0x80, 133, "CAPTION"),
         u"A\r\n-\r\n\r\n"},
        {"empty text still ends a line", Stream().Text(kLtr, 0, "A").Text(kRtl, 1, ""), u"A\r\n \r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.stream), c.text) << c.what;
    }
}

TEST_F(ExportTextTest, LetterBaseAndReverseOnlyTouchRightToLeftText) {
    const Stream stream = Stream().Text(kRtl, 0, "ab(c").Text(kLtr, 0, "ab");
    AppState.Font.FontAsciiBase = 1488;
    EXPECT_EQ(Decode(stream), u"\u05D0\u05D1(\u05D2\r\nab\r\n");
    AppState.Flags = AppFlags::Reverse;
    EXPECT_EQ(Decode(stream), u"\u05D2)\u05D1\u05D0\r\nab\r\n");
    AppState.Font.FontAsciiBase = 224;
    EXPECT_EQ(Decode(stream), u"\u00E2)\u00E1\u00E0\r\nab\r\n");
    AppState.Font.FontAsciiBase = 97;
    EXPECT_EQ(Decode(stream), u"ab(c\r\nab\r\n") << "base 97 is never reversed";
}

TEST_F(ExportTextTest, BufferSizeFollowsTheRule) {
    // L = 7 + 3 + 5 = 15; lines 1 + 2 + 1 = 4 (bit 7 on the second);
    // indents 5; dashes (200 - 160) x 2 = 80; then the rule's sum, doubled.
    const Stream stream = Stream().Text(kRtl, 5, "abcd").Separator(0x80, 200).Text(kLtr, 0x40, "XY");
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    EXPECT_EQ(ExportBufferSize(bytes.data(), std::uint32_t(bytes.size())),
              (15u + 7u + 2u * 4u + 80u + 5u + 1u) * 2u);
}

TEST_F(ExportTextTest, TooSmallABufferIsReportedAndNotOverrun) {
    const Stream stream = Stream().Text(kLtr, 10, "ABCDEF");
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    std::vector<char16_t> buffer(12, u'#');
    plat::headless::ClearMessageBoxes();
    EXPECT_EQ(DecodeArticleText(bytes.data(), std::uint32_t(bytes.size()), buffer.data(), 8 * 2), 1);
    for (std::size_t i = 8; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], u'#') << i;
    ASSERT_EQ(plat::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(plat::headless::MessageBoxes()[0].text, u"(obuf > (start + size))");
    EXPECT_EQ(plat::headless::MessageBoxes()[0].caption, u"");
}

// Reading order: a reversed right-to-left line reads as it was written.
// Latin words inside Hebrew are written here as the book compiler stores
// them, joined by no-break spaces; they are copied out with plain spaces.
TEST_F(ExportTextTest, ReversedLinesComeOutInReadingOrder) {
    const std::u16string lines[] = {
        u"\u05E9\u05E0\u05EA 1948 \u05D5\u05E2\u05D5\u05D3",
        u"\u05D4\u05DE\u05D7\u05D9\u05E8 3.14 \u05E9\u05E7\u05DC\u05D9\u05DD",
        u"\u05D1\u05E9\u05E2\u05D4 10:30, \u05D8\u05DC\u05E4\u05D5\u05DF 03-1234567.",
        u"\u05D4\u05E2\u05D5\u05E3 PHOENIX \u05D1\u05E4\u05E8\u05E7 54",
        u"\u05D4\u05E2\u05D9\u05E8 NEW\u00A0YORK \u05D5\u05D2\u05DD LIBERTY\u00A0BELL.",
        u"\u05E9\u05E0\u05D4 (1752) \u05D5\u05DE\u05D9\u05DC\u05D4 (BELL) \u05D1\u05E1\u05D5\u05D2\u05E8\u05D9\u05D9\u05DD",
        u"\u05E1\u05E4\u05E8 ABC\u00A0(DEF) \u05D5\u05E2\u05D5\u05D3 [\u05D0] 50%",
        u"\u05E4\u05E8\u05E7 PSALM\u00A023, \u05E4\u05E1\u05D5\u05E7 4",
        u"ABC \u05D1\u05D4\u05EA\u05D7\u05DC\u05D4 \u05D5-12",
    };
    AppState.Font.FontAsciiBase = 1488;
    AppState.Flags = AppFlags::Reverse;
    for (const std::u16string& line : lines) {
        const std::string stored = StoreRightToLeft(line);
        std::u16string plain = line;
        for (char16_t& c : plain) {
            if (c == u'\u00A0') c = u' ';
        }
        EXPECT_EQ(plat::Utf16ToUtf8(Decode(Stream().Text(kRtl, 0, stored))), plat::Utf16ToUtf8(plain + u"\r\n"));
    }
}

// A line in reading order of up to seven random words (Hebrew, Latin,
// numbers), some with punctuation after them or brackets or quotes around.
std::u16string RandomMixedLine(std::mt19937& random) {
    const std::u16string words[] = {u"\u05D0\u05D1", u"\u05D2\u05D3\u05D4", u"ABC", u"NEW\u00A0YORK", u"NEW YORK",
                                    u"12", u"3.14", u"10:30", u"1948-1952", u"50%", u"$5", u"PSALM 23",
                                    u"\u05D5-12"};
    const std::u16string around[] = {u"", u"", u"()", u"\"\"", u"[]", u",", u".", u":", u"?", u"<>"};
    std::u16string line;
    for (int n = 1 + int(random() % 7); n > 0; --n) {
        const std::u16string& w = words[random() % std::size(words)];
        const std::u16string& a = around[random() % std::size(around)];
        line += (a.size() == 2 ? a.substr(0, 1) + w + a.substr(1) : w + a) + (n > 1 ? u" " : u"");
    }
    return line;
}

// Lines made of random Hebrew, Latin, numbers, punctuation and brackets:
// the reading order found gives back the stored line.
TEST_F(ExportTextTest, RandomMixedLinesRoundTrip) {
    std::mt19937 random(99);
    for (int round = 0; round < 20000; ++round) {
        const std::u16string line = RandomMixedLine(random);
        const std::string stored = StoreRightToLeft(line);
        std::u16string text;
        for (char b : stored) text.push_back(char16_t(MapStoredByte(std::uint8_t(b), kUnicodeLetterBase)));
        PutIntoReadingOrder(text.data(), reinterpret_cast<const std::uint8_t*>(stored.data()), int(text.size()));
        // A line can be read in more than one order that draws the same, and
        // which spaces the compiler joins follows the order it is given; the
        // joins do not change the drawing, so they are not compared.
        ASSERT_EQ(SpacesUnjoined(StoreRightToLeft(text)), SpacesUnjoined(stored))
            << plat::Utf16ToUtf8(line) << " -> " << plat::Utf16ToUtf8(text);
    }
}

// Lines made of random Hebrew, Latin, numbers, punctuation and brackets,
// given in reading order, are stored as the book compiler stores them.
TEST_F(ExportTextTest, RandomMixedLinesAreStoredAsTheCompilerStoresThem) {
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        const std::u16string line = RandomMixedLine(random);
        std::string reading;
        for (char16_t c : line) reading.push_back(char(IsUnicodeHebrewLetter(c) ? LetterCodeOf(c) : std::uint8_t(c)));
        std::string stored(reading.size(), '#');
        ASSERT_EQ(PutIntoStoredOrder(reinterpret_cast<const std::uint8_t*>(reading.data()), int(reading.size()),
                                     reinterpret_cast<std::uint8_t*>(stored.data())),
                  0);
        ASSERT_EQ(stored, StoreRightToLeft(line)) << plat::Utf16ToUtf8(line);
    }
}

// Every lesson: right-to-left lines put into reading order and stored
// again by the book compiler give back exactly the stored bytes; the decoded
// text fits its buffer in every mode; the Rich Text body is sized exactly.
TEST_F(ExportTextTest, EveryLessonOfTheBook) {
    static plat::Module module;
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    int mixedLines = 0;
    for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
        std::uint32_t length = 0;
        std::uint8_t* stream = LoadArticle(lesson, nullptr, &length);
        ASSERT_NE(stream, nullptr) << lesson;
        LineRecordInfo r;
        for (std::uint32_t at = 0; ReadLineRecord(stream, length, at, &r); at = r.next) {
            if (r.kind != LineRecordKind::Text || (r.flags & kRightToLeft) == 0) continue;
            const std::string stored(reinterpret_cast<const char*>(stream + r.textStart), r.textLength);
            std::u16string text;
            for (char b : stored) text.push_back(char16_t(MapStoredByte(std::uint8_t(b), kUnicodeLetterBase)));
            ASSERT_EQ(PutIntoReadingOrder(text.data(), stream + r.textStart, int(text.size())), 0);
            EXPECT_EQ(StoreRightToLeft(text), stored) << lesson << ": " << plat::Utf16ToUtf8(text);
            mixedLines += stored.find_first_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos;
        }
        const std::uint32_t size = ExportBufferSize(stream, length);
        for (std::int32_t base : {97, 224, 1488}) {
            for (std::uint32_t flags : {0u, AppFlags::Reverse}) {
                AppState.Font.FontAsciiBase = base;
                AppState.Flags = flags;
                char16_t* text = DecodeForExport(stream, length);
                ASSERT_NE(text, nullptr) << lesson;
                EXPECT_LT(plat::U16Length(text), size / 2) << lesson;
                std::vector<char> body(WriteRtfBody(text, nullptr) + 1);
                EXPECT_EQ(WriteRtfBody(text, body.data()) + 1, body.size()) << lesson;
                plat::Free(text);
            }
        }
        plat::Free(stream);
    }
    EXPECT_GT(mixedLines, 100) << "the book has numbers and Latin words inside Hebrew";
    AppState.Instance = nullptr;
}

}  // namespace
