// The program's user-interface resources: menus, dialog templates, bitmaps
// and the icon.
#pragma once

#include "platform/resources.h"
#include "platform/templates.h"

const plat::ResourceTable& UiResourceTable();

// The 9 x 9 outline marks of the index: closed section, open section, article.
constexpr std::uint16_t kBitmapSectionClosed = 201;
constexpr std::uint16_t kBitmapSectionOpen = 202;
constexpr std::uint16_t kBitmapArticle = 203;
extern const plat::BitmapResource kOutlineBitmaps[3];
