#include "app/main_window.h"

#include "about/about_dialog.h"
#include "app/app_state.h"
#include "app/startup.h"
#include "app/shortcuts.h"
#include "app/window_layout.h"
#include "bookmarks/bookmarks.h"
#include "bookmarks/menu_check.h"
#include "clipboard/clipboard_export.h"
#include "fonts/font_dialog.h"
#include "index/choose_section.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "search/search.h"
#include "search/search_dialog.h"
#include "settings/registry_settings.h"
#include "settings/window_placement.h"
#include "store/navigation.h"
#include "view/article_view.h"

namespace {

void ScrollBy(plat::Window window, int delta) {
    if (AppState.View == nullptr) return;
    ScrollArticleView(AppState.View, delta, 1, 1);
    UpdateScrollBar(window);
}

int KeyPageMode() {
    return int((AppState.Flags & AppFlags::KeyPageMode) >> AppFlags::KeyPageModeShift);
}
int KeyPageAmount() { return PageAmount(KeyPageMode(), AppState.View); }
int KeyPageBackAmount() { return PageBackAmount(KeyPageMode(), AppState.View); }

// Lines of a page for a paging mode, never less than one.
int PageStep(int mode, int lines) {
    const int step = (mode == 2 || mode == 4) ? lines / 2 : lines - 1;
    return step > 1 ? step : 1;
}

// Keys of the main window; false for keys it does not use.
bool HandleKey(plat::Window window, std::uint32_t key) {
    ArticleView* view = AppState.View;
    switch (key) {
        case VK_RETURN:
            if (AppState.SearchString[0] != 0) SearchAgain(window);
            return true;
        case VK_PRIOR:
            if (view) ScrollBy(window, -KeyPageBackAmount());
            return true;
        case VK_NEXT:
            if (view) ScrollBy(window, KeyPageAmount());
            return true;
        case VK_SPACE:
            // Space pages forward, Shift+Space back, as in a browser.
            if (view) {
                const bool back = (HeldModifiers() & KeyModifier::Shift) != 0;
                ScrollBy(window, back ? -KeyPageBackAmount() : KeyPageAmount());
            }
            return true;
        case VK_END:
            // The last full page, from wherever the page is now.
            if (view) {
                ScrollBy(window, view->maxTopLine != 0 ? int(view->maxTopLine) - int(view->topLine)
                                                       : KeyPageAmount());
            }
            return true;
        case VK_HOME:
            if (view) {
                ScrollBy(window, view->topLine != 0 ? -int(view->topLine) : -KeyPageBackAmount());
            }
            return true;
        case VK_LEFT:
            StepLesson(window, -1);
            return true;
        case VK_UP:
            ScrollBy(window, -1);
            return true;
        case VK_RIGHT:
            StepLesson(window, +1);
            return true;
        case VK_DOWN:
            ScrollBy(window, +1);
            return true;
        default:
            return false;
    }
}

int ScrollBarDelta(plat::WParam wParam) {
    const ArticleView* view = AppState.View;
    if (view == nullptr) return 0;
    switch (plat::LoWord(wParam)) {
        case SB_LINEUP: return -1;
        case SB_LINEDOWN: return 1;
        case SB_PAGEUP: return -PageBackAmount(0, view);
        case SB_PAGEDOWN: return PageAmount(0, view);
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: return std::int16_t(plat::HiWord(wParam)) - int(view->topLine);
        case SB_TOP: return -int(view->topLine);
        case SB_BOTTOM: return 1;
        default: return 0;
    }
}

void Activate(plat::Window window, plat::WParam wParam) {
    if (plat::LoWord(wParam) == 0) return;
    if (FullScreen) {
        plat::SHFullScreen(window, plat::SHFS_HIDETASKBAR | plat::SHFS_HIDESIPBUTTON |
                                       plat::SHFS_HIDESTARTICON);
    } else {
        plat::SHFullScreen(window, plat::SHFS_HIDESIPBUTTON);
    }
}

// Choose Font: the view takes the new font only when the dialog ends with OK.
void ChooseFont(plat::Window window) {
    if (RunFontDialog(AppState.Instance, window, &AppState.Font) == IDOK &&
        AppState.View != nullptr) {
        ApplyFont(AppState.View, &AppState.Font);
    }
}

void Destroy(plat::Window window) {
    if (AppState.View != nullptr && AppState.View->deviceContext != nullptr) {
        plat::ReleaseDC(window, AppState.View->deviceContext);
        AppState.View->deviceContext = nullptr;
    }
    if (AppState.MenuBar != nullptr) {
        plat::DestroyWindow(AppState.MenuBar);
        AppState.MenuBar = nullptr;
    }
    RememberWindowPlacement(window);
    SaveSettingsAndQuit();
}

// The Index command: the lesson chosen in the index opens unless it is the
// current one.
void OpenIndex(plat::Window window) {
    LessonNumber chosen = ChooseSection(AppState.Instance, AppState.MainWindow, AppState.Lesson,
                                        &AppState.Font);
    if (chosen != 0 && chosen != AppState.Lesson) OpenLesson(window, chosen, 0, false);
}

}  // namespace

int PageAmount(int mode, const ArticleView* view) {
    return PageStep(mode, view != nullptr ? view->linesPainted : 0);
}

