// tovanel-cli render: lays a lesson out in a view of a given size and writes
// the painted page as a PNG, without a display.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/startup.h"
#include "platform/gdi.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "search/search.h"
#include "store/article_store.h"
#include "tools/cli/cli_command.h"
#include "tools/cli/render_dialog.h"
#include "tools/cli/search_pattern.h"
#include "view/article_view.h"

namespace {

void PrintRenderHelp() {
    std::printf(
        "usage: tovanel-cli render LESSON --out FILE.png [options]\n"
        "\n"
        "Lays lesson LESSON (1-262) out as the reader does and writes the page that\n"
        "starts at display line --top as a PNG.\n"
        "\n"
        "  --size WxH           view size in pixels (default 240x320)\n"
        "  --font NAME          font face (default \"David CLM\")\n"
        "  --font-size N        font height in pixels, 0 for the default (default 0)\n"
        "  --base 97|224|1488   where the font keeps its Hebrew letters (default 1488)\n"
        "  --reverse            the Reverse setting on\n"
        "  --top LINE           first display line of the page (default 0)\n"
        "  --highlight S:E      highlight stream offsets S up to E, as a search hit\n"
        "  --back-link          show the link back to a previous article\n"
        "  --search PATTERN     show the first hit of PATTERN from the top of the\n"
        "                       lesson as a search does: highlight and title banner\n"
        "                       (PATTERN as for 'tovanel-cli search', reading order)\n"
        "  --lines              print the display lines (offset, count, x, width, ...)\n"
        "  --window             draw the reader's whole window at --size instead: bar,\n"
        "                       buttons, gutter, scroll bar and page (your own settings\n"
        "                       are not read or changed)\n"
        "\n"
        "tovanel-cli render --dialog NAME ... draws one of the reader's dialogs\n"
        "instead ('tovanel-cli render --dialog --help' lists them).\n");
}

bool ParseInt(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) {
        return false;
    }
    *value = v;
    return true;
}

struct RenderOptions {
    long lesson = 0;
    const char* out = nullptr;
    long width = 240;
    long height = 320;
    std::string font = "David CLM";
    long fontSize = 0;
    long base = 1488;
    bool reverse = false;
    long top = 0;
    long highlightStart = 0;
    long highlightEnd = 0;
    bool backLink = false;
    std::string search;  // stored codes; empty for none
    bool lines = false;
    bool window = false;
};

// Returns 0 when the options are good, else the exit code (after a message).
int ParseOptions(int argc, char** argv, RenderOptions* o) {
    bool haveLesson = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            o->out = argv[++i];
        } else if (arg == "--size" && hasValue) {
            const std::string size = argv[++i];
            const std::size_t x = size.find('x');
            if (x == std::string::npos ||
                !ParseInt(size.substr(0, x).c_str(), 1, 8000, &o->width) ||
                !ParseInt(size.substr(x + 1).c_str(), 1, 8000, &o->height)) {
                std::fprintf(stderr, "tovanel-cli render: --size wants WxH, as 240x320\n");
                return 2;
            }
        } else if (arg == "--font" && hasValue) {
            o->font = argv[++i];
        } else if (arg == "--font-size" && hasValue) {
            if (!ParseInt(argv[++i], 0, 500, &o->fontSize)) {
                std::fprintf(stderr, "tovanel-cli render: --font-size wants 0 to 500\n");
                return 2;
            }
        } else if (arg == "--base" && hasValue) {
            if (!ParseInt(argv[++i], 0, 0xFFFF, &o->base) ||
                (o->base != 97 && o->base != 224 && o->base != 1488)) {
                std::fprintf(stderr, "tovanel-cli render: --base wants 97, 224 or 1488\n");
                return 2;
            }
        } else if (arg == "--reverse") {
            o->reverse = true;
        } else if (arg == "--back-link") {
            o->backLink = true;
        } else if (arg == "--search" && hasValue) {
            std::string error;
            if (!ParseSearchPattern(argv[++i], false, &o->search, &error)) {
                std::fprintf(stderr, "tovanel-cli render: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--lines") {
            o->lines = true;
        } else if (arg == "--window") {
            o->window = true;
        } else if (arg == "--top" && hasValue) {
            if (!ParseInt(argv[++i], 0, 65535, &o->top)) {
                std::fprintf(stderr, "tovanel-cli render: --top wants a line number\n");
                return 2;
            }
        } else if (arg == "--highlight" && hasValue) {
            const std::string range = argv[++i];
            const std::size_t colon = range.find(':');
            if (colon == std::string::npos ||
                !ParseInt(range.substr(0, colon).c_str(), 0, 65535, &o->highlightStart) ||
                !ParseInt(range.substr(colon + 1).c_str(), 0, 65535, &o->highlightEnd)) {
                std::fprintf(stderr, "tovanel-cli render: --highlight wants START:END offsets\n");
                return 2;
            }
        } else if (!haveLesson && ParseInt(argv[i], 1, 262, &o->lesson)) {
            haveLesson = true;
        } else if (long number = 0;
                   !haveLesson && ParseInt(argv[i], -2147483647L, 2147483647L, &number)) {
            std::fprintf(stderr, "tovanel-cli render: lesson %s is outside 1-262\n", argv[i]);
            return 2;
        } else {
            std::fprintf(stderr, "tovanel-cli render: unexpected '%s' (see --help)\n", argv[i]);
            return 2;
        }
    }
    if (!haveLesson || o->out == nullptr) {
        std::fprintf(stderr, "usage: tovanel-cli render LESSON --out FILE.png [options]\n");
        return 2;
    }
    return 0;
}

