// The marks, their registry value, the removal question and the Bookmarks
// section of the index.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "format/index_stream.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "support/temp_registry.h"
#include "view/view_test_support.h"

namespace {

const std::string kBookKey =
    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n";

class Bookmarks : public ::testing::Test {
protected:
    TempRegistry registry;

    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
    }
    void TearDown() override {
        FreeBookmarks();
        plat::testing::ResetAllocationFailure();
        plat::headless::Reset();
    }
    static std::vector<LessonNumber> List() {
        std::vector<LessonNumber> out;
        if (AppState.BookmarkList == nullptr) return out;
        for (int i = 0; i < AppState.BookmarkCount; ++i) out.push_back(AppState.BookmarkList[i]);
        EXPECT_EQ(AppState.BookmarkList[AppState.BookmarkCount], 0) << "the list ends with 0";
        return out;
    }
    static void Mark(LessonNumber lesson) {
        AppState.Lesson = lesson;
        ToggleBookmark(IsBookmarked());
    }
    std::string StoredValue() const {
        const std::string text = registry.Read();
        const std::size_t at = text.find("\"Bookmarks\"=");
        if (at == std::string::npos) return "";
        return text.substr(at + 12, text.find('\n', at) - at - 12);
    }
};

TEST_F(Bookmarks, TheStoredValueIsReadUpToItsEndWhateverItHolds) {
    struct Case {
        const char* name;
        const char* stored;  // nullptr: no value
        std::vector<LessonNumber> marks;
    };
    const Case cases[] = {
        {"two marks and the 0", "hex:1e,00,05,01,00,00", {30, 261}},
        {"no trailing 0", "hex:05,00,07,00", {5, 7}},
        {"an odd size counts whole entries", "hex:05,00,07", {5}},
        {"a 0 in the middle ends the list", "hex:05,00,00,00,09,00,00,00", {5}},
        {"only the 0", "hex:00,00", {}},
        {"empty", "hex:", {}},
        {"stored as a number", "dword:00000009", {9}},
        {"missing", nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry.Write(kBookKey + (c.stored ? std::string("\"Bookmarks\"=") + c.stored + "\n" : ""));
        LoadBookmarks();
        EXPECT_EQ(List(), c.marks);
        EXPECT_EQ(AppState.BookmarkCount, c.marks.size());
        FreeBookmarks();
    }
}

TEST_F(Bookmarks, MarksAreSavedInTheOrderMadeWithTheir0) {
    SaveBookmarks();
    EXPECT_EQ(StoredValue(), "hex:00,00");
    Mark(30);
    EXPECT_EQ(List(), (std::vector<LessonNumber>{30}));
    SaveBookmarks();
    EXPECT_EQ(StoredValue(), "hex:1e,00,00,00");
    Mark(261);
    Mark(4);
    SaveBookmarks();
    EXPECT_EQ(StoredValue(), "hex:1e,00,05,01,04,00,00,00");
    FreeBookmarks();
    LoadBookmarks();
    EXPECT_EQ(List(), (std::vector<LessonNumber>{30, 261, 4}));
}

TEST_F(Bookmarks, TheRemovalQuestionIsAnswered) {
    AppState.Lesson = 7;
    AddBookmark();
    AddBookmark();  // marking twice keeps one entry
    EXPECT_EQ(List(), (std::vector<LessonNumber>{7}));

    plat::headless::ScriptMessageBoxAnswers({IDNO, IDYES});
    Mark(7);
    EXPECT_EQ(List(), (std::vector<LessonNumber>{7}));  // No keeps it
    Mark(7);
    EXPECT_TRUE(List().empty());  // Yes removes it
    ASSERT_EQ(plat::headless::MessageBoxes().size(), 2u);
    const auto& box = plat::headless::MessageBoxes()[0];
    EXPECT_EQ(box.text, u"Remove Bookmark?\n\nCancel - Don't ask again");
    EXPECT_EQ(box.caption, u"Bookmark");
    EXPECT_EQ(box.type & MB_TYPEMASK, MB_YESNOCANCEL);
    EXPECT_EQ(AppState.BookmarkList[0], 0);  // the array stays, holding its 0
    SaveBookmarks();
    EXPECT_EQ(StoredValue(), "hex:00,00");

    Mark(7);
    Mark(8);
    plat::headless::ScriptMessageBoxAnswers({IDCANCEL});
    Mark(7);  // Cancel removes and stops the question
    Mark(8);
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(plat::headless::MessageBoxes().size(), 3u);
}

TEST_F(Bookmarks, AMarkThatCannotBeAddedLeavesTheListAsItWas) {
    Mark(3);
    plat::testing::FailAllocationsAfter(0);
    Mark(4);
    plat::testing::ResetAllocationFailure();
    EXPECT_EQ(List(), (std::vector<LessonNumber>{3}));
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

// An index: a section with lessons 5 and 6, then lesson 9 at the top level.
std::vector<std::uint8_t> SmallIndex() {
    return {0x01, 0x80, 0xC1, 1, 's', 0,  //
            0x05, 0x40, 0x81, 2, 'f', 'i', 'v', 'e', 0,
            0x06, 0x40, 0x01, 2, 's', 'i', 'x', 0,
            0x09, 0x40, 0x81, 1, 'n', 'i', 'n', 'e', 0,
            0, 0, 0, 0, 0};
}

struct Record {
    std::uint16_t id;
    std::uint8_t flags;
    std::uint8_t level;
    std::string text;
    bool operator==(const Record&) const = default;
};
std::vector<Record> Records(const std::uint8_t* data, std::uint32_t length) {
    std::vector<Record> out;
    IndexRecordRef r;
    for (std::uint32_t at = 0; ReadIndexRecord(data, length, at, &r); at = NextIndexRecord(r)) {
        out.push_back({r.id, r.flags, r.level,
                       std::string(reinterpret_cast<const char*>(data + r.textOffset), r.textLength)});
    }
    return out;
}

TEST_F(Bookmarks, TheSectionListsTheMarksInOrderWithTheirIndexTitles) {
    Mark(9);
    Mark(200);  // not in the index: kept, but no entry
    Mark(6);
    const std::vector<std::uint8_t> index = SmallIndex();
    std::uint32_t length = std::uint32_t(index.size());
    std::uint8_t* data = PrependBookmarkSection(viewtest::Owned(index), &length);
    const std::vector<Record> expected = {
        {0x8877, 0xC1, 1, "jiyu"},      {0x4009, 0x81, 2, "nine"},
        {0x4006, 0x81, 2, "six"},       {0x8001, 0xC1, 1, "s"},
        {0x4005, 0x81, 2, "five"},      {0x4006, 0x01, 2, "six"},
        {0x4009, 0x81, 1, "nine"},
    };
    EXPECT_EQ(Records(data, length), expected);
    EXPECT_EQ(length, IndexRecordsSize(data, length) + 5);
    EXPECT_EQ(data[length - 3], 0);  // the stream ends with its terminator
    plat::Free(data);
    EXPECT_EQ(List(), (std::vector<LessonNumber>{9, 200, 6}));

    // Without index data only the heading remains.
    length = 0;
    data = PrependBookmarkSection(nullptr, &length);
    EXPECT_EQ(Records(data, length), (std::vector<Record>{{0x8877, 0xC1, 1, "jiyu"}}));
    plat::Free(data);
}

TEST_F(Bookmarks, WithoutMarksOrMemoryTheIndexIsShownAsItIs) {
    const std::vector<std::uint8_t> index = SmallIndex();
    std::uint8_t* owned = viewtest::Owned(index);
    std::uint32_t length = std::uint32_t(index.size());
    EXPECT_EQ(PrependBookmarkSection(owned, &length), owned);  // no list at all
    Mark(5);
    AppState.BookmarkPromptFlags = 1;
    Mark(5);  // the list now holds only its 0
    EXPECT_EQ(PrependBookmarkSection(owned, &length), owned);

    Mark(5);
    plat::testing::FailAllocationsAfter(0);
    EXPECT_EQ(PrependBookmarkSection(owned, &length), owned);  // the section cannot be made
    plat::testing::FailAllocationsAfter(1);
    std::uint8_t* shown = PrependBookmarkSection(owned, &length);  // nor joined
    plat::testing::ResetAllocationFailure();
    EXPECT_EQ(shown, owned);
    EXPECT_EQ(length, index.size());
    plat::Free(owned);
}

TEST_F(Bookmarks, AnIndexWithoutItsEndIsNotReadPastIt) {
    std::vector<std::uint8_t> index = SmallIndex();
    index.resize(index.size() - 9);  // cut inside the last record
    viewtest::Guarded guarded(index);
    Mark(9);
    Mark(5);
    std::uint32_t sectionLength = 0;
    std::uint8_t* section =
        BuildBookmarkSection(guarded.data(), std::uint32_t(index.size()), &sectionLength);
    EXPECT_EQ(Records(section, sectionLength),
              (std::vector<Record>{{0x8877, 0xC1, 1, "jiyu"}, {0x4005, 0x81, 2, "five"}}));
    plat::Free(section);
}

}  // namespace
