// Typed records behind structured resources: menus (RT_MENU), dialog
// templates (RT_DIALOG) and bitmaps (RT_BITMAP). The resource entry's data
// points to one of these.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

// One item of a popup menu. id 0 is a separator. A U+0008 character in the
// text separates the item's text from the shortcut label shown at its right;
// "&" marks the mnemonic letter.
struct MenuItemTemplate {
    std::uint16_t id;
    const char16_t* text;
};
// A menu with one popup (the only shape the program uses).
struct MenuTemplate {
    const char16_t* popupText;
    const MenuItemTemplate* items;
    int itemCount;
};

enum class ControlKind : std::uint8_t {
    StaticText,    // text; SS_NOPREFIX style keeps "&" literal
    StaticBitmap,  // shows bitmap `bitmapId`
    PushButton,
    DefPushButton,
    OwnerDrawButton,  // the dialog procedure draws it on WM_DRAWITEM
    RadioButton,
    CheckBox,
    EditBox,
    ListBox,
    GroupBox,
};
constexpr std::uint32_t SS_NOPREFIX = 0x0080;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t LBS_NOTIFY = 0x0001;
constexpr std::uint32_t LBS_SORT = 0x0002;

struct DialogItemTemplate {
    ControlKind kind;
    std::uint16_t id;  // 0xFFFF (-1) for controls without an id
    std::uint32_t style;
    std::int16_t x, y, cx, cy;  // dialog units
    const char16_t* text;
    std::uint16_t bitmapId;  // StaticBitmap only
};

struct DialogTemplate {
    const char16_t* caption;
    std::uint32_t style;    // WS_*, DS_*
    std::uint32_t exStyle;  // WS_EX_CAPTIONOKBTN puts an OK button in the caption
    std::int16_t x, y, cx, cy;  // dialog units
    const char16_t* fontName;
    std::int16_t pointSize;
    const DialogItemTemplate* items;
    int itemCount;
};

// A bitmap: width x height pixels, row by row from the top, each 0x00BBGGRR.
// In tool bar images, kTransparentColour (magenta) lets the bar show through.
constexpr Colour kTransparentColour = 0x00FF00FF;
struct BitmapResource {
    int width;
    int height;
    const Colour* pixels;
};

// An icon: one or more bitmaps of different sizes.
struct IconResource {
    const BitmapResource* images;
    int imageCount;
};

}  // namespace plat
