#include "about/about_dialog.h"

#include "about/update_url.h"
#include "app/app_state.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace {

constexpr std::uint16_t kAboutTemplate = 103;
constexpr int kLinkTextCapacity = 101;  // 100 units and a terminator
constexpr std::uint32_t kNoErrorUi = 0x400;
// Where the template puts the link button, in dialog units.
constexpr int kLinkButtonX = 7;
constexpr int kLinkButtonY = 58;

void FitButtonToText(plat::Window dialog, plat::Window button, plat::Dc dc, plat::Font font) {
    char16_t text[kLinkTextCapacity] = {};
    int length = plat::GetWindowText(button, text, kLinkTextCapacity);
    plat::SendMessage(button, WM_SETFONT, plat::WParam(font), 1);
    plat::Size extent;
    plat::GetTextExtentPoint(dc, text, length, &extent);
    int width = extent.cx + 2 * plat::GetSystemMetrics(SM_CXEDGE);
    int height = extent.cy + 2 * plat::GetSystemMetrics(SM_CYEDGE);
    // Keep the button where the template placed it.
    plat::Rect at{kLinkButtonX, kLinkButtonY, kLinkButtonX, kLinkButtonY};
    plat::MapDialogRect(dialog, &at);
    plat::MoveWindow(button, at.left, at.top, width, height, true);
    plat::ShowWindow(button, SW_SHOW);
}

}  // namespace

std::intptr_t RunAboutDialog(const plat::Module* module, plat::Window owner) {
    return plat::DialogBoxParam(module, kAboutTemplate, owner, AboutDialogProc, 0);
}

std::intptr_t AboutDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                              plat::LParam lParam) {
    switch (message) {
        case WM_INITDIALOG:
            AboutLinkFont = MakeLinkFont(dialog);
            return 0;
        case WM_DRAWITEM:
            DrawLinkButton(dialog, int(wParam),
                           reinterpret_cast<const plat::DrawItemStruct*>(lParam));
            return 0;
        case WM_COMMAND: {
            int id = plat::LoWord(wParam);
            if (id == IDOK || id == IDCANCEL) {
                plat::EndDialog(dialog, id);
                if (AboutLinkFont != nullptr) {
                    plat::DeleteFont(AboutLinkFont);
                    AboutLinkFont = nullptr;
                }
                return 1;
            }
            if (id == kAboutLinkButton) {
                OpenHomePage(plat::GetDlgItem(dialog, kAboutLinkButton));
            }
            return 0;
        }
        default:
            return 0;
    }
}

plat::Font MakeLinkFont(plat::Window dialog) {
    plat::Window button = plat::GetDlgItem(dialog, kAboutLinkButton);
    if (button == nullptr) return nullptr;
    plat::Dc dc = plat::GetDC(button);
    plat::LogFont description;
    auto current = reinterpret_cast<plat::Font>(plat::SendMessage(button, WM_GETFONT, 0, 0));
    if (current != nullptr) plat::GetFontDescription(current, &description);
    description.underline = true;
    if (description.faceName[0] == 0) {
        const char16_t tahoma[] = u"Tahoma";
        for (int i = 0; tahoma[i] != 0; ++i) description.faceName[i] = tahoma[i];
    }
    if (description.height == 0) {
        description.height = -(10 * plat::GetDeviceCaps(dc, LOGPIXELSY)) / 72;
    }
    description.weight = 800;
    plat::Font font = plat::CreateFontIndirect(description);
    if (font == nullptr) {
        if (dc != nullptr) plat::ReleaseDC(button, dc);
        return nullptr;
    }
    plat::Font previous = dc != nullptr ? plat::SelectFont(dc, font) : nullptr;
    FitButtonToText(dialog, button, dc, font);
    if (dc != nullptr) {
        plat::SelectFont(dc, previous);
        plat::ReleaseDC(button, dc);
    }
    return font;
}

void DrawLinkButton(plat::Window dialog, int controlId, const plat::DrawItemStruct* item) {
    if (item == nullptr || item->dc == nullptr) return;
    char16_t text[kLinkTextCapacity] = {};
    int length = plat::GetDlgItemText(dialog, controlId, text, kLinkTextCapacity);
    plat::SetTextColor(item->dc, kAboutLinkColour);
    plat::SetBkMode(item->dc, TRANSPARENT);
    plat::SetBkColor(item->dc, plat::MakeColour(255, 255, 255));
    plat::Rect box = item->rcItem;
    box.left += plat::GetSystemMetrics(SM_CXEDGE) / 2;
    plat::DrawText(item->dc, text, length, box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void OpenHomePage(plat::Window owner) { OpenUrl(owner, HomePageUrl()); }

void CheckForUpdates(plat::Window owner) {
    char16_t url[kUpdateUrlCapacity];
    if (BuildUpdateUrl(MakerHost(), kProductPath, kVersion, url, kUpdateUrlCapacity) == 0) return;
    OpenUrl(owner, url);
}

void OpenUrl(plat::Window owner, const char16_t* url) {
    plat::ShellExecuteOpen(owner, url, kNoErrorUi);
}
