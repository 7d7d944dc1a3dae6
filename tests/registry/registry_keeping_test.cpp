// What a save must never lose or break: lines it cannot read, texts with any
// characters, files it cannot read, earlier backups, links, permissions.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/common/registry_file.h"
#include "platform/registry.h"
#include "support/temp_registry.h"

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n";
const std::u16string kBook = u"HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel";

plat::registry::Value Dword(const char16_t* name, std::uint8_t low) {
    return {name, REG_DWORD, {low, 0, 0, 0}};
}

std::vector<std::uint8_t> Utf16z(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    out.insert(out.end(), {0, 0});
    return out;
}

void SetString(const char16_t* name, std::u16string_view text) {
    plat::RegKey key = nullptr;
    ASSERT_EQ(plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_SUCCESS);
    std::vector<std::uint8_t> bytes = Utf16z(text);
    ASSERT_EQ(plat::RegSetValue(key, name, REG_SZ, bytes.data(), std::uint32_t(bytes.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(plat::RegCloseKey(key), ERROR_SUCCESS);
}

bool SaveLesson(std::uint8_t lesson, std::string* error = nullptr) {
    return plat::registry::Save(plat::RegistryFilePath(), {{kBook, {Dword(u"Lesson", lesson)}}},
                                error);
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

}  // namespace

// Each line the reader does not understand stays, as written, between the
// same neighbours, through a save that changes other values.
TEST(RegistryKeptLines, UnreadableLinesStayInPlaceThroughSaves) {
    struct Case {
        const char* what;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"a comment", "; written by hand"},
        {"a short dword", "\"Short\"=dword:1"},
        {"an unterminated string", "\"Open\"=\"no end"},
        {"a deletion", "\"Del\"=-"},
        {"an unknown escape", "\"Path\"=\"C:\\temp\""},
        {"text that is not UTF-8", "\"Latin1\"=\"caf\xE9\""},
        {"a continued bad line", "\"Wrapped\"=hex:zz,\\\n  00"},
        {"indented nonsense with a tab", "  \tnot a value at all "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = kHeader + "\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n" +
                                 "\"Before\"=dword:00000001\n" + c.line + "\n" +
                                 "\"After\"=dword:00000002\n";
        plat::registry::Document document = plat::registry::Parse(text);
        plat::registry::Key* key = plat::registry::FindKey(document, kBook);
        ASSERT_NE(key, nullptr);
        plat::registry::SetValue(*key, Dword(u"After", 3));
        plat::registry::SetValue(*key, Dword(u"New", 4));
        const std::string saved = plat::registry::Serialize(document);
        EXPECT_NE(saved.find("\"Before\"=dword:00000001\n" + c.line + "\n\"After\"=dword:00000003\n"
                             "\"New\"=dword:00000004\n"),
                  std::string::npos)
            << saved;
        // Saving again changes nothing.
        EXPECT_EQ(plat::registry::Serialize(plat::registry::Parse(saved)), saved);
    }
}

TEST(RegistryKeptLines, KeysWithUnreadableHeadersKeepEveryLineBelowThem) {
    const std::string foreign =
        "[HKEY_CURRENT_USER\\Software\\Other] ; trailing comment\n"
        "\"Theirs\"=dword:00000005\n"
        "\"More\"=\"text\"\n"
        "\n[-HKEY_CURRENT_USER\\Software\\Gone]\n";
    const std::string text = kHeader + "; top comment\n\n" + foreign +
                             "\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                             "\"Lesson\"=dword:00000001\n\"Tail\"=hex:zz\\";
    plat::registry::Document document = plat::registry::Parse(text);
    EXPECT_EQ(document.unreadableLines, 5);
    // Values under an unreadable header are not taken for another key's.
    EXPECT_EQ(plat::registry::FindKey(document, u"HKEY_CURRENT_USER\\Software\\Other"), nullptr);
    plat::registry::SetValue(plat::registry::FindOrAddKey(document, kBook), Dword(u"Lesson", 9));
    plat::registry::SetValue(plat::registry::FindOrAddKey(document, u"HKEY_CURRENT_USER\\New"),
                             Dword(u"X", 1));
    const std::string saved = plat::registry::Serialize(document);
    EXPECT_EQ(saved.rfind(kHeader + "; top comment\n", 0), 0u) << saved;
    EXPECT_NE(saved.find(foreign), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"Lesson\"=dword:00000009\n\"Tail\"=hex:zz\\\n\n\n[HKEY_CURRENT_USER\\New]\n"
                         "\"X\"=dword:00000001\n"),
              std::string::npos)
        << saved;
    plat::registry::Document again = plat::registry::Parse(saved);
    ASSERT_NE(plat::registry::FindKey(again, u"HKEY_CURRENT_USER\\New"), nullptr);
    EXPECT_EQ(plat::registry::Serialize(again), saved);
}

class RegistrySaving : public ::testing::Test {
protected:
    TempRegistry registry;
};

// A string holding line breaks, brackets and quotes must not break the
// lines after it.
TEST_F(RegistrySaving, StringsWithAnyCharactersRoundTrip) {
    const std::u16string tricky = u"/opt/x\n[HKEY_CURRENT_USER\\Evil]\r\n\"Lesson\"=dword:00000063\n";
    SetString(u"Program Path", tricky);
    SetString(u"FontName", u"David CLM");
    plat::registry::Document document = plat::registry::Load(registry.path());
    EXPECT_EQ(document.unreadableLines, 0);
    const plat::registry::Key* key = plat::registry::FindKey(document, kBook);
    ASSERT_NE(key, nullptr);
    ASSERT_NE(plat::registry::FindValue(*key, u"Program Path"), nullptr);
    EXPECT_EQ(plat::registry::FindValue(*key, u"Program Path")->data, Utf16z(tricky));
    EXPECT_EQ(plat::registry::FindValue(*key, u"FontName")->data, Utf16z(u"David CLM"));
    EXPECT_EQ(plat::registry::FindValue(*key, u"Lesson"), nullptr);
    EXPECT_EQ(plat::registry::FindKey(document, u"HKEY_CURRENT_USER\\Evil"), nullptr);
}

TEST_F(RegistrySaving, NamesThatCannotBeWrittenOnOneLineAreRefused) {
    plat::RegKey key = nullptr;
    EXPECT_EQ(plat::RegCreateKey(u"Software\\A\nB", &key), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_SUCCESS);
    const std::uint8_t byte = 1;
    EXPECT_EQ(plat::RegSetValue(key, u"Two\nLines", REG_BINARY, &byte, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(plat::RegSetValue(key, u"Half\xD800", REG_BINARY, &byte, 1), ERROR_INVALID_PARAMETER);
    plat::RegCloseKey(key);
}

TEST_F(RegistrySaving, AFileThatCannotBeReadIsNeverReplaced) {
    // A folder where the file should be: it exists, and reading it fails.
    std::filesystem::create_directory(registry.path());
    std::filesystem::path inside = std::filesystem::path(registry.path()) / "precious";
    TempRegistry::WriteTo(inside.string(), "mine");
    std::string error;
    EXPECT_FALSE(SaveLesson(3, &error));
    EXPECT_NE(error.find("cannot read it"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(registry.path()));
    EXPECT_EQ(TempRegistry::ReadFile(inside.string()), "mine");
    // Through the keys, the failure is reported on stderr with the file's name.
    ::testing::internal::CaptureStderr();
    plat::RegKey key = nullptr;
    ASSERT_EQ(plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_SUCCESS);
    const std::uint8_t byte = 1;
    plat::RegSetValue(key, u"Lesson", REG_BINARY, &byte, 1);
    EXPECT_NE(plat::RegCloseKey(key), ERROR_SUCCESS);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(registry.path()), std::string::npos) << said;
    EXPECT_NE(said.find("Is a directory"), std::string::npos) << said;
}

TEST_F(RegistrySaving, EveryUnreadableFileGetsABackupOfItsOwn) {
    const std::vector<std::string> garbage = {"\x7F" "ELF first\n", "second garbage\n",
                                              "third\x01\n"};
    ::testing::internal::CaptureStderr();
    for (const std::string& text : garbage) {
        registry.Write(text);
        ASSERT_TRUE(SaveLesson(1));
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(TempRegistry::ReadFile(registry.path() + ".bad"), garbage[0]);
    EXPECT_EQ(TempRegistry::ReadFile(registry.path() + ".bad.1"), garbage[1]);
    EXPECT_EQ(TempRegistry::ReadFile(registry.path() + ".bad.2"), garbage[2]);
    EXPECT_NE(said.find(registry.path() + ".bad.2"), std::string::npos) << said;
}

TEST_F(RegistrySaving, ALinkIsFollowedAndStaysALink) {
    const std::string target = registry.folder() + "/real/settings.reg";
    std::filesystem::create_directory(registry.folder() + "/real");
    TempRegistry::WriteTo(target, kHeader + "\n[HKEY_CURRENT_USER\\Software\\Other]\n\"K\"=dword:00000007\n");
    std::filesystem::create_symlink("real/settings.reg", registry.path());
    ASSERT_TRUE(SaveLesson(4));
    EXPECT_TRUE(std::filesystem::is_symlink(registry.path()));
    const std::string text = TempRegistry::ReadFile(target);
    EXPECT_NE(text.find("\"Lesson\"=dword:00000004"), std::string::npos) << text;
    EXPECT_NE(text.find("\"K\"=dword:00000007"), std::string::npos) << text;
    // A dangling link gets its target created.
    std::filesystem::remove(target);
    ASSERT_TRUE(SaveLesson(5));
    EXPECT_NE(TempRegistry::ReadFile(target).find("\"Lesson\"=dword:00000005"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(registry.path()));
}

TEST_F(RegistrySaving, TheFileKeepsItsPermissions) {
    ASSERT_TRUE(SaveLesson(1));
    EXPECT_EQ(ModeOf(registry.path()), 0600u);
    chmod(registry.path().c_str(), 0644);
    ASSERT_TRUE(SaveLesson(2));
    EXPECT_EQ(ModeOf(registry.path()), 0644u);
    chmod(registry.path().c_str(), 0640);
    ASSERT_TRUE(SaveLesson(3));
    EXPECT_EQ(ModeOf(registry.path()), 0640u);
}

TEST_F(RegistrySaving, TemporariesOfDeadSavesAreRemoved) {
    pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);  // now a process that no longer exists
    const std::string dead = registry.path() + ".tmp." + std::to_string(child);
    const std::string alive = registry.path() + ".tmp." + std::to_string(getppid());
    const std::string other = registry.path() + ".tmp.notapid";
    for (const std::string& path : {dead, alive, other}) TempRegistry::WriteTo(path, "half");
    ASSERT_TRUE(SaveLesson(1));
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(alive));
    EXPECT_TRUE(std::filesystem::exists(other));
}

// Reads share one parse of the file; a change made by someone else is still
// seen, even one that leaves size and time of change as they were.
TEST_F(RegistrySaving, ReadsSeeEveryChangeOfTheFile) {
    auto lesson = [] {
        plat::RegKey key = nullptr;
        std::uint32_t value = 0, size = 4, type = 0;
        if (plat::RegOpenKey(u"Software\\Quillmark\\Tovanel", &key) != ERROR_SUCCESS) return 0u;
        plat::RegQueryValue(key, u"Lesson", &type, reinterpret_cast<std::uint8_t*>(&value), &size);
        plat::RegCloseKey(key);
        return value;
    };
    const std::string book = kHeader + "\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n";
    registry.Write(book + "\"Lesson\"=dword:00000007\n");
    const long parses = plat::registry::testing::ParseCount();
    EXPECT_EQ(lesson(), 7u);
    EXPECT_EQ(lesson(), 7u);
    EXPECT_EQ(plat::registry::testing::ParseCount() - parses, 1);

    struct stat before {};
    stat(registry.path().c_str(), &before);
    registry.Write(book + "\"Lesson\"=dword:00000008\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    utimensat(AT_FDCWD, registry.path().c_str(), times, 0);
    EXPECT_EQ(lesson(), 8u);
}
