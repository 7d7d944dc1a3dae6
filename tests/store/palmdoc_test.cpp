// The PalmDOC codec on its own: encoders against the decoder, and the
// decoder against streams built by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "store/palmdoc.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Decodes into a buffer with guard bytes after the output, and checks that
// the guard survives.
PalmDocDecodeResult DecodeGuarded(const Bytes& in, std::size_t outLength, Bytes* out) {
    constexpr std::size_t kGuard = 32;
    Bytes buffer(outLength + kGuard, 0xEE);
    const PalmDocDecodeResult result = PalmDocDecode(in.data(), in.size(), buffer.data(), outLength);
    for (std::size_t i = outLength; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], 0xEE) << "written past the output at " << i;
    }
    buffer.resize(outLength);
    *out = buffer;
    return result;
}

Bytes HebrewLikeText(std::size_t size, unsigned variant) {
    // Words of letters 0x61-0x7B with spaces, punctuation, digits, now and
    // then a Latin-1 byte or a NUL record end, like an article stream.
    std::mt19937 rng(variant);
    Bytes text;
    std::vector<Bytes> words;
    for (int i = 0; i < 300; ++i) {
        Bytes w;
        const int n = 2 + int(rng() % 6);
        for (int k = 0; k < n; ++k) {
            w.push_back(std::uint8_t(0x61 + rng() % 27));
        }
        words.push_back(w);
    }
    while (text.size() < size) {
        const auto r = unsigned(rng() % 100);
        if (r < 3) {
            text.push_back(0);
            text.push_back(0xB1);
            text.push_back(0x00);
        } else if (r < 5) {
            text.push_back(std::uint8_t(0x80 + rng() % 128));
        } else if (r < 10) {
            text.push_back(std::uint8_t('0' + rng() % 10));
        } else {
            const Bytes& w = words[std::size_t(rng() % 40 < 30 ? rng() % 30 : rng() % words.size())];
            text.insert(text.end(), w.begin(), w.end());
            text.push_back(rng() % 9 == 0 ? ',' : ' ');
        }
    }
    text.resize(size);
    return text;
}

void ExpectRoundTrip(const Bytes& data) {
    for (const bool greedy : {false, true}) {
        const Bytes packed = greedy ? PalmDocCompressGreedy(data.data(), data.size())
                                    : PalmDocCompress(data.data(), data.size());
        std::size_t size = 0;
        ASSERT_TRUE(PalmDocDecodedSize(packed.data(), packed.size(), &size));
        EXPECT_EQ(size, data.size());
        Bytes out;
        const PalmDocDecodeResult result = DecodeGuarded(packed, data.size(), &out);
        EXPECT_EQ(result.status, PalmDocStatus::Complete);
        EXPECT_EQ(result.consumed, packed.size());
        EXPECT_TRUE(out == data) << (greedy ? "greedy" : "minimum-size") << " round trip of " << data.size()
                                 << " bytes";
    }
}

TEST(PalmDocCodec, EncodersRoundTripEveryKindOfInput) {
    ExpectRoundTrip({});
    ExpectRoundTrip({0x41});
    ExpectRoundTrip(FromString(" a b c  d"));
    Bytes all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(std::uint8_t(i));
    }
    ExpectRoundTrip(all);  // every byte, escapes included
    Bytes repeats(5000, 'x');
    ExpectRoundTrip(repeats);
    ExpectRoundTrip(HebrewLikeText(60000, 7));
    std::mt19937 rng(3);
    Bytes noise(9000);
    for (auto& b : noise) {
        b = std::uint8_t(rng());
    }
    ExpectRoundTrip(noise);
    // Matches as far back as the window allows, and one byte further.
    Bytes far = HebrewLikeText(2047, 11);
    const Bytes head(far.begin(), far.begin() + 10);
    far.insert(far.end(), head.begin(), head.end());
    ExpectRoundTrip(far);
}

TEST(PalmDocCodec, MinimumSizeParseNeverLosesToGreedy) {
    std::size_t greedyTotal = 0, bestTotal = 0;
    for (unsigned variant = 1; variant <= 20; ++variant) {
        const Bytes text = HebrewLikeText(500 + variant * 700, variant);
        const std::size_t greedy = PalmDocCompressGreedy(text.data(), text.size()).size();
        const std::size_t best = PalmDocCompress(text.data(), text.size()).size();
        EXPECT_LE(best, greedy) << "variant " << variant;
        greedyTotal += greedy;
        bestTotal += best;
    }
    EXPECT_LT(bestTotal, greedyTotal);
}

TEST(PalmDocCodec, EncodersUseTheShortTokens) {
    // A space before 0x40-0x7F is one byte; escapes gather into one run.
    const Bytes spaced = FromString(" a");
    EXPECT_EQ(PalmDocCompress(spaced.data(), spaced.size()), Bytes({0xE1}));
    const Bytes high = {0x80, 0x81, 0x82};
    EXPECT_EQ(PalmDocCompress(high.data(), high.size()), Bytes({0x03, 0x80, 0x81, 0x82}));
    const Bytes repeated = FromString("abcabcabcabc");
    EXPECT_EQ(PalmDocCompress(repeated.data(), repeated.size()).size(), 5u);  // abc + one pair
}

