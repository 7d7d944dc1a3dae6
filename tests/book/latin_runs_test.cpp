// Latin words inside the Hebrew paragraphs of the sample book stay on one
// line at every width that can hold them, so they read in their own order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "format/book_format.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

bool IsCapital(std::uint8_t b) { return b >= 'A' && b <= 'Z'; }

// Stretches of two or more capital Latin words with one space or no-break
// space between them: where each starts in the stream and how long it is.
std::vector<std::pair<std::uint32_t, std::uint32_t>> LatinRuns(const std::uint8_t* text, std::uint32_t length) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;
    std::uint32_t i = 0;
    while (i < length) {
        if (!IsCapital(text[i]) || (i > 0 && IsCapital(text[i - 1]))) {
            ++i;
            continue;
        }
        std::uint32_t end = i;
        int words = 0;
        for (;;) {
            while (end < length && IsCapital(text[end])) ++end;
            ++words;
            if (end + 1 < length && (text[end] == ' ' || text[end] == 0xA0) && IsCapital(text[end + 1])) {
                ++end;
            } else {
                break;
            }
        }
        if (words > 1) runs.emplace_back(i, end - i);
        i = end;
    }
    return runs;
}

class LatinRunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        static plat::Module module;
        plat::headless::Reset();
        ClearAppState();
        plat::AddResourceTable(&module, BookResourceTable());
        AppState.Instance = &module;
        AppState.Font.FontSize = 16;
        AppState.Font.FontAsciiBase = 1488;
        dc_ = plat::CreateImageDC(480, 320);
    }
    void TearDown() override {
        if (view_ != nullptr) DestroyArticleView(view_, 1);
        plat::DeleteImageDC(dc_);
    }
    // Lays the lesson out in a view `width` pixels wide.
    void Show(int lesson, int width) {
        if (view_ != nullptr) DestroyArticleView(view_, 1);
        const plat::Rect rect{0, 0, width, 320};
        view_ = CreateArticleView(dc_, &rect, &AppState.Font, 100);
        ASSERT_NE(view_, nullptr);
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(LessonNumber(lesson), nullptr, &length);
        ASSERT_NE(text, nullptr) << lesson;
        ASSERT_EQ(LayoutArticle(view_, text, 1, length), 0) << lesson;
    }
    plat::Dc dc_ = nullptr;
    ArticleView* view_ = nullptr;
};

TEST_F(LatinRunsTest, ARunOfLatinWordsIsNeverSplitOverLines) {
    int runsSeen = 0;
    for (int lesson : {124, 212, 218, 243, 244}) {
        for (int width = 160; width <= 480; ++width) {
            Show(lesson, width);
            const auto runs = LatinRuns(view_->text, view_->textLength);
            if (width == 160) runsSeen += int(runs.size());
            for (const auto& [start, length] : runs) {
                for (int i = 0; i < view_->lineCount; ++i) {
                    const DisplayLine& line = view_->lines[i];
                    const std::uint32_t from = line.textOffset, to = from + line.charCount;
                    if (line.charCount == 0 || to <= start || from >= start + length) continue;
                    ASSERT_TRUE(from <= start && to >= start + length)
                        << "lesson " << lesson << " at " << width << " px: the run at " << start
                        << " is cut by line " << i << " (" << from << "-" << to << ")";
                }
            }
        }
    }
    // 124 LIBERTY BELL, 212 ROSH HASHANA, 218 RAISIN CELERY, 243 CITRUS
    // MEDICA, 244 PHOENIX DACTYLIFERA and MYRTUS COMMUNIS.
    EXPECT_EQ(runsSeen, 6);
}

TEST_F(LatinRunsTest, TheRunIsDrawnInReadingOrderAt320Pixels) {
    Show(244, 320);
    // Start the page at the line that holds the run, and paint it.
    int found = -1;
    for (int i = 0; i < view_->lineCount && found < 0; ++i) {
        const std::string line(reinterpret_cast<const char*>(view_->text) + view_->lines[i].textOffset,
                               view_->lines[i].charCount);
        if (line.find("PHOENIX") != std::string::npos || line.find("DACTYLIFERA") != std::string::npos) found = i;
    }
    ASSERT_GE(found, 0);
    view_->topLine = std::uint16_t(found);
    plat::headless::ClearDrawLog();
    PaintArticleView(view_, 1);
    int drawn = 0;
    for (const plat::headless::DrawOp& op : plat::headless::DrawLog()) {
        if (op.kind != plat::headless::DrawOp::Text) continue;
        if (op.text.find(u"PHOENIX") == std::u16string::npos && op.text.find(u"DACTYLIFERA") == std::u16string::npos) {
            continue;
        }
        ++drawn;
        EXPECT_NE(op.text.find(u"PHOENIX\u00A0DACTYLIFERA"), std::u16string::npos);
    }
    EXPECT_EQ(drawn, 1);
}

}  // namespace
