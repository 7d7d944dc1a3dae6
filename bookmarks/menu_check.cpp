#include "bookmarks/menu_check.h"

#include "platform/window.h"

int SetMenuCheck(plat::Menu menu, int setMode, std::uint32_t itemId, int state) {
    if (setMode) {
        if (menu != nullptr) {
            plat::CheckMenuItem(menu, itemId, state ? MF_CHECKED : MF_UNCHECKED);
        }
        return state ? 1 : 0;
    }
    plat::MenuItemInfo info;
    info.mask = MIIM_STATE;
    if (menu == nullptr || !plat::GetMenuItemInfo(menu, itemId, false, &info)) {
        return state ? 0 : 1;
    }
    info.state ^= MFS_CHECKED;
    plat::SetMenuItemInfo(menu, itemId, false, info);
    return (info.state & MFS_CHECKED) ? 1 : 0;
}
