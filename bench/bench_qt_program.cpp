// The whole reader through the Qt backend, offscreen: start-up to the first
// painted page, and a page turn (Next Article: load, layout, paint).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "platform/host.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"

namespace {

using Clock = std::chrono::steady_clock;

plat::Module g_module;
std::string g_registryFolder;

// A settings file of the benchmark's own: a chosen font, this week's lesson.
void PrepareRegistry() {
    char pattern[] = "/tmp/tovanel-bench-XXXXXX";
    g_registryFolder = mkdtemp(pattern);
    const std::string path = g_registryFolder + "/registry.reg";
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fprintf(file,
                 "Windows Registry Editor Version 5.00\n\n"
                 "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                 "\"FontName\"=\"David CLM\"\n\"FontSize\"=dword:00000012\n");
    std::fclose(file);
    setenv("TOVANEL_REGISTRY", path.c_str(), 1);
}

struct FirstPage {
    Clock::time_point drawn;
};

void CloseOnceDrawn(void* context) {
    static_cast<FirstPage*>(context)->drawn = Clock::now();
    plat::PostMessage(AppState.MainWindow, WM_CLOSE, 0, 0);
}

void BM_StartToFirstPage(benchmark::State& state) {
    for (auto _ : state) {
        FirstPage page;
        plat::CallWhenIdle(CloseOnceDrawn, &page);
        const Clock::time_point start = Clock::now();
        TovanelMain(&g_module, u"", SW_SHOW);
        state.SetIterationTime(std::chrono::duration<double>(page.drawn - start).count());
    }
}
BENCHMARK(BM_StartToFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_NextArticle(benchmark::State& state) {
    ClearAppState();
    AppState.Instance = &g_module;
    plat::Window window = CreateMainWindow(SW_SHOW);
    if (window == nullptr) {
        state.SkipWithError("no main window");
        return;
    }
    for (auto _ : state) {
        DispatchCommand(window, Command::NextArticle);
    }
    plat::DestroyWindow(window);
    plat::Message message;
    while (plat::GetMessage(&message) > 0) plat::DispatchMessage(&message);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_NextArticle)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        std::fprintf(stderr, "%s\n", plat::HostFailureText());
        return 1;
    }
    plat::AddResourceTable(&g_module, UiResourceTable());
    plat::AddResourceTable(&g_module, BookResourceTable());
    PrepareRegistry();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + g_registryFolder + "'").c_str());
    return 0;
}
