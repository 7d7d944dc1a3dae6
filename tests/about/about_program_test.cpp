// The About box and the update check reached from the running program.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "about/update_url.h"
#include "app/app_state.h"
#include "app/startup.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "support/temp_registry.h"

namespace {

TEST(AboutProgram, TheMenuHelpAndUpdateCommandsReachTheBoxAndTheBrowser) {
    TempRegistry registry;
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                   "\"FontName\"=\"Courier\"\n");
    plat::headless::Reset();
    plat::Module module;
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());
    std::vector<plat::Window> owners;
    plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t id) {
        if (id == kDialogAbout) owners.push_back(plat::GetParent(dialog));
        plat::SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    std::vector<std::function<void()>> steps = {
        [&] { plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::About, 0); },
        [&] { plat::SendMessage(AppState.MainWindow, WM_HELP, 0, 0); },
        [&] { plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::CheckForUpdates, 0); },
    };
    std::size_t next = 0;
    plat::headless::SetIdleHandler([&] {
        if (next >= steps.size()) return false;
        steps[next++]();
        return true;
    });
    EXPECT_EQ(TovanelMain(&module, u"", SW_SHOW), 0);
    EXPECT_EQ(next, steps.size());

    ASSERT_EQ(owners.size(), 2u) << "the About box from the menu and on help";
    EXPECT_NE(owners[0], nullptr);
    EXPECT_EQ(owners[1], owners[0]);
    ASSERT_EQ(plat::headless::OpenedUrls().size(), 1u);
    const std::u16string url = plat::headless::OpenedUrls()[0];
    EXPECT_EQ(url.find(u"/cgi-bin/upgrade?p=arm/Quillmark/Tovanel&v=1.84a"),
              7 + std::u16string(MakerHost()).size());
    plat::headless::Reset();
}

}  // namespace
