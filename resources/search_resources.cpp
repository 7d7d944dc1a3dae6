// The Search dialog's template and the keyboard picture, drawn by code from
// a small table of letter shapes. The picture is one bit a pixel: every
// pixel is black or white.
#include "resources/search_resources.h"

#include <array>
#include <iterator>

#include "format/book_format.h"

namespace {

constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t ES_RIGHT = 0x0002;

const plat::DialogItemTemplate kSearchItems[] = {
    {plat::ControlKind::StaticText, 0xFFFF, SS_CENTER | plat::SS_NOPREFIX, 7, 7, 112, 8, u"Search",
     0},
    {plat::ControlKind::EditBox, kSearchEditId,
     WS_BORDER | WS_TABSTOP | ES_RIGHT | plat::ES_AUTOHSCROLL, 7, 21, 112, 43, u"", 0},
    // No size: the control takes the size of its bitmap.
    {plat::ControlKind::StaticBitmap, 0xFFFF, 0, kKeyboardX, kKeyboardY, 0, 0, nullptr,
     kBitmapKeyboard},
};

// Letter shapes, 7 pixels wide: two rows above the body (only lamed reaches
// there), eight rows of body, three below (final forms and qof). In the
// order of the stored letter codes 0x61..0x7B.
constexpr int kGlyphWidth = 7;
constexpr int kGlyphHeight = 13;
using Glyph = const char[kGlyphHeight][kGlyphWidth + 1];
#define BLANK2 ".......", "......."
#define BLANK3 ".......", ".......", "......."
constexpr char kGlyphs[27][kGlyphHeight][kGlyphWidth + 1] = {
    {BLANK2, "#....#.", "##...#.", ".#..#..", "..##...", "..#.#..", ".#..##.", ".#...#.", "##...##", BLANK3},  // alef
    {BLANK2, "######.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", "#######", BLANK3},  // bet
    {BLANK2, "...##..", "....#..", "....#..", "....#..", "....#..", "...##..", "..#.#..", ".#..#..", BLANK3},  // gimel
    {BLANK2, "#######", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", BLANK3},  // dalet
    {BLANK2, "#######", "......#", "......#", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", BLANK3},  // he
    {BLANK2, "..##...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", BLANK3},  // vav
    {BLANK2, ".#####.", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", BLANK3},  // zayin
    {BLANK2, "#######", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", BLANK3},  // het
    {BLANK2, "#..###.", "#.#...#", "#.#...#", "#..#..#", "#.....#", "#.....#", "#.....#", ".#####.", BLANK3},  // tet
    {BLANK2, "..##...", "...#...", "...#...", "..#....", ".......", ".......", ".......", ".......", BLANK3},  // yod
    {BLANK2, "######.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.", ".....#.",
     ".....#.", ".....#.", ".....#."},  // final kaf
    {BLANK2, "#####..", ".....#.", "......#", "......#", "......#", "......#", ".....#.", "#####..", BLANK3},  // kaf
    {"#......", "#......", "#......", "#######", "......#", "......#", ".....#.", "....#..", "...#...", "..#....",
     BLANK3},  // lamed
    {BLANK2, "######.", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#######", BLANK3},  // final mem
    {BLANK2, "#..###.", ".##...#", ".#....#", "#.....#", "#.....#", "#.....#", "#.....#", "#..####", BLANK3},  // mem
    {BLANK2, "..##...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...",
     "...#...", "...#...", "...#..."},  // final nun
    {BLANK2, "..##...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", ".###...", BLANK3},  // nun
    {BLANK2, "######.", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", ".#...#.", "..###..", BLANK3},  // samekh
    {BLANK2, "#....#.", "#....#.", ".#...#.", ".#...#.", "..#..#.", "...#.#.", "....##.", "#####..", BLANK3},  // ayin
    {BLANK2, "######.", "#.....#", "#.....#", "###...#", "......#", "......#", "......#", "......#",
     "......#", "......#", "......#"},  // final pe
    {BLANK2, "######.", "#.....#", "#.....#", "###...#", "......#", "......#", "......#", "#######", BLANK3},  // pe
    {BLANK2, "#....#.", ".#...#.", "..#.#..", "...#...", "...#...", "...#...", "...#...", "...#...",
     "...#...", "...#...", "...#..."},  // final tsadi
    {BLANK2, "#....#.", ".#...#.", "..#.#..", "...#...", "....#..", ".....#.", "......#", "#######", BLANK3},  // tsadi
    {BLANK2, "#######", "......#", "......#", "#.....#", "#.....#", "#.....#", "#....#.", "#......",
     "#......", "#......", "#......"},  // qof
    {BLANK2, "######.", "......#", "......#", "......#", "......#", "......#", "......#", "......#", BLANK3},  // resh
    {BLANK2, "#..#..#", "#..#..#", "#..#..#", "#..#..#", "#..#..#", "#.#..#.", "##..#..", "#####..", BLANK3},  // shin
    {BLANK2, "######.", ".#....#", ".#....#", ".#....#", ".#....#", ".#....#", ".#....#", "##....#", BLANK3},  // tav
};
#undef BLANK2
#undef BLANK3

constexpr plat::Colour kInk = 0x00000000;
constexpr plat::Colour kPaper = 0x00FFFFFF;
using Picture = std::array<plat::Colour, kKeyboardWidth * kKeyboardHeight>;

constexpr void Dot(Picture& p, int x, int y) {
    if (x >= 0 && x < kKeyboardWidth && y >= 0 && y < kKeyboardHeight) {
        p[std::size_t(y * kKeyboardWidth + x)] = kInk;
    }
}

// The outline of the box [left, right] x [top, bottom] with its corners
// cut by `corner` pixels.
constexpr void RoundedBox(Picture& p, int left, int top, int right, int bottom, int corner) {
    for (int x = left + corner; x <= right - corner; ++x) {
        Dot(p, x, top);
        Dot(p, x, bottom);
    }
    for (int y = top + corner; y <= bottom - corner; ++y) {
        Dot(p, left, y);
        Dot(p, right, y);
    }
    for (int k = 1; k < corner; ++k) {
        const int d = corner - k;
        Dot(p, left + k, top + d);
        Dot(p, right - k, top + d);
        Dot(p, left + k, bottom - d);
        Dot(p, right - k, bottom - d);
    }
}

constexpr void DrawGlyph(Picture& p, int code, int x0, int y0) {
    const auto& glyph = kGlyphs[code - kFirstLetterCode];
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < kGlyphWidth; ++x) {
            if (glyph[y][x] == '#') {
                Dot(p, x0 + x, y0 + y);
            }
        }
    }
}

constexpr Picture DrawKeyboard() {
    Picture p{};
    for (auto& pixel : p) {
        pixel = kPaper;
    }
    for (int row = 0; row < kLetterRows; ++row) {
        for (int col = 0; col < kKeyColumns; ++col) {
            const int x = col * kKeyWidth;
            const int y = row * kKeyHeight;
            RoundedBox(p, x + 1, y + 1, x + kKeyWidth - 1, y + kKeyHeight - 1, 2);
            const int key = kKeyColumns * (row + 1) - col;
            DrawGlyph(p, KeyboardLetterTable[key - 1], x + (kKeyWidth - kGlyphWidth) / 2 + 1,
                      y + (kKeyHeight - kGlyphHeight) / 2);
        }
    }
    // The space bar: a rounded bar over key columns 2 to 6 of the bottom strip.
    const int top = kLetterRows * kKeyHeight;
    RoundedBox(p, kSpaceFirstColumn * kKeyWidth + 1, top + 4,
               (kSpaceLastColumn + 1) * kKeyWidth - 1, kKeyboardHeight - 5, 3);
    RoundedBox(p, kSpaceFirstColumn * kKeyWidth + 2, top + 5,
               (kSpaceLastColumn + 1) * kKeyWidth - 2, kKeyboardHeight - 6, 2);
    return p;
}

constexpr Picture kKeyboardPixels = DrawKeyboard();

}  // namespace

const plat::DialogTemplate kSearchDialogTemplate = {
    u"Tovanel",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT | DS_MODALFRAME,
    WS_EX_CAPTIONOKBTN,
    0,
    0,
    126,
    131,
    u"System",
    8,
    kSearchItems,
    int(std::size(kSearchItems)),
};

const plat::BitmapResource kKeyboardBitmap = {kKeyboardWidth, kKeyboardHeight,
                                               kKeyboardPixels.data()};
