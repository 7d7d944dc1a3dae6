// The modifier keys the program asks about while it handles a key.
#include <QGuiApplication>

#include "platform/window.h"

namespace plat {

std::int16_t GetKeyState(int virtualKey) {
    const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
    bool down = false;
    switch (virtualKey) {
    case VK_SHIFT:
        down = held.testFlag(Qt::ShiftModifier);
        break;
    case VK_CONTROL:
        down = held.testFlag(Qt::ControlModifier);
        break;
    case VK_MENU:
        down = held.testFlag(Qt::AltModifier);
        break;
    default:
        break;
    }
    return down ? std::int16_t(0x8000) : std::int16_t(0);
}

}  // namespace plat
