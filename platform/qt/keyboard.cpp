// The modifier keys the program asks about while it handles a key: those
// recorded with the key event the message came from, as the window system
// reports them for the message being handled. Asking Qt for the keys held
// now would see a later state when key messages wait in the queue.
#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {

std::int16_t GetKeyState(int virtualKey) {
    const Qt::KeyboardModifiers held = qtb::KeyModifiers();
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
