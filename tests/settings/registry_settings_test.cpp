#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "app/startup.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "settings/registry_settings.h"
#include "platform/common/registry_file.h"
#include "support/temp_registry.h"

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kBookSection = "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n";

std::string HexOf(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) out += ",";
        out += digits;
    }
    return out;
}

// The exit code of the quit message waiting in the queue, or -1 when none
// was posted (the loop then goes idle).
int QuitCode() {
    bool idle = false;
    plat::headless::SetIdleHandler([&idle] {
        idle = true;
        return false;
    });
    plat::Message message;
    while (plat::GetMessage(&message) > 0) {
    }
    return idle ? -1 : int(message.wParam);
}

class Settings : public ::testing::Test {
protected:
    TempRegistry registry;
    plat::Module module;

    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        plat::AddResourceTable(&module, UiResourceTable());
        AppState.Instance = &module;
    }
    void TearDown() override {
        // Loaded settings own the outline bitmaps (the program frees them
        // when it saves) and the bookmark list.
        for (plat::Bitmap& bitmap : AppState.OutlineBitmaps) {
            if (bitmap != nullptr) plat::DeleteBitmap(bitmap);
            bitmap = nullptr;
        }
        FreeBookmarks();
        plat::testing::ResetAllocationFailure();
        plat::headless::Reset();
    }
    void WriteBook(const std::string& values) { registry.Write(kHeader + kBookSection + values); }
};

}  // namespace

TEST_F(Settings, MissingValuesGiveTheDefaults) {
    LoadSettingsAndBookmarks();
    EXPECT_EQ(AppState.Flags, 0xD1140040u);
    EXPECT_EQ(AppState.Font.FontAsciiBase, 1488);
    EXPECT_EQ(AppState.Font.FontSize, 0);
    EXPECT_EQ(AppState.Font.FontName[0], 0);
    EXPECT_EQ(AppState.Lesson, 0);
    EXPECT_EQ(AppState.SearchString[0], 0);
    EXPECT_EQ(ReadDword(kSharedKey, u"AllowSipInHebrewSearch", 1), 1);
    // The outline marks are loaded with the settings.
    for (plat::Bitmap bitmap : AppState.OutlineBitmaps) EXPECT_NE(bitmap, nullptr);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(Settings, ValuesOfAnotherTypeAreReadAsDecimalText) {
    WriteBook("\"Flags\"=\"255\"\n\"FontSize\"=\"\"\n\"Lesson\"=dword:00011170\n"
              "\"LastPosition\"=hex:31,00,32,00\n\"PreviousLesson\"=hex(4):01,02\n");
    LoadSettingsAndBookmarks();
    EXPECT_EQ(AppState.Flags, 255u);
    EXPECT_EQ(AppState.Font.FontSize, 0);         // empty text reads as 0, not the default
    EXPECT_EQ(AppState.Lesson, 4464);             // 70000 keeps its low 16 bits
    EXPECT_EQ(AppState.LastPosition, 12);         // binary read as "12" without a terminator
    EXPECT_EQ(AppState.PreviousLesson, 0);        // a DWORD of the wrong size gives the default
}

TEST_F(Settings, LongTextsAreCutToTheirFields) {
    std::string search(40, 'a');
    std::string name;
    for (int i = 0; i < 40; ++i) name += char('A' + i % 26);
    WriteBook("\"SearchString\"=hex:" + HexOf(search + std::string(1, '\0')) + "\n\"FontName\"=\"" +
              name + "\"\n");
    LoadSettingsAndBookmarks();
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(AppState.SearchString)), 33u);
    std::u16string font(AppState.Font.FontName);
    EXPECT_EQ(font.size(), 31u);
    EXPECT_EQ(font, std::u16string(name.begin(), name.begin() + 31));
}

TEST_F(Settings, AnEmptySearchValueLeavesTheFieldAlone) {
    WriteBook("\"SearchString\"=hex:\n");
    std::memcpy(AppState.SearchString, "abc", 4);
    ReadByteString(u"SearchString", AppState.SearchString, 34);
    EXPECT_STREQ(reinterpret_cast<const char*>(AppState.SearchString), "abc");
    WriteBook("\"SearchString\"=hex:78,79\n");  // no NUL inside the value
    ReadByteString(u"SearchString", AppState.SearchString, 34);
    EXPECT_STREQ(reinterpret_cast<const char*>(AppState.SearchString), "xy");
}

