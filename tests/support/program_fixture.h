// The whole program on the headless backend, driven by a script of steps
// that run whenever it is idle; then the registry file it left.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "app/window_layout.h"
#include "platform/headless/headless.h"
#include "platform/time.h"
#include "platform/window.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "support/temp_registry.h"
#include "format/book_format.h"
#include "view/article_view.h"

using Step = std::function<void()>;

constexpr LessonNumber kThisWeek = 30;  // the week of Monday 7 December 2026, abroad

class Program : public ::testing::Test {
protected:
    TempRegistry registry;
    plat::Module module;
    std::vector<Step> steps;
    std::size_t next = 0;

    void SetUp() override {
        plat::headless::Reset();
        plat::headless::SetScreenSize(200, 240);
        plat::testing::SetLocalDate(2026, 12, 7);
        plat::testing::SetTimeZoneStandardName(u"GMT Standard Time");
        plat::AddResourceTable(&module, UiResourceTable());
        plat::AddResourceTable(&module, BookResourceTable());
    }
    void TearDown() override {
        plat::testing::ClearTimeOverrides();
        plat::headless::Reset();
    }

    // Runs the program; the steps run one at a time whenever it is idle,
    // then the session ends (the window is closed by the platform).
    int Run(const char16_t* commandLine = u"") {
        next = 0;
        plat::headless::SetIdleHandler([this] {
            if (next >= steps.size()) return false;
            steps[next++]();
            return true;
        });
        int code = TovanelMain(&module, commandLine, SW_SHOW);
        EXPECT_EQ(next, steps.size()) << "the program ended before its script";
        steps.clear();
        return code;
    }

    static plat::Window Main() { return AppState.MainWindow; }
    static ArticleView* View() { return AppState.View; }
    static void Key(std::uint32_t key) { plat::SendMessage(Main(), WM_KEYDOWN, key, 0); }
    static void Command(std::uint16_t id) { plat::SendMessage(Main(), WM_COMMAND, id, 0); }
    static void Tap(int x, int y) {
        plat::SendMessage(Main(), WM_LBUTTONDOWN, 0,
                          plat::MakeLParam(std::uint16_t(x), std::uint16_t(y)));
    }
    static void ScrollBar(std::uint16_t code, std::int16_t position = 0) {
        plat::SendMessage(Main(), WM_VSCROLL, plat::MakeWParam(code, std::uint16_t(position)), 0);
    }
    // Where a link with this number was painted, if it was.
    static const LinkHit* FindLink(int number) {
        for (const LinkHit* hit = View()->linkHits; hit != nullptr && hit->line != nullptr; ++hit) {
            if (number == 0 ? hit->line->linkNumber != kBackLink
                            : hit->line->linkNumber == number) {
                return hit;
            }
        }
        return nullptr;
    }
    static bool BookmarkChecked() {
        plat::MenuItemInfo info;
        info.mask = MIIM_STATE;
        EXPECT_TRUE(plat::GetMenuItemInfo(MenuForChecks(), Command::Bookmark, false, &info));
        return (info.state & MFS_CHECKED) != 0;
    }
    // A font already chosen: a first run then opens no font dialog.
    void StoreFont(const std::string& face) {
        registry.Write("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                       "\"FontName\"=\"" + face + "\"\n");
    }
    void WriteShared(const std::string& values) {
        registry.Write("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\software\\Quillmark]\n" + values);
    }
    std::string Stored(const std::string& name) const {
        std::string text = registry.Read();
        std::size_t at = text.find("\"" + name + "\"=");
        if (at == std::string::npos) return "";
        std::size_t end = text.find('\n', at);
        return text.substr(at + name.size() + 3, end - at - name.size() - 3);
    }
};

