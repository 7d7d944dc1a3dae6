// Copy and Append to ClipBoard from the menu of the running program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/rtf_writer.h"
#include "platform/clipboard.h"
#include "platform/headless/headless.h"
#include "platform/time.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "support/temp_registry.h"

namespace {

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

TEST(ProgramClipboard, CopyThenAppendCollectTwoArticlesInOneDocument) {
    TempRegistry registry;
    registry.Write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"FontName\"=\"David CLM\"\n\"FontAsciiBase\"=dword:000005d0\n");
    plat::headless::Reset();
    plat::testing::SetLocalDate(2026, 12, 7);
    plat::testing::SetTimeZoneStandardName(u"GMT Standard Time");
    plat::Module module;
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());

    std::string afterCopy;
    std::string afterAppend;
    std::u16string plain;
    int step = 0;
    plat::headless::SetIdleHandler([&] {
        const std::uint32_t rtf = plat::RegisterClipboardFormat(kRichTextFormatName);
        switch (step++) {
            case 0: {
                plat::SendMessage(AppState.MainWindow, WM_COMMAND, 40007, 0);
                const std::vector<std::uint8_t> bytes = plat::headless::ClipboardBytes(rtf);
                afterCopy.assign(bytes.begin(), bytes.end());
                plat::SendMessage(AppState.MainWindow, WM_COMMAND, 109, 0);  // next article
                return true;
            }
            case 1: {
                plat::SendMessage(AppState.MainWindow, WM_COMMAND, 40009, 0);
                const std::vector<std::uint8_t> bytes = plat::headless::ClipboardBytes(rtf);
                afterAppend.assign(bytes.begin(), bytes.end());
                const std::vector<std::uint8_t> text = plat::headless::ClipboardBytes(CF_UNICODETEXT);
                plain.assign(reinterpret_cast<const char16_t*>(text.data()), text.size() / 2);
                return true;
            }
            default: return false;
        }
    });
    TovanelMain(&module, u"", SW_SHOW);
    plat::testing::ClearTimeOverrides();
    plat::headless::Reset();

    ASSERT_GT(afterCopy.size(), 200u);
    EXPECT_EQ(afterCopy.substr(0, 180), kRtfHeader);
    EXPECT_EQ(Count(afterCopy, kRtfSeparator), 0u);
    EXPECT_EQ(afterAppend.substr(0, afterCopy.size() - 4), afterCopy.substr(0, afterCopy.size() - 4));
    EXPECT_EQ(Count(afterAppend, "{\\rtf"), 1u);
    EXPECT_EQ(Count(afterAppend, kRtfSeparator), 1u);
    EXPECT_EQ(afterAppend.substr(afterAppend.size() - 4), std::string("}\r\n") + '\0');
    EXPECT_GT(plain.size(), 100u) << "plain text beside the document";
}

}  // namespace
