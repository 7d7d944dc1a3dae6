// What the Qt backend's dialog files share: dialog units, the controls of a
// dialog, notifications and the nested modal loop.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "platform/qt/qt_internal.h"

namespace plat::qtb {

// a * b / c rounded to the nearest, as the dialog-unit conversions need.
int MulDiv(int a, int b, int c);
// Text as a widget should show it: in exactly the stored order.
QString Shown(const QString& text);
// A rectangle in dialog units, in pixels of the dialog.
QRect DialogUnits(const WindowObject* dialog, int x, int y, int cx, int cy);
// Nearest window with a frame: the dialog or window a control belongs to.
WindowObject* FramedWindow(WindowObject* window);
// The font a control draws with: its own, the dialog's, or the stock font.
FontObject* ControlFont(WindowObject* control);
// Sends WM_COMMAND with the control's id and `code` to its dialog.
void Notify(WindowObject* control, std::uint16_t code);
std::vector<WindowObject*> Controls(WindowObject* dialog);
// Runs the program's message loop until `done` holds. WM_QUIT ends the
// wait early (false) and is posted again for the outer loop.
bool RunModal(const std::function<bool()>& done);

// A control of the dialog from its template item.
WindowObject* CreateControl(WindowObject* dialog, const DialogItemTemplate& item, int groupStart,
                            const Module* module);
// The list box messages.
LResult ListMessage(WindowObject* control, std::uint32_t message, WParam wParam, LParam lParam);

}  // namespace plat::qtb
