// Headless windows: classes, windows, a deterministic message loop,
// painting and the scroll bar. Menus and bars are in headless_bars.cpp,
// message boxes and dialogs in headless_dialog.cpp.
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "platform/headless/headless_internal.h"
#include "platform/host.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace plat {

using headless::Activate;
using headless::Alive;
using headless::ClientOf;

namespace {

struct ClassRecord {
    WindowClass windowClass;
    std::u16string name;
};

std::vector<ClassRecord> g_classes;
std::vector<std::unique_ptr<WindowObject>> g_windows;
std::vector<std::unique_ptr<MenuObject>> g_menus;
std::deque<Message> g_queue;
bool g_quitPosted = false;
int g_quitCode = 0;
Window g_foreground = nullptr;
int g_screenWidth = 240;
int g_screenHeight = 320;
headless::IdleHandler g_idle;
bool g_snapshotPending = false;
IdleCallback g_idleCallback = nullptr;
void* g_idleContext = nullptr;

constexpr int kScrollBarWidth = 13;

}  // namespace

namespace headless {

bool Alive(Window w) {
    if (w == nullptr) return false;
    for (auto& owned : g_windows) {
        if (owned.get() == w) return w->alive;
    }
    return false;
}

Rect ClientOf(Window w) {
    int width = w->rect.right - w->rect.left;
    int height = w->rect.bottom - w->rect.top;
    if (w->style & WS_VSCROLL) width = std::max(0, width - kScrollBarWidth);
    return Rect{0, 0, width, height};
}

void SendSize(Window w) {
    Rect client = ClientOf(w);
    SendMessage(w, WM_SIZE, SIZE_RESTORED,
                MakeLParam(std::uint16_t(client.right), std::uint16_t(client.bottom)));
}

void Activate(Window w) {
    if (g_foreground == w) return;
    Window old = g_foreground;
    g_foreground = w;
    if (Alive(old)) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, 0);
    if (Alive(w)) SendMessage(w, WM_ACTIVATE, WA_ACTIVE, 0);
}

Window FirstInvalid() {
    for (auto& w : g_windows) {
        if (w->alive && w->visible && w->invalid &&
            (w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog)) {
            return w.get();
        }
    }
    return nullptr;
}

bool Pump(const std::function<bool()>& done) {
    while (!done()) {
        if (!g_queue.empty()) {
            Message m = g_queue.front();
            g_queue.pop_front();
            if (m.message == WM_QUIT) {
                g_queue.push_front(m);
                return false;
            }
            DispatchMessage(&m);
        } else if (Window w = headless::FirstInvalid()) {
            SendMessage(w, WM_PAINT, 0, 0);
            w->invalid = false;
        } else {
            return false;
        }
    }
    return true;
}

std::vector<std::unique_ptr<WindowObject>>& AllWindows() { return g_windows; }
std::deque<Message>& Queue() { return g_queue; }
int ScreenWidth() { return g_screenWidth; }
int ScreenHeight() { return g_screenHeight; }

Window NewWindow(WindowKind kind) {
    g_windows.push_back(std::make_unique<WindowObject>());
    Window w = g_windows.back().get();
    w->kind = kind;
    return w;
}

Menu NewMenuFromTemplate(const Module* module, std::uint16_t menuId) {
    auto* menuTemplate = static_cast<const MenuTemplate*>(FindResourceObject(module, RT_MENU, menuId));
    if (menuTemplate == nullptr) return nullptr;
    g_menus.push_back(std::make_unique<MenuObject>());
    Menu menu = g_menus.back().get();
    menu->popupText = menuTemplate->popupText ? menuTemplate->popupText : u"";
    for (int i = 0; i < menuTemplate->itemCount; ++i) {
        const MenuItemTemplate& item = menuTemplate->items[i];
        menu->items.push_back({item.id, item.text ? item.text : u"", false});
    }
    return menu;
}

void SetIdleHandler(IdleHandler handler) { g_idle = std::move(handler); }
void SetScreenSize(int width, int height) {
    g_screenWidth = width;
    g_screenHeight = height;
}

const BarInfo* GetBarInfo(Window bar) {
    return (Alive(bar) && bar->kind == WindowKind::Bar) ? &bar->bar : nullptr;
}