void PrintLines(const ArticleView* view) {
    std::printf("line offset count     x label width height link flags\n");
    for (int i = 0; i < view->lineCount; ++i) {
        const DisplayLine& l = view->lines[i];
        std::printf("%4d %6u %5u %5u %5u %5u %6u %4u  0x%02X\n", i, l.textOffset, l.charCount, l.x,
                    l.labelWidth, l.width, l.height, l.linkNumber, l.flags);
    }
}

// The first hit of a search started at the top of the lesson, shown as the
// reader shows it; false when the lesson holds none.
bool ShowFirstHit(ArticleView* view, const std::uint8_t* text, std::uint32_t length,
                  const std::string& pattern) {
    std::memcpy(AppState.SearchString, pattern.c_str(), pattern.size() + 1);
    int hitLength = 0;
    const std::uint16_t last = FindInArticle(text, length, 0, &hitLength);
    if (last == 0) {
        return false;
    }
    ShowSearchHit(view, last, hitLength);
    return true;
}

// A registry of its own for one window render, holding the options as the
// reader's settings; removed afterwards.
class RenderRegistry {
public:
    explicit RenderRegistry(const RenderOptions& o) {
        char pattern[] = "/tmp/tovanel-render-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        folder_ = pattern;
        const std::string path = folder_ + "/registry.reg";
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (file == nullptr) return;
        std::uint32_t flags = AppFlags::Default | AppFlags::LessonPinned;
        if (o.reverse) flags |= AppFlags::Reverse;
        std::string face;
        for (char c : o.font) {
            if (c == '"' || c == '\\') face += '\\';
            face += c;
        }
        std::fprintf(file,
                     "Windows Registry Editor Version 5.00\n\n"
                     "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                     "\"FontName\"=\"%s\"\n\"FontSize\"=dword:%08lx\n\"FontAsciiBase\"=dword:%08lx\n"
                     "\"Lesson\"=dword:%08lx\n\"LastPosition\"=dword:%08lx\n\"Flags\"=dword:%08x\n",
                     face.c_str(), o.fontSize, o.base, o.lesson, o.top, unsigned(flags));
        std::fclose(file);
        setenv("TOVANEL_REGISTRY", path.c_str(), 1);
        ready_ = true;
    }
    ~RenderRegistry() {
        if (!folder_.empty()) {
            const std::string command = "rm -rf '" + folder_ + "'";
            if (std::system(command.c_str()) != 0) {
                std::fprintf(stderr, "tovanel-cli render: could not remove %s\n", folder_.c_str());
            }
        }
    }
    bool ready() const { return ready_; }

private:
    std::string folder_;
    bool ready_ = false;
};

