// Objects behind the handles of the headless backend.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/control_rules.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/templates.h"
#include "platform/window.h"

namespace plat {

struct FontObject {
    LogFont description;
};

struct BrushObject {
    int stock = WHITE_BRUSH;  // -1 for a solid brush of `colour`
    Colour colour = 0x00FFFFFF;
};

struct PenObject {
    Colour colour = 0;
};

struct BitmapObject {
    const BitmapResource* resource = nullptr;
    std::uint16_t id = 0;
};

struct DcObject {
    Window window = nullptr;
    bool memory = false;
    bool image = false;
    int width = 0, height = 0;
    Font font = nullptr;
    Brush brush = nullptr;
    Pen pen = nullptr;  // none: the default black pen
    Bitmap bitmap = nullptr;
    Colour textColour = 0;
    Colour backColour = 0x00FFFFFF;
    int backMode = OPAQUE;
};

struct MenuObject {
    struct Item {
        std::uint16_t id = 0;
        std::u16string text;
        bool checked = false;
    };
    std::u16string popupText;
    std::vector<Item> items;
};

enum class WindowKind { TopLevel, Bar, Dialog, Control };

struct WindowObject {
    WindowKind kind = WindowKind::TopLevel;
    bool alive = true;
    std::u16string className;
    std::u16string title;
    WindowProc proc = nullptr;
    DialogProc dialogProc = nullptr;
    Window parent = nullptr;
    std::vector<Window> children;
    Rect rect;  // window rectangle in screen coordinates
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    bool visible = false;
    bool maximised = false;
    bool invalid = false;
    bool eraseNeeded = false;
    rules::ScrollBarState scroll;
    // Bars.
    headless::BarInfo bar;
    // Dialogs.
    std::uint16_t templateId = 0;
    bool ended = false;
    std::intptr_t result = 0;
    std::uint32_t initFlags = 0;
    // Controls.
    ControlKind control = ControlKind::StaticText;
    int id = -1;
    rules::ListBoxState listBox;
    rules::EditBoxState edit;
    bool checked = false;
    bool enabled = true;
    Font font = nullptr;
    std::uint16_t bitmapId = 0;
};

namespace headless {
void RecordDraw(const DrawOp& op);
Window NewWindow(WindowKind kind);
std::vector<std::unique_ptr<WindowObject>>& AllWindows();
std::deque<Message>& Queue();
int ScreenWidth();
int ScreenHeight();
void ResetGdi();
void ResetMisc();
Menu NewMenuFromTemplate(const Module* module, std::uint16_t menuId);
LResult ControlMessage(Window control, std::uint32_t message, WParam wParam, LParam lParam);
void ResetDialogs();

// A window that exists and has not been destroyed.
bool Alive(Window window);
// The client rectangle: the window less its scroll bar.
Rect ClientOf(Window window);
// Makes the window the foreground one, with WM_ACTIVATE to both.
void Activate(Window window);
// Dispatches queued messages and paints until `done` holds or nothing is
// left to do; returns false when the queue ran dry first.
bool Pump(const std::function<bool()>& done);
}  // namespace headless

}  // namespace plat
