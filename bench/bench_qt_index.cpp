// The index through the Qt backend with a real Hebrew font: what opening the
// Choose Section dialog costs (loading the index, putting the Bookmarks
// section in front, laying it all out, revealing a lesson, painting), and
// opening or closing one section.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "index/index_view.h"
#include "platform/gdi.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "store/article_store.h"

namespace {

void Prepare() {
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    plat::AddResourceTable(&module, UiResourceTable());
    AppState.Instance = &module;
    const char16_t name[] = u"David CLM";
    std::memcpy(AppState.Font.FontName, name, sizeof name);
    AppState.Font.FontAsciiBase = 1488;
    const std::uint16_t ids[3] = {kBitmapSectionClosed, kBitmapSectionOpen, kBitmapArticle};
    for (int i = 0; i < 3; ++i) AppState.OutlineBitmaps[i] = plat::LoadBitmap(&module, ids[i]);
    for (int lesson : {40, 5, 200, 131}) {
        AppState.Lesson = LessonNumber(lesson);
        AddBookmark();
    }
    AppState.Lesson = 180;
}

// One opening of the index: the steps the dialog takes before it shows.
IndexView* OpenIndex(plat::Dc dc, int width, int height) {
    std::uint32_t length = 0;
    std::uint8_t* data = LoadArticle(kIndexLesson, nullptr, &length);
    data = PrependBookmarkSection(data, &length);
    IndexView* view = CreateIndexView(dc, 0, 0, width, height, &AppState.Font, 100);
    if (LayoutIndex(view, data, 0, length) != 0) plat::Free(data);
    RevealLesson(view, AppState.Lesson);
    return view;
}

void BM_OpenIndex(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    plat::Dc dc = plat::CreateImageDC(width, height);
    for (auto _ : state) {
        IndexView* view = OpenIndex(dc, width, height);
        PaintIndexView(view, 1);
        benchmark::DoNotOptimize(view->lineCount);
        DestroyIndexView(view, 1);
    }
    plat::DeleteImageDC(dc);
}

void BM_LayoutIndexAgain(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    plat::Dc dc = plat::CreateImageDC(width, height);
    IndexView* view = OpenIndex(dc, width, height);
    state.counters["lines"] = view->lineCount;
    for (auto _ : state) {
        std::uint16_t* pairs = SaveExpansion(view);
        ResizeIndexView(view, width, height);
        RestoreExpansion(view, pairs);
        plat::Free(pairs);
    }
    DestroyIndexView(view, 1);
    plat::DeleteImageDC(dc);
}

void BM_ToggleSection(benchmark::State& state) {
    plat::Dc dc = plat::CreateImageDC(240, 320);
    IndexView* view = OpenIndex(dc, 240, 320);
    int heading = 0;
    while (heading < view->lineCount && !IsSectionLine(view->lines[heading])) ++heading;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ToggleIndexEntry(view, heading));
    }
    DestroyIndexView(view, 1);
    plat::DeleteImageDC(dc);
}

BENCHMARK(BM_OpenIndex)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutIndexAgain)->Args({240, 320})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ToggleSection)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        std::fprintf(stderr, "bench_qt_index: %s\n", plat::HostFailureText());
        return 1;
    }
    Prepare();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
