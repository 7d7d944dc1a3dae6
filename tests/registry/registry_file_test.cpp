#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/common/registry_file.h"
#include "platform/registry.h"
#include "support/temp_registry.h"

using plat::registry::Document;
using plat::registry::Value;

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list) out.push_back(std::uint8_t(b));
    return out;
}

std::vector<std::uint8_t> Utf16z(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

const std::u16string kKey = u"HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel";

}  // namespace

TEST(RegistryFileSyntax, EveryTypeSurvivesARoundTrip) {
    Document document;
    auto& key = plat::registry::FindOrAddKey(document, kKey);
    const std::vector<Value> values = {
        {u"FontName", REG_SZ, Utf16z(u"David CLM \"quoted\" \\ back\u05D0")},
        {u"Flags", REG_DWORD, Bytes({0x40, 0x00, 0x14, 0xD1})},
        {u"Bookmarks", REG_BINARY, Bytes({0x1E, 0, 0, 0})},
        {u"Empty", REG_BINARY, {}},
        {u"Multi", REG_MULTI_SZ, Bytes({0x41, 0, 0, 0, 0, 0})},
        {u"Odd", 0x1234, Bytes({1, 2, 3})},
        // A REG_SZ that is not clean text must keep its exact bytes.
        {u"NoTerminator", REG_SZ, Bytes({0x41, 0x00, 0x42})},
        {u"EmbeddedZero", REG_SZ, Bytes({0x41, 0, 0, 0, 0x42, 0, 0, 0})},
        {u"ShortDword", REG_DWORD, Bytes({1, 2})},
        {u"", REG_SZ, Utf16z(u"default value")},
    };
    for (const Value& v : values) plat::registry::SetValue(key, v);

    std::string text = plat::registry::Serialize(document);
    Document back = plat::registry::Parse(text);
    ASSERT_EQ(back.unreadableLines, 0) << text;
    const auto* backKey = plat::registry::FindKey(back, kKey);
    ASSERT_NE(backKey, nullptr);
    ASSERT_EQ(backKey->values.size(), values.size());
    for (const Value& v : values) {
        const Value* got = plat::registry::FindValue(*backKey, v.name);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->type, v.type);
        EXPECT_EQ(got->data, v.data);
    }
    // Serialising again gives the same text.
    EXPECT_EQ(plat::registry::Serialize(back), text);
}

TEST(RegistryFileSyntax, ReadsTheExportFormat) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\r\n"
        "\"FontName\"=\"David CLM\"\r\n"
        "\"Flags\"=dword:d1140040\r\n"
        "\"Bookmarks\"=hex:1e,00,\\\r\n"
        "  00,00\r\n"
        "this line is nonsense\r\n"
        "\"Bad\"=dword:123\r\n"
        "\"Also bad\"=hex:zz\r\n"
        "[HKEY_CURRENT_USER\\software\\Quillmark]\r\n"
        "\"Israel\"=dword:00000001\r\n";
    Document document = plat::registry::Parse(text);
    EXPECT_TRUE(document.hasHeader);
    EXPECT_EQ(document.unreadableLines, 3);
    const auto* key = plat::registry::FindKey(document, u"hkey_current_user\\SOFTWARE\\quillmark\\tovanel");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 3u);
    const Value* bookmarks = plat::registry::FindValue(*key, u"bookmarks");
    ASSERT_NE(bookmarks, nullptr);
    EXPECT_EQ(bookmarks->data, Bytes({0x1E, 0, 0, 0}));
    const Value* name = plat::registry::FindValue(*key, u"FONTNAME");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->data, Utf16z(u"David CLM"));
    EXPECT_NE(plat::registry::FindKey(document, u"HKEY_CURRENT_USER\\Software\\Quillmark"), nullptr);
}

TEST(RegistryFileSyntax, RecognisesAFileWithNothingReadable) {
    const std::string garbage = "\x01\x02 not a registry\nat all\n";
    EXPECT_TRUE(plat::registry::IsUnreadable(plat::registry::Parse(garbage)));
    const std::string headerOnly = "Windows Registry Editor Version 5.00\n";
    EXPECT_FALSE(plat::registry::IsUnreadable(plat::registry::Parse(headerOnly)));
    EXPECT_FALSE(plat::registry::IsUnreadable(plat::registry::Parse("\n  \n")));
}

class RegistryStore : public ::testing::Test {
protected:
    TempRegistry registry;

    static void Set(const char16_t* key, const char16_t* name, std::uint32_t value) {
        plat::RegKey handle = nullptr;
        ASSERT_EQ(plat::RegCreateKey(key, &handle), ERROR_SUCCESS);
        std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                                 std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
        ASSERT_EQ(plat::RegSetValue(handle, name, REG_DWORD, bytes, 4), ERROR_SUCCESS);
        ASSERT_EQ(plat::RegCloseKey(handle), ERROR_SUCCESS);
    }
    static bool Get(const char16_t* key, const char16_t* name, std::uint32_t* value) {
        plat::RegKey handle = nullptr;
        if (plat::RegOpenKey(key, &handle) != ERROR_SUCCESS) return false;
        std::uint8_t bytes[4] = {};
        std::uint32_t size = 4, type = 0;
        bool ok = plat::RegQueryValue(handle, name, &type, bytes, &size) == ERROR_SUCCESS;
        plat::RegCloseKey(handle);
        *value = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
                 (std::uint32_t(bytes[3]) << 24);
        return ok && type == REG_DWORD;
    }
};

TEST_F(RegistryStore, UsesTheFileNamedByTheEnvironment) {
    EXPECT_EQ(std::string(plat::RegistryFilePath()), registry.path());
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 30);
    EXPECT_NE(registry.Read().find("\"Lesson\"=dword:0000001e"), std::string::npos);
}

