// The shell's side of the hooks the lower layers call (ShellHooks in
// app/app_state.h), and the load and save batches that span the settings,
// the bookmarks and the view.
#include "app/startup.h"

#include "app/app_state.h"
#include "app/window_layout.h"
#include "bookmarks/bookmarks.h"
#include "bookmarks/menu_check.h"
#include "platform/window.h"
#include "settings/registry_settings.h"
#include "view/article_view.h"

namespace {

void ShowBookmarkCheck() { UpdateBookmarkCheck(kMenuCheckSet); }

std::int32_t ReadSharedSwitch(const char16_t* name, std::int32_t defaultValue) {
    return ReadDword(kSharedKey, name, defaultValue);
}

}  // namespace

ShellHooks Shell = {
    &SaveSettingsAndQuit, &RepaintView, &UpdateScrollBar, &ShowBookmarkCheck, &MenuForChecks, &ReadSharedSwitch,
};

void LoadSettingsAndBookmarks() {
    LoadSettings(
        [] {
            AppState.BookmarkList = nullptr;
            AppState.BookmarkCount = 0;
            LoadBookmarks();
        },
        &SaveBookmarks);
}

void SaveSettingsAndQuit() {
    const int exitCode = SaveSettings();
    if (AppState.View != nullptr) {
        DestroyArticleView(AppState.View, 1);
        AppState.View = nullptr;
    }
    FreeBookmarks();
    plat::PostQuitMessage(exitCode);
}