std::u16string MenuItemText(Menu menu, std::uint32_t itemId) {
    if (menu == nullptr) return {};
    for (auto& item : menu->items) {
        if (item.id == itemId && item.id != 0) return item.text;
    }
    return {};
}

std::vector<std::uint16_t> MenuItemIds(Menu menu) {
    std::vector<std::uint16_t> ids;
    if (menu != nullptr) {
        for (auto& item : menu->items) ids.push_back(item.id);
    }
    return ids;
}

std::uint32_t InitDialogFlags(Window dialog) { return Alive(dialog) ? dialog->initFlags : 0; }

void Reset() {
    for (auto& w : g_windows) w->alive = false;
    g_windows.clear();
    g_classes.clear();
    g_menus.clear();
    g_queue.clear();
    g_quitPosted = false;
    g_quitCode = 0;
    g_foreground = nullptr;
    g_screenWidth = 240;
    g_screenHeight = 320;
    g_idle = nullptr;
    ResetDialogs();
    g_snapshotPending = false;
    g_idleCallback = nullptr;
    ResetGdi();
    ResetMisc();
}

}  // namespace headless

bool RegisterClass(const WindowClass& windowClass) {
    if (windowClass.className == nullptr || windowClass.proc == nullptr) return false;
    for (auto& record : g_classes) {
        if (U16EqualNoCase(record.name, windowClass.className)) return false;
    }
    g_classes.push_back({windowClass, windowClass.className});
    return true;
}

