// The matcher against small hand-made texts and streams: wildcards, record
// boundaries, where a search starts, and what a stream cut short allows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "search/search.h"
#include "view/view_test_support.h"

namespace {

using viewtest::Guarded;
using viewtest::Stream;

struct MatchCase {
    const char* text;
    const char* pattern;
    int expectedEnd;  // index of the hit's last byte, -1 for none
    int expectedLength;
};

const std::uint8_t* Bytes(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

// Scans the whole text from its last byte.
TEST(MatchBackward, FollowsTheWildcardRules) {
    const MatchCase cases[] = {
        {"abcabc", "b", 4, 1},           // the nearest at or before the scan position
        {"abXab", "ab", 4, 2},
        {"axc", "a?c", 2, 3},            // "?" is any one byte
        {"ac", "a?c", -1, 0},            // ... but one byte, not none
        {"zabc", "a?c", 3, 3},
        {"a123c", "a*c", 4, 5},          // "*" is any run ...
        {"ac", "a*c", 1, 2},             // ... including none
        {"aXaYc", "a*c", 4, 3},          // the nearest start before the run
        {"a1b2c", "a*b*c", 4, 5},
        {"xyc", "a*c", -1, 0},           // nothing before the run: no hit at all
        {"x*ab", "*ab", 3, 3},           // a leading "*" matches only a literal "*"
        {"xyab", "*ab", -1, 0},
        {"*abzab", "*ab", -1, 0},        // the nearer candidate ends the whole scan
        {"abc", "ab*", -1, 0},           // a trailing "*" is compared exactly
        {"xab*", "ab*", 3, 3},
        {"abc", "ab?", -1, 0},           // so is a trailing "?"
        {"ab?", "ab?", 2, 3},
        {"a?c", "a?c", 2, 3},            // text wildcards match themselves
        {"bc", "abc", -1, 0},            // the text runs out before the pattern
        {"ABC", "abc", -1, 0},           // bytes compare exactly
        {"zNEW\xA0" "YORK", "W Y", 5, 3},  // a space finds the no-break space of a Latin run
        {"NEW\xA0" "YORK", "EW YO", 5, 5},
        {"PSALM\xA0" "23", "M 2", 6, 3},
        {"ab\xA0", "b ", 2, 2},          // also as the last byte
        {"a\xA0" "b c", "a b c", 4, 5},
        {"a b", "a\xA0" "b", -1, 0},     // but a no-break space in a pattern is only itself
    };
    for (const MatchCase& c : cases) {
        const int n = int(std::strlen(c.text));
        int length = 0;
        const std::uint8_t* hit = MatchBackward(Bytes(c.text), Bytes(c.pattern),
                                                int(std::strlen(c.pattern)), Bytes(c.text) + n - 1,
                                                &length);
        const int end = hit != nullptr ? int(hit - Bytes(c.text)) : -1;
        EXPECT_EQ(end, c.expectedEnd) << c.text << " / " << c.pattern;
        if (hit != nullptr) {
            EXPECT_EQ(length, c.expectedLength) << c.text << " / " << c.pattern;
        }
    }
}

TEST(MatchBackward, NeverLooksPastTheScanPositionOrBeforeTheBeginning) {
    const char* text = "abab";
    int length = 0;
    // From index 2 the hit at 2..3 is out of reach; the one at 0..1 is found.
    EXPECT_EQ(MatchBackward(Bytes(text), Bytes("ab"), 2, Bytes(text) + 2, &length), Bytes(text) + 1);
    // A record that begins at index 1 holds no "ab" up to index 2.
    EXPECT_EQ(MatchBackward(Bytes(text) + 1, Bytes("ab"), 2, Bytes(text) + 1, &length), nullptr);
    EXPECT_EQ(MatchBackward(Bytes(text), Bytes(""), 0, Bytes(text) + 3, &length), nullptr);
}

// Stream offsets: record 1 at 0 (text at 2), record 2 after it.
class FindInArticleTest : public ::testing::Test {
protected:
    std::uint16_t Find(const Stream& stream, std::uint16_t start, const char* pattern,
                       int* length = nullptr) {
        bytes_ = stream.Bytes();
        int n = 0;
        const std::uint16_t hit = FindPatternInArticle(bytes_.data(), std::uint32_t(bytes_.size()),
                                                       start, Bytes(pattern), &n);
        if (length != nullptr) *length = n;
        return hit;
    }
    std::vector<std::uint8_t> bytes_;
};

TEST_F(FindInArticleTest, ScansTheStartRecordBackwardThenLaterRecordsFromTheirEnds) {
    // "xaxa" at 2..5, its NUL at 6; "abab" at 9..12.
    const Stream stream = Stream().Text(0x10, 0, "xaxa").Text(0x10, 0, "abab");
    struct Case {
        std::uint16_t start;
        std::uint16_t expected;
    } cases[] = {
        {0, 5},       // before the first text: the first record from its end
        {5, 5},       // the start byte itself
        {4, 3},       // only bytes at or before the start
        {3, 3},
        {2, 11},      // nothing before: the next record from its end
        {6, 5},       // the first record's NUL still belongs to it
        {7, 11},
        {1, 11},      // a record's second byte: a hit began at its first byte,
        {8, 0},       // so that record is behind the search
        {11, 11},
        {10, 9},
        {13, 11},
        {14, 0},      // past the last record
        {65535, 0},   // the start of a view without a highlight
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Find(stream, c.start, "a"), c.expected) << "start " << c.start;
    }
}

TEST_F(FindInArticleTest, FindsAHitAtEveryPlaceOfALongRecord) {
    // Long records are scanned several bytes at a time: the hit must be
    // found wherever it lies, next to lookalikes on either side.
    for (int at = 0; at + 3 <= 40; ++at) {
        std::string text(40, 'x');
        text.replace(std::size_t(at), 3, "abc");
        if (at >= 2) text[std::size_t(at - 2)] = 'c';   // "c" without "b" before it
        if (at + 5 <= 40) text[std::size_t(at + 4)] = 'b';  // "b" not followed by "c"
        int length = 0;
        EXPECT_EQ(Find(Stream().Text(0x10, 0, text), 0, "abc", &length), 2 + at + 2) << at;
        EXPECT_EQ(length, 3);
        EXPECT_EQ(Find(Stream().Text(0x10, 0, text), 0, "a?c", &length), 2 + at + 2) << at;
        EXPECT_EQ(Find(Stream().Text(0x10, 0, text), 0, "xab"), at >= 1 ? 2 + at + 1 : 0) << at;
    }
}

TEST_F(FindInArticleTest, AHitNeverCrossesRecords) {
    const Stream stream = Stream().Text(0x10, 0, "abc").Text(0x10, 0, "def");
    EXPECT_EQ(Find(stream, 0, "c*d"), 0);
    EXPECT_EQ(Find(stream, 0, "c?e"), 0);
    EXPECT_EQ(Find(stream, 0, "cd"), 0);
    int length = 0;
    EXPECT_EQ(Find(stream, 0, "d*f", &length), 10);
    EXPECT_EQ(length, 3);
}

TEST_F(FindInArticleTest, WalksSeparatorsEmptyRecordsAndLinkCaptions) {
    // Separator at 6, empty record at 9, link to 133 at 12 (number bytes at
    // 14 and 15, caption "xyz" at 16), text "q" at 22.
    const Stream stream =
        Stream().Text(0x10, 0, "abc").Separator(0, 100).Empty().Link(0, 133, "xyz").Text(1, 0, "q");
    int length = 0;
    EXPECT_EQ(Find(stream, 0, "yz", &length), 18);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(Find(stream, 0, "q"), 22);
    EXPECT_EQ(Find(stream, 0, "c*x"), 0);
}

TEST_F(FindInArticleTest, AStreamCutShortIsReadOnlyToItsEnd) {
    // The last record has no NUL and there is no end mark.
    std::vector<std::uint8_t> bytes = Stream().Text(0x10, 0, "abc").Bytes();
    bytes.resize(bytes.size() - 2);
    bytes.insert(bytes.end(), {'c', 'a'});
    Guarded guarded(bytes);
    int length = 0;
    EXPECT_EQ(FindPatternInArticle(guarded.data(), std::uint32_t(bytes.size()), 0, Bytes("ca"),
                                   &length),
              6);
    EXPECT_EQ(FindPatternInArticle(guarded.data(), std::uint32_t(bytes.size()), 65535, Bytes("a"),
                                   &length),
              0);
    EXPECT_EQ(FindPatternInArticle(guarded.data(), std::uint32_t(bytes.size()), 40, Bytes("q"),
                                   &length),
              0);
}

}  // namespace
