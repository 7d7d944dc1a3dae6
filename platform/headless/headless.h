// The headless backend: a deterministic twin of the desktop for tests and for
// running the whole program without a display.
//
// Fixed metrics. A font of pixel height h (h = 16 when the requested height
// is 0; negative heights count as their magnitude) has:
//   tmHeight = h, tmAscent = h - h/4, tmDescent = h/4,
//   advance of a narrow character (space, no-break space, . , : ; ' ! | i l j
//     and U+05D5 vav, U+05D9 yod, U+05DF final nun) = max(1, h/4),
//   advance of a wide character (m w M W and U+05DD final mem, U+05DE mem,
//     U+05E9 shin, U+05E5 final tsadi) = max(1, 3*h/4),
//   advance of any other character = max(1, h/2),
//   bold (weight >= 600) adds 1 to every advance,
//   tmAveCharWidth = the advance of 'x', tmMaxCharWidth = the wide advance.
// A zero-width control character (U+200E, U+200F, U+202A..U+202E) has
// advance 0. Widths of a run are the sum of its advances.
//
// Window geometry: the screen is 240 x 320. A top-level window created with
// CW_USEDEFAULT covers the screen; its client area is the whole window less a
// vertical scroll bar of SM_CXVSCROLL = 13 pixels when it has WS_VSCROLL.
// A command bar is 24 pixels high, a shell menu bar 26. Dialog units: one
// horizontal unit is 2 pixels and one vertical unit 2 pixels.
//
// Drawing is recorded (DrawLog) rather than rasterised.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/types.h"
#include "platform/window.h"

namespace plat::headless {

// One recorded drawing operation.
struct DrawOp {
    enum Kind { Text, Fill, Rectangle, RoundRect, Blit, Scroll } kind = Text;
    Dc dc = nullptr;
    Window window = nullptr;  // the window the context draws on, if any
    Rect rect;                // text box, filled rectangle, shape, blit target
    std::u16string text;      // Text: the characters, in drawn order
    std::uint32_t format = 0;  // Text: DT_* flags
    int textX = 0;             // Text: x of the first character as drawn
    Colour textColour = 0;
    Colour backColour = 0;
    int backMode = OPAQUE;
    LogFont font;           // Text: the selected font
    int brush = -1;         // Fill, Rectangle, RoundRect: stock brush index, -1 other
    Colour brushColour = 0;  // Fill, Rectangle, RoundRect: colour of a solid brush
    Colour penColour = 0;    // Rectangle, RoundRect: colour of the outline
    std::uint16_t bitmapId = 0;  // Blit: resource id of the copied bitmap
    int scrollBy = 0;            // Scroll: dy of the moved area `rect`
};

const std::vector<DrawOp>& DrawLog();
void ClearDrawLog();

// Character advance of one character in a font of this description.
int CharAdvance(const LogFont& font, char16_t c);

// Message boxes: every box shown is recorded; answers come from the script
// in order. With the script empty the answer is IDOK for MB_OK and
// MB_OKCANCEL boxes and IDYES for MB_YESNO and MB_YESNOCANCEL boxes.
struct MessageBoxRecord {
    Window owner = nullptr;
    std::u16string text;
    std::u16string caption;  // empty when the caller gave none
    std::uint32_t type = 0;
    int answer = 0;
};
const std::vector<MessageBoxRecord>& MessageBoxes();
void ScriptMessageBoxAnswers(std::vector<int> answers);
void ClearMessageBoxes();

// Dialogs: after WM_INITDIALOG the driver for the dialog runs and may send
// messages, tap controls and end the dialog. A dialog still open when the
// driver returns (or without a driver) ends with IDCANCEL.
using DialogDriver = std::function<void(Window dialog, std::uint16_t templateId)>;
void SetDialogDriver(DialogDriver driver);
// Records of dialogs run: template id and end code.
struct DialogRecord {
    std::uint16_t templateId = 0;
    std::intptr_t result = 0;
};
const std::vector<DialogRecord>& DialogsRun();

// The message loop: when the queue is empty, the idle handler runs; it may
// post or send messages (keys, taps, commands) and returns true to go on.
// Returning false, or no handler, means the platform closes every top-level
// window (WM_DESTROY), as a desktop does when its session ends.
using IdleHandler = std::function<bool()>;
void SetIdleHandler(IdleHandler handler);

// Tool bars: what the program put on a command bar or shell menu bar.
struct BarInfo {
    bool atBottom = false;  // shell menu bar
    int height = 0;
    Menu menu = nullptr;
    std::vector<ToolButton> buttons;
    std::vector<std::u16string> toolTips;  // as given, the menu's slot first
    int imageCount = 0;
    bool closeBox = false;
    bool shown = false;
};
const BarInfo* GetBarInfo(Window bar);
// Text of a menu item (with its "&" and U+0008 label), empty when absent.
std::u16string MenuItemText(Menu menu, std::uint32_t itemId);
// Ids of a menu's items in order, 0 for separators.
std::vector<std::uint16_t> MenuItemIds(Menu menu);

// Dialog helpers for drivers: what a person's tap on a control does.
// Clicking a radio button checks it (and clears the others of its group);
// every click sends WM_COMMAND (id, BN_CLICKED) to the dialog.
void ClickControl(Window dialog, int id);
// Selects a list item and sends WM_COMMAND (id, LBN_SELCHANGE).
void SelectListItem(Window dialog, int id, int index);
// Types text into an edit box and sends WM_COMMAND (id, EN_CHANGE).
void TypeText(Window dialog, int id, const std::u16string& text);
// Types characters into an edit box as a keyboard does: each goes to the
// dialog procedure first as WM_CHAR (character, the box); when the procedure
// does not take it, it replaces the box's selection (within the text limit)
// and the box sends EN_CHANGE.
void TypeKeys(Window dialog, int id, const std::u16string& text);
// Presses VK_BACK or VK_DELETE in an edit box: WM_KEYDOWN (key, the box) to
// the dialog procedure first; when not taken, the box deletes the selection
// or the character before (Backspace) or after (Delete) the caret.
void PressEditKey(Window dialog, int id, std::uint32_t key);
// The SHInitDialog flags a dialog received (0 when none).
std::uint32_t InitDialogFlags(Window dialog);

// Keys held down from now on, as GetKeyState reports them (VK_CONTROL,
// VK_SHIFT, VK_MENU); an empty list releases them all.
void HoldKeys(std::vector<std::uint32_t> keys);

// Shell effects.
const std::vector<std::u16string>& OpenedUrls();
bool IsFullScreen(Window window);

// Clipboard contents by format id (bytes as set).
std::vector<std::uint8_t> ClipboardBytes(std::uint32_t format);
void SetClipboardBytes(std::uint32_t format, const std::vector<std::uint8_t>& bytes);

// Font families offered by EnumFontFamilies, in this order:
// "Headless Sans" (ANSI), "Headless Hebrew" (Hebrew), "David CLM" (Hebrew),
// "Courier" (ANSI).
// Screen size for windows created from now on.
void SetScreenSize(int width, int height);

// Forgets every window, class, recorded operation, script and handler, and
// restores the default screen; for test isolation.
void Reset();

}  // namespace plat::headless
