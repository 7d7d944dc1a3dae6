// Copy's work without the clipboard: decoding an article into lines (with
// right-to-left lines put into reading order) and writing its Rich Text
// body, for the longest lesson (95) and for the whole book.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/rtf_writer.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "store/article_store.h"

namespace {

struct Article {
    std::vector<std::uint8_t> stream;
};

const std::vector<Article>& Book() {
    static const std::vector<Article> book = [] {
        static plat::Module module;
        plat::AddResourceTable(&module, BookResourceTable());
        AppState.Instance = &module;
        std::vector<Article> out;
        for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
            std::uint32_t length = 0;
            std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
            out.push_back({std::vector<std::uint8_t>(text, text + length)});
            plat::Free(text);
        }
        return out;
    }();
    return book;
}

void Export(benchmark::State& state, bool richText, int first, int last) {
    const std::vector<Article>& book = Book();
    AppState.Font.FontAsciiBase = richText ? 1488 : 224;
    AppState.Flags = 0;
    std::int64_t bytes = 0;
    std::vector<char> body;
    for (auto _ : state) {
        for (int lesson = first; lesson <= last; ++lesson) {
            const Article& a = book[std::size_t(lesson - 1)];
            char16_t* text = DecodeForExport(a.stream.data(), std::uint32_t(a.stream.size()));
            if (richText) {
                body.resize(WriteRtfBody(text, nullptr) + 1);
                benchmark::DoNotOptimize(WriteRtfBody(text, body.data()));
            }
            benchmark::DoNotOptimize(text);
            plat::Free(text);
            bytes += std::int64_t(a.stream.size());
        }
    }
    state.SetBytesProcessed(bytes);
}

void BM_RichTextLongestLesson(benchmark::State& state) { Export(state, true, 95, 95); }
void BM_RichTextWholeBook(benchmark::State& state) { Export(state, true, kFirstLesson, kLastLesson); }
void BM_UnicodeTextWholeBook(benchmark::State& state) { Export(state, false, kFirstLesson, kLastLesson); }

BENCHMARK(BM_RichTextLongestLesson);
BENCHMARK(BM_RichTextWholeBook);
BENCHMARK(BM_UnicodeTextWholeBook);

}  // namespace
