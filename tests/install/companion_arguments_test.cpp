// tovanel-cli refuses numbers and dates outside what it can show, naming the
// range it accepts, with exit code 2.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

std::string RunCli(const std::string& arguments, int& exitCode) {
    const std::string command = std::string(TOVANEL_CLI) + " " + arguments + " 2>&1";
    std::string output;
    exitCode = -1;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    const int status = pclose(pipe);
    if (WIFEXITED(status)) exitCode = WEXITSTATUS(status);
    return output;
}

TEST(CompanionArguments, OutOfRangeValuesNameTheRange) {
    struct Case {
        const char* arguments;
        const char* said;
    };
    const Case cases[] = {
        {"render 0 --out /nonexistent/x.png", "lesson 0 is outside 1-262"},
        {"render 263 --out /nonexistent/x.png", "lesson 263 is outside 1-262"},
        {"render -4 --out /nonexistent/x.png", "lesson -4 is outside 1-262"},
        {"week 9999-12-31", "ends after 9999-12-31"},
        {"week 10000-01-01", "from 1000-01-01 to 9999-12-31"},
    };
    for (const Case& c : cases) {
        int exitCode = 0;
        const std::string output = RunCli(c.arguments, exitCode);
        EXPECT_EQ(exitCode, 2) << c.arguments << ": " << output;
        EXPECT_NE(output.find(c.said), std::string::npos) << c.arguments << ": " << output;
        EXPECT_EQ(output.find("10000-01-01 hebrew"), std::string::npos) << output;
    }
    // The last week inside the range is still listed.
    int exitCode = 0;
    EXPECT_EQ(RunCli("week 9999-12-25 --diaspora", exitCode).rfind("saturday=9999-12-25 ", 0), 0u);
    EXPECT_EQ(exitCode, 0);
}

// A pattern in reading order with Latin words inside Hebrew finds the text
// the book stores in visual order; the same pattern reversed whole does not.
TEST(CompanionArguments, SearchInReadingOrderFindsLatinInsideHebrew) {
    for (const char* pattern : {"PHOENIX DACTYLIFERA", "\xD7\x94\xD7\xAA\xD7\x9E\xD7\xA8, PHOENIX DACTYLIFERA"}) {
        int exitCode = -1;
        const std::string output = RunCli(std::string("search '") + pattern + "'", exitCode);
        EXPECT_EQ(exitCode, 0) << pattern << ": " << output;
        EXPECT_NE(output.find("lesson=244 "), std::string::npos) << pattern << ": " << output;
    }
    int exitCode = -1;
    RunCli("search --visual 'AREFILYTCAD XINEOHP'", exitCode);
    EXPECT_EQ(exitCode, 1);
}

}  // namespace