int PageBackAmount(int mode, const ArticleView* view) {
    if (view == nullptr) return 1;
    if (view->topLine <= view->maxTopLine) return PageAmount(mode, view);
    const int fullPage = int(view->totalLines) - int(view->maxTopLine);
    // With nothing painted there is no top line to keep in sight.
    return PageStep(mode, view->linesPainted > 0 ? fullPage : fullPage + 1);
}

void UpdateReverseCheck(plat::Window, int mode) {
    int state = (AppState.Flags & AppFlags::Reverse) ? 1 : 0;
    if (SetMenuCheck(MenuForChecks(), mode, Command::Reverse, state)) {
        AppState.Flags |= AppFlags::Reverse;
    } else {
        AppState.Flags &= ~AppFlags::Reverse;
    }
}

int DispatchCommand(plat::Window window, std::uint16_t command) {
    switch (command) {
        case Command::ThisWeek:
            OpenLesson(window, 0, 0, false);
            return 0;
        case Command::NextArticle:
            StepLesson(window, +1);
            return 0;
        case Command::PreviousArticle:
            StepLesson(window, -1);
            return 0;
        case Command::Reverse:
            UpdateReverseCheck(window, kMenuCheckToggle);
            if (AppState.View != nullptr) PaintArticleView(AppState.View, 1);
            return 0;
        case Command::Exit:
            plat::DestroyWindow(window);
            return 0;
        case Command::Font:
            ChooseFont(window);
            return 0;
        case Command::About:
            RunAboutDialog(AppState.Instance, window);
            return 0;
        case Command::CheckForUpdates:
            CheckForUpdates(AppState.MainWindow);
            return 0;
        case Command::Search:
            RunSearchDialog(AppState.MainWindow);
            return 0;
        case Command::SearchAgain:
            SearchAgain(AppState.MainWindow);
            return 0;
        case Command::ChooseArticle:
        case Command::Index:
            OpenIndex(window);
            return 0;
        case Command::Bookmark:
            ToggleBookmark(IsBookmarked());
            UpdateBookmarkCheck(kMenuCheckSet);
            return 0;
        // Clipboard export: the whole article, alone or after what is there.
        case Command::Copy:
            ExportArticle(AppState.View, false);
            return 0;
        case Command::Append:
            ExportArticle(AppState.View, true);
            return 0;
        default:
            return 1;
    }
}

plat::LResult MainWindowProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam) {
    switch (message) {
        case WM_CREATE:
            AppState.MainWindow = window;
            CreateMenuBar();
            CreateViewAndLoad(window);
            UpdateReverseCheck(window, kMenuCheckSet);
            UpdateBookmarkCheck(kMenuCheckSet);
            return 0;
        case WM_DESTROY:
            Destroy(window);
            return 0;
        case WM_SIZE:
            ResizeView(window, plat::LoWord(std::uintptr_t(lParam)),
                       plat::HiWord(std::uintptr_t(lParam)));
            return 0;
        case WM_ACTIVATE:
            if (IgnoreActivate) return plat::DefWindowProc(window, message, wParam, lParam);
            Activate(window, wParam);
            return 0;
        case WM_PAINT:
            PaintMainWindow(reinterpret_cast<plat::Dc>(wParam), window, kPaintAll);
            return 0;
        case WM_SETTINGCHANGE:
            plat::SHHandleWMSettingChange(window, wParam, lParam, nullptr);
            return 0;
        case WM_WINDOWPOSCHANGED: {
            auto* position = reinterpret_cast<const plat::WindowPos*>(lParam);
            if (position != nullptr && (position->flags & 0xFFFF0000u) != 0 &&
                (position->flags & SWP_NOACTIVATE) != 0) {
                plat::DestroyWindow(window);
            }
            return 0;
        }
        case WM_HELP:
            RunAboutDialog(AppState.Instance, window);
            return 0;
        case WM_KEYDOWN: {
            // A shortcut sends its menu item's command, as the menu does.
            const std::uint16_t command = ShortcutCommand(std::uint32_t(wParam), HeldModifiers());
            if (command != 0) {
                plat::SendMessage(window, WM_COMMAND, command, 0);
                return 0;
            }
            return HandleKey(window, std::uint32_t(wParam)) ? 0 : 1;
        }
        case WM_COMMAND:
            if (DispatchCommand(window, plat::LoWord(wParam)) == 0) return 0;
            return plat::DefWindowProc(window, message, wParam, lParam);
        case WM_VSCROLL: {
            int delta = ScrollBarDelta(wParam);
            if (delta != 0) ScrollArticleView(AppState.View, delta, 1, 1);
            plat::DefWindowProc(window, message, wParam, lParam);
            if (delta != 0) UpdateScrollBar(window);
            return 1;
        }
        case WM_LBUTTONDOWN:
            if (AppState.View != nullptr) {
                TapView(window, AppState.View, plat::LoWord(std::uintptr_t(lParam)),
                        plat::HiWord(std::uintptr_t(lParam)));
            }
            return 0;
        case WM_PRIVATE_CLOSE:
            plat::DestroyWindow(window);
            return 0;
        default:
            return plat::DefWindowProc(window, message, wParam, lParam);
    }
}
