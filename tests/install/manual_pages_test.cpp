// The manual pages and the programs' own --help name the same options,
// commands and environment variables, so neither drifts from the other.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string RunForOutput(const std::string& command) {
    std::string output;
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

// The page's roff source with "\-" turned into plain hyphens.
std::string ReadManualPage(const char* name) {
    std::ifstream in(std::string(TOVANEL_MAN_DIR) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return std::regex_replace(text.str(), std::regex(R"(\\-)"), "-");
}

// The part of a page from the line starting with `heading` to the next line
// starting with the same macro (".SH" or ".SS").
std::string Section(const std::string& page, const std::string& heading) {
    const std::size_t start = page.find("\n" + heading + "\n");
    if (start == std::string::npos) return "";
    const std::string macro = heading.substr(0, 3);
    std::size_t end = page.find("\n" + macro + " ", start + 1);
    std::size_t chapter = page.find("\n.SH ", start + 1);
    if (chapter < end) end = chapter;
    return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::set<std::string> Matches(const std::string& text, const char* pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
        found.insert(it->str());
    }
    return found;
}

std::set<std::string> Options(const std::string& text) {
    std::set<std::string> options = Matches(text, R"((--[a-z][a-z-]*[a-z])|(/today))");
    options.erase("--help");  // every command has it; the pages say so once
    return options;
}

std::string Join(const std::set<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += item + " ";
    return joined;
}

TEST(ManualPages, ReaderHelpAndPageNameTheSameOptionsAndEnvironment) {
    const std::string help = RunForOutput(std::string(TOVANEL_READER) + " --help");
    ASSERT_NE(help.find("Usage: tovanel"), std::string::npos) << help;
    const std::string page = ReadManualPage("tovanel.1");
    ASSERT_FALSE(page.empty());

    EXPECT_EQ(Join(Options(help)), Join(Options(Section(page, ".SH OPTIONS"))));
    const std::string environment = Section(page, ".SH ENVIRONMENT");
    for (const std::string& variable : Matches(help, R"(\b[A-Z]+_[A-Z_]+\b)")) {
        EXPECT_NE(environment.find(variable), std::string::npos) << variable;
    }
}

// A command's help with the further help texts it points to ("'tovanel-cli
// render --dialog --help' lists them").
std::string CommandHelp(const std::string& command) {
    std::string help = RunForOutput(std::string(TOVANEL_CLI) + " " + command + " --help");
    for (const std::string& reference :
         Matches(help, R"('tovanel-cli [a-z-]+ --[a-z-]+ --help')")) {
        help += RunForOutput(std::string(TOVANEL_CLI) + reference.substr(12, reference.size() - 13));
    }
    return help;
}

// The names a help text lists under a heading such as "dialogs:".
std::set<std::string> ListedNames(const std::string& help, const std::string& heading) {
    std::set<std::string> names;
    const std::size_t start = help.find("\n" + heading + "\n");
    if (start == std::string::npos) return names;
    std::istringstream lines(help.substr(start + heading.size() + 2));
    std::string line;
    std::smatch m;
    while (std::getline(lines, line) && std::regex_match(line, m, std::regex(R"(  ([a-z-]+) .*)"))) {
        names.insert(m[1]);
    }
    return names;
}

TEST(ManualPages, CompanionPageDescribesEveryCommandWithItsOptions) {
    const std::string help = RunForOutput(std::string(TOVANEL_CLI) + " --help");
    const std::set<std::string> commands = [&] {
        std::set<std::string> names;
        std::istringstream lines(help);
        std::string line;
        std::smatch m;
        while (std::getline(lines, line)) {
            if (std::regex_match(line, m, std::regex(R"(  ([a-z][a-z-]*) .*)"))) names.insert(m[1]);
        }
        return names;
    }();
    ASSERT_GE(commands.size(), 3u) << help;
    const std::string page = ReadManualPage("tovanel-cli.1");
    const std::string listed = Section(page, ".SH COMMANDS");
    for (const std::string& command : commands) {
        const std::string section = Section(listed, ".SS " + command);
        EXPECT_FALSE(section.empty()) << "no section for " << command;
        const std::string commandHelp = CommandHelp(command);
        EXPECT_EQ(Join(Options(commandHelp)), Join(Options(section))) << command;
        for (const std::string& dialog : ListedNames(commandHelp, "dialogs:")) {
            EXPECT_NE(section.find("\n.B " + dialog + "\n"), std::string::npos)
                << command << " --dialog " << dialog;
        }
    }
    const std::set<std::string> sections = Matches(listed, R"(\n\.SS [a-z-]+)");
    EXPECT_EQ(sections.size(), commands.size()) << "the page describes commands that do not exist";
}

}  // namespace
