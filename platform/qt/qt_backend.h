// Qt-specific access to the objects behind platform handles, for the Qt
// backend's own tests and for tools that render pages. The engine never
// includes this: it knows no Qt.
#pragma once

#include <QFont>
#include <QImage>

#include "platform/types.h"

class QMenu;
class QScrollBar;
class QWidget;

namespace plat::qt {

QWidget* FrameOf(Window window);        // top-level window or dialog frame
QWidget* ClientOf(Window window);       // the widget showing the client area
QScrollBar* ScrollBarOf(Window window); // null without WS_VSCROLL
QWidget* WidgetOf(Window window);       // control, bar, or frame
QImage WindowImage(Window window);      // copy of the backing image
QImage DcImage(Dc dc);                  // copy of what the context draws on
QMenu* MenuOf(Menu menu);
QFont FontOf(Font font);
Window WindowOf(const QWidget* widget);
int QueuedMessages();

}  // namespace plat::qt

namespace plat::testing {
// Offscreen, message boxes are written to standard error and answered at
// once with their default button; tests that press the buttons themselves
// turn that off.
void AnswerOffscreenMessageBoxes(bool answer);
}  // namespace plat::testing
