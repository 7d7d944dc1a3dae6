// A fixture book that uses every feature of the format goes through the
// compiler, the container and the article store, and reads back as its
// source says.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "store/article_store.h"
#include "tools/cli/listings/record_dump.h"
#include "tools/bookc/book_compiler.h"

namespace {

const char* const kFixture = TOVANEL_SOURCE_DIR "/tests/fixtures/features";

// Listing lines without the offset column, spaces collapsed.
std::vector<std::string> Lines(const std::string& listing) {
    std::vector<std::string> lines;
    std::istringstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        std::string collapsed;
        for (char c : line.substr(line.size() > 7 ? 7 : line.size())) {
            if (c != ' ' || (!collapsed.empty() && collapsed.back() != ' ')) {
                collapsed += c;
            }
        }
        lines.push_back(collapsed);
    }
    return lines;
}

class FixtureBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        bookc::Options options;
        options.lessonCount = 4;
        bookc::Diagnostics diagnostics;
        ASSERT_TRUE(bookc::CompileBook(kFixture, options, diagnostics, &resources_)) << diagnostics.Format();
        EXPECT_TRUE(diagnostics.Items().empty()) << diagnostics.Format();
        for (const bookc::CompiledResource& r : resources_) {
            entries_.push_back({RT_RCDATA, r.id, r.bytes.data(), std::uint32_t(r.bytes.size())});
        }
        plat::AddResourceTable(&module_, plat::ResourceTable{entries_.data(), entries_.size()});
        AppState.Instance = &module_;
    }
    void TearDown() override { AppState.Instance = nullptr; }

    // The lesson as loaded by the reader: its text and length.
    std::vector<std::uint8_t> Load(int lesson) {
        int code = 0;
        std::uint8_t* text = LoadArticle(lesson, &code);
        EXPECT_NE(text, nullptr) << "lesson " << lesson << " code " << code;
        if (text == nullptr) {
            return {};
        }
        const plat::ResourceData r = plat::FindResourceData(&module_, RT_RCDATA, std::uint16_t(1000 + lesson));
        const std::size_t length = std::size_t(r.bytes[8]) << 8 | r.bytes[9];
        std::vector<std::uint8_t> bytes(text, text + length + 1);
        plat::Free(text);
        return bytes;
    }

    std::vector<std::string> Listing(int lesson) {
        const std::vector<std::uint8_t> text = Load(lesson);
        if (text.empty()) {
            return {};
        }
        return Lines(lesson == kIndexLesson ? DescribeIndexStream(text.data(), text.size() - 1)
                                            : DescribeArticleStream(text.data(), text.size() - 1));
    }

    std::vector<bookc::CompiledResource> resources_;
    std::vector<plat::ResourceEntry> entries_;
    plat::Module module_;
};

TEST_F(FixtureBookTest, ResourcesAreTheLessonsAndTheIndexInContainers) {
    ASSERT_EQ(resources_.size(), 5u);
    const std::uint16_t ids[] = {1001, 1002, 1003, 1004, 32767};
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        const std::vector<std::uint8_t>& b = resources_[i].bytes;
        EXPECT_EQ(resources_[i].id, ids[i]);
        ASSERT_GE(b.size(), 15u);
        const unsigned remainder = unsigned(b[0]) << 8 | b[1];
        const unsigned compressed = unsigned(b[6]) << 8 | b[7];
        EXPECT_EQ(remainder, b.size() - 6);
        EXPECT_EQ(compressed, remainder - 8);
        EXPECT_EQ(b[2] << 8 | b[3], b[8] << 8 | b[9]) << "bytes 2-5 repeat the text length";
        EXPECT_EQ(b[4] << 8 | b[5], b[8] << 8 | b[9]);
    }
}

