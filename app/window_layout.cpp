#include "app/window_layout.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/gdi.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "store/navigation.h"
#include "view/article_view.h"

namespace {

struct ToolButtonSpec {
    int image;
    std::uint16_t command;
    const char16_t* toolTip;
};

constexpr ToolButtonSpec kToolButtons[7] = {
    {0, Command::PreviousArticle, u"Previous Article"},
    {1, Command::ThisWeek, u"This Week"},
    {2, Command::NextArticle, u"Next Article"},
    {3, Command::Font, u"Choose Font"},
    {4, Command::Search, u"Search"},
    {5, Command::SearchAgain, u"Search Again"},
    {6, Command::ChooseArticle, u"Choose Article"},
};

void CreateTopBar() {
    AppState.MenuBar = plat::CommandBarCreate(AppState.Instance, AppState.MainWindow, 1);
    AppState.MenuBarHeight = plat::CommandBarHeight(AppState.MenuBar);
    plat::CommandBarInsertMenubar(AppState.MenuBar, AppState.Instance, kMenuMain, 0);
}

void CreateBottomBar() {
    plat::MenuBarInfo info;
    info.parent = AppState.MainWindow;
    info.flags = plat::SHCMBF_HIDESIPBUTTON;
    info.menuBarId = kMenuMain;
    info.module = AppState.Instance;
    if (plat::SHCreateMenuBar(&info)) AppState.MenuBar = info.menuBar;
    plat::Rect rect;
    if (AppState.MenuBar == nullptr || !plat::GetWindowRect(AppState.MenuBar, &rect)) {
        AppState.MenuBarHeight = 0;
        return;
    }
    AppState.MenuBarHeight = rect.bottom - rect.top;
    // Leave the main window's scroll bar uncovered.
    plat::MoveWindow(AppState.MenuBar, rect.left, rect.top,
                     rect.right - rect.left - plat::GetSystemMetrics(SM_CXVSCROLL),
                     AppState.MenuBarHeight, true);
}

void AddToolButtons() {
    const char16_t* tips[8] = {nullptr};
    plat::ToolButton buttons[7];
    for (int i = 0; i < 7; ++i) {
        tips[i + 1] = kToolButtons[i].toolTip;
        buttons[i].image = kToolButtons[i].image;
        buttons[i].command = kToolButtons[i].command;
        buttons[i].state = plat::TBSTATE_ENABLED;
        buttons[i].style = plat::TBSTYLE_BUTTON;
    }
    plat::CommandBarAddToolTips(AppState.MenuBar, 8, tips);
    plat::CommandBarAddBitmap(AppState.MenuBar, AppState.Instance, kBitmapTools, 7, 16, 16);
    plat::CommandBarAddButtons(AppState.MenuBar, 7, buttons);
}

// The anchor of the last resize and the page it gave. While the reader has
// not moved the page since, the next resize keeps that anchor: a top line
// starts at or before its anchor, so taking a fresh one at every step of a
// dragged resize would creep back through the text.
struct ResizeMemory {
    TextAnchor anchor;
    const std::uint8_t* text = nullptr;
    std::uint16_t topLine = 0;
};
ResizeMemory g_lastResize;

TextAnchor ResizeAnchor(const ArticleView* view) {
    if (g_lastResize.anchor.valid && g_lastResize.text == view->text &&
        g_lastResize.topLine == view->topLine) {
        return g_lastResize.anchor;
    }
    return TopTextAnchor(view);
}

}  // namespace

void CreateMenuBar() {
    plat::OsVersion version = plat::GetVersion();
    if (version.major > 4 || (version.major == 4 && version.minor >= 21)) {
        AppState.MenuBarOnBottom = 1;
    }
    AppState.MenuBar = nullptr;
    if (AppState.MenuBarOnBottom == 0) {
        CreateTopBar();
    } else {
        CreateBottomBar();
    }
    if (AppState.MenuBar == nullptr) {
        AppState.MenuBarHeight = 0;
        return;
    }
    AddToolButtons();
    if (FullScreen && AppState.MenuBarOnBottom == 0) {
        plat::CommandBarAddAdornments(AppState.MenuBar, 0);
    }
    plat::CommandBarShow(AppState.MenuBar, true);
}

plat::Menu MenuForChecks() {
    if (AppState.MenuBar == nullptr) return nullptr;
    if (AppState.MenuBarOnBottom) {
        return reinterpret_cast<plat::Menu>(
            plat::SendMessage(AppState.MenuBar, plat::SHCMBM_GETSUBMENU, 0, Command::MenuButton));
    }
    return plat::CommandBarGetMenu(AppState.MenuBar, 0);
}

