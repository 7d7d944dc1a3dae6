// The sample book as the reader links it: every lesson and the index load
// and hold well-formed streams, and the listing tool reads them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "tools/cli/listings/record_dump.h"

namespace {

class SampleBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = plat::Module{};
        plat::AddResourceTable(&module_, BookResourceTable());
        AppState.Instance = &module_;
        plat::headless::ClearMessageBoxes();
    }
    void TearDown() override { AppState.Instance = nullptr; }

    // Text length from the container header.
    static std::size_t TextLength(int lesson) {
        const plat::ResourceData r =
            plat::FindResourceData(AppState.Instance, RT_RCDATA, std::uint16_t(1000 + lesson));
        return r.size >= 10 ? (std::size_t(r.bytes[8]) << 8 | r.bytes[9]) : 0;
    }

    static std::string ReadingText(const std::uint8_t* bytes, bool rtl) {
        std::size_t n = 0;
        while (bytes[n] != 0) {
            ++n;
        }
        return StoredTextToReadingOrder(bytes, n, rtl);
    }

    plat::Module module_;
};

// Walks one article stream; returns an empty string when it is well formed.
std::string CheckArticle(const std::uint8_t* t, std::size_t length) {
    std::size_t pos = 0;
    int records = 0;
    while (pos < length) {
        const std::uint8_t flags = t[pos];
        if (flags == 0) {
            return "a zero flag byte before the end at " + std::to_string(pos);
        }
        if (pos + 2 >= length) {
            return "record cut at " + std::to_string(pos);
        }
        const std::uint8_t layout = t[pos + 1];
        if ((flags & 7) == 7) {
            if (layout == 0 || t[pos + 2] == 0) {
                pos += 3;
            } else {
                unsigned number = t[pos + 2] & 0x7F;
                std::size_t caption = pos + 3;
                if (t[pos + 3] & 0x80) {
                    number |= unsigned(t[pos + 3] & 0x7F) << 7;
                    ++caption;
                }
                if (!(number >= 1 && number <= 262) && number != 16383) {
                    return "link to " + std::to_string(number);
                }
                if (t[caption] == 0) {
                    return "link without a caption at " + std::to_string(pos);
                }
                while (caption < length && t[caption] != 0) {
                    ++caption;
                }
                pos = caption + 1;
            }
        } else {
            std::size_t end = pos + 2;
            while (end < length && t[end] != 0) {
                ++end;
            }
            if (records == 0 && end == pos + 2) {
                return "empty first paragraph";
            }
            if (records == 0 && flags != 0xDC) {
                return "no title first";
            }
            if (records == 1 && flags != 0xD1) {
                return "no subtitle second";
            }
            pos = end + 1;
        }
        ++records;
    }
    if (pos != length) {
        return "the last record runs past the text length";
    }
    if (t[length] != 0) {
        return "no end mark";
    }
    return records >= 3 ? "" : "fewer than three records";
}

TEST_F(SampleBookTest, EveryLessonIsAWellFormedArticle) {
    for (int lesson = 1; lesson <= 262; ++lesson) {
        int code = 0;
        std::uint8_t* text = LoadArticle(lesson, &code);
        ASSERT_NE(text, nullptr) << "lesson " << lesson << " code " << code;
        const std::size_t length = TextLength(lesson);
        EXPECT_EQ(CheckArticle(text, length), "") << "lesson " << lesson;
        plat::Free(text);
    }
    int code = 0;
    EXPECT_EQ(LoadArticle(263, &code), nullptr);
    EXPECT_EQ(code, ArticleError::NotFound);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(SampleBookTest, PortionsSitAtTheirLessonNumbers) {
    // A few of the fixed numbers the weekly schedule opens.
    const std::pair<int, const char*> portions[] = {
        {4, "בראשית"},   {6, "נח"},          {36, "ויחי"},    {56, "שמות"},       {84, "ויקהל-פקודי"},
        {111, "פקודי"},  {118, "תזריע-מצורע"}, {120, "אחרי מות"}, {158, "במדבר"}, {176, "מטות"},
        {201, "כי תבוא"}};
    for (const auto& [lesson, title] : portions) {
        std::uint8_t* text = LoadArticle(lesson);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text[0], 0xDC);
        EXPECT_EQ(ReadingText(text + 2, true), title) << "lesson " << lesson;
        plat::Free(text);
    }
}

TEST_F(SampleBookTest, TheIndexOutlinesEveryLesson) {
    std::uint8_t* data = LoadArticle(kIndexLesson);
    ASSERT_NE(data, nullptr);
    const std::size_t length = TextLength(kIndexLesson);
    ASSERT_GE(length, 5u);
    std::set<int> lessons, sections;
    int maxLevel = 0, open = 0, closed = 0;
    std::size_t pos = 0;
    while (pos + 4 < length && data[pos + 2] != 0) {
        const unsigned id = data[pos] | unsigned(data[pos + 1]) << 8;
        const std::uint8_t flags = data[pos + 2];
        maxLevel = std::max(maxLevel, int(data[pos + 3]));
        EXPECT_NE(data[pos + 4], 0) << "empty text at " << pos;
        if (id & 0x8000) {
            EXPECT_TRUE(sections.insert(int(id & 0x3FFF)).second) << "section number twice: " << (id & 0x3FFF);
            EXPECT_NE(id & 0x3FFF, 0x877u);
            (flags & 0x40 ? open : closed) += 1;
        } else {
            ASSERT_TRUE(id & 0x4000);
            const int lesson = int(id & 0x3FFF);
            EXPECT_TRUE(lesson >= 1 && lesson <= 262) << lesson;
            lessons.insert(lesson);
        }
        pos += 4;
        while (pos < length && data[pos] != 0) {
            ++pos;
        }
        ++pos;
    }
    EXPECT_EQ(pos + 5, length) << "the stream ends with five zero bytes";
    for (std::size_t k = pos; k < length; ++k) {
        EXPECT_EQ(data[k], 0);
    }
    EXPECT_EQ(lessons.size(), 262u);
    EXPECT_GE(maxLevel, 3);
    EXPECT_GT(open, 0);
    EXPECT_GT(closed, 0);
    EXPECT_EQ(data[2] & 0x80, 0x80) << "the first entry is shown";
    plat::Free(data);
}

TEST_F(SampleBookTest, ListingsNameEveryRecordAndRefuseMissingLessons) {
    std::string listing, error;
    ASSERT_TRUE(DescribeLesson(3, &listing, &error));
    EXPECT_NE(listing.find("lesson 3: "), std::string::npos);
    EXPECT_NE(listing.find("DC 00  title rtl large bold centre blank: איך ללמוד בספר\n"), std::string::npos);
    EXPECT_NE(listing.find("label=2 cont: סימן השאלה"), std::string::npos);
    EXPECT_NE(listing.find("rule 80px centre"), std::string::npos);
    EXPECT_NE(listing.find("back rtl right: חזרה למקום הקודם"), std::string::npos);

    ASSERT_TRUE(DescribeLesson(kIndexLesson, &listing, &error));
    EXPECT_NE(listing.find("section 1 open shown large bold: פתיחה"), std::string::npos);
    EXPECT_NE(listing.find("article 4 shown normal: בראשית"), std::string::npos);

    EXPECT_FALSE(DescribeLesson(263, &listing, &error));
    EXPECT_NE(error.find("lesson 263"), std::string::npos);
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_FALSE(DescribeLesson(0, &listing, &error));
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

}  // namespace
