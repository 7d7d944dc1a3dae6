// tovanel-cli dump: the records of a lesson or of the index, readable.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "tools/cli/listings/record_dump.h"
#include "tools/cli/cli_command.h"

namespace {

void PrintDumpHelp() {
    std::printf(
        "usage: tovanel-cli dump LESSON\n"
        "       tovanel-cli dump index\n"
        "\n"
        "Prints what the compiled book holds for lesson LESSON (1-262) or for the\n"
        "index, one record a line, as the reader sees it. The first line gives the\n"
        "sizes; then, for a lesson:\n"
        "  OFFSET FLAG LAYOUT  KIND ATTRIBUTES: TEXT\n"
        "KIND is title, subtitle, text, rule, link, back or empty; the attributes\n"
        "are the words of the book's source format (rtl, large, bold, centre,\n"
        "indent=N, label=N, cont, blank ...). For the index:\n"
        "  OFFSET ID FLAGS LEVEL  section|article|entry NUMBER open|closed shown|hidden STYLE: TEXT\n"
        "Text is given in reading order. Exit code 1 when the lesson does not load.\n");
}

int RunDump(int argc, char** argv) {
    if (argc == 1 && (std::strcmp(argv[0], "--help") == 0 || std::strcmp(argv[0], "-h") == 0)) {
        PrintDumpHelp();
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: tovanel-cli dump LESSON|index\n");
        return 2;
    }
    int lesson = 0;
    if (std::strcmp(argv[0], "index") == 0) {
        lesson = kIndexLesson;
    } else {
        char* end = nullptr;
        const long value = std::strtol(argv[0], &end, 10);
        if (end == argv[0] || *end != '\0' || value < 1 || value > 64535) {
            std::fprintf(stderr, "tovanel-cli dump: '%s' is neither a lesson number nor 'index'\n", argv[0]);
            return 2;
        }
        lesson = int(value);
    }
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    std::string listing, error;
    if (!DescribeLesson(lesson, &listing, &error)) {
        std::fprintf(stderr, "tovanel-cli dump: %s\n", error.c_str());
        return 1;
    }
    std::fputs(listing.c_str(), stdout);
    return 0;
}

const CliCommand kDumpCommand("dump", "dump LESSON | index", "print a lesson's or the index's records",
                              RunDump);

}  // namespace
