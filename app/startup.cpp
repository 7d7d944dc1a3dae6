#include "app/startup.h"

#include <climits>

#include "app/app_state.h"
#include "app/main_window.h"
#include "calendar/weekly_schedule.h"
#include "fonts/font_dialog.h"
#include "platform/gdi.h"
#include "platform/shell.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "settings/registry_settings.h"
#include "settings/window_placement.h"
#include "store/navigation.h"
#include "view/article_view.h"

namespace {

constexpr const char16_t* kClassName = u"Tovanel";

plat::Window TopMostAncestor(plat::Window window) {
    while (window != nullptr) {
        plat::Window parent = plat::GetParent(window);
        if (parent == nullptr) break;
        window = parent;
    }
    return window;
}

}  // namespace

bool HandOverToRunningCopy() {
    plat::Window existing = plat::FindWindow(kClassName, kClassName);
    if (existing == nullptr) return false;
    plat::Window foreground = plat::GetForegroundWindow();
    plat::Window top = TopMostAncestor(foreground);
    if (existing == foreground) {
        plat::SendMessage(existing, WM_COMMAND, Command::ThisWeek, 0);
    }
    if (existing != top) {
        plat::SetForegroundWindow(existing);
    }
    return true;
}

namespace {

StartOutcome g_startOutcome = StartOutcome::Ran;

// With no gutter stored, the text keeps a desktop margin from the window's
// edges and scroll bar: 8 pixels at 96 dots an inch, scaled with the screen.
constexpr std::int32_t kGutterNotStored = INT32_MIN;
constexpr int kDesktopGutterAt96Dpi = 8;

std::int32_t DesktopGutter() {
    int dpi = plat::GetDeviceCaps(nullptr, LOGPIXELSY);
    if (dpi <= 0) dpi = 96;
    return (kDesktopGutterAt96Dpi * dpi + 48) / 96;
}

std::int32_t ReadGutter() {
    const std::int32_t stored = ReadDword(kSharedKey, u"SurroundingGutter", kGutterNotStored);
    return stored != kGutterNotStored ? stored : DesktopGutter();
}

void ReadSharedSwitches() {
    IgnoreActivate = ReadDword(kSharedKey, u"IgnoreActivate", 0);
    FullScreen = ReadDword(kSharedKey, u"FullScreen", 0);
    AllowSipInHebrewSearch = ReadDword(kSharedKey, u"AllowSipInHebrewSearch", 1);
}

}  // namespace

bool IsTodayCommandLine(const char16_t* commandLine) {
    if (commandLine == nullptr || commandLine[0] == 0) return false;
    return plat::U16EqualNoCase(commandLine, u"/today") ||
           plat::U16EqualNoCase(commandLine, u"--today");
}

bool RegisterMainClass(const plat::Module* instance, const char16_t* className) {
    plat::WindowClass windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.proc = MainWindowProc;
    windowClass.module = instance;
    windowClass.iconId = kIconProgram;
    windowClass.backgroundBrush = WHITE_BRUSH;
    windowClass.className = className;
    return plat::RegisterClass(windowClass);
}

StartOutcome LastStartOutcome() { return g_startOutcome; }

plat::Window CreateMainWindow(int showCommand) {
    if (HandOverToRunningCopy()) {
        g_startOutcome = StartOutcome::HandedOver;
        return nullptr;
    }
    plat::InitCommonControls();
    bool taskBarHidden = false;
    if (TaskBarWindow != nullptr) {
        taskBarHidden = plat::ShowWindow(TaskBarWindow, SW_HIDE);
    }
    LoadSettingsAndBookmarks();
    DropUnusableStoredLessons();
    ChooseLesson(0, AppState.TodayRequested != 0);
    RegisterMainClass(AppState.Instance, kClassName);

    std::uint32_t style = WS_VISIBLE;
    if (AppState.Flags & AppFlags::ScrollBarShown) style |= WS_VSCROLL;
    // Where the reader left the window, else where the desktop puts it.
    plat::Rect placed{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    bool maximised = false;
    const bool stored = StoredWindowPlacement(&placed, &maximised);
    plat::Window window = plat::CreateWindowEx(
        WS_EX_WINDOWEDGE, kClassName, kClassName, style, placed.left, placed.top,
        stored ? placed.right - placed.left : CW_USEDEFAULT,
        stored ? placed.bottom - placed.top : CW_USEDEFAULT, nullptr, AppState.Instance, nullptr);
    if (window == nullptr) {
        if (taskBarHidden) plat::ShowWindow(TaskBarWindow, SW_SHOW);
        g_startOutcome = StartOutcome::NoWindow;
        return nullptr;
    }
    if (FullScreen) {
        plat::Rect rect;
        plat::GetWindowRect(window, &rect);
        plat::SHFullScreen(window, plat::SHFS_HIDETASKBAR | plat::SHFS_HIDESIPBUTTON |
                                       plat::SHFS_HIDESTARTICON);
        plat::MoveWindow(window, rect.left, 0, rect.right, rect.bottom, false);
    }
    plat::ShowWindow(window, maximised && showCommand == SW_SHOW ? SW_SHOWMAXIMIZED : showCommand);
    plat::UpdateWindow(window);
    // A first run (no font chosen yet) asks for a font; the view takes the
    // description whatever the dialog ended with.
    if (AppState.Font.FontName[0] == 0) {
        RunFontDialog(AppState.Instance, window, &AppState.Font);
        if (AppState.View != nullptr) ApplyFont(AppState.View, &AppState.Font);
    }
    return window;
}

int TovanelMain(const plat::Module* instance, const char16_t* commandLine, int showCommand) {
    ClearAppState();
    g_startOutcome = StartOutcome::Ran;
    AppState.Instance = instance;
    ReadSharedSwitches();
    bool taskBarWasVisible = false;
    if (FullScreen) {
        TaskBarWindow = plat::FindWindow(u"HHTaskBar", u"");
        if (TaskBarWindow != nullptr) taskBarWasVisible = plat::IsWindowVisible(TaskBarWindow);
    }
    AppState.MenuBarOnBottom = ReadDword(kSharedKey, u"MenuBarOnBottom", 0);
    AppState.SurroundingGutter = ReadGutter();
    if (IsTodayCommandLine(commandLine)) AppState.TodayRequested = 1;

    if (CreateMainWindow(showCommand) == nullptr) return 0;

    // No accelerator table: the shortcut texts of the menu are labels only.
    plat::Message message;
    while (plat::GetMessage(&message) > 0) {
        plat::TranslateMessage(&message);
        plat::DispatchMessage(&message);
    }
    if (TaskBarWindow != nullptr && taskBarWasVisible) plat::ShowWindow(TaskBarWindow, SW_SHOW);
    return int(message.wParam);
}
