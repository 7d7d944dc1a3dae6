// A whole-book search that finds nothing, against a pass that only decodes
// all 262 lessons: what the matching adds to the decoding every search pays.
#include <benchmark/benchmark.h>

#include <cstring>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "search/search.h"
#include "store/article_store.h"
#include "view/article_view.h"

namespace {

// Five letters that occur nowhere in the book (checked before measuring).
constexpr char kMissingPattern[] = "{{{{{";

plat::LResult PlainProc(plat::Window w, std::uint32_t m, plat::WParam wp, plat::LParam lp) {
    return plat::DefWindowProc(w, m, wp, lp);
}

plat::Module& Book() {
    static plat::Module module = [] {
        plat::Module m;
        plat::AddResourceTable(&m, BookResourceTable());
        plat::AddResourceTable(&m, UiResourceTable());
        return m;
    }();
    return module;
}

void DecodeOnly(benchmark::State& state) {
    ClearAppState();
    AppState.Instance = &Book();
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
            std::uint32_t length = 0;
            std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
            benchmark::DoNotOptimize(text);
            bytes += length;
            plat::Free(text);
        }
    }
    state.SetBytesProcessed(std::int64_t(bytes));
}
BENCHMARK(DecodeOnly)->Unit(benchmark::kMicrosecond);

// SearchAgain itself, from lesson 1 shown in a view, through every other
// lesson and back: "Not Found!" each time.
void SearchMiss(benchmark::State& state) {
    plat::headless::Reset();
    ClearAppState();
    AppState.Instance = &Book();
    AppState.Font = FontDescription{u"Headless Hebrew", 16, 1488};
    plat::WindowClass windowClass;
    windowClass.proc = PlainProc;
    windowClass.className = u"Bench";
    plat::RegisterClass(windowClass);
    AppState.MainWindow =
        plat::CreateWindowEx(0, u"Bench", u"Tovanel", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr);
    plat::Dc dc = plat::GetDC(AppState.MainWindow);
    const plat::Rect rect{0, 0, 240, 320};
    AppState.View = CreateArticleView(dc, &rect, &AppState.Font, 100);
    std::uint32_t length = 0;
    std::uint8_t* first = LoadArticle(1, nullptr, &length);
    LayoutArticle(AppState.View, first, 1, length);
    AppState.Lesson = 1;
    std::memcpy(AppState.SearchString, kMissingPattern, sizeof kMissingPattern);
    for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        int n = 0;
        if (text != nullptr && FindInArticle(text, length, 0, &n) != 0) {
            state.SkipWithError("the pattern occurs in the book");
        }
        plat::Free(text);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchAgain(AppState.MainWindow));
        plat::headless::ClearMessageBoxes();
    }
    DestroyArticleView(AppState.View, 1);
    AppState.View = nullptr;
    plat::ReleaseDC(AppState.MainWindow, dc);
    plat::headless::Reset();
}
BENCHMARK(SearchMiss)->Unit(benchmark::kMicrosecond);

}  // namespace
