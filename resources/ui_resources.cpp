#include "resources/ui_resources.h"

#include <iterator>

#include "resources/search_resources.h"

namespace {

// The "Go" menu. U+0008 separates an item's text from its shortcut label.
const plat::MenuItemTemplate kMainMenuItems[] = {
    {Command::About, u"&About"},
    {Command::CheckForUpdates, u"Check For &Updates"},
    {0, nullptr},
    {Command::Font, u"F&ont\bCtrl+F"},
    {Command::Reverse, u"Re&verse"},
    {0, nullptr},
    {Command::ThisWeek, u"&This Week\bCtrl+Home"},
    {0, nullptr},
    {Command::Index, u"&Index\bCtrl+D"},
    {Command::Bookmark, u"&Bookmark"},
    {Command::PreviousArticle, u"&Previous Article"},
    {Command::NextArticle, u"&Next Article"},
    {0, nullptr},
    {Command::Search, u"&Search\bAlt+F3"},
    {Command::SearchAgain, u"Search A&gain\bF3"},
    {0, nullptr},
    {Command::Copy, u"&Copy\bCtrl+C"},
    {Command::Append, u"&Append to ClipBoard\bCtrl+E"},
    {0, nullptr},
    {Command::Exit, u"E&xit\bCtrl+Q"},
};
const plat::MenuTemplate kMainMenu = {u"&Go", kMainMenuItems, int(std::size(kMainMenuItems))};

// The shell menu bar description: 16-bit little-endian words. Menu 102,
// one button: no image, command 40001, enabled, drop-down with automatic
// size, caption string 302, sub-menu 0; then a zero word.
#define WORD_LE(w) std::uint8_t((w) & 0xFF), std::uint8_t((w) >> 8)
const std::uint8_t kMenuBarDescription[] = {
    WORD_LE(kMenuMain), WORD_LE(1),      WORD_LE(0xFFFE), WORD_LE(Command::MenuButton),
    WORD_LE(4),         WORD_LE(0x18),   WORD_LE(kStringMenuButton), WORD_LE(0),
    WORD_LE(0),
};
#undef WORD_LE

const char16_t kMenuButtonCaption[] = u"Go";

const plat::ResourceEntry kEntries[] = {
    {RT_ICON, kIconProgram, &kProgramIcon, sizeof(plat::IconResource)},
    {RT_MENU, kMenuMain, &kMainMenu, sizeof kMainMenu},
    {RT_RCDATA, kMenuMain, kMenuBarDescription, sizeof kMenuBarDescription},
    {RT_STRING, kStringMenuButton, kMenuButtonCaption, sizeof kMenuButtonCaption},
    {RT_BITMAP, kBitmapTools, &kToolBitmap, sizeof(plat::BitmapResource)},
    {RT_BITMAP, kBitmapSectionClosed, &kOutlineBitmaps[0], sizeof(plat::BitmapResource)},
    {RT_BITMAP, kBitmapSectionOpen, &kOutlineBitmaps[1], sizeof(plat::BitmapResource)},
    {RT_BITMAP, kBitmapArticle, &kOutlineBitmaps[2], sizeof(plat::BitmapResource)},
    {RT_DIALOG, kDialogAbout, &kAboutDialogTemplate, sizeof(plat::DialogTemplate)},
    {RT_BITMAP, kBitmapAbout, &kAboutBitmap, sizeof(plat::BitmapResource)},
    {RT_DIALOG, kDialogFont, &kFontDialogTemplate, sizeof(plat::DialogTemplate)},
    {RT_DIALOG, kDialogChooseSection, &kChooseSectionDialog, sizeof kChooseSectionDialog},
    // Search dialog
    {RT_DIALOG, kDialogSearch, &kSearchDialogTemplate, sizeof(plat::DialogTemplate)},
    {RT_BITMAP, kBitmapKeyboard, &kKeyboardBitmap, sizeof(plat::BitmapResource)},
};

}  // namespace

const plat::ResourceTable& UiResourceTable() {
    static const plat::ResourceTable table{kEntries, std::size(kEntries)};
    return table;
}