Window CreateWindowEx(std::uint32_t exStyle, const char16_t* className, const char16_t* title,
                      std::uint32_t style, int x, int y, int width, int height, Window parent,
                      const Module*, void* createParam) {
    const ClassRecord* record = nullptr;
    for (auto& r : g_classes) {
        if (className != nullptr && U16EqualNoCase(r.name, className)) record = &r;
    }
    if (record == nullptr) return nullptr;
    Window w = headless::NewWindow(parent ? WindowKind::Control : WindowKind::TopLevel);
    w->className = record->name;
    w->title = title ? title : u"";
    w->proc = record->windowClass.proc;
    w->parent = parent;
    w->style = style;
    w->exStyle = exStyle;
    int left = x == CW_USEDEFAULT ? 0 : x;
    int top = y == CW_USEDEFAULT ? 0 : y;
    int right = width == CW_USEDEFAULT ? g_screenWidth : left + width;
    int bottom = height == CW_USEDEFAULT ? g_screenHeight : top + height;
    w->rect = Rect{left, top, right, bottom};
    if (parent != nullptr) parent->children.push_back(w);
    if (SendMessage(w, WM_CREATE, 0, LParam(createParam)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (!Alive(w)) return nullptr;
    headless::SendSize(w);
    if (style & WS_VISIBLE) {
        w->visible = true;
        w->invalid = true;
        w->eraseNeeded = true;
        Activate(w);
    }
    return w;
}

bool DestroyWindow(Window window) {
    if (!Alive(window)) return false;
    if (window->kind == WindowKind::TopLevel || window->kind == WindowKind::Dialog) {
        if (window->kind == WindowKind::TopLevel) {
            SendMessage(window, WM_DESTROY, 0, 0);
        } else if (window->dialogProc != nullptr) {
            window->dialogProc(window, WM_DESTROY, 0, 0);
        }
    }
    window->alive = false;
    for (Window child : window->children) {
        if (Alive(child)) DestroyWindow(child);
    }
    if (g_foreground == window) {
        g_foreground = nullptr;
        if (window->parent != nullptr && Alive(window->parent)) Activate(window->parent);
    }
    return true;
}

bool IsWindow(Window window) { return Alive(window); }

bool ShowWindow(Window window, int command) {
    if (!Alive(window)) return false;
    bool was = window->visible;
    window->visible = command != SW_HIDE;
    if (command == SW_SHOWMAXIMIZED) window->maximised = true;
    if (command == SW_SHOWNORMAL) window->maximised = false;
    if (window->visible && !was) {
        window->invalid = true;
        window->eraseNeeded = true;
        if (window->kind == WindowKind::TopLevel || window->kind == WindowKind::Dialog) {
            Activate(window);
        }
    }
    if (window->kind == WindowKind::Bar) window->bar.shown = window->visible;
    return was;
}

bool UpdateWindow(Window window) {
    if (!Alive(window)) return false;
    if (window->visible && window->invalid) {
        SendMessage(window, WM_PAINT, 0, 0);
        window->invalid = false;
    }
    return true;
}

bool IsWindowVisible(Window window) { return Alive(window) && window->visible; }

// The headless screen has no room to maximise into: the rectangle stays.
bool GetWindowPlacement(Window window, WindowPlacement* placement) {
    if (!Alive(window) || placement == nullptr) return false;
    placement->normal = window->rect;
    placement->maximised = window->maximised;
    return true;
}

bool MoveWindow(Window window, int x, int y, int width, int height, bool repaint) {
    if (!Alive(window)) return false;
    Rect old = window->rect;
    window->rect = Rect{x, y, x + width, y + height};
    bool resized = (old.right - old.left) != width || (old.bottom - old.top) != height;
    if (resized && window->kind != WindowKind::Control && window->kind != WindowKind::Bar) {
        headless::SendSize(window);
    }
    if (repaint) window->invalid = true;
    return true;
}

bool GetClientRect(Window window, Rect* rect) {
    if (!Alive(window) || rect == nullptr) return false;
    *rect = ClientOf(window);
    return true;
}

bool GetWindowRect(Window window, Rect* rect) {
    if (!Alive(window) || rect == nullptr) return false;
    *rect = window->rect;
    return true;
}

bool SetWindowText(Window window, const char16_t* text) {
    if (!Alive(window)) return false;
    window->title = text ? text : u"";
    return true;
}

int GetWindowText(Window window, char16_t* buffer, int capacity) {
    if (!Alive(window) || buffer == nullptr || capacity <= 0) return 0;
    int n = std::min<int>(int(window->title.size()), capacity - 1);
    std::copy(window->title.begin(), window->title.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

Window FindWindow(const char16_t* className, const char16_t* title) {
    for (auto& w : g_windows) {
        if (!w->alive || w->kind != WindowKind::TopLevel) continue;
        if (className != nullptr && !U16EqualNoCase(w->className, className)) continue;
        if (title != nullptr && w->title != title) continue;
        return w.get();
    }
    return nullptr;
}

Window GetForegroundWindow() { return Alive(g_foreground) ? g_foreground : nullptr; }

bool SetForegroundWindow(Window window) {
    if (!Alive(window)) return false;
    Activate(window);
    return true;
}

Window GetParent(Window window) { return Alive(window) ? window->parent : nullptr; }

LResult SendMessage(Window window, std::uint32_t message, WParam wParam, LParam lParam) {
    if (!Alive(window)) return 0;
    switch (window->kind) {
        case WindowKind::Control:
            if (window->proc != nullptr) return window->proc(window, message, wParam, lParam);
            return headless::ControlMessage(window, message, wParam, lParam);
        case WindowKind::Bar:
            if (message == SHCMBM_GETSUBMENU) return LResult(window->bar.menu);
            return 0;
        case WindowKind::Dialog: {
            if (window->dialogProc == nullptr) return 0;
            std::intptr_t handled = window->dialogProc(window, message, wParam, lParam);
            if (!handled && message == WM_PAINT) window->invalid = false;
            return handled;
        }
        case WindowKind::TopLevel:
            return window->proc(window, message, wParam, lParam);
    }
    return 0;
}

bool PostMessage(Window window, std::uint32_t message, WParam wParam, LParam lParam) {
    if (window != nullptr && !Alive(window)) return false;
    g_queue.push_back(Message{window, message, wParam, lParam});
    return true;
}

void PostQuitMessage(int exitCode) {
    g_queue.push_back(Message{nullptr, WM_QUIT, WParam(exitCode), 0});
}

// An unattended run's snapshot: the headless backend keeps no pixels, so
// nothing is written, but the shown window is closed all the same.
static bool TakeIdleSnapshot() {
    if (!g_snapshotPending) return false;
    for (auto& w : g_windows) {
        if (w->alive && w->visible && w->kind == WindowKind::TopLevel) {
            g_snapshotPending = false;
            PostMessage(w.get(), WM_CLOSE, 0, 0);
            return true;
        }
    }
    return false;
}

void SnapshotWhenIdle(const char* pngPath) { g_snapshotPending = pngPath != nullptr; }
bool SnapshotWritten() { return false; }
void CallWhenIdle(IdleCallback callback, void* context) {
    g_idleCallback = callback;
    g_idleContext = context;
}
void SetDefaultWindowSize(int width, int height) {
    if (width > 0 && height > 0) {
        g_screenWidth = width;
        g_screenHeight = height;
    } else {
        g_screenWidth = 240;
        g_screenHeight = 320;
    }
}

int GetMessage(Message* message) {
    if (message == nullptr) return -1;
    int idleWithoutWork = 0;
    while (true) {
        if (!g_queue.empty()) {
            *message = g_queue.front();
            g_queue.pop_front();
            if (message->message == WM_QUIT) {
                g_quitPosted = true;
                g_quitCode = int(message->wParam);
                return 0;
            }
            return 1;
        }
        if (Window w = headless::FirstInvalid()) {
            *message = Message{w, WM_PAINT, 0, 0};
            return 1;
        }
        if (TakeIdleSnapshot()) continue;
        if (g_idleCallback != nullptr) {
            IdleCallback callback = g_idleCallback;
            g_idleCallback = nullptr;
            callback(g_idleContext);
            continue;
        }
        bool goOn = g_idle && idleWithoutWork < 1000 && g_idle();
        if (goOn) {
            idleWithoutWork = g_queue.empty() && headless::FirstInvalid() == nullptr ? idleWithoutWork + 1 : 0;
            continue;
        }
        // The session ends: every top-level window is closed.
        bool closedAny = false;
        for (std::size_t i = 0; i < g_windows.size(); ++i) {
            Window w = g_windows[i].get();
            if (w->alive && (w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog)) {
                DestroyWindow(w);
                closedAny = true;
            }
        }
        if (!closedAny && g_queue.empty()) {
            *message = Message{nullptr, WM_QUIT, 0, 0};
            return 0;
        }
    }
}

bool TranslateMessage(const Message*) { return false; }

LResult DispatchMessage(const Message* message) {
    if (message == nullptr || !Alive(message->window)) return 0;
    LResult result = SendMessage(message->window, message->message, message->wParam, message->lParam);
    if (message->message == WM_PAINT) message->window->invalid = false;
    return result;
}

LResult DefWindowProc(Window window, std::uint32_t message, WParam, LParam) {
    if (!Alive(window)) return 0;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT:
            window->invalid = false;
            return 0;
        default:
            return 0;
    }
}

bool InvalidateRect(Window window, const Rect*, bool erase) {
    if (!Alive(window)) return false;
    window->invalid = true;
    window->eraseNeeded = window->eraseNeeded || erase;
    return true;
}

Dc GetDC(Window window) {
    if (window != nullptr && !Alive(window)) return nullptr;
    Dc dc = new DcObject;
    dc->window = window;
    return dc;
}

int ReleaseDC(Window, Dc dc) {
    if (dc == nullptr || dc->memory || dc->image) return 0;
    delete dc;
    return 1;
}

Dc BeginPaint(Window window, PaintStruct* paint) {
    if (!Alive(window) || paint == nullptr) return nullptr;
    paint->dc = GetDC(window);
    paint->erase = window->eraseNeeded;
    paint->paint = ClientOf(window);
    window->invalid = false;
    window->eraseNeeded = false;
    return paint->dc;
}

void EndPaint(Window window, const PaintStruct* paint) {
    if (paint != nullptr) ReleaseDC(window, paint->dc);
}

int SetScrollInfo(Window window, int bar, const ScrollInfo& info, bool) {
    if (!Alive(window) || bar != SB_VERT || !(window->style & WS_VSCROLL)) return 0;
    return rules::ApplyScrollInfo(window->scroll, info);
}

bool GetScrollInfo(Window window, int bar, ScrollInfo* info) {
    if (!Alive(window) || bar != SB_VERT || info == nullptr || !(window->style & WS_VSCROLL)) return false;
    rules::ReadScrollInfo(window->scroll, info);
    return true;
}

OsVersion GetVersion() { return OsVersion{4, 20}; }

void InitCommonControls() {}

}  // namespace plat
