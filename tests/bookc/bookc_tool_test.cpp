// The bookc program as the build and people run it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int RunBookc(const std::string& arguments, const fs::path& log) {
    const std::string command = std::string(BOOKC_PATH) + " " + arguments + " >" + log.string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class BookcToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("bookc-tool-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(BookcToolTest, CompressAndDecompressGiveTheFileBack) {
    // The sample book's own index source: UTF-8 Hebrew, so bytes of every kind.
    const fs::path source = TOVANEL_SOURCE_DIR "/book/index.txt";
    const fs::path packed = dir_ / "index.pdb";
    const fs::path unpacked = dir_ / "index.txt";
    ASSERT_EQ(RunBookc("compress " + source.string() + " " + packed.string(), dir_ / "log"), 0) << ReadAll(dir_ / "log");
    ASSERT_EQ(RunBookc("decompress " + packed.string() + " " + unpacked.string(), dir_ / "log"), 0)
        << ReadAll(dir_ / "log");
    EXPECT_EQ(ReadAll(unpacked), ReadAll(source));
    EXPECT_LT(fs::file_size(packed), fs::file_size(source));

    std::ofstream(dir_ / "bad.pdb", std::ios::binary) << std::string("ab\x80\x00", 4);
    EXPECT_EQ(RunBookc("decompress " + (dir_ / "bad.pdb").string() + " " + (dir_ / "out").string(), dir_ / "log"), 1);
    EXPECT_NE(ReadAll(dir_ / "log").find("not a well-formed PalmDOC stream"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(BookcToolTest, BuildWritesTheSourceOrFailsWithoutOutput) {
    const fs::path output = dir_ / "book.cpp";
    ASSERT_EQ(RunBookc("build " TOVANEL_SOURCE_DIR "/tests/fixtures/features " + output.string() + " --lessons 4",
                  dir_ / "log"),
              0)
        << ReadAll(dir_ / "log");
    EXPECT_NE(ReadAll(output).find("const plat::ResourceTable& BookResourceTable()"), std::string::npos);

    fs::copy(TOVANEL_SOURCE_DIR "/tests/fixtures/features", dir_ / "bad", fs::copy_options::recursive);
    std::ofstream(dir_ / "bad/lessons/002.txt", std::ios::binary | std::ios::trunc) << "@title: שלום\nhello\n";
    const fs::path second = dir_ / "second.cpp";
    EXPECT_EQ(RunBookc("build " + (dir_ / "bad").string() + " " + second.string() + " --lessons 4", dir_ / "log"), 1);
    const std::string log = ReadAll(dir_ / "log");
    EXPECT_NE(log.find("lessons/002.txt:2:1: error: cannot store U+0068 'h'"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(second));
    // Wrong use is exit code 2.
    EXPECT_EQ(RunBookc("build only-one-argument", dir_ / "log"), 2);
    EXPECT_EQ(RunBookc("frobnicate", dir_ / "log"), 2);
}

TEST_F(BookcToolTest, RefusesFoldersAndMalformedCountsWithAReason) {
    struct Case {
        std::string arguments;
        int exitCode;
        const char* said;
    };
    const std::string folder = dir_.string();
    const std::string book = TOVANEL_SOURCE_DIR "/tests/fixtures/features";
    const std::string out = (dir_ / "out").string();
    const Case cases[] = {
        {"compress " + folder + " " + out, 1, "is a folder; compress takes a file"},
        {"decompress " + folder + " " + out, 1, "is a folder; decompress takes a file"},
        {"build " + book + " " + out + " --lessons 5x", 2, "not '5x'"},
        {"build " + book + " " + out + " --lessons ''", 2, "not ''"},
        {"build " + book + " " + out + " --lessons 99999999999999999999", 2, "from 1 to 16382"},
        {"build " + book + " " + out + " --lessons 0", 2, "from 1 to 16382"},
        {"build " + book + " " + out + " --lessons", 2, "--lessons needs a number"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunBookc(c.arguments, dir_ / "log"), c.exitCode) << c.arguments;
        const std::string log = ReadAll(dir_ / "log");
        EXPECT_NE(log.find(c.said), std::string::npos) << c.arguments << ": " << log;
        EXPECT_FALSE(fs::exists(out)) << c.arguments;
    }
}

}  // namespace
