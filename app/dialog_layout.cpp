#include "app/dialog_layout.h"

#include "app/app_state.h"
#include "platform/shell.h"
#include "platform/window.h"

void InitDialogLayout(plat::Window dialog, std::uint32_t flags) {
    if (!FullScreen) flags |= plat::SHIDIF_DONEBUTTON;
    plat::SHInitDialog(dialog, flags);
    if (FullScreen) {
        plat::Rect rect;
        plat::GetWindowRect(dialog, &rect);
        plat::MoveWindow(dialog, rect.left, 0, rect.right, rect.bottom, false);
    }
}
