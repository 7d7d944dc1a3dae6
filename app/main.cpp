// The reader's executable: prepares the desktop backend and runs the program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup.h"
#include "platform/host.h"
#include "platform/unicode.h"
#include "resources/ui_resources.h"
#ifdef TOVANEL_HAS_BOOK
#include "resources/book_resources.h"
#endif

namespace {

void PrintHelp() {
    std::printf(
        "Usage: tovanel [/today | --today]\n"
        "\n"
        "Reads the book, opening on this week's article (or where you left it).\n"
        "\n"
        "  /today, --today  open this week's article even if you chose another\n"
        "  --help           show this help and exit\n"
        "  --version        show the version and exit\n"
        "\n"
        "Settings are kept in $XDG_CONFIG_HOME/Quillmark/registry.reg\n"
        "(~/.config/Quillmark/registry.reg), or in the file named by\n"
        "TOVANEL_REGISTRY. Without a display the reader draws its window once\n"
        "into TOVANEL_SNAPSHOT ($XDG_RUNTIME_DIR/tovanel-window.png), saves its\n"
        "settings and ends. tovanel-cli looks at the book without a window; man\n"
        "tovanel describes the settings you may change by hand.\n");
}

// Says how the run ended when that is news (on standard error when it
// failed) and gives the exit code.
int ReportStart(int code, const std::string& snapshot) {
    switch (LastStartOutcome()) {
        case StartOutcome::HandedOver:
            std::printf("Tovanel is already open on this display with the same settings file: "
                        "that window was brought forward.\n");
            return code;
        case StartOutcome::NoWindow:
            std::fprintf(stderr, "Tovanel could not make its window.\n");
            return 1;
        case StartOutcome::Ran:
            break;
    }
    if (snapshot.empty()) {
        return code;
    }
    if (!plat::SnapshotWritten()) {
        std::fprintf(stderr,
                     "No display here, and Tovanel could not write its window's picture to %s\n",
                     snapshot.c_str());
        return 1;
    }
    std::printf("No display here: Tovanel drew its window offscreen to %s\n", snapshot.c_str());
    std::printf("Start it in a desktop session to read the book.\n");
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintHelp();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Tovanel %s\n", TOVANEL_VERSION);
        return 0;
    }
    plat::HostStatus status = plat::Initialise(argc, argv, true);
    if (status == plat::HostStatus::Failed) {
        std::fprintf(stderr, "Tovanel cannot open its window here: %s\n", plat::HostFailureText());
        return 1;
    }
    // Without a display the window is drawn offscreen once, written to a
    // picture, and the program ends as if it had been closed.
    std::string snapshot;
    if (status == plat::HostStatus::Offscreen) {
        const char* chosen = std::getenv("TOVANEL_SNAPSHOT");
        // By default in the user's private runtime folder (the host has made
        // sure there is one), never in a file other users could hold.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        snapshot = (chosen != nullptr && *chosen)
                       ? std::string(chosen)
                       : std::string(runtime != nullptr ? runtime : "/tmp") + "/tovanel-window.png";
        plat::SnapshotWhenIdle(snapshot.c_str());
    }
    static plat::Module module;
    plat::AddResourceTable(&module, UiResourceTable());
#ifdef TOVANEL_HAS_BOOK
    plat::AddResourceTable(&module, BookResourceTable());
#endif
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    int code = TovanelMain(&module, plat::Utf8ToUtf16(commandLine).c_str(), SW_SHOW);
    code = ReportStart(code, snapshot);
    plat::Shutdown();
    return code;
}
