#include <gtest/gtest.h>

#include "app/app_state.h"
#include "platform/memory.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "format/book_format.h"

// The buffer length LoadArticle reports covers the whole stream: walking the
// records of every lesson within that length ends exactly at the end mark.
TEST(ArticleLength, CoversEveryRecordOfEveryLesson) {
    plat::Module module;
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    for (int lesson = 1; lesson <= 262; ++lesson) {
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        ASSERT_NE(text, nullptr) << lesson;
        ASSERT_GE(length, 2u);
        EXPECT_EQ(text[length - 2], 0) << lesson;
        EXPECT_EQ(text[length - 1], 0) << lesson;
        LineRecordInfo record;
        std::uint32_t offset = 0;
        while (ReadLineRecord(text, length, offset, &record)) offset = record.next;
        EXPECT_EQ(offset, length - 2) << "lesson " << lesson << " ends before its buffer";
        plat::Free(text);
    }
    std::uint32_t untouched = 77;
    EXPECT_EQ(LoadArticle(263, nullptr, &untouched), nullptr);
    EXPECT_EQ(untouched, 77u);
    AppState.Instance = nullptr;
}
