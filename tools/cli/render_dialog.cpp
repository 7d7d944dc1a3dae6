// render --dialog NAME: runs one of the program's dialogs offscreen over an
// owner window of the given size and writes the dialog as a PNG.
#include "tools/cli/render_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "platform/host.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "tools/cli/cli_command.h"

namespace {

std::vector<const RenderDialogEntry*>& Entries() {
    static std::vector<const RenderDialogEntry*> entries;
    return entries;
}

struct DialogOptions {
    std::string name;
    const char* out = nullptr;
    long lesson = 1;
    std::vector<LessonNumber> marks;
    long width = 240;
    long height = 320;
    std::string font = "David CLM";
    long fontSize = 0;
    long base = 1488;
};

bool ParseLong(const std::string& text, long low, long high, long* value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseMarks(const std::string& list, std::vector<LessonNumber>* marks) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long lesson = 0;
        if (!ParseLong(item, kFirstLesson, kLastLesson, &lesson)) return false;
        marks->push_back(LessonNumber(lesson));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

void PrintDialogHelp(std::FILE* out) {
    std::fprintf(out,
                 "usage: tovanel-cli render --dialog NAME [options] --out FILE.png\n"
                 "\n"
                 "Draws one of the reader's dialogs as it opens, over a window of --size.\n"
                 "\n"
                 "  --lesson N           the current lesson (default 1)\n"
                 "  --bookmarks N,N,...  the marked lessons, in the order marked\n"
                 "  --size WxH           the window the dialog belongs to (default 240x320)\n"
                 "  --font NAME          font face (default \"David CLM\")\n"
                 "  --font-size N        font height in pixels, 0 for the default\n"
                 "  --base 97|224|1488   where the font keeps its Hebrew letters (default 1488)\n"
                 "\ndialogs:\n");
    for (const RenderDialogEntry* entry : Entries()) {
        std::fprintf(out, "  %-10s %s\n", entry->name, entry->summary);
    }
}

// 0 when the options are good, else the exit code (after a message).
int ParseDialogOptions(int argc, char** argv, DialogOptions* o) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "tovanel-cli render: '%s' wants a value (see --help)\n", argv[i]);
            return 2;
        }
        const std::string value = argv[++i];
        bool good = true;
        if (arg == "--dialog") {
            o->name = value;
        } else if (arg == "--out") {
            o->out = argv[i];
        } else if (arg == "--lesson") {
            good = ParseLong(value, kFirstLesson, kLastLesson, &o->lesson);
        } else if (arg == "--bookmarks") {
            good = ParseMarks(value, &o->marks);
        } else if (arg == "--size") {
            const std::size_t x = value.find('x');
            good = x != std::string::npos && ParseLong(value.substr(0, x), 1, 8000, &o->width) &&
                   ParseLong(value.substr(x + 1), 1, 8000, &o->height);
        } else if (arg == "--font") {
            o->font = value;
        } else if (arg == "--font-size") {
            good = ParseLong(value, 0, 500, &o->fontSize);
        } else if (arg == "--base") {
            good = ParseLong(value, 97, 1488, &o->base) &&
                   (o->base == 97 || o->base == 224 || o->base == 1488);
        } else {
            std::fprintf(stderr, "tovanel-cli render: unexpected '%s' (see --help)\n", argv[i - 1]);
            return 2;
        }
        if (!good) {
            std::fprintf(stderr, "tovanel-cli render: bad value '%s' for %s (see --help)\n",
                         value.c_str(), arg.c_str());
            return 2;
        }
    }
    if (o->out == nullptr) {
        std::fprintf(stderr, "tovanel-cli render: --dialog wants --out FILE.png\n");
        return 2;
    }
    return 0;
}

const RenderDialogEntry* FindEntry(const std::string& name) {
    for (const RenderDialogEntry* entry : Entries()) {
        if (name == entry->name) return entry;
    }
    return nullptr;
}

