// The sample book as the reader gets it, checked through the compiled
// resources: titles, links, the index, the portions' places and search.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "calendar/weekly_schedule.h"
#include "platform/memory.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "format/book_format.h"

namespace {

using Bytes = std::string;

// Stored form of Hebrew text without digits or Latin: the letters in the
// 8-bit code, in visual (reversed) order.
Bytes Stored(std::u16string_view hebrew) {
    Bytes out;
    for (char16_t c : hebrew) {
        out.push_back(c >= 0x05D0 && c <= 0x05EA ? char(0x61 + (c - 0x05D0)) : char(c));
    }
    return Bytes(out.rbegin(), out.rend());
}

struct Lesson {
    std::vector<LineRecordInfo> records;
    Bytes text;  // the whole stream
    Bytes RecordText(std::size_t i) const {
        const LineRecordInfo& r = records[i];
        return text.substr(r.textStart, r.textLength);
    }
};

class SampleBook : public ::testing::Test {
protected:
    static std::map<int, Lesson> lessons;
    static Bytes index;

    static void SetUpTestSuite() {
        static plat::Module module;
        plat::AddResourceTable(&module, BookResourceTable());
        AppState.Instance = &module;
        for (int n = 1; n <= kLastLesson; ++n) {
            std::uint32_t length = 0;
            std::uint8_t* text = LoadArticle(n, nullptr, &length);
            ASSERT_NE(text, nullptr) << n;
            Lesson lesson;
            lesson.text.assign(reinterpret_cast<const char*>(text), length);
            LineRecordInfo record;
            for (std::uint32_t at = 0; ReadLineRecord(text, length, at, &record); at = record.next) {
                lesson.records.push_back(record);
            }
            lessons[n] = lesson;
            plat::Free(text);
        }
        std::uint32_t length = 0;
        std::uint8_t* data = LoadArticle(kIndexLesson, nullptr, &length);
        ASSERT_NE(data, nullptr);
        index.assign(reinterpret_cast<const char*>(data), length);
        plat::Free(data);
    }

    // Lesson entries of the index: lesson number -> text of its first entry.
    static std::map<int, Bytes> IndexEntries() {
        std::map<int, Bytes> entries;
        std::size_t at = 0;
        while (at + 5 <= index.size() && index[at + 2] != 0) {
            const unsigned id = unsigned(std::uint8_t(index[at])) | (unsigned(std::uint8_t(index[at + 1])) << 8);
            std::size_t end = index.find('\0', at + 4);
            if (end == Bytes::npos) break;
            if (id & 0x4000) entries.emplace(int(id & 0x3FFF), index.substr(at + 4, end - at - 4));
            at = end + 1;
        }
        return entries;
    }
};

std::map<int, Lesson> SampleBook::lessons;
Bytes SampleBook::index;

}  // namespace

TEST_F(SampleBook, EveryLessonOpensWithTitleAndSubtitle) {
    for (auto& [n, lesson] : lessons) {
        ASSERT_GE(lesson.records.size(), 3u) << n;
        const std::uint8_t title = lesson.records[0].flags;
        const std::uint8_t subtitle = lesson.records[1].flags;
        EXPECT_TRUE(title == 0xDC || title == 0xCC) << "lesson " << n;
        EXPECT_TRUE(subtitle == 0xD1 || subtitle == 0xC1) << "lesson " << n;
        EXPECT_FALSE(lesson.RecordText(0).empty()) << n;
        EXPECT_FALSE(lesson.RecordText(1).empty()) << n;
    }
}

TEST_F(SampleBook, LinksLeadToLessonsThatExist) {
    int links = 0, backLinks = 0;
    std::set<int> linkedTo;
    for (auto& [n, lesson] : lessons) {
        for (const LineRecordInfo& r : lesson.records) {
            if (r.kind != LineRecordKind::Link) continue;
            if (r.linkNumber == kBackLink) {
                ++backLinks;
                continue;
            }
            ++links;
            EXPECT_GE(r.linkNumber, 1) << "lesson " << n;
            EXPECT_LE(r.linkNumber, kLastLesson) << "lesson " << n;
            EXPECT_GT(r.textLength, 0u) << "a link of lesson " << n << " has no caption";
            linkedTo.insert(r.linkNumber);
        }
    }
    EXPECT_GT(links, 262);
    EXPECT_GT(backLinks, 100);
    // Lessons reached by a link offer the way back.
    for (int target : linkedTo) {
        bool back = false;
        for (const LineRecordInfo& r : lessons[target].records) {
            back = back || (r.kind == LineRecordKind::Link && r.linkNumber == kBackLink);
        }
        EXPECT_TRUE(back) << "lesson " << target << " is reached by a link but has no back link";
    }
}

TEST_F(SampleBook, TheIndexNamesEveryLessonByItsTitle) {
    std::map<int, Bytes> entries = IndexEntries();
    for (auto& [n, lesson] : lessons) {
        auto it = entries.find(n);
        ASSERT_NE(it, entries.end()) << "lesson " << n << " is not in the index";
        EXPECT_EQ(it->second, lesson.RecordText(0)) << "index title of lesson " << n;
    }
}

TEST_F(SampleBook, PortionsSitAtTheirLessons) {
    const char16_t* names[kPortionCount] = {
        u"בראשית", u"נח", u"לך לך", u"וירא", u"חיי שרה", u"תולדות", u"ויצא", u"וישלח", u"וישב",
        u"מקץ", u"ויגש", u"ויחי", u"שמות", u"וארא", u"בא", u"בשלח", u"יתרו", u"משפטים",
        u"תרומה", u"תצוה", u"כי תשא", u"ויקהל", u"פקודי", u"ויקרא", u"צו", u"שמיני", u"תזריע",
        u"מצורע", u"אחרי מות", u"קדושים", u"אמור", u"בהר", u"בחקותי", u"במדבר", u"נשא",
        u"בהעלותך", u"שלח", u"קרח", u"חקת", u"בלק", u"פינחס", u"מטות", u"מסעי", u"דברים",
        u"ואתחנן", u"עקב", u"ראה", u"שופטים", u"כי תצא", u"כי תבוא", u"נצבים", u"וילך",
        u"האזינו", u"וזאת הברכה"};
    int placed = 0;
    for (int code = 0; code < kPortionCount; ++code) {
        LessonNumber n = PortionLessonTable[code];
        if (n == 0) continue;
        ++placed;
        EXPECT_EQ(lessons[n].RecordText(0), Stored(names[code])) << "portion " << code;
    }
    EXPECT_EQ(placed, 46);
    // The two joined portions that have lessons of their own.
    EXPECT_EQ(lessons[84].RecordText(0), Stored(u"ויקהל-פקודי"));
    EXPECT_EQ(lessons[118].RecordText(0), Stored(u"תזריע-מצורע"));
}

TEST_F(SampleBook, HasLengthForPagingAndWordsForSearch) {
    int over8k = 0, over30k = 0, shortest = 1 << 30;
    int withWord = 0;
    const Bytes word = Stored(u"של");
    for (auto& [n, lesson] : lessons) {
        int size = int(lesson.text.size());
        over8k += size > 8 * 1024;
        over30k += size > 30 * 1024;
        shortest = std::min(shortest, size);
        withWord += lesson.text.find(word) != Bytes::npos;
    }
    EXPECT_GE(over8k, 10);
    EXPECT_GE(over30k, 1);
    EXPECT_GE(shortest, 500);
    EXPECT_GE(withWord, 200) << "a common word is found in most lessons";
}
