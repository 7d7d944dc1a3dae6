// Copy and Append to ClipBoard on the headless clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/rtf_writer.h"
#include "platform/clipboard.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "support/temp_registry.h"
#include "view/article_view.h"
#include "view/view_test_support.h"

namespace {

using namespace std::string_literals;

// Stored right to left: they read alef bet, and gimel.
const viewtest::Stream kFirst = viewtest::Stream().Text(0x11, 0, "ba");
const viewtest::Stream kSecond = viewtest::Stream().Text(0x11, 0, "c");
const std::string kFirstBody = "\\u1488\\u1489\\par\\par\r\n\\par\\par\r\n";
const std::string kSecondBody = "\\u1490\\par\\par\r\n\\par\\par\r\n";

class ClipboardExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontAsciiBase = 1488;
        rtf_ = plat::RegisterClipboardFormat(kRichTextFormatName);
    }
    void TearDown() override { AppState.Flags = 0; }

    // Exports through a view record that holds only the text.
    static void Export(const viewtest::Stream& stream, bool append) {
        std::vector<std::uint8_t> bytes = stream.Bytes();
        ArticleView view{};
        view.text = bytes.data();
        view.textLength = std::uint32_t(bytes.size());
        ExportArticle(&view, append);
    }
    std::string Rtf() const {
        const std::vector<std::uint8_t> bytes = plat::headless::ClipboardBytes(rtf_);
        return std::string(bytes.begin(), bytes.end());
    }
    static std::u16string Text() {
        const std::vector<std::uint8_t> bytes = plat::headless::ClipboardBytes(CF_UNICODETEXT);
        std::u16string text(bytes.size() / 2, 0);
        if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return text;
    }
    static void SetText(const std::u16string& text) {  // no terminator
        const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
        plat::headless::SetClipboardBytes(CF_UNICODETEXT, {p, p + text.size() * 2});
    }

    std::uint32_t rtf_ = 0;
};

TEST_F(ClipboardExportTest, CopyOffersTheDocumentAndPlainTextInReadingOrder) {
    Export(kFirst, false);
    EXPECT_EQ(Rtf(), kRtfHeader + kFirstBody + "}\r\n" + '\0');
    EXPECT_EQ(Text(), u"\u05D0\u05D1\r\n"s + u'\0');
    AppState.Flags = AppFlags::Reverse;  // the display reversed: the export in stored order
    Export(kFirst, false);
    EXPECT_NE(Rtf().find("\\u1489\\u1488"), std::string::npos);
    EXPECT_EQ(AppState.Flags, AppFlags::Reverse);
}

TEST_F(ClipboardExportTest, AppendJoinsWhatTheClipboardHolds) {
    Export(kFirst, true);  // on an empty clipboard: a copy
    EXPECT_EQ(Rtf(), kRtfHeader + kFirstBody + "}\r\n" + '\0');
    Export(kSecond, true);
    EXPECT_EQ(Rtf(), kRtfHeader + kFirstBody + kRtfSeparator + kSecondBody + "}\r\n" + '\0');
    EXPECT_EQ(Text(), u"\u05D0\u05D1\r\n\u05D2\r\n"s + u'\0');

    const std::string foreign = "{\\rtf1\\ansi Hello}";
    plat::headless::Reset();
    plat::headless::SetClipboardBytes(rtf_, {foreign.begin(), foreign.end()});
    Export(kSecond, true);
    EXPECT_EQ(Rtf(), "{\\rtf1\\ansi Hello"s + kRtfSeparator + "\\pard\\rtlpar\\qr\\uc0\r\n" + kSecondBody +
                         "}\r\n" + '\0');

    // Not rich text: a new document, and the plain text goes with it.
    plat::headless::SetClipboardBytes(rtf_, {'x', 'y'});
    SetText(u"old");
    Export(kSecond, true);
    EXPECT_EQ(Rtf(), kRtfHeader + kSecondBody + "}\r\n" + '\0');
    EXPECT_EQ(Text(), u"\u05D2\r\n"s + u'\0');
}

TEST_F(ClipboardExportTest, UnicodeTextModeJoinsDirectly) {
    AppState.Font.FontAsciiBase = 224;
    SetText(u"old\r\n"s + char16_t(0x41));  // no terminator: only its bytes count
    plat::headless::SetClipboardBytes(CF_UNICODETEXT, [] {
        std::vector<std::uint8_t> odd = plat::headless::ClipboardBytes(CF_UNICODETEXT);
        odd.pop_back();  // and half a unit at the end
        return odd;
    }());
    Export(kFirst, true);
    EXPECT_TRUE(Rtf().empty()) << "only Unicode text in this mode";
    EXPECT_EQ(Text(), u"old\r\n\u00E1\u00E0\r\n"s + u'\0');
}

TEST_F(ClipboardExportTest, RunningOutOfMemoryLeavesAWholeExportOrNone) {
    TempRegistry registry;  // running out of memory saves the settings
    Export(kFirst, false);
    const std::string whole = Rtf();
    for (long successes = 0; successes < 12; ++successes) {
        SetText(u"x"s + u'\0');
        plat::testing::FailAllocationsAfter(successes);
        Export(kFirst, false);
        plat::testing::ResetAllocationFailure();
        EXPECT_TRUE(Rtf().empty() || Rtf() == whole) << successes;
    }
}

}  // namespace