TEST_F(FixtureBookTest, EveryRecordKindReadsBackAsWritten) {
    const std::vector<std::string> expected = {
        "DC 00 title rtl large bold centre blank: כותרת הבדיקה",
        "D1 00 subtitle rtl normal centre blank: כותרת משנה",
        // The Latin words inside Hebrew are joined by a no-break space.
        "31 00 text rtl normal right: פסקה רגילה עם 1948 ו-WORD\u00A0ONE באמצע.",
        "32 00 text rtl small right: אותיות קטנות",
        "5C 00 text rtl large bold centre: גדול ומודגש",
        "01 00 text ltr normal left: Latin text, with {braces} and ~tilde.",
        "21 0A text ltr normal right indent=10: Right aligned Latin.",
        "49 00 text ltr normal bold centre: Centred Latin.",
        "31 3F text rtl normal right indent=63: הזחה מרבית",
        "31 45 text rtl normal right indent=5 label=1: 1. פריט עם תווית",
        "31 48 text rtl normal right indent=8 label=1 cont: המשך הפריט",
        "31 C0 text rtl normal right label=3: א) תווית רחבה",
        "31 00 text rtl normal right: @ לא הוראה",
        "31 00 text rtl normal right: # לא הערה",
        "31 00 text rtl normal right: ",
        "99 00 text rtl normal bold left blank: שמאלה",
        "47 01 rule 1px centre",
        "27 A0 rule 160px right",
        "07 A1 rule 2% left",
        "C7 FF rule 190% centre blank",
        "37 01 link 2 rtl right: קישור לשיעור שני",
        "47 01 link 4 ltr centre: Évian link",
        "37 01 back rtl right: חזרה",
        "07 00 empty",
    };
    EXPECT_EQ(Listing(1), expected);
    EXPECT_EQ(Listing(2), (std::vector<std::string>{
                              "CC 00 title ltr large bold centre blank: English Title",
                              "C1 00 subtitle ltr normal centre blank: An English subtitle",
                              "31 00 text rtl normal right: עברית (בסוגריים) ו\"מרכאות\" [ב] {ג} <ד>.",
                          }));
    EXPECT_EQ(Listing(3), (std::vector<std::string>{
                              "D1 00 subtitle rtl normal centre blank: רק כותרת משנה",
                              "B1 00 text rtl normal right blank: פסקה עם שורה ריקה אחריה",
                              "3A 00 text rtl small bold right: קטן ומודגש",
                              "31 82 text rtl normal right indent=2 label=2: ב. תווית בינונית",
                          }));
    EXPECT_EQ(Listing(4), (std::vector<std::string>{
                              "31 00 text rtl normal right: שורה אחת בלבד, עם מספר 3.14 ו-A.B.C.",
                              "07 01 link 1 ltr left: « back to one",
                          }));
}

TEST_F(FixtureBookTest, StoredBytesFollowTheRecordLayout) {
    const std::vector<std::uint8_t> t = Load(1);
    const std::string s(t.begin(), t.end());
    // The link to 4 with a caption starting at a byte with bit 7 takes the
    // two-byte number form; the link to 2 the one-byte form.
    EXPECT_NE(s.find(std::string("\x47\x01\x84\x80\xC9vian", 8)), std::string::npos);
    EXPECT_NE(s.find(std::string("\x37\x01\x02", 3)), std::string::npos);
    EXPECT_NE(s.find(std::string("\x37\x01\xFF\xFF", 4)), std::string::npos) << "back link 16383";
    // A continuation paragraph's stored text starts with a space.
    EXPECT_NE(s.find(std::string("\x31\x48 ", 3)), std::string::npos);
    // Right-to-left text is stored in drawing order: "1948" keeps its digit
    // order and the brace of an LTR record stays 0x7B.
    EXPECT_NE(s.find("1948"), std::string::npos);
    EXPECT_NE(s.find("{braces}"), std::string::npos);
    // The stream ends with the empty record and the buffer's NUL.
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(std::string(t.end() - 4, t.end()), std::string("\x07\x00\x00\x00", 4));

    const std::vector<std::uint8_t> two = Load(2);
    const std::string mirrored(two.begin(), two.end());
    // "{ג}" in right-to-left text: reversed and mirrored it is drawn as
    // "{ג}" again, and there '{' is written as 0x7E.
    EXPECT_NE(mirrored.find("~c}"), std::string::npos);
}

TEST_F(FixtureBookTest, TheIndexKeepsLevelsFlagsAndNumbers) {
    EXPECT_EQ(Listing(kIndexLesson), (std::vector<std::string>{
                                         "8001 CC 01 section 1 open shown large bold: ספר ראשון",
                                         "4001 81 02 article 1 shown normal: שיעור ראשון",
                                         "8028 89 02 section 40 closed shown normal bold: פרק סגור",
                                         "4002 01 03 article 2 hidden normal: שיעור שני",
                                         "8002 49 03 section 2 open hidden normal bold: פרק פתוח בתוך סגור",
                                         "4003 01 04 article 3 hidden normal: שיעור שלישי",
                                         "0007 82 02 entry 7 shown small: הערה",
                                         "8003 89 01 section 3 closed shown normal bold: ספר שני",
                                         "4004 09 02 article 4 hidden normal bold: שיעור רביעי",
                                         "4004 81 02 article 4 shown normal: שוב רביעי",
                                         "0000 01 00 entry 0 hidden normal: רמה אפס",
                                     }));
    const std::vector<std::uint8_t> data = Load(kIndexLesson);
    ASSERT_GE(data.size(), 6u);
    EXPECT_EQ(std::string(data.end() - 6, data.end()), std::string(6, '\0')) << "five zero bytes and the NUL";
}

}  // namespace
