// The reader view through the Qt backend with a real Hebrew font: laying out
// the longest article of the book and a 60 KB article, painting a page,
// scrolling by one line, and how layout grows with the paragraph's length.
#include <benchmark/benchmark.h>

#include <chrono>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

struct Article {
    std::vector<std::uint8_t> bytes;  // the stream with its end mark
    int lesson = 0;
};

void UseHebrewFont() {
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    const char16_t name[] = u"David CLM";
    std::memcpy(AppState.Font.FontName, name, sizeof name);
    AppState.Font.FontSize = 0;
    AppState.Font.FontAsciiBase = 1488;
    AppState.Flags = 0;
}

// The longest article of the book, found by loading them all once.
const Article& LongestArticle() {
    static Article longest = [] {
        Article best;
        for (int lesson = 1; lesson <= 262; ++lesson) {
            std::uint32_t length = 0;
            std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
            if (text == nullptr) continue;
            if (length > best.bytes.size()) {
                best.bytes.assign(text, text + length);
                best.lesson = lesson;
            }
            plat::Free(text);
        }
        return best;
    }();
    return longest;
}

// Hebrew-like paragraphs, labelled lists, English notes, links and rules:
// about 60 KB, the most an article can hold.
const Article& SyntheticArticle() {
    static Article synthetic = [] {
        std::mt19937 random(42);
        auto word = [&](std::string& out, bool hebrew) {
            const int n = 2 + int(random() % 6);
            for (int i = 0; i < n; ++i) {
                out.push_back(hebrew ? char(kFirstLetterCode + random() % kLetterCount) : char('a' + random() % 26));
            }
        };
        auto paragraph = [&](int words, bool hebrew) {
            std::string text;
            for (int i = 0; i < words; ++i) {
                if (i > 0) text.push_back(i % 11 == 0 ? ',' : ' ');
                if (i % 11 == 0 && i > 0) text.push_back(' ');
                word(text, hebrew);
            }
            return text;
        };
        std::vector<std::uint8_t> s;
        auto record = [&](std::uint8_t flags, std::uint8_t layout, const std::string& text) {
            s.push_back(flags);
            s.push_back(layout);
            s.insert(s.end(), text.begin(), text.end());
            s.push_back(0);
        };
        while (s.size() < 60000) {
            record(0xDC, 0, paragraph(3, true));
            record(0xB1, 0, paragraph(60 + int(random() % 80), true));
            for (int i = 1; i <= 4; ++i) {
                record(0x31, 0x44, paragraph(12 + int(random() % 20), true) + " ." + char('0' + i));
            }
            record(0x82, 0, paragraph(40, false));
            s.insert(s.end(), {0x47, 0xBE, 0});
            const std::string caption = paragraph(4, true);
            s.insert(s.end(), {0x37, 0x01, std::uint8_t(0x80 | 5)});
            s.insert(s.end(), caption.begin(), caption.end());
            s.push_back(0);
        }
        s.resize(std::min<std::size_t>(s.size(), 65000));
        s.push_back(0);
        s.push_back(0);
        Article article;
        article.bytes = s;
        return article;
    }();
    return synthetic;
}

// A view on an offscreen picture, holding a copy of the article.
struct BenchView {
    plat::Dc dc = nullptr;
    ArticleView* view = nullptr;
    std::uint32_t length = 0;

    BenchView(const Article& article, int width, int height) {
        dc = plat::CreateImageDC(width, height);
        const plat::Rect rect{0, 0, width, height};
        view = CreateArticleView(dc, &rect, &AppState.Font, 100);
        auto* text = static_cast<std::uint8_t*>(plat::Allocate(article.bytes.size()));
        std::memcpy(text, article.bytes.data(), article.bytes.size());
        length = std::uint32_t(article.bytes.size());
        if (LayoutArticle(view, text, 1, length) != 0) {
            plat::Free(text);
        }
    }
    ~BenchView() {
        DestroyArticleView(view, 1);
        plat::DeleteImageDC(dc);
    }
};

void Layout(benchmark::State& state, const Article& article) {
    BenchView bench(article, int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const int result = LayoutArticle(bench.view, bench.view->text, 0, bench.length);
        benchmark::DoNotOptimize(result);
    }
    state.counters["bytes"] = double(article.bytes.size());
    state.counters["lines"] = bench.view->lineCount;
    state.counters["lesson"] = article.lesson;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(article.bytes.size()));
}

void BM_LayoutLongestArticle(benchmark::State& state) { Layout(state, LongestArticle()); }
void BM_LayoutSynthetic60K(benchmark::State& state) { Layout(state, SyntheticArticle()); }