TEST(PalmDocDecoder, CutsRunsAndPairsAtTheTextLength) {
    Bytes out;
    // Literal run of 5 into 3 bytes of output.
    EXPECT_EQ(DecodeGuarded({0x05, 'a', 'b', 'c', 'd', 'e'}, 3, &out).status, PalmDocStatus::Complete);
    EXPECT_EQ(out, FromString("abc"));
    // A pair of count 10 with 4 bytes of room left.
    const Bytes pair = {'x', 'y', 0x80, 0x17};  // distance 2, count 10
    EXPECT_EQ(DecodeGuarded(pair, 6, &out).status, PalmDocStatus::Complete);
    EXPECT_EQ(out, FromString("xyxyxy"));
    // A space pair with one byte of room: the space only.
    EXPECT_EQ(DecodeGuarded({'q', 0xE1}, 2, &out).status, PalmDocStatus::Complete);
    EXPECT_EQ(out, FromString("q "));
}

TEST(PalmDocDecoder, ReportsEndedAndCorruptStreams) {
    Bytes out;
    // One byte short.
    PalmDocDecodeResult r = DecodeGuarded({'a', 'b', 'c'}, 4, &out);
    EXPECT_EQ(r.status, PalmDocStatus::InputEnded);
    EXPECT_EQ(r.written, 3u);
    // Extra input after the output is full is left alone.
    r = DecodeGuarded({'a', 'b', 'c', 'd', 0x80}, 3, &out);
    EXPECT_EQ(r.status, PalmDocStatus::Complete);
    EXPECT_EQ(r.consumed, 3u);
    // Distance 1, count 10 repeats the byte before.
    EXPECT_EQ(DecodeGuarded({'z', 0x80, 0x0F}, 11, &out).status, PalmDocStatus::Complete);
    EXPECT_EQ(out, Bytes(11, 'z'));
    // Distance 0; distance beyond what was written; a run longer than the
    // input; a pair without its second byte.
    EXPECT_EQ(DecodeGuarded({'a', 0x80, 0x00}, 5, &out).status, PalmDocStatus::Corrupt);
    EXPECT_EQ(DecodeGuarded({'a', 'b', 0x80, 0x18}, 8, &out).status, PalmDocStatus::Corrupt);
    EXPECT_EQ(DecodeGuarded({0x04, 'a', 'b'}, 4, &out).status, PalmDocStatus::Corrupt);
    EXPECT_EQ(DecodeGuarded({'a', 0x80}, 4, &out).status, PalmDocStatus::Corrupt);
    std::size_t size = 0;
    EXPECT_FALSE(PalmDocDecodedSize(Bytes({'a', 0x80, 0x10}).data(), 3, &size));
    EXPECT_FALSE(PalmDocDecodedSize(Bytes({0x03, 'a'}).data(), 2, &size));
}

TEST(PalmDocDecoder, FastPathCatchesCorruptionAndOverlapsLikeTheByteLoop) {
    // Long streams keep the decoder in its word-copying loop: a bad token
    // there must be found as in the byte loop, and short-distance pairs
    // must repeat their pattern.
    const Bytes text = HebrewLikeText(4000, 5);
    // Two streams one after the other decode to both texts; a distance-0
    // pair between them lies well inside both buffers.
    Bytes joined = PalmDocCompress(text.data(), 2000);
    const Bytes second = PalmDocCompress(text.data() + 2000, 2000);
    Bytes bad = joined;
    bad.insert(bad.end(), {0x80, 0x00});
    bad.insert(bad.end(), second.begin(), second.end());
    joined.insert(joined.end(), second.begin(), second.end());
    Bytes out;
    ASSERT_EQ(DecodeGuarded(joined, text.size(), &out).status, PalmDocStatus::Complete);
    EXPECT_TRUE(out == text);
    const PalmDocDecodeResult r = DecodeGuarded(bad, text.size(), &out);
    EXPECT_EQ(r.status, PalmDocStatus::Corrupt);
    EXPECT_EQ(r.written, 2000u);
    Bytes early = {'a', 'b', 0xBF, 0xFF};  // distance 2047 after two bytes
    early.insert(early.end(), 40, 'c');
    EXPECT_EQ(DecodeGuarded(early, 60, &out).status, PalmDocStatus::Corrupt);

    for (unsigned distance = 1; distance <= 17; ++distance) {
        Bytes in;
        std::string expected;
        for (unsigned k = 0; k < distance; ++k) {
            in.push_back(std::uint8_t('A' + k));
            expected += char('A' + k);
        }
        for (int rep = 0; rep < 8; ++rep) {
            const unsigned v = 0x8000 | (distance << 3) | 7;  // count 10
            in.push_back(std::uint8_t(v >> 8));
            in.push_back(std::uint8_t(v));
            for (int k = 0; k < 10; ++k) {
                expected += expected[expected.size() - distance];
            }
        }
        in.insert(in.end(), 20, 'e');
        expected += std::string(20, 'e');
        ASSERT_EQ(DecodeGuarded(in, expected.size(), &out).status, PalmDocStatus::Complete);
        EXPECT_EQ(std::string(out.begin(), out.end()), expected) << "distance " << distance;
    }
}

TEST(PalmDocDecoder, EveryCutOfAStreamEndsOrIsCorruptNeverMore) {
    const Bytes text = HebrewLikeText(600, 9);
    const Bytes packed = PalmDocCompress(text.data(), text.size());
    for (std::size_t cut = 0; cut < packed.size(); ++cut) {
        const Bytes part(packed.begin(), packed.begin() + std::ptrdiff_t(cut));
        Bytes out;
        const PalmDocDecodeResult r = DecodeGuarded(part, text.size(), &out);
        EXPECT_NE(r.status, PalmDocStatus::Complete) << "cut at " << cut;
        EXPECT_LE(r.consumed, cut);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + std::ptrdiff_t(r.written), text.begin()));
    }
}

}  // namespace
