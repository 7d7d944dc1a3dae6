// The Rich Text body and document: escapes, spaces, line breaks, sizing,
// and joining to what an earlier export or another program left.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "clipboard/rtf_writer.h"
#include "view/view_test_support.h"

namespace {

using namespace std::string_literals;

std::string Body(const std::u16string& text) {
    const std::uint32_t counted = WriteRtfBody(text.c_str(), nullptr);
    std::vector<char> out(counted + 2, '#');
    const std::uint32_t written = WriteRtfBody(text.c_str(), out.data());
    EXPECT_EQ(written, counted) << "sizing and writing disagree";
    EXPECT_EQ(out[counted], 0);
    EXPECT_EQ(out[counted + 1], '#') << "written past the counted size";
    return std::string(out.data(), written);
}

std::string Document(const std::string& previous, const std::u16string& text) {
    const PreviousRtf old = ExaminePreviousRtf(reinterpret_cast<const std::uint8_t*>(previous.data()),
                                               std::uint32_t(previous.size()));
    const std::string body = Body(text);
    const std::uint32_t length = RtfDocumentLength(old, std::uint32_t(body.size()));
    std::vector<char> out(length + 2, '#');
    WriteRtfDocument(out.data(), old, body.data(), std::uint32_t(body.size()));
    EXPECT_EQ(out[length], 0);
    EXPECT_EQ(out[length + 1], '#');
    return std::string(out.data(), length);
}

const std::string kEnd = "\\par\\par\r\n";

TEST(RtfBody, CharactersAndRuns) {
    struct Case {
        const char* what;
        std::u16string text;
        std::string body;
    };
    const Case cases[] = {
        {"ASCII as it is", u"AB.1", "AB.1"},
        {"reserved characters escaped", u"a\\b{c}", "a\\\\b\\{c\\}"},
        {"Hebrew as escapes", u"\u05D0\u05EA", "\\u1488\\u1514"},
        {"one space after an escape is doubled", u"\u05D0 \u05D1", "\\u1488  \\u1489"},
        {"three spaces after an escape become four", u"\u05D0   \u05D1", "\\u1488    \\u1489"},
        {"spaces after plain text stay as they are", u"A, B", "A, B"},
        {"a digit after an escape is kept apart", u"\u05D05", "\\u1488 5"},
        {"so is a Latin letter", u"\u05D0A", "\\u1488 A"},
        {"punctuation needs no delimiter", u"\u05D0.", "\\u1488."},
        {"escape widths", u"\u00E9\u03E8\u2014\u7FFF", "\\u233\\u1000\\u8212\\u32767"},
        {"above 32767 as negative", u"\uFFFD\u8000", "\\u-3\\u-32768"},
        {"control characters escaped", u"\t\x01", "\\u9\\u1"},
        {"CR LF runs in any mix make one break", u"A\r\n\r\nB\n\rC", "A" + kEnd + "B" + kEnd + "C"},
        {"empty text", u"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Body(c.text), c.body + kEnd) << c.what;
    }
}

TEST(RtfBody, SizingAgreesWithWritingOnHostileText) {
    std::mt19937 random(1234);
    const char16_t interesting[] = {u' ', u'\r', u'\n', u'\\', u'{', u'}', u'0', u'9', u'A', u'-',
                                    0x05D0, 0x7F, 0x3E7, 0x3E8, 0x270F, 0x2710, 0x7FFF, 0x8000, 0xFFFF};
    for (int round = 0; round < 500; ++round) {
        std::u16string text;
        const int n = int(random() % 64);
        for (int i = 0; i < n; ++i) {
            char16_t c = random() % 2 ? interesting[random() % std::size(interesting)]
                                      : char16_t(1 + random() % 0xFFFF);
            text.push_back(c);
        }
        const std::string body = Body(text);
        for (char b : body) {
            ASSERT_NE(b, 0);
        }
    }
}

TEST(RtfDocument, NewDocumentHasHeaderBodyAndClosing) {
    const std::string document = Document("", u"\u05D0");
    EXPECT_EQ(document.size(), 180u + 6u + 10u + 3u);
    EXPECT_EQ(document.substr(0, 180), kRtfHeader);
    EXPECT_EQ(document.substr(180), "\\u1488" + kEnd + "}\r\n");
}

TEST(RtfDocument, AppendingToAnExportMakesOneDocument) {
    const std::string first = Document("", u"\u05D0");
    // As the clipboard may hand it back: with its zero and bytes after it.
    const std::string onClipboard = first + '\0' + "garbage}";
    const std::string joined = Document(onClipboard, u"\u05D1");
    EXPECT_EQ(joined, first.substr(0, first.size() - 3) + kRtfSeparator + "\\u1489" + kEnd + "}\r\n");
    EXPECT_EQ(joined.find("{\\rtf", 1), std::string::npos);
}

TEST(RtfDocument, PreviousData) {
    struct Case {
        const char* what;
        std::string data;
        bool document;
        bool foreign;
        std::string kept;
    };
    const Case cases[] = {
        {"nothing", "", false, false, ""},
        {"not rich text", "plain words}", false, false, ""},
        {"cut before the signature", "{\\rt", false, false, ""},
        {"another program's document", "{\\rtf1 x}}\r\n\t \0{\\rtf1"s, true, true, "{\\rtf1 x}"},
        {"no closing brace", "{\\rtf1 x  ", true, true, "{\\rtf1 x"},
    };
    for (const Case& c : cases) {
        const PreviousRtf p = ExaminePreviousRtf(reinterpret_cast<const std::uint8_t*>(c.data.data()),
                                                 std::uint32_t(c.data.size()));
        EXPECT_EQ(p.bytes != nullptr, c.document) << c.what;
        EXPECT_EQ(p.foreign, c.foreign) << c.what;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.data.data()), p.length), c.kept) << c.what;
    }
}

TEST(RtfDocument, AnotherProgramsDocumentGetsRightToLeftParagraphsAndNoFallbacks) {
    const std::string joined = Document("{\\rtf1\\ansi\\uc1 Hello\\par}", u"\u05D0");
    EXPECT_EQ(joined, std::string("{\\rtf1\\ansi\\uc1 Hello\\par") + kRtfSeparator +
                          "\\pard\\rtlpar\\qr\\uc0\r\n\\u1488" + kEnd + "}\r\n");
}

TEST(RtfDocument, SignatureWithoutZeroIsReadOnlyToItsSize) {
    // Five bytes and no terminating zero: nothing beyond them is looked at.
    viewtest::Guarded data({'{', '\\', 'r', 't', 'f'});
    const PreviousRtf p = ExaminePreviousRtf(data.data(), 5);
    EXPECT_NE(p.bytes, nullptr);
    EXPECT_EQ(p.length, 5u);
}

}  // namespace
