// The program's user-interface resources: menus, dialog templates, bitmaps
// and the icon.
#pragma once

#include "platform/resources.h"
#include "platform/templates.h"

const plat::ResourceTable& UiResourceTable();

// Resource ids.
constexpr std::uint16_t kIconProgram = 101;
constexpr std::uint16_t kMenuMain = 102;          // RT_MENU and the menu bar description
constexpr std::uint16_t kBitmapTools = 114;       // seven 16 x 16 images
constexpr std::uint16_t kStringMenuButton = 302;  // "Go"
constexpr std::uint16_t kDialogAbout = 103;
constexpr std::uint16_t kDialogFont = 105;
constexpr std::uint16_t kBitmapAbout = 113;       // the About box's picture

// Commands of the menu and the tool buttons.
namespace Command {
constexpr std::uint16_t ChooseArticle = 107;
constexpr std::uint16_t ThisWeek = 108;
constexpr std::uint16_t NextArticle = 109;
constexpr std::uint16_t PreviousArticle = 110;
constexpr std::uint16_t Search = 116;
constexpr std::uint16_t SearchAgain = 117;
constexpr std::uint16_t Index = 119;
constexpr std::uint16_t Reverse = 122;
constexpr std::uint16_t Bookmark = 123;
constexpr std::uint16_t CheckForUpdates = 129;
constexpr std::uint16_t MenuButton = 40001;
constexpr std::uint16_t About = 40004;
constexpr std::uint16_t Exit = 40005;
constexpr std::uint16_t Font = 40006;
constexpr std::uint16_t Copy = 40007;
constexpr std::uint16_t Append = 40009;
}  // namespace Command

extern const plat::BitmapResource kToolBitmap;
extern const plat::IconResource kProgramIcon;
extern const plat::DialogTemplate kAboutDialogTemplate;
extern const plat::DialogTemplate kFontDialogTemplate;
extern const plat::BitmapResource kAboutBitmap;

// The 9 x 9 outline marks of the index: closed section, open section, article.
constexpr std::uint16_t kBitmapSectionClosed = 201;
constexpr std::uint16_t kBitmapSectionOpen = 202;
constexpr std::uint16_t kBitmapArticle = 203;
extern const plat::BitmapResource kOutlineBitmaps[3];

// The Choose Section dialog (the index).
constexpr std::uint16_t kDialogChooseSection = 118;
extern const plat::DialogTemplate kChooseSectionDialog;