// Runs the whole reader offscreen at the given size and keeps a picture of
// its window once the first page is drawn.
int RenderWindow(const RenderOptions& options) {
    RenderRegistry registry(options);
    if (!registry.ready()) {
        std::fprintf(stderr, "tovanel-cli render: cannot prepare a private settings file\n");
        return 1;
    }
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());
    plat::SetDefaultWindowSize(int(options.width), int(options.height));
    plat::SnapshotWhenIdle(options.out);
    TovanelMain(&module, u"", SW_SHOW);
    if (!plat::SnapshotWritten()) {
        std::fprintf(stderr, "tovanel-cli render: cannot write %s\n", options.out);
        return 1;
    }
    std::printf("lesson %ld: the window at %ldx%ld\n", options.lesson, options.width,
                options.height);
    return 0;
}

int RunRender(int argc, char** argv) {
    if (argc == 1 && (std::strcmp(argv[0], "--help") == 0 || std::strcmp(argv[0], "-h") == 0)) {
        PrintRenderHelp();
        return 0;
    }
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dialog") == 0) return RenderDialog(argc, argv);
    }
    RenderOptions options;
    if (const int code = ParseOptions(argc, argv, &options); code != 0) {
        return code;
    }
    int hostArgc = 1;
    char program[] = "tovanel-cli";
    char* hostArgv[] = {program, nullptr};
    if (!CliInitialisePlatform(hostArgc, hostArgv)) {
        return 1;
    }

    if (options.window) {
        return RenderWindow(options);
    }

    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    plat::AddResourceTable(&module, UiResourceTable());
    ClearAppState();
    AppState.Instance = &module;
    const std::u16string face = plat::Utf8ToUtf16(options.font);
    for (std::size_t i = 0; i < face.size() && i < 31; ++i) {
        AppState.Font.FontName[i] = face[i];
    }
    AppState.Font.FontSize = std::int32_t(options.fontSize);
    AppState.Font.FontAsciiBase = std::int32_t(options.base);
    AppState.Flags = options.reverse ? AppFlags::Reverse : 0;

    int error = 0;
    std::uint32_t length = 0;
    std::uint8_t* text = LoadArticle(int(options.lesson), &error, &length);
    if (text == nullptr) {
        std::fprintf(stderr, "tovanel-cli render: lesson %ld does not load (code %d)\n",
                     options.lesson, error);
        return 1;
    }
    plat::Dc dc = plat::CreateImageDC(int(options.width), int(options.height));
    const plat::Rect rect{0, 0, std::int32_t(options.width), std::int32_t(options.height)};
    ArticleView* view = dc != nullptr ? CreateArticleView(dc, &rect, &AppState.Font, 100) : nullptr;
    if (view == nullptr) {
        std::fprintf(stderr, "tovanel-cli render: cannot make a %ldx%ld view\n", options.width,
                     options.height);
        plat::Free(text);
        return 1;
    }
    if (options.backLink) {
        view->viewFlags |= kBackLinkShown;
    }
    const int laidOut = LayoutArticle(view, text, 1, length);
    if (laidOut != 0) {
        std::fprintf(stderr, "tovanel-cli render: layout failed (%d)\n", laidOut);
        plat::Free(text);
        DestroyArticleView(view, 1);
        plat::DeleteImageDC(dc);
        return 1;
    }
    view->topLine = std::uint16_t(options.top);
    view->highlightStart = std::uint16_t(options.highlightStart);
    view->highlightEnd = std::uint16_t(options.highlightEnd);
    PaintArticleView(view, 1);
    if (!options.search.empty() && !ShowFirstHit(view, text, length, options.search)) {
        std::fprintf(stderr, "tovanel-cli render: the pattern is not in lesson %ld\n",
                     options.lesson);
    }
    if (options.lines) {
        PrintLines(view);
    }
    std::printf("lesson %ld: %u bytes, %u display lines, last page from %u; page at %u shows %d\n",
                options.lesson, length - 2, view->totalLines, view->maxTopLine, view->topLine,
                view->linesPainted);
    const bool saved = plat::SaveDcImage(dc, options.out);
    DestroyArticleView(view, 1);
    plat::DeleteImageDC(dc);
    if (!saved) {
        std::fprintf(stderr, "tovanel-cli render: cannot write %s\n", options.out);
        return 1;
    }
    return 0;
}

const CliCommand kRenderCommand("render", "render LESSON|--dialog NAME --out FILE.png [options]",
                                "paint a lesson's page into a PNG", RunRender);

}  // namespace
