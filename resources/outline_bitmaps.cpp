// The index's outline marks, drawn from small character pictures:
// '#' black, '.' white.
#include <array>

#include "resources/ui_resources.h"

namespace {

using Pixels = std::array<plat::Colour, 81>;

constexpr Pixels FromPicture(const char (&rows)[9][10]) {
    Pixels pixels{};
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            pixels[std::size_t(y * 9 + x)] = rows[y][x] == '#' ? 0x00000000u : 0x00FFFFFFu;
        }
    }
    return pixels;
}

constexpr char kPlus[9][10] = {
    "#########", "#.......#", "#...#...#", "#...#...#", "#.#####.#",
    "#...#...#", "#...#...#", "#.......#", "#########",
};
constexpr char kMinus[9][10] = {
    "#########", "#.......#", "#.......#", "#.......#", "#.#####.#",
    "#.......#", "#.......#", "#.......#", "#########",
};
constexpr char kPage[9][10] = {
    ".#####...", ".#...##..", ".#...###.", ".#.##..#.", ".#.....#.",
    ".#.###.#.", ".#.....#.", ".#.##..#.", ".#######.",
};

constexpr Pixels kPlusPixels = FromPicture(kPlus);
constexpr Pixels kMinusPixels = FromPicture(kMinus);
constexpr Pixels kPagePixels = FromPicture(kPage);

}  // namespace

const plat::BitmapResource kOutlineBitmaps[3] = {
    {9, 9, kPlusPixels.data()},
    {9, 9, kMinusPixels.data()},
    {9, 9, kPagePixels.data()},
};
