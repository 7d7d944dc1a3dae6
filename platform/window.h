// Window service: classes, windows and their messages, the message loop,
// the vertical scroll bar, menus and the tool bars, message boxes.
// One thread: every procedure is called from the one message loop (or from
// a modal loop nested in it).
#pragma once

#include <cstdint>

#include "platform/resources.h"
#include "platform/types.h"

namespace plat {

struct WindowClass {
    std::uint32_t style = 0;  // CS_*
    WindowProc proc = nullptr;
    const Module* module = nullptr;
    std::uint16_t iconId = 0;     // icon resource, 0 for none
    int backgroundBrush = WHITE_BRUSH;
    const char16_t* className = nullptr;
};

bool RegisterClass(const WindowClass& windowClass);

// Creates a top-level window (parent null) of a registered class. WM_CREATE
// is sent before this returns; a WM_CREATE result of -1 destroys the window
// and gives null. CW_USEDEFAULT for position or size lets the backend choose.
Window CreateWindowEx(std::uint32_t exStyle, const char16_t* className, const char16_t* title,
                      std::uint32_t style, int x, int y, int width, int height, Window parent,
                      const Module* module, void* createParam);
bool DestroyWindow(Window window);  // sends WM_DESTROY
bool IsWindow(Window window);
bool ShowWindow(Window window, int command);  // SW_HIDE, SW_SHOW, SW_SHOWMAXIMIZED...
// Where a top-level window lies when it is not maximised, and whether it is.
struct WindowPlacement {
    Rect normal;
    bool maximised = false;
};
bool GetWindowPlacement(Window window, WindowPlacement* placement);
bool UpdateWindow(Window window);  // sends WM_PAINT now if anything is invalid
bool IsWindowVisible(Window window);
bool MoveWindow(Window window, int x, int y, int width, int height, bool repaint);
bool GetClientRect(Window window, Rect* rect);
bool GetWindowRect(Window window, Rect* rect);
bool SetWindowText(Window window, const char16_t* text);
int GetWindowText(Window window, char16_t* buffer, int capacity);

// Top-level window of this class and title, in this program or in a running
// copy of it (single-copy lookup); null when none. An empty title matches
// only an empty title; a null class or title matches any.
Window FindWindow(const char16_t* className, const char16_t* title);
Window GetForegroundWindow();
bool SetForegroundWindow(Window window);
Window GetParent(Window window);  // owner of a dialog, parent of a child

LResult SendMessage(Window window, std::uint32_t message, WParam wParam, LParam lParam);
bool PostMessage(Window window, std::uint32_t message, WParam wParam, LParam lParam);
void PostQuitMessage(int exitCode);

struct Message {
    Window window = nullptr;
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};
// > 0: a message was retrieved; 0: WM_QUIT (its exit code in wParam); -1: error.
int GetMessage(Message* message);
bool TranslateMessage(const Message* message);
LResult DispatchMessage(const Message* message);
LResult DefWindowProc(Window window, std::uint32_t message, WParam wParam, LParam lParam);

// State of a key (VK_SHIFT, VK_CONTROL, VK_MENU) when the key message
// being handled was made: negative while it was held down.
std::int16_t GetKeyState(int virtualKey);

bool InvalidateRect(Window window, const Rect* rect, bool erase);
Dc GetDC(Window window);
int ReleaseDC(Window window, Dc dc);
struct PaintStruct {
    Dc dc = nullptr;
    bool erase = false;
    Rect paint;
};
Dc BeginPaint(Window window, PaintStruct* paint);
void EndPaint(Window window, const PaintStruct* paint);

// The record WM_WINDOWPOSCHANGED points to in its second parameter.
struct WindowPos {
    Window window = nullptr;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t flags = 0;
};

// Vertical scroll bar of a window created with WS_VSCROLL.
struct ScrollInfo {
    std::uint32_t mask = 0;  // SIF_*
    int min = 0;
    int max = 0;
    std::uint32_t page = 0;
    int pos = 0;
    int trackPos = 0;
};
int SetScrollInfo(Window window, int bar, const ScrollInfo& info, bool redraw);
bool GetScrollInfo(Window window, int bar, ScrollInfo* info);

// Menus. Menu templates are RT_MENU resources (platform/templates.h).
// CheckMenuItem returns the previous state (MF_CHECKED or 0), -1 when the
// item does not exist.
std::int32_t CheckMenuItem(Menu menu, std::uint32_t itemId, std::uint32_t flags);
struct MenuItemInfo {
    std::uint32_t mask = 0;   // MIIM_STATE
    std::uint32_t state = 0;  // MFS_CHECKED
};
bool GetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, MenuItemInfo* info);
bool SetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, const MenuItemInfo& info);

// Command bar: a tool bar at the top of the client area holding the menu and
// the tool buttons. Its height is part of the client area.
Window CommandBarCreate(const Module* module, Window parent, int id);
int CommandBarHeight(Window bar);
bool CommandBarInsertMenubar(Window bar, const Module* module, std::uint16_t menuId, int position);
// Adds `imageCount` images of width x height from bitmap `bitmapId`; returns
// the index of the first image, -1 on failure.
int CommandBarAddBitmap(Window bar, const Module* module, std::uint16_t bitmapId, int imageCount,
                        int width, int height);
constexpr std::uint8_t TBSTATE_ENABLED = 0x04;
constexpr std::uint8_t TBSTYLE_BUTTON = 0x00;
constexpr std::uint8_t TBSTYLE_SEP = 0x01;
constexpr std::uint8_t TBSTYLE_DROPDOWN = 0x08;
constexpr std::uint8_t TBSTYLE_AUTOSIZE = 0x10;
struct ToolButton {
    int image = 0;
    int command = 0;
    std::uint8_t state = TBSTATE_ENABLED;
    std::uint8_t style = TBSTYLE_BUTTON;
};
bool CommandBarAddButtons(Window bar, int count, const ToolButton* buttons);
// tips[0] belongs to the menu button and may be null; tips[i] to button i-1.
bool CommandBarAddToolTips(Window bar, int count, const char16_t* const* tips);
bool CommandBarAddAdornments(Window bar, std::uint32_t flags);  // close box
Menu CommandBarGetMenu(Window bar, int index);
bool CommandBarShow(Window bar, bool show);

// Shell menu bar: a bar at the bottom of the client area with one drop-down
// button from a menu bar description (RT_RCDATA resource). Answers
// SHCMBM_GETSUBMENU (first parameter 0, second the button command) with the
// button's popup menu as the result.
constexpr std::uint32_t SHCMBM_GETSUBMENU = 0x0591;
constexpr std::uint32_t SHCMBF_HIDESIPBUTTON = 0x0004;
struct MenuBarInfo {
    Window parent = nullptr;
    std::uint32_t flags = 0;
    std::uint16_t menuBarId = 0;
    const Module* module = nullptr;
    Window menuBar = nullptr;  // out
};
bool SHCreateMenuBar(MenuBarInfo* info);

// Message boxes answering IDOK, IDYES, IDNO or IDCANCEL. A null caption
// gives the platform's default caption.
int MessageBox(Window owner, const char16_t* text, const char16_t* caption, std::uint32_t type);

struct OsVersion {
    int major = 0;
    int minor = 0;
};
OsVersion GetVersion();  // the desktop reports 4.20

void InitCommonControls();

}  // namespace plat