void PrepareState(const DialogOptions& o) {
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());
    ClearAppState();
    AppState.Instance = &module;
    const std::u16string face = plat::Utf8ToUtf16(o.font);
    for (std::size_t i = 0; i < face.size() && i < 31; ++i) AppState.Font.FontName[i] = face[i];
    AppState.Font.FontSize = std::int32_t(o.fontSize);
    AppState.Font.FontAsciiBase = std::int32_t(o.base);
    AppState.Flags = AppFlags::Default;
    AppState.Lesson = LessonNumber(o.lesson);
    const std::uint16_t bitmapIds[3] = {kBitmapSectionClosed, kBitmapSectionOpen, kBitmapArticle};
    for (int i = 0; i < 3; ++i) AppState.OutlineBitmaps[i] = plat::LoadBitmap(&module, bitmapIds[i]);
    const LessonNumber current = AppState.Lesson;
    for (LessonNumber mark : o.marks) {
        AppState.Lesson = mark;
        AddBookmark();
    }
    AppState.Lesson = current;
}

void ReleaseState() {
    FreeBookmarks();
    for (plat::Bitmap& bitmap : AppState.OutlineBitmaps) {
        if (bitmap != nullptr) plat::DeleteBitmap(bitmap);
        bitmap = nullptr;
    }
}

plat::LResult OwnerProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                        plat::LParam lParam) {
    return plat::DefWindowProc(window, message, wParam, lParam);
}

struct Snapshot {
    const char* path;
    plat::Window owner;
    bool written;
};

// Once the dialog is drawn: keep its picture and close it.
void TakeSnapshot(void* context) {
    auto* snapshot = static_cast<Snapshot*>(context);
    plat::Window dialog = plat::GetForegroundWindow();
    if (dialog == nullptr || dialog == snapshot->owner) return;
    snapshot->written = plat::SaveWindowImage(dialog, snapshot->path);
    plat::PostMessage(dialog, WM_CLOSE, 0, 0);
}

}  // namespace

RenderDialogEntry::RenderDialogEntry(const char* name_, const char* summary_,
                                     RenderDialogFunction run_)
    : name(name_), summary(summary_), run(run_) {
    Entries().push_back(this);
}

int RenderDialog(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        if (argc == 1 || std::strcmp(argv[i], "--help") == 0) {
            PrintDialogHelp(stdout);
            return 0;
        }
    }
    DialogOptions options;
    if (const int code = ParseDialogOptions(argc, argv, &options); code != 0) return code;
    const RenderDialogEntry* entry = FindEntry(options.name);
    if (entry == nullptr) {
        std::fprintf(stderr, "tovanel-cli render: no dialog '%s'\n\n", options.name.c_str());
        PrintDialogHelp(stderr);
        return 2;
    }
    int hostArgc = 1;
    char program[] = "tovanel-cli";
    char* hostArgv[] = {program, nullptr};
    if (!CliInitialisePlatform(hostArgc, hostArgv)) return 1;

    PrepareState(options);
    plat::WindowClass ownerClass;
    ownerClass.proc = OwnerProc;
    ownerClass.module = AppState.Instance;
    ownerClass.className = u"TovanelDialogOwner";
    plat::RegisterClass(ownerClass);
    plat::Window owner = plat::CreateWindowEx(0, ownerClass.className, u"Tovanel", 0, 0, 0,
                                              int(options.width), int(options.height), nullptr,
                                              AppState.Instance, nullptr);
    if (owner == nullptr) {
        std::fprintf(stderr, "tovanel-cli render: cannot make a %ldx%ld window\n", options.width,
                     options.height);
        ReleaseState();
        return 1;
    }
    AppState.MainWindow = owner;
    Snapshot snapshot{options.out, owner, false};
    plat::CallWhenIdle(TakeSnapshot, &snapshot);
    entry->run(owner);
    plat::CallWhenIdle(nullptr, nullptr);
    plat::DestroyWindow(owner);
    ReleaseState();
    if (!snapshot.written) {
        std::fprintf(stderr, "tovanel-cli render: cannot write %s\n", options.out);
        return 1;
    }
    std::printf("dialog %s: lesson %ld, %zu marks, over %ldx%ld\n", entry->name, options.lesson,
                options.marks.size(), options.width, options.height);
    return 0;
}
