// A save killed at any moment leaves the old file or the new one, whole,
// with every other program's keys in it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "platform/common/registry_file.h"
#include "platform/types.h"
#include "support/temp_registry.h"

namespace {

const std::u16string kBook = u"HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel";

// Some hundred keys of other programs, a few thousand values of every type,
// and lines the reader keeps without understanding them.
std::string LargeForeignFile() {
    std::string text = "Windows Registry Editor Version 5.00\n";
    for (int k = 0; k < 100; ++k) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Vendor" + std::to_string(k) + "\\Tool]\n";
        for (int v = 0; v < 30; ++v) {
            const std::string n = std::to_string(v);
            text += "\"Text" + n + "\"=\"value " + n + " of key " + std::to_string(k) + "\"\n";
            text += "\"Number" + n + "\"=dword:0000" + (v < 10 ? "000" : "00") + n + "\n";
            text += "\"Bytes" + n + "\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c\n";
        }
        text += "\"Unread\"=dword:1\n; a comment of key " + std::to_string(k) + "\n";
    }
    return text;
}

plat::registry::Change LessonChange(std::uint8_t lesson) {
    return {kBook, {{u"Lesson", REG_DWORD, {lesson, 0, 0, 0}}}};
}

std::string Expected(const std::string& before, std::uint8_t lesson) {
    plat::registry::Document document = plat::registry::Parse(before);
    for (const auto& value : LessonChange(lesson).values) {
        plat::registry::SetValue(plat::registry::FindOrAddKey(document, kBook), value);
    }
    return plat::registry::Serialize(document);
}

}  // namespace

TEST(RegistryCrash, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    TempRegistry registry;
    const std::string original = LargeForeignFile();
    registry.Write(original);
    // The file can only ever hold one of these: as it was, or after a save
    // of either lesson (saves alternate 1 and 2).
    const std::string withOne = Expected(original, 1);
    const std::string withTwo = Expected(original, 2);
    const std::set<std::string> whole = {original, withOne, withTwo, Expected(withOne, 2),
                                         Expected(withTwo, 1)};

    // How long one save takes here: the kills fall anywhere in the first save
    // of each child and in half of its second.
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(plat::registry::Save(registry.path(), {LessonChange(1)}));
    const auto saveTime = std::chrono::steady_clock::now() - start;
    const long spanUs = std::max<long>(
        200, long(std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count() * 3 / 2));

    std::mt19937 random(20261208);
    int killedMidway = 0;
    for (int round = 0; round < 40; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < 100000; ++i) {
                plat::registry::Save(registry.path(), {LessonChange(std::uint8_t(1 + i % 2))});
            }
            _exit(0);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<long>(0, spanUs)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) ++killedMidway;

        const std::string text = registry.Read();
        ASSERT_EQ(whole.count(text), 1u) << "round " << round << ": the file holds "
                                          << text.size() << " bytes that no save wrote";
    }
    EXPECT_GT(killedMidway, 0);
    // The next save clears what the killed ones left behind.
    ASSERT_TRUE(plat::registry::Save(registry.path(), {LessonChange(3)}));
    EXPECT_EQ(registry.Read(), Expected(withOne, 3));
    for (const auto& entry : std::filesystem::directory_iterator(registry.folder())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos)
            << entry.path();
    }
}
