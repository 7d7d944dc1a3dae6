// The Rich Text body and document: escapes, spaces, line breaks, sizing,
// and joining to what an earlier export or another program left.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "clipboard/rtf_writer.h"
#include "view/view_test_support.h"

namespace {

using namespace std::string_literals;

const std::string kEnd = "\\par\\par\r\n";

std::string Body(const std::u16string& text) {
    const std::uint32_t counted = WriteRtfBody(text.c_str(), nullptr);
    std::vector<char> out(counted + 2, '#');
    EXPECT_EQ(WriteRtfBody(text.c_str(), out.data()), counted) << "sizing and writing disagree";
    EXPECT_EQ(out[counted], 0);
    EXPECT_EQ(out[counted + 1], '#') << "written past the counted size";
    return std::string(out.data(), counted);
}

// The document for `text` after `previous`, read from exactly its bytes.
std::string Document(const std::string& previous, const std::u16string& text) {
    viewtest::Guarded data(std::vector<std::uint8_t>(previous.begin(), previous.end()));
    const PreviousRtf old = ExaminePreviousRtf(data.data(), std::uint32_t(previous.size()));
    const std::string body = Body(text);
    const std::uint32_t length = RtfDocumentLength(old, std::uint32_t(body.size()));
    std::vector<char> out(length + 2, '#');
    WriteRtfDocument(out.data(), old, body.data(), std::uint32_t(body.size()));
    EXPECT_EQ(out[length], 0);
    EXPECT_EQ(out[length + 1], '#');
    return std::string(out.data(), length);
}

TEST(RtfBody, CharactersAndRuns) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"AB.1", "AB.1"},
        {u"a\\b{c}", "a\\\\b\\{c\\}"},                        // reserved characters
        {u"\u05D0 \u05D1", "\\u1488  \\u1489"},                // a space survives the escape's delimiter
        {u"\u05D0   \u05D1", "\\u1488    \\u1489"},
        {u"A, B", "A, B"},                                     // no extra space after plain text
        {u"\u05D05\u05D0A\u05D0.", "\\u1488 5\\u1488 A\\u1488."},  // digits and letters kept apart
        {u"\u00E9\u03E8\u2014\u7FFF", "\\u233\\u1000\\u8212\\u32767"},
        {u"\uFFFD\u8000\t", "\\u-3\\u-32768\\u9"},             // signed 16-bit, controls escaped
        {u"A\r\n\r\nB\n\rC", "A" + kEnd + "B" + kEnd + "C"},   // CR LF runs
        {u"", ""},
    };
    for (const auto& [text, body] : cases) EXPECT_EQ(Body(text), body + kEnd) << body;
}

TEST(RtfBody, SizingAgreesWithWritingOnHostileText) {
    std::mt19937 random(1234);
    const char16_t pick[] = {u' ', u'\r', u'\n', u'\\', u'{', u'}', u'0', u'A', 0x5D0, 0x3E8, 0x2710, 0x8000};
    for (int round = 0; round < 500; ++round) {
        std::u16string text;
        for (int i = int(random() % 64); i > 0; --i) {
            text.push_back(random() % 2 ? pick[random() % std::size(pick)] : char16_t(1 + random() % 0xFFFF));
        }
        EXPECT_EQ(Body(text).find('\0'), std::string::npos);
    }
}

TEST(RtfDocument, NewJoinedAndForeign) {
    const std::string first = Document("", u"\u05D0");
    EXPECT_EQ(first, kRtfHeader + "\\u1488"s + kEnd + "}\r\n");
    // Handed back with its zero and bytes after it: one document, one brace.
    EXPECT_EQ(Document(first + '\0' + "junk}", u"\u05D1"),
              first.substr(0, first.size() - 3) + kRtfSeparator + "\\u1489" + kEnd + "}\r\n");
    // Another program's settings may not carry over into the new text.
    EXPECT_EQ(Document("{\\rtf1\\uc1 Hi\\par}", u"\u05D0"),
              "{\\rtf1\\uc1 Hi\\par"s + kRtfSeparator + "\\pard\\rtlpar\\qr\\uc0\r\n\\u1488" + kEnd + "}\r\n");
    EXPECT_EQ(Document("plain words}", u"\u05D0"), first) << "not rich text: a new document";
}

TEST(RtfDocument, PreviousData) {
    struct Case {
        std::string data;
        bool document;
        bool foreign;
        std::string kept;
    };
    const Case cases[] = {
        {"", false, false, ""},
        {"{\\rt", false, false, ""},
        {"{\\rtf", true, true, "{\\rtf"},  // no zero: read to the size given
        {"{\\rtf1 x}}\r\n\t \0{\\rtf1"s, true, true, "{\\rtf1 x}"},
        {"{\\rtf1 x  ", true, true, "{\\rtf1 x"},
        {kRtfHeader + "x}"s, true, false, kRtfHeader + "x"s},
    };
    for (const Case& c : cases) {
        viewtest::Guarded data(std::vector<std::uint8_t>(c.data.begin(), c.data.end()));
        const PreviousRtf p = ExaminePreviousRtf(data.data(), std::uint32_t(c.data.size()));
        EXPECT_EQ(p.bytes != nullptr, c.document) << c.data;
        EXPECT_EQ(p.foreign, c.foreign) << c.data;
        EXPECT_EQ(c.data.substr(0, p.length), c.kept) << c.data;
    }
}

}  // namespace
