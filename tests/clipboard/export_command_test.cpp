// "tovanel-cli export", when the companion has been built beside the tests.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "clipboard/rtf_writer.h"
#include "support/temp_registry.h"

namespace {

const std::string kProgram = std::string(TOVANEL_BINARY_DIR) + "/tools/cli/tovanel-cli";

std::string RunExport(const std::string& arguments, int* exitCode) {
    std::FILE* pipe = popen((kProgram + " export " + arguments + " 2>/dev/null").c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t n = 0;
    while (pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::FILE* file = std::fopen(kProgram.c_str(), "r")) {
            std::fclose(file);
        } else {
            GTEST_SKIP() << "tovanel-cli is not built";
        }
    }
    TempRegistry folder;  // a private folder for the output files
};

TEST_F(ExportCommand, AppendingToAFileFollowsTheClipboardRules) {
    const std::string file = folder.folder() + "/out.rtf";
    int code = 0;
    const std::string first = RunExport("124", &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(first.substr(0, 180), kRtfHeader);
    EXPECT_NE(RunExport("124 --text", &code).find("LIBERTY BELL, \u05E9\u05E0\u05D5\u05E6\u05E7 "
                                                  "\u05D1\u05E9\u05E0\u05EA 1752"),
              std::string::npos)
        << "reading order, and plain spaces inside the Latin run";
    RunExport("124 --out " + file, &code);
    EXPECT_EQ(TempRegistry::ReadFile(file), first);
    RunExport("6 --append --out " + file, &code);
    const std::string joined = TempRegistry::ReadFile(file);
    EXPECT_EQ(joined.substr(0, first.size() - 3), first.substr(0, first.size() - 3));
    EXPECT_EQ(Count(joined, "{\\rtf"), 1u);
    EXPECT_EQ(Count(joined, kRtfSeparator), 1u);

    const std::string textFile = folder.folder() + "/out.txt";
    RunExport("124 --text --out " + textFile, &code);
    RunExport("6 --text --append --out " + textFile, &code);
    EXPECT_EQ(TempRegistry::ReadFile(textFile), RunExport("124 --text", &code) + RunExport("6 --text", &code));
}

TEST_F(ExportCommand, RefusesBadArguments) {
    const char* bad[] = {"", "263", "12 --base 100", "12 --append", "12 --rtf --text", "12 --bogus"};
    for (const char* arguments : bad) {
        int code = 0;
        EXPECT_EQ(RunExport(arguments, &code), "") << arguments;
        EXPECT_EQ(code, 2) << arguments;
    }
}

}  // namespace