// The mean time of `runs` calls of `work`.
template <typename Work>
double SecondsPerCall(int runs, Work work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

// A plain fill of the page's box, the yardstick of the paint figures.
double FillSeconds(plat::Dc dc, int width, int height) {
    return SecondsPerCall(400, [&] { FillViewBox(dc, ViewBox{0, 0, width, height}, WHITE_BRUSH); });
}

void BM_PaintPage(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    BenchView bench(LongestArticle(), width, height);
    bench.view->topLine = std::uint16_t(bench.view->maxTopLine / 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PaintArticleView(bench.view, 1));
    }
    state.counters["linesPainted"] = bench.view->linesPainted;
    // Paint against a plain fill of the same box, both timed here and now.
    const double paint = SecondsPerCall(200, [&] { PaintArticleView(bench.view, 1); });
    state.counters["x_fill"] = paint / FillSeconds(bench.dc, width, height);
}

void BM_PaintHighlightedPage(benchmark::State& state) {
    BenchView bench(LongestArticle(), int(state.range(0)), int(state.range(1)));
    ScrollToTextOffset(bench.view, int(bench.length / 2));
    bench.view->highlightStart = std::uint16_t(bench.length / 2);
    bench.view->highlightEnd = std::uint16_t(bench.length / 2 + 6);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PaintArticleView(bench.view, 1));
    }
}

// What the page is made of: erasing the box, and drawing one line of text.
void BM_FillBox(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    plat::Dc dc = plat::CreateImageDC(width, height);
    for (auto _ : state) {
        FillViewBox(dc, ViewBox{0, 0, width, height}, WHITE_BRUSH);
    }
    plat::DeleteImageDC(dc);
}

void BM_DrawOneLine(benchmark::State& state) {
    BenchView bench(LongestArticle(), int(state.range(0)), int(state.range(1)));
    const DisplayLine& line = bench.view->lines[bench.view->lineCount / 2];
    SelectStyleFont(bench.view, line.flags);
    TextBuffer.letterBase = 1488;
    for (auto _ : state) {
        DrawTextRun(bench.dc, bench.view->text + line.textOffset, line.charCount, line.x, 0,
                    line.width, line.height);
    }
    state.counters["chars"] = line.charCount;
}

// One line down or up, with the repaint the reader does: 60 lines down,
// then 60 up, and so on, as a reader scrolls through a stretch of text (so
// that whatever a long scroll in one direction costs now and then counts).
void BM_ScrollOneLine(benchmark::State& state) {
    BenchView bench(LongestArticle(), int(state.range(0)), int(state.range(1)));
    const int middle = bench.view->maxTopLine / 2;
    if (middle < 60) {
        state.SkipWithError("the article is too short to scroll 60 lines");
        return;
    }
    bench.view->topLine = std::uint16_t(middle);
    PaintArticleView(bench.view, 1);
    int step = 1;
    int scrolled = 0;
    int unmoved = 0;  // scrolls that found nothing to do
    auto scrollOneLine = [&] {
        const std::uint16_t before = bench.view->topLine;
        const int result = ScrollArticleView(bench.view, step, 1, 1);
        unmoved += bench.view->topLine == before ? 1 : 0;
        if (++scrolled == 60) {
            scrolled = 0;
            step = -step;
        }
        return result;
    };
    for (auto _ : state) {
        benchmark::DoNotOptimize(scrollOneLine());
    }
    if (unmoved > 0) {
        state.SkipWithError("a scroll did not move the page");
        return;
    }
    // A one-line scroll against a full page paint, both timed here and now.
    const double scroll = SecondsPerCall(240, scrollOneLine);
    const double paint = SecondsPerCall(200, [&] { PaintArticleView(bench.view, 1); });
    state.counters["x_paint"] = scroll / paint;
}

// One paragraph of n bytes in 240 pixels: the time per byte stays flat when
// measuring is linear in the line's length.
void BM_LayoutOneParagraph(benchmark::State& state) {
    std::mt19937 random(7);
    Article article;
    article.bytes = {0xB1, 0x00};
    while (article.bytes.size() < std::size_t(state.range(0))) {
        const int n = 2 + int(random() % 6);
        for (int i = 0; i < n; ++i) article.bytes.push_back(std::uint8_t(kFirstLetterCode + random() % kLetterCount));
        article.bytes.push_back(' ');
    }
    article.bytes.push_back('a');
    article.bytes.push_back(0);
    article.bytes.push_back(0);
    BenchView bench(article, 240, 320);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayoutArticle(bench.view, bench.view->text, 0, bench.length));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
    state.counters["lines"] = bench.view->lineCount;
}

BENCHMARK(BM_LayoutLongestArticle)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutSynthetic60K)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPage)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillBox)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawOneLine)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintHighlightedPage)->Args({240, 320})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollOneLine)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutOneParagraph)->Arg(1000)->Arg(8000)->Arg(60000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        std::fprintf(stderr, "bench_qt_view: %s\n", plat::HostFailureText());
        return 1;
    }
    UseHebrewFont();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
