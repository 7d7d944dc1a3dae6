// Basic types, handles and constants shared by every platform service.
// Message, key and command numbers keep the values of the handheld platform
// the program descends from, so window procedures read the same on every
// backend and tests can send messages directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// Opaque handles. Each backend defines the objects behind them.
struct WindowObject;
struct DcObject;
struct FontObject;
struct BitmapObject;
struct MenuObject;
struct BrushObject;
using Window = WindowObject*;
using Dc = DcObject*;
using Font = FontObject*;
using Bitmap = BitmapObject*;
using Menu = MenuObject*;
using Brush = BrushObject*;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Window procedure: (window, message, two parameters) -> result.
using WindowProc = LResult (*)(Window, std::uint32_t, WParam, LParam);
// Dialog procedure: returns non-zero when it handled the message.
using DialogProc = std::intptr_t (*)(Window, std::uint32_t, WParam, LParam);

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
    std::int32_t x = 0, y = 0;
};
struct Size {
    std::int32_t cx = 0, cy = 0;
};

// 0x00BBGGRR
using Colour = std::uint32_t;
constexpr Colour MakeColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16);
}
constexpr std::uint8_t ColourRed(Colour c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t ColourGreen(Colour c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t ColourBlue(Colour c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr std::uint16_t LoWord(std::uintptr_t v) { return std::uint16_t(v & 0xFFFF); }
constexpr std::uint16_t HiWord(std::uintptr_t v) { return std::uint16_t((v >> 16) & 0xFFFF); }
constexpr LParam MakeLParam(std::uint16_t lo, std::uint16_t hi) {
    return LParam(std::uint32_t(lo) | (std::uint32_t(hi) << 16));
}
constexpr WParam MakeWParam(std::uint16_t lo, std::uint16_t hi) {
    return WParam(std::uint32_t(lo) | (std::uint32_t(hi) << 16));
}

}  // namespace plat

// Window messages.
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXT = 0x000D;
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr std::uint32_t WM_DRAWITEM = 0x002B;
constexpr std::uint32_t WM_SETFONT = 0x0030;
constexpr std::uint32_t WM_GETFONT = 0x0031;
constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr std::uint32_t WM_NOTIFY = 0x004E;
constexpr std::uint32_t WM_HELP = 0x0053;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_VSCROLL = 0x0115;
constexpr std::uint32_t WM_CTLCOLORSTATIC = 0x0138;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_USER = 0x0400;
// Private close request of the main window.
constexpr std::uint32_t WM_PRIVATE_CLOSE = 0x03FF;

// WM_ACTIVATE low word.
constexpr std::uint16_t WA_INACTIVE = 0;
constexpr std::uint16_t WA_ACTIVE = 1;
constexpr std::uint16_t WA_CLICKACTIVE = 2;

// WM_SIZE first parameter.
constexpr std::uint32_t SIZE_RESTORED = 0;

// Window-position record flags (WM_WINDOWPOSCHANGED).
constexpr std::uint32_t SWP_NOSIZE = 0x0001;
constexpr std::uint32_t SWP_NOMOVE = 0x0002;
constexpr std::uint32_t SWP_NOZORDER = 0x0004;
constexpr std::uint32_t SWP_NOREDRAW = 0x0008;
constexpr std::uint32_t SWP_NOACTIVATE = 0x0010;
constexpr std::uint32_t SWP_SHOWWINDOW = 0x0040;

// Virtual keys.
constexpr std::uint32_t VK_BACK = 0x08;
constexpr std::uint32_t VK_TAB = 0x09;
constexpr std::uint32_t VK_RETURN = 0x0D;
constexpr std::uint32_t VK_ESCAPE = 0x1B;
constexpr std::uint32_t VK_SHIFT = 0x10;
constexpr std::uint32_t VK_CONTROL = 0x11;
constexpr std::uint32_t VK_MENU = 0x12;  // Alt
constexpr std::uint32_t VK_SPACE = 0x20;
constexpr std::uint32_t VK_PRIOR = 0x21;
constexpr std::uint32_t VK_NEXT = 0x22;
constexpr std::uint32_t VK_END = 0x23;
constexpr std::uint32_t VK_HOME = 0x24;
constexpr std::uint32_t VK_LEFT = 0x25;
constexpr std::uint32_t VK_UP = 0x26;
constexpr std::uint32_t VK_RIGHT = 0x27;
constexpr std::uint32_t VK_DOWN = 0x28;
constexpr std::uint32_t VK_DELETE = 0x2E;
constexpr std::uint32_t VK_F1 = 0x70;
constexpr std::uint32_t VK_F3 = 0x72;

// Scroll bar codes (WM_VSCROLL low word) and bars.
constexpr std::uint16_t SB_LINEUP = 0;
constexpr std::uint16_t SB_LINEDOWN = 1;
constexpr std::uint16_t SB_PAGEUP = 2;
constexpr std::uint16_t SB_PAGEDOWN = 3;
constexpr std::uint16_t SB_THUMBPOSITION = 4;
constexpr std::uint16_t SB_THUMBTRACK = 5;
constexpr std::uint16_t SB_TOP = 6;
constexpr std::uint16_t SB_BOTTOM = 7;
constexpr std::uint16_t SB_ENDSCROLL = 8;
constexpr int SB_VERT = 1;
constexpr std::uint32_t SIF_RANGE = 0x0001;
constexpr std::uint32_t SIF_PAGE = 0x0002;
constexpr std::uint32_t SIF_POS = 0x0004;

// Window styles.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_BORDER = 0x00800000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_VSCROLL = 0x00200000u;
constexpr std::uint32_t WS_HSCROLL = 0x00100000u;
constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
constexpr std::uint32_t WS_GROUP = 0x00020000u;
constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr std::uint32_t WS_EX_CAPTIONOKBTN = 0x80000000u;
constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::int32_t CW_USEDEFAULT = std::int32_t(0x80000000u);

// Dialog styles.
constexpr std::uint32_t DS_SETFONT = 0x0040;
constexpr std::uint32_t DS_MODALFRAME = 0x0080;
constexpr std::uint32_t DS_CENTER = 0x0800;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;

// Dialog and message-box results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message-box types.
constexpr std::uint32_t MB_OK = 0x00000000;
constexpr std::uint32_t MB_OKCANCEL = 0x00000001;
constexpr std::uint32_t MB_YESNOCANCEL = 0x00000003;
constexpr std::uint32_t MB_YESNO = 0x00000004;
constexpr std::uint32_t MB_TYPEMASK = 0x0000000F;
constexpr std::uint32_t MB_ICONERROR = 0x00000010;
constexpr std::uint32_t MB_ICONQUESTION = 0x00000020;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x00000030;
constexpr std::uint32_t MB_ICONINFORMATION = 0x00000040;
constexpr std::uint32_t MB_ICONMASK = 0x000000F0;
constexpr std::uint32_t MB_DEFBUTTON1 = 0x00000000;
constexpr std::uint32_t MB_DEFBUTTON2 = 0x00000100;
constexpr std::uint32_t MB_DEFBUTTON3 = 0x00000200;
constexpr std::uint32_t MB_DEFMASK = 0x00000F00;

// DrawText format flags.
constexpr std::uint32_t DT_TOP = 0x0000;
constexpr std::uint32_t DT_LEFT = 0x0000;
constexpr std::uint32_t DT_CENTER = 0x0001;
constexpr std::uint32_t DT_RIGHT = 0x0002;
constexpr std::uint32_t DT_VCENTER = 0x0004;
constexpr std::uint32_t DT_BOTTOM = 0x0008;
constexpr std::uint32_t DT_SINGLELINE = 0x0020;
constexpr std::uint32_t DT_NOCLIP = 0x0100;
constexpr std::uint32_t DT_NOPREFIX = 0x0800;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;

// Raster operation for bitmap copies.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

// Device capabilities.
constexpr int LOGPIXELSY = 90;

// Font weights and character sets.
constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_BOLD = 700;
constexpr std::uint8_t ANSI_CHARSET = 0;
constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t HEBREW_CHARSET = 177;

// Menu item check states.
constexpr std::uint32_t MF_BYCOMMAND = 0x0000;
constexpr std::uint32_t MF_UNCHECKED = 0x0000;
constexpr std::uint32_t MF_CHECKED = 0x0008;
constexpr std::uint32_t MF_BYPOSITION = 0x0400;
constexpr std::uint32_t MFS_CHECKED = 0x0008;
constexpr std::uint32_t MIIM_STATE = 0x0001;

// Button messages and states.
constexpr std::uint32_t BM_GETCHECK = 0x00F0;
constexpr std::uint32_t BM_SETCHECK = 0x00F1;
constexpr std::uintptr_t BST_UNCHECKED = 0;
constexpr std::uintptr_t BST_CHECKED = 1;
constexpr std::uint16_t BN_CLICKED = 0;

// List box messages and notifications.
constexpr std::uint32_t LB_ADDSTRING = 0x0180;
constexpr std::uint32_t LB_INSERTSTRING = 0x0181;
constexpr std::uint32_t LB_DELETESTRING = 0x0182;
constexpr std::uint32_t LB_RESETCONTENT = 0x0184;
constexpr std::uint32_t LB_SETCURSEL = 0x0186;
constexpr std::uint32_t LB_GETCURSEL = 0x0188;
constexpr std::uint32_t LB_GETTEXT = 0x0189;
constexpr std::uint32_t LB_GETTEXTLEN = 0x018A;
constexpr std::uint32_t LB_GETCOUNT = 0x018B;
constexpr std::uint32_t LB_FINDSTRINGEXACT = 0x01A2;
constexpr std::uint32_t LB_SETITEMDATA = 0x019A;
constexpr std::uint32_t LB_GETITEMDATA = 0x0199;
constexpr std::intptr_t LB_ERR = -1;
constexpr std::uint16_t LBN_SELCHANGE = 1;
constexpr std::uint16_t LBN_DBLCLK = 2;

// Edit box messages and notifications.
constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_SETSEL = 0x00B1;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
constexpr std::uint32_t EM_LIMITTEXT = 0x00C5;
constexpr std::uint16_t EN_CHANGE = 0x0300;

// Owner-drawn controls.
constexpr std::uint32_t ODT_BUTTON = 4;
constexpr std::uint32_t ODA_DRAWENTIRE = 0x0001;

// Clipboard formats.
constexpr std::uint32_t CF_TEXT = 1;
constexpr std::uint32_t CF_UNICODETEXT = 13;

// Registry value types and results.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::int32_t ERROR_SUCCESS = 0;
constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
constexpr std::int32_t ERROR_OUTOFMEMORY = 14;
constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::int32_t ERROR_MORE_DATA = 234;

// Resource types.
constexpr std::uint16_t RT_BITMAP = 2;
constexpr std::uint16_t RT_ICON = 3;
constexpr std::uint16_t RT_MENU = 4;
constexpr std::uint16_t RT_DIALOG = 5;
constexpr std::uint16_t RT_STRING = 6;
constexpr std::uint16_t RT_ACCELERATOR = 9;
constexpr std::uint16_t RT_RCDATA = 10;
