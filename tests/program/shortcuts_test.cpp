// The shortcuts printed in the menu do what the menu says; Space pages.
#include "app/shortcuts.h"
#include "platform/headless/headless.h"
#include "platform/unicode.h"
#include "support/program_fixture.h"

namespace {

// The key and modifiers of a menu label such as "Ctrl+Home" or "Alt+F3".
bool ParseShortcut(const std::u16string& label, std::uint32_t* key, unsigned* modifiers) {
    *modifiers = 0;
    std::u16string rest = label;
    const std::pair<std::u16string, unsigned> prefixes[] = {{u"Ctrl+", KeyModifier::Control},
                                                            {u"Alt+", KeyModifier::Alt},
                                                            {u"Shift+", KeyModifier::Shift}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : prefixes) {
            if (rest.rfind(prefix, 0) == 0) {
                *modifiers |= bit;
                rest = rest.substr(prefix.size());
                found = true;
            }
        }
    }
    if (rest.size() == 1 && rest[0] >= u'A' && rest[0] <= u'Z') {
        *key = rest[0];
    } else if (rest.size() >= 2 && rest[0] == u'F' && rest[1] >= u'1' && rest[1] <= u'9') {
        *key = VK_F1 + std::uint32_t(std::stoi(std::string(rest.begin() + 1, rest.end())) - 1);
    } else if (rest == u"Home") {
        *key = VK_HOME;
    } else {
        return false;
    }
    return true;
}

// Holds modifier keys for one scope.
struct Held {
    explicit Held(std::vector<std::uint32_t> keys) { plat::headless::HoldKeys(std::move(keys)); }
    ~Held() { plat::headless::HoldKeys({}); }
};

}  // namespace

TEST_F(Program, EveryShortcutInTheMenuSendsItsItemsCommand) {
    steps = {[&] {
        const plat::Menu menu = plat::CommandBarGetMenu(AppState.MenuBar, 0);
        int shortcuts = 0;
        for (std::uint16_t id : plat::headless::MenuItemIds(menu)) {
            const std::u16string text = plat::headless::MenuItemText(menu, id);
            const std::size_t tab = text.find(u'\b');
            if (id == 0 || tab == std::u16string::npos) continue;
            ++shortcuts;
            std::uint32_t key = 0;
            unsigned modifiers = 0;
            ASSERT_TRUE(ParseShortcut(text.substr(tab + 1), &key, &modifiers))
                << plat::Utf16ToUtf8(text);
            EXPECT_EQ(ShortcutCommand(key, modifiers), id) << plat::Utf16ToUtf8(text);
            // The key alone, or with another modifier, is not that shortcut.
            EXPECT_NE(ShortcutCommand(key, modifiers ^ KeyModifier::Shift), id);
        }
        EXPECT_EQ(shortcuts, 8);
    }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(Program, ShortcutsWorkFromTheKeyboard) {
    steps = {
        [&] {
            Key(VK_RIGHT);
            Key(VK_DOWN);
            ASSERT_EQ(AppState.Lesson, kThisWeek + 1);
            // Home alone goes to the top; with Ctrl it is This Week.
            Key(VK_HOME);
            EXPECT_EQ(AppState.Lesson, kThisWeek + 1);
            EXPECT_EQ(View()->topLine, 0);
            {
                Held control({VK_CONTROL});
                Key(VK_HOME);
            }
            EXPECT_EQ(AppState.Lesson, kThisWeek);
            EXPECT_EQ(AppState.Flags & AppFlags::LessonPinned, 0u);
            // Ctrl+D opens the index.
            const std::size_t dialogs = plat::headless::DialogsRun().size();
            {
                Held control({VK_CONTROL});
                Key('D');
            }
            ASSERT_EQ(plat::headless::DialogsRun().size(), dialogs + 1);
            EXPECT_EQ(plat::headless::DialogsRun().back().templateId, 118);
            // D alone does nothing.
            Key('D');
            EXPECT_EQ(plat::headless::DialogsRun().size(), dialogs + 1);
        },
        [&] {
            // Space pages forward, Shift+Space back.
            Key(VK_HOME);
            const int step = View()->linesPainted - 1;
            Key(VK_SPACE);
            EXPECT_EQ(View()->topLine, step);
            {
                Held shift({VK_SHIFT});
                Key(VK_SPACE);
            }
            EXPECT_EQ(View()->topLine, 0);
        },
        [&] {
            // Ctrl+Q ends the program, saving as Exit does.
            Held control({VK_CONTROL});
            Key('Q');
            EXPECT_FALSE(plat::IsWindow(Main()));
        },
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Stored("Lesson"), "dword:0000001e");
}
