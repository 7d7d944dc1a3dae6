// tovanel-cli: look at the book, the schedule and rendered pages without
// opening the reader's window.
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "tools/cli/cli_command.h"

namespace {

std::vector<const CliCommand*>& Commands() {
    static std::vector<const CliCommand*> commands;
    return commands;
}

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: tovanel-cli COMMAND [ARGS]\n\ncommands:\n");
    for (const CliCommand* command : Commands()) {
        std::fprintf(out, "  %-40s %s\n", command->usage, command->summary);
    }
    std::fprintf(out, "\n'tovanel-cli COMMAND --help' explains one command.\n");
}

}  // namespace

CliCommand::CliCommand(const char* name_, const char* usage_, const char* summary_,
                       CliCommandFunction run_)
    : name(name_), usage(usage_), summary(summary_), run(run_) {
    Commands().push_back(this);
}

bool CliInitialisePlatform(int& argc, char** argv) {
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        std::fprintf(stderr, "tovanel-cli: %s\n", plat::HostFailureText());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        PrintHelp(stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const CliCommand* command : Commands()) {
        if (std::strcmp(command->name, argv[1]) == 0) {
            return command->run(argc - 2, argv + 2);
        }
    }
    std::fprintf(stderr, "tovanel-cli: unknown command '%s'\n", argv[1]);
    PrintHelp(stderr);
    return 2;
}
