// Commands of tovanel-cli. Each command file registers itself with a static
// CliCommand object; main() looks the first argument up among them.
#pragma once

// Runs the command with the arguments after its name; returns the exit code.
using CliCommandFunction = int (*)(int argc, char** argv);

struct CliCommand {
    const char* name;
    const char* usage;    // one line: "week [DATE] ..."
    const char* summary;  // one line: what it does
    CliCommandFunction run;
    CliCommand(const char* name, const char* usage, const char* summary, CliCommandFunction run);
};

// Prepares the platform for commands that draw or read settings (offscreen
// when there is no display). Returns false after printing why it cannot.
bool CliInitialisePlatform(int& argc, char** argv);
