// Every lesson of the book through the export: the buffer size by the
// rule, the decoded text inside it, and the Rich Text body sized exactly.
#include <gtest/gtest.h>

#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/export_text.h"
#include "clipboard/rtf_writer.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "resources/book_resources.h"
#include "store/article_store.h"

namespace {

// The buffer rule, walked here on its own: records are flag, layout, then
// bytes up to a NUL (a special record with a zero byte at offset 2, or a
// zero layout byte, is three bytes long).
std::uint32_t RuleSize(const std::uint8_t* t, std::uint32_t length) {
    std::uint32_t at = 0;
    std::uint32_t lines = 0, dashes = 0, indents = 0;
    while (at < length && t[at] != 0) {
        const std::uint8_t flags = t[at];
        const std::uint8_t layout = t[at + 1];
        lines += (flags & 0x80) ? 2 : 1;
        if ((flags & 7) == 7) {
            dashes += layout <= 160 ? layout : (layout - 160) * 2;
            if (layout == 0 || t[at + 2] == 0) {
                at += 3;
                continue;
            }
        } else {
            indents += layout & 0x3F;
        }
        at += 2;
        while (t[at] != 0) ++at;
        ++at;
    }
    return (at + at / 2 + 2 * lines + dashes + indents + 1) * 2;
}

TEST(BookExport, EveryLessonFitsItsBufferAndItsBody) {
    plat::headless::Reset();
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
        std::uint32_t length = 0;
        std::uint8_t* stream = LoadArticle(lesson, nullptr, &length);
        ASSERT_NE(stream, nullptr) << lesson;
        const std::uint32_t size = ExportBufferSize(stream, length);
        EXPECT_EQ(size, RuleSize(stream, length)) << lesson;
        for (std::int32_t base : {97, 224, 1488}) {
            for (std::uint32_t flags : {0u, AppFlags::Reverse}) {
                AppState.Font.FontAsciiBase = base;
                AppState.Flags = flags;
                char16_t* text = DecodeForExport(stream, length);
                ASSERT_NE(text, nullptr) << lesson;
                EXPECT_LT(plat::U16Length(text), size / 2) << lesson;
                const std::uint32_t counted = WriteRtfBody(text, nullptr);
                std::vector<char> body(counted + 1);
                EXPECT_EQ(WriteRtfBody(text, body.data()), counted) << lesson;
                plat::Free(text);
            }
        }
        plat::Free(stream);
    }
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
    AppState.Flags = 0;
    AppState.Instance = nullptr;
}

}  // namespace
