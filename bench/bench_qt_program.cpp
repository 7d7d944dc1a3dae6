// The whole reader through the Qt backend, offscreen: start-up to the first
// painted page in this process, the whole program started as a process
// against a bare Qt window started the same way, and a page turn (Next
// Article: load, layout, paint). Exits 1 when something it measures did not
// happen, so a wrong figure is never reported as a result.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "platform/host.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "view/article_view.h"

namespace {

using Clock = std::chrono::steady_clock;

plat::Module g_module;
std::string g_registryFolder;
bool g_failed = false;

void Fail(benchmark::State& state, const char* why) {
    state.SkipWithError(why);
    g_failed = true;
}

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
    // A runtime and temporary folder of its own, so it never meets a reader
    // that is already running on this machine.
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const std::string folder = g_registryFolder + "/" + name;
        mkdir(folder.c_str(), 0700);
        setenv(name, folder.c_str(), 1);
    }
}

struct FirstPage {
    Clock::time_point drawn;
    bool seen = false;
};

void CloseOnceDrawn(void* context) {
    static_cast<FirstPage*>(context)->drawn = Clock::now();
    static_cast<FirstPage*>(context)->seen = true;
    plat::PostMessage(AppState.MainWindow, WM_CLOSE, 0, 0);
}

void BM_StartToFirstPage(benchmark::State& state) {
    for (auto _ : state) {
        FirstPage page;
        plat::CallWhenIdle(CloseOnceDrawn, &page);
        const Clock::time_point start = Clock::now();
        TovanelMain(&g_module, u"", SW_SHOW);
        if (!page.seen) {
            Fail(state, "the reader ended without painting its first page");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(page.drawn - start).count());
    }
}
BENCHMARK(BM_StartToFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// One program run as its own process, with its own settings, runtime and
// temporary folders and no display; true when it exited 0 and wrote
// `picture`. *seconds receives the wall time from start to exit.
bool RunProgram(const std::vector<std::string>& args, const std::vector<std::pair<const char*, std::string>>& env,
                const std::string& picture, double* seconds) {
    unlink(picture.c_str());
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
        for (const auto& [name, value] : env) setenv(name, value.c_str(), 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    *seconds = std::chrono::duration<double>(Clock::now() - start).count();
    struct stat written {};
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && stat(picture.c_str(), &written) == 0 &&
           written.st_size > 0;
}

// The reader started as a process (no display: it draws its window once,
// writes the picture and ends) against a bare Qt window with one label that
// is started, painted and saved the same way; the two alternate, so the
// ratio is taken under the same conditions.
void BM_ProcessStartAgainstBareQt(benchmark::State& state) {
    const std::string run = g_registryFolder + "/run";
    const std::string tmp = g_registryFolder + "/tmp";
    mkdir(run.c_str(), 0700);
    mkdir(tmp.c_str(), 0700);
    const std::string readerPicture = g_registryFolder + "/reader.png";
    const std::string barePicture = g_registryFolder + "/bare.png";
    const std::vector<std::pair<const char*, std::string>> env = {
        {"TOVANEL_REGISTRY", g_registryFolder + "/registry.reg"},
        {"TOVANEL_SNAPSHOT", readerPicture},
        {"XDG_RUNTIME_DIR", run},
        {"TMPDIR", tmp},
    };
    std::vector<std::pair<const char*, std::string>> bareEnv = env;
    bareEnv.emplace_back("QT_QPA_PLATFORM", "offscreen");
    double readerTotal = 0, bareTotal = 0;
    for (auto _ : state) {
        double reader = 0, bare = 0;
        if (!RunProgram({TOVANEL_READER}, env, readerPicture, &reader)) {
            Fail(state, "the reader did not start, draw its window and exit 0");
            return;
        }
        if (!RunProgram({TOVANEL_BARE_QT, barePicture}, bareEnv, barePicture, &bare)) {
            Fail(state, "the bare Qt window did not start, paint and exit 0");
            return;
        }
        state.SetIterationTime(reader);
        readerTotal += reader;
        bareTotal += bare;
    }
    state.counters["reader_ms"] = readerTotal * 1000 / double(state.iterations());
    state.counters["bare_qt_ms"] = bareTotal * 1000 / double(state.iterations());
    state.counters["ratio"] = readerTotal / bareTotal;
}
BENCHMARK(BM_ProcessStartAgainstBareQt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Next Article in a window of the given size (the view's box is the window
// less the bars, the scroll bar and the margins: view_w x view_h).
void BM_NextArticle(benchmark::State& state) {
    ClearAppState();
    AppState.Instance = &g_module;
    plat::Window window = CreateMainWindow(SW_SHOW);
    if (window == nullptr) {
        Fail(state, "no main window");
        return;
    }
    plat::MoveWindow(window, 0, 0, int(state.range(0)), int(state.range(1)), true);
    if (AppState.View == nullptr) {
        Fail(state, "no view");
        return;
    }
    for (auto _ : state) {
        DispatchCommand(window, Command::NextArticle);
    }
    state.counters["view_w"] = AppState.View->box.width;
    state.counters["view_h"] = AppState.View->box.height;
    plat::DestroyWindow(window);
    plat::Message message;
    while (plat::GetMessage(&message) > 0) plat::DispatchMessage(&message);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_NextArticle)->Args({480, 640})->Args({1000, 800})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    PrepareRegistry();
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        std::fprintf(stderr, "%s\n", plat::HostFailureText());
        return 1;
    }
    plat::AddResourceTable(&g_module, UiResourceTable());
    plat::AddResourceTable(&g_module, BookResourceTable());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + g_registryFolder + "'").c_str());
    return g_failed ? 1 : 0;
}