TEST_F(Settings, GarbageGivesTheDefaultsAndIsKept) {
    registry.Write("\x01\x02\x03 garbage\n\xFF\xFE");
    LoadSettingsAndBookmarks();
    EXPECT_EQ(AppState.Flags, 0xD1140040u);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
    SaveSettingsAndQuit();
    EXPECT_EQ(TempRegistry::ReadFile(registry.path() + ".bad"), "\x01\x02\x03 garbage\n\xFF\xFE");
}

TEST_F(Settings, SaveWritesTheValuesAndKeepsOthers) {
    registry.Write(kHeader + "[HKEY_CURRENT_USER\\software\\Quillmark]\n\"Israel\"=dword:00000001\n\n" +
                   kBookSection + "\"SearchString\"=hex:61,62,00\n\"Custom\"=\"mine\"\n");
    LoadSettingsAndBookmarks();
    AppState.SearchString[0] = 0;  // the reader emptied the search text
    std::memcpy(AppState.Font.FontName, u"David CLM", sizeof(u"David CLM"));
    AppState.Font.FontSize = 0;
    AppState.Lesson = 30;
    AppState.PreviousLesson = 4;
    AppState.PreviousPosition = 9;
    AppState.Flags |= AppFlags::LessonPinned;
    SaveSettingsAndQuit();
    EXPECT_EQ(QuitCode(), 0);

    std::string text = registry.Read();
    EXPECT_NE(text.find("\"FontName\"=\"David CLM\""), std::string::npos);
    EXPECT_NE(text.find("\"Flags\"=dword:d1140044"), std::string::npos);
    EXPECT_NE(text.find("\"Lesson\"=dword:0000001e"), std::string::npos);
    EXPECT_NE(text.find("\"PreviousLesson\"=dword:00000004"), std::string::npos);
    EXPECT_NE(text.find("\"PreviousPosition\"=dword:00000009"), std::string::npos);
    EXPECT_NE(text.find("\"FontAsciiBase\"=dword:000005d0"), std::string::npos);
    EXPECT_EQ(text.find("\"FontSize\""), std::string::npos);  // 0 is not written
    EXPECT_NE(text.find("\"Custom\"=\"mine\""), std::string::npos);
    EXPECT_NE(text.find("\"Israel\"=dword:00000001"), std::string::npos);
    EXPECT_NE(text.find("\"Program Path\""), std::string::npos);

    // The emptied search text comes back at the next start.
    ClearAppState();
    AppState.Instance = &module;
    LoadSettingsAndBookmarks();
    EXPECT_STREQ(reinterpret_cast<const char*>(AppState.SearchString), "ab");
    EXPECT_EQ(AppState.Lesson, 30);
    EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, AppFlags::LessonPinned);
}

TEST_F(Settings, OutOfMemoryWhileReadingShowsTheMessageOnceAndQuits) {
    WriteBook("\"FontName\"=\"David CLM\"\n\"Flags\"=\"255\"\n\"FontSize\"=\"12\"\n"
              "\"Lesson\"=dword:00000009\n");
    plat::testing::FailAllocationsAfter(0);
    LoadSettingsAndBookmarks();
    plat::testing::ResetAllocationFailure();

    const auto& boxes = plat::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"There is not enough memory, aborting");
    EXPECT_EQ(boxes[0].caption, u"Error");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, MB_ICONERROR);
    // The values whose reading failed took their defaults.
    EXPECT_EQ(AppState.Font.FontName[0], 0);
    EXPECT_EQ(AppState.Flags, 0xD1140040u);
    EXPECT_EQ(QuitCode(), 0);
    // The stored settings were not overwritten with the empty ones not yet read.
    std::string text = registry.Read();
    EXPECT_NE(text.find("\"FontName\"=\"David CLM\""), std::string::npos);
    EXPECT_NE(text.find("\"Flags\"=\"255\""), std::string::npos);
    EXPECT_NE(text.find("\"Lesson\"=dword:00000009"), std::string::npos);
}

