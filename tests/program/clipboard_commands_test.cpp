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

std::string RichText() {
    const std::vector<std::uint8_t> bytes =
        plat::headless::ClipboardBytes(plat::RegisterClipboardFormat(kRichTextFormatName));
    return std::string(bytes.begin(), bytes.end());
}

TEST(ProgramClipboard, CopyThenAppendCollectTwoArticlesInOneDocument) {
    TempRegistry registry;
    registry.Write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"FontName\"=\"David CLM\"\n\"FontAsciiBase\"=dword:000005d0\n");
    plat::headless::Reset();
    plat::testing::SetLocalDate(2026, 12, 7);
    plat::Module module;
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());
    std::string copied, appended;
    std::size_t plainBytes = 0;
    int step = 0;
    plat::headless::SetIdleHandler([&] {
        if (step++ > 0) return false;
        plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Copy, 0);
        copied = RichText();
        plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::NextArticle, 0);
        plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Append, 0);
        appended = RichText();
        plainBytes = plat::headless::ClipboardBytes(CF_UNICODETEXT).size();
        return true;
    });
    TovanelMain(&module, u"", SW_SHOW);
    plat::testing::ClearTimeOverrides();
    plat::headless::Reset();

    ASSERT_GT(copied.size(), 200u);
    EXPECT_EQ(copied.substr(0, 180), kRtfHeader);
    EXPECT_EQ(appended.find(kRtfSeparator), copied.size() - 4) << "the old text, then the separator";
    EXPECT_EQ(appended.substr(0, copied.size() - 4), copied.substr(0, copied.size() - 4));
    EXPECT_EQ(appended.substr(appended.size() - 4), std::string("}\r\n") + '\0');
    EXPECT_GT(plainBytes, copied.size() / 4) << "plain text beside the document";
}

}  // namespace
