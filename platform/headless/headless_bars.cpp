// Headless menus and bars: menu items with their check marks, the command
// bar and the shell's menu bar, recorded for tests to inspect.
#include "platform/headless/headless_internal.h"
#include "platform/host.h"
#include "platform/shell.h"

namespace plat {
namespace {

using headless::Alive;
using headless::ClientOf;

constexpr int kCommandBarHeight = 24;
constexpr int kMenuBarHeight = 26;

}  // namespace

std::int32_t CheckMenuItem(Menu menu, std::uint32_t itemId, std::uint32_t flags) {
    if (menu == nullptr) return -1;
    for (auto& item : menu->items) {
        if (item.id == itemId && item.id != 0) {
            std::int32_t previous = item.checked ? std::int32_t(MF_CHECKED) : 0;
            item.checked = (flags & MF_CHECKED) != 0;
            return previous;
        }
    }
    return -1;
}

static MenuObject::Item* MenuItem(Menu menu, std::uint32_t itemId, bool byPosition) {
    if (menu == nullptr) return nullptr;
    if (byPosition) return itemId < menu->items.size() ? &menu->items[itemId] : nullptr;
    for (auto& item : menu->items) {
        if (item.id == itemId && item.id != 0) return &item;
    }
    return nullptr;
}

bool GetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, MenuItemInfo* info) {
    MenuObject::Item* item = MenuItem(menu, itemId, byPosition);
    if (item == nullptr || info == nullptr) return false;
    if (info->mask & MIIM_STATE) info->state = item->checked ? MFS_CHECKED : 0;
    return true;
}

bool SetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, const MenuItemInfo& info) {
    MenuObject::Item* item = MenuItem(menu, itemId, byPosition);
    if (item == nullptr) return false;
    if (info.mask & MIIM_STATE) item->checked = (info.state & MFS_CHECKED) != 0;
    return true;
}

static Window NewBar(Window parent, bool atBottom) {
    if (!Alive(parent)) return nullptr;
    Window bar = headless::NewWindow(WindowKind::Bar);
    bar->parent = parent;
    bar->bar.atBottom = atBottom;
    bar->bar.height = atBottom ? kMenuBarHeight : kCommandBarHeight;
    Rect client = ClientOf(parent);
    bar->rect = atBottom ? Rect{0, client.bottom - kMenuBarHeight, client.right, client.bottom}
                         : Rect{0, 0, client.right, kCommandBarHeight};
    parent->children.push_back(bar);
    return bar;
}

Window CommandBarCreate(const Module*, Window parent, int) { return NewBar(parent, false); }

int CommandBarHeight(Window bar) {
    const headless::BarInfo* info = headless::GetBarInfo(bar);
    return info != nullptr ? info->height : 0;
}

bool CommandBarInsertMenubar(Window bar, const Module* module, std::uint16_t menuId, int) {
    if (headless::GetBarInfo(bar) == nullptr) return false;
    bar->bar.menu = headless::NewMenuFromTemplate(module, menuId);
    return bar->bar.menu != nullptr;
}

int CommandBarAddBitmap(Window bar, const Module* module, std::uint16_t bitmapId, int imageCount,
                        int, int) {
    if (headless::GetBarInfo(bar) == nullptr || imageCount <= 0) return -1;
    if (FindResourceObject(module, RT_BITMAP, bitmapId) == nullptr) return -1;
    int first = bar->bar.imageCount;
    bar->bar.imageCount += imageCount;
    return first;
}

bool CommandBarAddButtons(Window bar, int count, const ToolButton* buttons) {
    if (headless::GetBarInfo(bar) == nullptr || count < 0 || (buttons == nullptr && count > 0)) {
        return false;
    }
    bar->bar.buttons.insert(bar->bar.buttons.end(), buttons, buttons + count);
    return true;
}

bool CommandBarAddToolTips(Window bar, int count, const char16_t* const* tips) {
    if (headless::GetBarInfo(bar) == nullptr || count < 0 || (tips == nullptr && count > 0)) {
        return false;
    }
    for (int i = 0; i < count; ++i) bar->bar.toolTips.push_back(tips[i] ? tips[i] : u"");
    return true;
}

bool CommandBarAddAdornments(Window bar, std::uint32_t) {
    if (headless::GetBarInfo(bar) == nullptr) return false;
    bar->bar.closeBox = true;
    return true;
}

Menu CommandBarGetMenu(Window bar, int index) {
    const headless::BarInfo* info = headless::GetBarInfo(bar);
    return (info != nullptr && index == 0) ? info->menu : nullptr;
}

bool CommandBarShow(Window bar, bool show) {
    if (headless::GetBarInfo(bar) == nullptr) return false;
    bar->visible = show;
    bar->bar.shown = show;
    return true;
}

bool SHCreateMenuBar(MenuBarInfo* info) {
    if (info == nullptr) return false;
    info->menuBar = nullptr;
    ResourceData description = FindResourceData(info->module, RT_RCDATA, info->menuBarId);
    if (!description.found || description.size < 4) return false;
    std::uint16_t menuId = std::uint16_t(description.bytes[0] | (description.bytes[1] << 8));
    Window bar = NewBar(info->parent, true);
    if (bar == nullptr) return false;
    bar->bar.menu = headless::NewMenuFromTemplate(info->module, menuId);
    bar->visible = true;
    bar->bar.shown = true;
    info->menuBar = bar;
    return true;
}

}  // namespace plat