TEST_F(Settings, ReachingTheSaveTwiceIsHarmless) {
    LoadSettingsAndBookmarks();
    AppState.Lesson = 5;
    SaveSettingsAndQuit();
    std::string first = registry.Read();
    SaveSettingsAndQuit();
    EXPECT_EQ(registry.Read(), first);
    for (plat::Bitmap bitmap : AppState.OutlineBitmaps) EXPECT_EQ(bitmap, nullptr);
}

TEST_F(Settings, ReadDwordMapsEveryFailureToTheDefault) {
    EXPECT_EQ(ReadDword(u"software\\Nowhere", u"X", 77), 77);
    registry.Write(kHeader + "[HKEY_CURRENT_USER\\software\\Quillmark]\n\"Israel\"=dword:00000001\n"
                             "\"FullScreen\"=\"1\"\n");
    EXPECT_EQ(ReadDword(kSharedKey, u"israel", 0), 1);
    EXPECT_EQ(ReadDword(kSharedKey, u"FullScreen", 0), 1);
    EXPECT_EQ(ReadDword(kSharedKey, u"MenuBarOnBottom", 3), 3);
}

TEST_F(Settings, WritesCarryTheirTypesAndSizes) {
    const std::uint8_t text[] = "xyz";
    WriteByteString(u"SearchString", text);
    WriteString(u"FontName", u"\u05D3\u05D5\u05D3");
    const std::uint8_t bookmarks[] = {4, 0, 0, 0};
    WriteBinary(u"Bookmarks", bookmarks, 4);
    std::uint32_t size = 0;
    std::uint8_t* value = ReadBinary(u"SearchString", nullptr, &size);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(value, "xyz", 4), 0);
    plat::Free(value);
    char16_t* name = ReadString(u"FontName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), u"\u05D3\u05D5\u05D3");
    plat::Free(name);
    std::uint8_t fallback = 0;
    EXPECT_EQ(ReadBinary(u"Absent", &fallback, &size), &fallback);
    std::string file = registry.Read();
    EXPECT_NE(file.find("\"Bookmarks\"=hex:04,00,00,00"), std::string::npos);
    EXPECT_NE(file.find("\"SearchString\"=hex:78,79,7a,00"), std::string::npos);
}

// Values of any type and size, read by every typed read: each read stays
// inside the value (checked by the sanitizers) and gives the value's text.
TEST_F(Settings, TypedReadsStayInsideValuesOfAnySize) {
    const std::vector<int> types = {REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, 0x1234};
    for (int type : types) {
        for (std::uint32_t size : {0u, 1u, 2u, 3u, 4u, 5u, 33u, 34u, 35u, 62u, 63u, 64u, 65u}) {
            SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(size) + " bytes");
            // "A" as UTF-16 units (41,00,41,00,...): an odd size ends inside a unit.
            std::string bytes;
            for (std::uint32_t i = 0; i < size; ++i) bytes.push_back(i % 2 == 0 ? 'A' : '\0');
            char prefix[16];
            std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
            std::string values;
            for (const char* name : {"FontName", "SearchString", "Flags", "Lesson", "FontSize"}) {
                values += std::string("\"") + name + "\"=" + prefix + HexOf(bytes) + "\n";
            }
            WriteBook(values);
            ClearAppState();
            AppState.Instance = &module;
            LoadSettings();
            const std::size_t units = (size + 1) / 2;
            EXPECT_EQ(std::u16string(AppState.Font.FontName),
                      std::u16string(std::min<std::size_t>(units, 31), u'A'));
            EXPECT_STREQ(reinterpret_cast<const char*>(AppState.SearchString), size ? "A" : "");
            char16_t* text = ReadString(u"FontName");
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(std::u16string(text), std::u16string(units, u'A'));
            plat::Free(text);
            std::uint32_t got = 0;
            std::uint8_t* raw = ReadBinary(u"Flags", nullptr, &got);
            EXPECT_EQ(got, size);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), got), bytes);
            plat::Free(raw);
            plat::Free(ReadBytes(u"Lesson"));
            ReadSetting(u"FontSize", 0);
            SaveSettingsAndQuit();
            EXPECT_EQ(QuitCode(), 0);
        }
    }
}

