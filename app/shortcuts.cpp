#include "app/shortcuts.h"

#include "platform/window.h"
#include "resources/ui_resources.h"

namespace {

struct Shortcut {
    std::uint32_t key;
    unsigned modifiers;
    std::uint16_t command;
};

// As the menu labels them.
constexpr Shortcut kShortcuts[] = {
    {'F', KeyModifier::Control, Command::Font},
    {VK_HOME, KeyModifier::Control, Command::ThisWeek},
    {'D', KeyModifier::Control, Command::Index},
    {VK_F3, KeyModifier::Alt, Command::Search},
    {VK_F3, 0, Command::SearchAgain},
    {'C', KeyModifier::Control, Command::Copy},
    {'E', KeyModifier::Control, Command::Append},
    {'Q', KeyModifier::Control, Command::Exit},
};

}  // namespace

unsigned HeldModifiers() {
    unsigned held = 0;
    if (plat::GetKeyState(VK_SHIFT) < 0) held |= KeyModifier::Shift;
    if (plat::GetKeyState(VK_CONTROL) < 0) held |= KeyModifier::Control;
    if (plat::GetKeyState(VK_MENU) < 0) held |= KeyModifier::Alt;
    return held;
}

std::uint16_t ShortcutCommand(std::uint32_t virtualKey, unsigned modifiers) {
    for (const Shortcut& shortcut : kShortcuts) {
        if (shortcut.key == virtualKey && shortcut.modifiers == modifiers) return shortcut.command;
    }
    return 0;
}
