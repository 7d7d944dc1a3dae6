// Dialog templates of the Choose Font dialog (105) and the About box (103),
// and the About box's picture (113): an open book with a ribbon.
#include <array>
#include <cstddef>

#include "resources/pixel_art.h"
#include "resources/ui_resources.h"
#include "resources/version.h"

#ifndef TOVANEL_MAKER_ADDRESS
#define TOVANEL_MAKER_ADDRESS "www.quillmark.example"
#endif

namespace {

// Control styles the templates use.
constexpr std::uint32_t ES_RIGHT = 0x0002;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_AUTOVSCROLL = 0x0040;
constexpr std::uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;
constexpr std::uint32_t BS_OWNERDRAW = 0x000B;
constexpr std::uint32_t SS_BITMAP = 0x000E;
constexpr std::uint32_t kListStyle =
    plat::LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP;
constexpr std::uint16_t kNoId = 0xFFFF;

using plat::ControlKind;

const plat::DialogItemTemplate kFontItems[] = {
    {ControlKind::ListBox, 1001, kListStyle | plat::LBS_SORT, 7, 7, 107, 94, nullptr, 0},
    {ControlKind::ListBox, 1006, kListStyle, 120, 44, 25, 56, nullptr, 0},
    {ControlKind::EditBox, 1002, ES_MULTILINE | ES_RIGHT | ES_AUTOVSCROLL | WS_BORDER | WS_TABSTOP,
     7, 106, 138, 50, nullptr, 0},
    {ControlKind::RadioButton, 1004, BS_AUTORADIOBUTTON, 116, 19, 29, 10, u"224", 0},
    {ControlKind::RadioButton, 1005, BS_AUTORADIOBUTTON, 116, 31, 29, 10, u"5D0", 0},
};

const plat::DialogItemTemplate kAboutItems[] = {
    {ControlKind::StaticText, kNoId, plat::SS_NOPREFIX, 7, 7, 81, 8, u"", 0},
    {ControlKind::StaticBitmap, kNoId, SS_BITMAP, 88, 7, 47, 20, nullptr, kBitmapAbout},
    // As wide as the line above it, so the whole version shows.
    {ControlKind::StaticText, kNoId, 0, 7, 24, 81, 8, u"Version " TOVANEL_VERSION_TEXT, 0},
    {ControlKind::StaticText, kNoId, 0, 7, 41, 80, 8, u"262 weekly lessons", 0},
    {ControlKind::OwnerDrawButton, 1025, BS_OWNERDRAW | WS_TABSTOP, 7, 58, 100, 8,
     u"" TOVANEL_MAKER_ADDRESS, 0},
};

constexpr char kBookPicture[30][47] = {
    "..............................................",
    "..............................................",
    "..............................................",
    "...#########......................#########...",
    "...#wwwwwwww######..........######wwwwwwww#...",
    "...#wwwwwwwwwwwwww####GG####wwwwwwwwwwwwww#...",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwwwbbbbbbbbwwwwwGGwwwwwbbbbbbbbwwwww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwGGGGwGGGGwGGGGwwGGwwGGwGGGGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwwGGwGGGGwGGGGwwGGwwwGwGGGGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwGGGGwGGGGwGGGGwwGGwwwwwGGGGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwwwwwGGGGwGGGGwwGGwwGGwGGGGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwwGGGwGGGGwGGGGwwGGwwGGwGGGGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGwwwwwwwwwwwwwwwwww#b..",
    "..b#wwGGGGwGGGGwGGGGwwGGrrwwwwwwGGwGGGGGww#b..",
    "..b#wwwwwwwwwwwwwwwwwwGGrrwwwwwwwwwwwwwwww#b..",
    "..b#########wwwwwwwwwwGGrrwwwwwwww#########b..",
    "..bggggggggg######wwwwGGrrww######gggggggggb..",
    "..bbbbbbbbbbgggggg####GGrr##ggggggbbbbbbbbbb..",
    "............bbbbbbggggggrrggbbbbbb............",
    "..................bbbbbbrrbb..................",
    "........................rr....................",
    "........................r.....................",
};

constexpr auto kBookPixels = [] {
    std::array<plat::Colour, 46 * 30> pixels{};
    for (std::size_t y = 0; y < 30; ++y) {
        for (std::size_t x = 0; x < 46; ++x) {
            char c = kBookPicture[y][x];
            pixels[y * 46 + x] = c == '.' ? 0x00FFFFFFu : pixel_art::ColourOf(c);
        }
    }
    return pixels;
}();

}  // namespace

const plat::DialogTemplate kFontDialogTemplate = {
    u"Choose Font",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT,
    WS_EX_CAPTIONOKBTN,
    0, 0, 152, 167,
    u"System", 8,
    kFontItems, int(std::size(kFontItems)),
};

const plat::DialogTemplate kAboutDialogTemplate = {
    u"Tovanel",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT,
    WS_EX_CAPTIONOKBTN,
    0, 0, 130, 85,
    u"System", 8,
    kAboutItems, int(std::size(kAboutItems)),
};

const plat::BitmapResource kAboutBitmap = {46, 30, kBookPixels.data()};