void CreateViewAndLoad(plat::Window window) {
    plat::Dc dc = plat::GetDC(window);
    plat::Rect rect;
    plat::GetClientRect(window, &rect);
    if (AppState.MenuBarOnBottom) {
        rect.bottom -= AppState.MenuBarHeight;
    } else {
        rect.top += AppState.MenuBarHeight;
    }
    const int g = AppState.SurroundingGutter;
    if (rect.bottom - rect.top > 2 * g) {
        rect.top += g;
        rect.bottom -= g;
    }
    if (rect.right - rect.left > 2 * g) {
        rect.left += g;
        rect.right -= g;
    }
    AppState.View = CreateArticleView(dc, &rect, &AppState.Font, 100);
    if (AppState.View == nullptr) {
        plat::ReleaseDC(window, dc);
        return;
    }
    LoadInitialLesson(window);
}

void ResizeView(plat::Window window, int width, int height) {
    const int g = AppState.SurroundingGutter;
    if (width > 2 * g) width -= 2 * g;
    if (height > 2 * g) height -= 2 * g;
    ArticleView* view = AppState.View;
    if (view == nullptr) return;
    height -= AppState.MenuBarHeight;
    if (view->box.width == width && view->box.height == height) return;
    // The text at the top of the page stays there; a page that was full
    // stays full.
    const TextAnchor anchor = ResizeAnchor(view);
    const bool pageWasFull = view->topLine <= view->maxTopLine;
    if (SetViewSize(view, width, height) == 0 && anchor.valid) {
        int top = TopLineForAnchor(view, anchor);
        if (top >= 0) {
            if (pageWasFull && top > view->maxTopLine) top = view->maxTopLine;
            view->topLine = std::uint16_t(top);
        }
    }
    g_lastResize = {anchor, view->text, view->topLine};
    UpdateScrollBar(window);
}

void UpdateScrollBar(plat::Window window) {
    if ((AppState.Flags & AppFlags::ScrollBarShown) == 0 || AppState.View == nullptr) return;
    // The thumb is as long as the lines of a full page (those of the last
    // one), and its positions run from 0 to maxTopLine as before.
    const ArticleView* view = AppState.View;
    const int page = std::max(int(view->totalLines) - int(view->maxTopLine), 1);
    plat::ScrollInfo info;
    info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.min = 0;
    info.max = view->maxTopLine + page - 1;
    info.page = std::uint32_t(page);
    info.pos = std::min(view->topLine, view->maxTopLine);
    plat::SetScrollInfo(window, SB_VERT, info, true);
}

void PaintMainWindow(plat::Dc dc, plat::Window window, int options) {
    plat::PaintStruct paint;
    bool bracket = dc == nullptr;
    if (bracket) plat::BeginPaint(window, &paint);
    if ((options & kPaintView) && AppState.View != nullptr) {
        PaintArticleView(AppState.View, (options & kPaintErase) ? 1 : 0);
    }
    if (bracket) plat::EndPaint(window, &paint);
}

void RepaintView(plat::Window window, int options) {
    if (window == nullptr) window = AppState.MainWindow;
    plat::Dc dc = plat::GetDC(window);
    PaintMainWindow(dc, window, options);
    plat::ReleaseDC(window, dc);
    UpdateScrollBar(window);
}

int TapView(plat::Window window, ArticleView* view, int x, int y) {
    const int g = AppState.SurroundingGutter;
    const ViewBox& box = view->box;
    if (x < box.x - g || x > box.x + box.width + g || y < box.y - g ||
        y > box.y + box.height + g) {
        return 0;
    }
    int link = HitTestLink(view, x, y);
    if (link != 0) {
        if (link != kBackLink) {
            OpenLesson(window, LessonNumber(link), 0, true);
        } else if (AppState.PreviousLesson != 0) {
            OpenLesson(window, AppState.PreviousLesson, AppState.PreviousPosition, false);
        }
        return 1;
    }
    if ((AppState.Flags & AppFlags::TapPaging) == 0) return 0;
    int c, origin, size;
    if (AppState.Flags & AppFlags::TapSplitTopBottom) {
        c = y;
        origin = box.y;
        size = box.height;
    } else {
        c = x;
        origin = box.x;
        size = box.width;
    }
    int mid = origin + size / 2;
    int mode = int((AppState.Flags & AppFlags::TapPageMode) >> AppFlags::TapPageModeShift);
    const int amount = c < mid ? -PageBackAmount(mode, view) : PageAmount(mode, view);
    ScrollArticleView(view, amount, 1, 1);
    UpdateScrollBar(window);
    return 1;
}
