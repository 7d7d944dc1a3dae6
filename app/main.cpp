// The reader's executable: prepares the desktop backend and runs the program.
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "platform/host.h"
#include "platform/unicode.h"
#include "resources/ui_resources.h"
#ifdef TOVANEL_HAS_BOOK
#include "resources/book_resources.h"
#endif

int main(int argc, char** argv) {
    plat::HostStatus status = plat::Initialise(argc, argv, false);
    if (status == plat::HostStatus::Failed) {
        std::printf("Tovanel cannot open its window here: %s\n", plat::HostFailureText());
        std::printf("Run it on a desktop (or under xvfb-run) to read the book.\n");
        return 0;
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
    plat::Shutdown();
    return code;
}
