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

using viewtest::Stream;

class ClipboardExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontAsciiBase = 1488;
        rtf_ = plat::RegisterClipboardFormat(kRichTextFormatName);
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        AppState.Flags = 0;
    }

    // Exports a stream through a view record that holds only the text.
    void Export(const Stream& stream, bool append) {
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
        if (!bytes.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return text;
    }

    std::uint32_t rtf_ = 0;
};

const Stream kFirst = Stream().Text(0x11, 0, "ba");   // reads alef, bet
const Stream kSecond = Stream().Text(0x11, 0, "c");

TEST_F(ClipboardExportTest, CopyInRichTextModeOffersTheDocumentAndPlainText) {
    Export(kFirst, false);
    EXPECT_EQ(Rtf(), std::string(kRtfHeader) + "\\u1488\\u1489\\par\\par\r\n\\par\\par\r\n}\r\n" + '\0');
    EXPECT_EQ(Text(), std::u16string(u"\u05D0\u05D1\r\n") + u'\0');
}

TEST_F(ClipboardExportTest, ReverseOnKeepsStoredOrderInRichText) {
    AppState.Flags = AppFlags::Reverse;
    Export(kFirst, false);
    EXPECT_NE(Rtf().find("\\u1489\\u1488"), std::string::npos);
    EXPECT_EQ(AppState.Flags, AppFlags::Reverse) << "the flags are restored";
}

TEST_F(ClipboardExportTest, AppendOnAnEmptyClipboardIsCopy) {
    Export(kFirst, true);
    const std::string appended = Rtf();
    const std::u16string appendedText = Text();
    plat::headless::Reset();
    Export(kFirst, false);
    EXPECT_EQ(appended, Rtf());
    EXPECT_EQ(appendedText, Text());
}

TEST_F(ClipboardExportTest, AppendToAnExportJoinsDocumentAndText) {
    Export(kFirst, false);
    Export(kSecond, true);
    const std::string rtf = Rtf();
    EXPECT_EQ(rtf, std::string(kRtfHeader) + "\\u1488\\u1489\\par\\par\r\n\\par\\par\r\n" + kRtfSeparator +
                       "\\u1490\\par\\par\r\n\\par\\par\r\n}\r\n" + '\0');
    EXPECT_EQ(Text(), std::u16string(u"\u05D0\u05D1\r\n\u05D2\r\n") + u'\0');
}

TEST_F(ClipboardExportTest, AppendToAnotherProgramsDocument) {
    const std::string foreign = "{\\rtf1\\ansi Hello}";
    plat::headless::SetClipboardBytes(rtf_, std::vector<std::uint8_t>(foreign.begin(), foreign.end()));
    Export(kSecond, true);
    EXPECT_EQ(Rtf(), "{\\rtf1\\ansi Hello" + std::string(kRtfSeparator) +
                         "\\pard\\rtlpar\\qr\\uc0\r\n\\u1490\\par\\par\r\n\\par\\par\r\n}\r\n" + '\0');
}

TEST_F(ClipboardExportTest, RichTextAppendIgnoresDataThatIsNotRichText) {
    const std::string junk = "not a document";
    plat::headless::SetClipboardBytes(rtf_, std::vector<std::uint8_t>(junk.begin(), junk.end()));
    const std::u16string oldText = u"old";
    plat::headless::SetClipboardBytes(
        CF_UNICODETEXT, std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(oldText.data()),
                                                  reinterpret_cast<const std::uint8_t*>(oldText.data()) + 6));
    Export(kSecond, true);
    EXPECT_EQ(Rtf().substr(0, 180), kRtfHeader);
    EXPECT_EQ(Text(), std::u16string(u"\u05D2\r\n") + u'\0') << "plain text follows the document";
}

TEST_F(ClipboardExportTest, UnicodeTextModeJoinsDirectly) {
    AppState.Font.FontAsciiBase = 224;
    Export(kFirst, false);
    EXPECT_TRUE(Rtf().empty()) << "only Unicode text in this mode";
    // Old text without a terminator: only the bytes the clipboard holds count.
    std::vector<std::uint8_t> odd = plat::headless::ClipboardBytes(CF_UNICODETEXT);
    odd.resize(odd.size() - 2 + 1);  // drop the zero, leave half a unit
    plat::headless::SetClipboardBytes(CF_UNICODETEXT, odd);
    Export(kSecond, true);
    EXPECT_EQ(Text(), std::u16string(u"\u00E1\u00E0\r\n\u00E2\r\n") + u'\0');
}

TEST_F(ClipboardExportTest, NothingWithoutText) {
    plat::headless::SetClipboardBytes(CF_UNICODETEXT, {'x', 0, 0, 0});
    ExportArticle(nullptr, false);
    ArticleView empty{};
    ExportArticle(&empty, false);
    EXPECT_EQ(Text(), std::u16string(u"x") + u'\0');
}

TEST_F(ClipboardExportTest, RunningOutOfMemoryLeavesAWholeExportOrNone) {
    TempRegistry registry;  // running out of memory saves the settings
    Export(kFirst, false);
    const std::string whole = Rtf();
    for (long successes = 0; successes < 12; ++successes) {
        plat::headless::SetClipboardBytes(CF_UNICODETEXT, {'x', 0, 0, 0});
        plat::testing::FailAllocationsAfter(successes);
        Export(kFirst, false);
        plat::testing::ResetAllocationFailure();
        const std::string rtf = Rtf();
        EXPECT_TRUE(rtf.empty() || rtf == whole) << successes;
        if (rtf.empty()) {
            EXPECT_TRUE(Text() == std::u16string(u"x") + u'\0' || Text().empty()) << successes;
        }
    }
}

}  // namespace