TEST_F(Settings, AFailedSaveSaysWhyAndTheExitFails) {
    WriteBook("\"Lesson\"=dword:00000009\n");
    const std::string before = registry.Read();
    LoadSettings();
    AppState.Lesson = 12;
    plat::registry::testing::FailWriteAfter(10);
    ::testing::internal::CaptureStderr();
    SaveSettingsAndQuit();
    const std::string said = ::testing::internal::GetCapturedStderr();
    plat::registry::testing::FailWriteAfter(-1);
    EXPECT_EQ(QuitCode(), 1);
    EXPECT_NE(said.find(registry.path()), std::string::npos) << said;
    EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
    EXPECT_EQ(registry.Read(), before);
}

// A run reads the file once and writes it once, all values in that write;
// nothing is written at start.
TEST_F(Settings, ARunParsesTheFileOnceAndWritesItOnce) {
    registry.Write(kHeader + "[HKEY_CURRENT_USER\\software\\Quillmark]\n\"FullScreen\"=dword:0\n\n" +
                   kBookSection + "\"FontName\"=\"David CLM\"\n\"Flags\"=\"255\"\n");
    const std::string before = registry.Read();
    const long parses = plat::registry::testing::ParseCount();
    const long writes = plat::registry::testing::WriteCount();
    ReadDword(kSharedKey, u"IgnoreActivate", 0);
    ReadDword(kSharedKey, u"FullScreen", 0);
    LoadSettings();
    EXPECT_EQ(registry.Read(), before);  // no Program Path written at start
    AppState.Lesson = 40;
    SaveSettingsAndQuit();
    EXPECT_EQ(plat::registry::testing::ParseCount() - parses, 1);
    EXPECT_EQ(plat::registry::testing::WriteCount() - writes, 1);
    const std::string text = registry.Read();
    for (const char* expected : {"\"Program Path\"=", "\"Lesson\"=dword:00000028",
                                 "\"FontName\"=\"David CLM\"", "\"Flags\"=dword:000000ff"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

TEST_F(Settings, ExtremeFontSizesAreUsedInRangeAndStoredAsTheyWere) {
    struct Case {
        const char* stored;
        std::int32_t used;
    };
    for (const Case& c : {Case{"7fffffff", 1000}, Case{"80000000", -1000}, Case{"00000012", 18},
                          Case{"fffffff4", -12}}) {
        SCOPED_TRACE(c.stored);
        WriteBook(std::string("\"FontSize\"=dword:") + c.stored + "\n");
        ClearAppState();
        AppState.Instance = &module;
        LoadSettings();
        EXPECT_EQ(AppState.Font.FontSize, c.used);
        SaveSettingsAndQuit();
        EXPECT_NE(registry.Read().find(std::string("\"FontSize\"=dword:") + c.stored),
                  std::string::npos);
        // A size the reader chose is stored.
        LoadSettings();
        AppState.Font.FontSize = 24;
        SaveSettingsAndQuit();
        EXPECT_NE(registry.Read().find("\"FontSize\"=dword:00000018"), std::string::npos);
        QuitCode();
    }
}

// Memory running out at any allocation of the start: every later save, the
// window's own at its destruction included, leaves the stored values alone.
TEST_F(Settings, RunningOutOfMemoryAnywhereInTheLoadKeepsTheStoredValues) {
    const std::string values = "\"FontName\"=\"David CLM\"\n\"SearchString\"=hex:61,62,00\n"
                               "\"Flags\"=\"255\"\n\"FontSize\"=\"12\"\n\"Lesson\"=dword:00000009\n";
    for (long successes = 0; successes < 8; ++successes) {
        SCOPED_TRACE(successes);
        WriteBook(values);
        plat::headless::Reset();
        ClearAppState();
        AppState.Instance = &module;
        plat::testing::FailAllocationsAfter(successes);
        LoadSettings();
        const bool failed = plat::testing::RefusedAllocations() > 0;
        plat::testing::ResetAllocationFailure();
        SaveSettingsAndQuit();
        QuitCode();
        if (!failed) break;  // the whole load fitted: nothing more to try
        const std::string text = registry.Read();
        EXPECT_NE(text.find(values), std::string::npos) << text;
    }
}
