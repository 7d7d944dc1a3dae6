// The whole program on the headless backend with the compiled book: Search
// opened from the menu, a word tapped on the keyboard picture, OK; the
// reader lands on the word with the banner drawn, F3's command and Enter go
// on from there, and the pattern is kept for the next start.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "resources/search_resources.h"
#include "search/search.h"
#include "store/article_store.h"
#include "support/program_fixture.h"
#include "view/article_view.h"

namespace {

using plat::headless::DrawOp;

// "afikoman" in reading order, and the keys that carry its letters.
const char16_t kWord[] = u"\u05D0\u05E4\u05D9\u05E7\u05D5\u05DE\u05DF";

int KeyOf(char16_t letter) {
    const char code = char(0x61 + (letter - 0x05D0));
    return int(std::strchr(KeyboardLetterTable, code) - KeyboardLetterTable) + 1;
}

void TapKey(plat::Window dialog, int key) {
    const int row = (key - 1) / kKeyColumns;
    const int col = kKeyColumns * (row + 1) - key;
    // Headless dialog units are 2 pixels: the picture starts at (14, 142).
    plat::SendMessage(dialog, WM_LBUTTONDOWN, 0,
                      plat::MakeLParam(std::uint16_t(14 + col * kKeyWidth + 8),
                                       std::uint16_t(142 + row * kKeyHeight + 12)));
}

// The lessons after `from` (wrapping) that hold the stored pattern, in the
// order a search meets them.
std::vector<LessonNumber> LessonsHolding(const char* pattern, LessonNumber from) {
    std::vector<LessonNumber> found;
    for (int step = 1; step <= kLastLesson; ++step) {
        const LessonNumber lesson = LessonNumber((from - 1 + step) % kLastLesson + 1);
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        int n = 0;
        if (text != nullptr &&
            FindPatternInArticle(text, length, 0, reinterpret_cast<const std::uint8_t*>(pattern), &n) != 0) {
            found.push_back(lesson);
        }
        plat::Free(text);
    }
    return found;
}

class ProgramSearch : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        plat::headless::SetScreenSize(240, 320);
        StoreFont("Headless Hebrew");
    }
    static int BannerFrames() {
        int n = 0;
        for (const DrawOp& op : plat::headless::DrawLog()) {
            if (op.kind == DrawOp::Rectangle && op.penColour == 0x0000FF) ++n;
        }
        return n;
    }
};

TEST_F(ProgramSearch, TappedWordIsFoundAndSearchGoesOnFromIt) {
    const char stored[] = "pofxjua";  // the word's codes in stored order
    std::vector<LessonNumber> expected;
    steps = {
        [&] {
            expected = LessonsHolding(stored, AppState.Lesson);
            ASSERT_GE(expected.size(), 1u);
            plat::headless::SetDialogDriver([](plat::Window dialog, std::uint16_t id) {
                ASSERT_EQ(id, kDialogSearch);
                for (const char16_t* p = kWord; *p != 0; ++p) TapKey(dialog, KeyOf(*p));
                plat::SendMessage(dialog, WM_COMMAND, IDOK, 0);
            });
            // The lesson shown is marked; the one the search opens is not.
            plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Bookmark, 0);
            ASSERT_TRUE(BookmarkChecked());
            plat::headless::ClearDrawLog();
            plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Search, 0);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(AppState.SearchString)), stored);
            EXPECT_EQ(AppState.Lesson, expected[0]);
            EXPECT_EQ(AppState.View->highlightEnd - AppState.View->highlightStart, 7);
            EXPECT_EQ(BannerFrames(), 2);
            EXPECT_FALSE(BookmarkChecked());
            EXPECT_TRUE(plat::headless::MessageBoxes().empty());
        },
        [&] {
            // Search Again and Enter move on to later hits, never the same one.
            const std::uint16_t first = AppState.View->highlightStart;
            plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::SearchAgain, 0);
            const bool moved = AppState.Lesson != expected[0] || AppState.View->highlightStart != first;
            EXPECT_TRUE(moved);
            plat::SendMessage(AppState.MainWindow, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_TRUE(plat::headless::MessageBoxes().empty());
        },
    };
    Run();
    EXPECT_NE(registry.Read().find("\"SearchString\"=hex:70,6f,66,78,6a,75,61,00"), std::string::npos)
        << registry.Read();
}

}  // namespace
