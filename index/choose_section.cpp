#include "index/choose_section.h"

#include <cstring>

#include "app/dialog_layout.h"
#include "bookmarks/bookmarks.h"
#include "index/index_view.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "store/article_store.h"

namespace {

constexpr int kInitialLines = 100;
// Size the dialog to the full screen, input panel down, no menu bar.
constexpr std::uint32_t kDialogFlags = plat::SHIDIF_SIZEDLG | plat::SHIDIF_SIZEDLGFULLSCREEN |
                                       plat::SHIDIF_SIPDOWN |
                                       plat::SHIDIF_FULLSCREENNOMENUBAR;
constexpr std::intptr_t kEndChosen = 1;
constexpr std::intptr_t kEndCancelled = 2;

// The open dialog's working state; zeroed each time the dialog opens.
struct IndexDialogState {
    LessonNumber result;
    plat::Window dialog;
    plat::Dc dc;
    plat::Rect clientBox;
    IndexView* view;
    const FontDescription* font;
};
IndexDialogState g_state;

void UpdateIndexScrollBar() {
    if (g_state.view == nullptr) return;
    plat::ScrollInfo info;
    info.mask = SIF_RANGE | SIF_POS;
    info.min = 0;
    info.max = g_state.view->maxTopLine;
    info.page = 0;
    info.pos = g_state.view->topLine;
    plat::SetScrollInfo(g_state.dialog, SB_VERT, info, true);
}

// The client rectangle less the width of a vertical scroll bar.
void TakeClientBox() {
    plat::GetClientRect(g_state.dialog, &g_state.clientBox);
    g_state.clientBox.right -= plat::GetSystemMetrics(SM_CXVSCROLL);
}

void LoadIndex() {
    std::uint32_t length = 0;
    std::uint8_t* data = LoadArticle(kIndexLesson, nullptr, &length);
    if (data == nullptr) length = 0;
    data = PrependBookmarkSection(data, &length);
    const plat::Rect& box = g_state.clientBox;
    g_state.view = CreateIndexView(g_state.dc, box.left, box.top, box.right, box.bottom,
                                   g_state.font, kInitialLines);
    if (g_state.view == nullptr || LayoutIndex(g_state.view, data, 0, length) == -4) {
        plat::Free(data);  // the view did not take it
    }
    RevealLesson(g_state.view, g_state.result);
    UpdateIndexScrollBar();
}

void Resize(int width, int height) {
    TakeClientBox();
    IndexView* view = g_state.view;
    std::uint16_t* pairs = SaveExpansion(view);
    ResizeIndexView(view, width, height);
    RestoreExpansion(view, pairs);
    plat::Free(pairs);
    if (view != nullptr && view->maxTopLine == 0) view->topLine = 0;
    PaintIndexView(view, 1);
    UpdateIndexScrollBar();
}

int ScrollBarDelta(plat::WParam wParam) {
    const IndexView* view = g_state.view;
    if (view == nullptr) return 0;
    switch (plat::LoWord(wParam)) {
        case SB_LINEUP: return -1;
        case SB_LINEDOWN: return 1;
        case SB_PAGEUP: return -view->paintedCount;
        case SB_PAGEDOWN: return view->paintedCount;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: return std::int16_t(plat::HiWord(wParam)) - int(view->topLine);
        case SB_TOP: return -int(view->topLine);
        case SB_BOTTOM: return 1;
        default: return 0;
    }
}

void Tap(plat::LParam lParam) {
    const std::int32_t r = HitTestIndex(g_state.view, plat::LoWord(std::uintptr_t(lParam)),
                                        plat::HiWord(std::uintptr_t(lParam)));
    if (r > 0) {
        g_state.result = LessonNumber(r);
        plat::EndDialog(g_state.dialog, kEndChosen);
    } else if (r < 0) {
        UpdateIndexScrollBar();
    }
}

std::intptr_t Key(plat::WParam key) {
    switch (key) {
        case VK_PRIOR:
        case VK_UP: ScrollIndexView(g_state.view, -1); break;
        case VK_NEXT:
        case VK_DOWN: ScrollIndexView(g_state.view, +1); break;
        default: return 1;
    }
    UpdateIndexScrollBar();
    return 0;
}

void Destroy() {
    if (g_state.dc != nullptr) plat::ReleaseDC(g_state.dialog, g_state.dc);
    g_state.dc = nullptr;
    DestroyIndexView(g_state.view, 1);
    g_state.view = nullptr;
}

}  // namespace

std::intptr_t IndexDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                              plat::LParam lParam) {
    switch (message) {
        case WM_INITDIALOG:
            g_state.dialog = dialog;
            g_state.dc = plat::GetDC(dialog);
            TakeClientBox();
            LoadIndex();
            InitDialogLayout(dialog, kDialogFlags);
            return 0;
        case WM_SIZE:
            Resize(plat::LoWord(std::uintptr_t(lParam)), plat::HiWord(std::uintptr_t(lParam)));
            return 0;
        case WM_PAINT:
            PaintIndexView(g_state.view, 1);
            return 0;
        case WM_ERASEBKGND: {
            const plat::Rect& box = g_state.clientBox;
            plat::FillRect(reinterpret_cast<plat::Dc>(wParam), box,
                           plat::GetStockBrush(WHITE_BRUSH));
            plat::InvalidateRect(dialog, &box, false);
            return 1;
        }
        case WM_KEYDOWN:
            return Key(wParam);
        case WM_VSCROLL: {
            const int delta = ScrollBarDelta(wParam);
            if (delta != 0) ScrollIndexView(g_state.view, delta);
            plat::DefWindowProc(dialog, message, wParam, lParam);
            if (delta != 0) UpdateIndexScrollBar();
            return 1;
        }
        case WM_LBUTTONDOWN:
            Tap(lParam);
            return 0;
        case WM_COMMAND:
            if (plat::LoWord(wParam) == IDOK) {
                plat::EndDialog(dialog, kEndChosen);
                return 1;
            }
            if (plat::LoWord(wParam) == IDCANCEL) {
                g_state.result = 0;
                plat::EndDialog(dialog, kEndCancelled);
                return 1;
            }
            return 0;
        case WM_ACTIVATE:
            if (plat::LoWord(wParam) == WA_ACTIVE && TaskBarWindow != nullptr) {
                plat::ShowWindow(TaskBarWindow, SW_HIDE);
            }
            return 0;
        case WM_DESTROY:
            Destroy();
            return 0;
        default:
            return 0;
    }
}

LessonNumber ChooseSection(const plat::Module* instance, plat::Window owner,
                           LessonNumber current, const FontDescription* font) {
    std::memset(static_cast<void*>(&g_state), 0, sizeof g_state);
    g_state.font = font;
    g_state.result = current;
    if (plat::DialogBoxParam(instance, kDialogChooseSection, owner, IndexDialogProc, 0) == -1) {
        Destroy();
        return current;
    }
    return g_state.result;
}

IndexView* OpenIndexView() { return g_state.view; }