TEST_F(RegistryStore, SaveMergesWithWhatTheFileHoldsNow) {
    registry.Write(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Other\\Program]\n\"Keep\"=\"me\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n\"Unknown\"=hex(7):41,00,00,00\n"
        "\"Lesson\"=dword:00000001\n");
    // A key opened before someone else changed the file must not undo that change.
    plat::RegKey early = nullptr;
    ASSERT_EQ(plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &early), ERROR_SUCCESS);
    Set(u"software\\quillmark\\TOVANEL", u"FontSize", 18);
    std::uint8_t bytes[4] = {5, 0, 0, 0};
    plat::RegSetValue(early, u"LESSON", REG_DWORD, bytes, 4);
    ASSERT_EQ(plat::RegCloseKey(early), ERROR_SUCCESS);

    std::uint32_t value = 0;
    ASSERT_TRUE(Get(u"Software\\Quillmark\\Tovanel", u"Lesson", &value));
    EXPECT_EQ(value, 5u);
    ASSERT_TRUE(Get(u"Software\\Quillmark\\Tovanel", u"FontSize", &value));
    EXPECT_EQ(value, 18u);
    std::string text = registry.Read();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Other\\Program]\n\"Keep\"=\"me\""),
              std::string::npos);
    EXPECT_NE(text.find("\"Unknown\"=hex(7):41,00,00,00"), std::string::npos);
    // One value per name, whatever the case it was written in.
    EXPECT_EQ(text.find("\"LESSON\""), std::string::npos);
}

// A save that would write the bytes the file already holds writes nothing;
// one that changes a value, or the file's text, writes it whole.
TEST_F(RegistryStore, ASaveThatChangesNothingLeavesTheFileAsItIs) {
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 7);
    const std::string before = registry.Read();
    struct stat first {};
    ASSERT_EQ(::stat(registry.path().c_str(), &first), 0);
    const long writes = plat::registry::testing::WriteCount();
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 7);
    EXPECT_EQ(plat::registry::testing::WriteCount(), writes);
    struct stat second {};
    ASSERT_EQ(::stat(registry.path().c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino) << "the file was not replaced";
    EXPECT_EQ(registry.Read(), before);

    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 8);
    EXPECT_EQ(plat::registry::testing::WriteCount(), writes + 1);
    EXPECT_NE(registry.Read().find("\"Lesson\"=dword:00000008"), std::string::npos);

    // The same value laid out otherwise (no blank line after the header):
    // written again the program's way.
    registry.Write("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"Lesson\"=dword:00000008\n");
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 8);
    EXPECT_EQ(plat::registry::testing::WriteCount(), writes + 2);
    EXPECT_EQ(registry.Read().rfind("Windows Registry Editor Version 5.00\n\n[", 0), 0u) << registry.Read();
}

TEST_F(RegistryStore, AnInterruptedSaveLeavesThePreviousFileWhole) {
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 7);
    const std::string before = registry.Read();
    plat::registry::testing::FailWriteAfter(20);
    plat::RegKey key = nullptr;
    ASSERT_EQ(plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_SUCCESS);
    std::uint8_t bytes[4] = {9, 0, 0, 0};
    plat::RegSetValue(key, u"Lesson", REG_DWORD, bytes, 4);
    EXPECT_NE(plat::RegCloseKey(key), ERROR_SUCCESS);
    plat::registry::testing::FailWriteAfter(-1);

    EXPECT_EQ(registry.Read(), before);
    for (const auto& entry : std::filesystem::directory_iterator(registry.folder())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST_F(RegistryStore, AFolderThatCannotBeWrittenLosesNothing) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 7);
    const std::string before = registry.Read();
    std::filesystem::permissions(registry.folder(), std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_exec);
    plat::RegKey key = nullptr;
    plat::RegCreateKey(u"Software\\Quillmark\\Tovanel", &key);
    std::uint8_t bytes[4] = {9, 0, 0, 0};
    plat::RegSetValue(key, u"Lesson", REG_DWORD, bytes, 4);
    EXPECT_NE(plat::RegCloseKey(key), ERROR_SUCCESS);
    std::filesystem::permissions(registry.folder(), std::filesystem::perms::owner_all);
    EXPECT_EQ(registry.Read(), before);
}

TEST_F(RegistryStore, AnUnreadableFileIsKeptAsideBeforeTheFirstSave) {
    const std::string garbage = "\x7F" "ELF garbage that somebody wrote here\n";
    registry.Write(garbage);
    std::uint32_t value = 0;
    EXPECT_FALSE(Get(u"Software\\Quillmark\\Tovanel", u"Lesson", &value));
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 3);
    EXPECT_EQ(TempRegistry::ReadFile(registry.path() + ".bad"), garbage);
    ASSERT_TRUE(Get(u"Software\\Quillmark\\Tovanel", u"Lesson", &value));
    EXPECT_EQ(value, 3u);
}

TEST_F(RegistryStore, ReadingKeysAndValuesThatAreNotThere) {
    plat::RegKey key = nullptr;
    EXPECT_EQ(plat::RegOpenKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    Set(u"Software\\Quillmark\\Tovanel", u"Lesson", 3);
    ASSERT_EQ(plat::RegOpenKey(u"Software\\Quillmark\\Tovanel", &key), ERROR_SUCCESS);
    std::uint32_t size = 0, type = 0;
    EXPECT_EQ(plat::RegQueryValue(key, u"Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    std::uint8_t small[2];
    size = sizeof small;
    EXPECT_EQ(plat::RegQueryValue(key, u"Lesson", &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(plat::RegSetValue(key, u"Lesson", REG_DWORD, small, 2), ERROR_ACCESS_DENIED);
    plat::RegCloseKey(key);
}
