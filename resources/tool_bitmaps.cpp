// Bitmap 114: the seven 16 x 16 tool button images, side by side, and
// icon 101, the program's icon.
#include "resources/pixel_art.h"
#include "resources/ui_resources.h"

namespace {

constexpr char kTools[7][16][17] = {
    {// Previous Article: an arrow to the left.
     "................", "................", "......#.........", ".....##.........",
     "....#b#.........", "...#bb#########.", "..#bbbbbbbbbbb#.", ".#bbbbbbbbbbbb#.",
     "..#bbbbbbbbbbb#.", "...#bb#########.", "....#b#.........", ".....##.........",
     "......#.........", "................", "................", "................"},
    {// This Week: a calendar page with a marked day.
     "................", "..#..#....#..#..", ".##############.", ".#rrrrrrrrrrrr#.",
     ".#rrrrrrrrrrrr#.", ".##############.", ".#w#w#w#w#w#ww#.", ".#############w#",
     ".#w#w#w#w#yyy#w#", ".#######yyyyy#w#", ".#w#w#w#yyyyy#w#", ".#######yyyyy#w#",
     ".#w#w#w#w#yyy#w#", ".##############.", "................", "................"},
    {// Next Article: an arrow to the right.
     "................", "................", ".........#......", ".........##.....",
     ".........#b#....", ".#########bb#...", ".#bbbbbbbbbbb#..", ".#bbbbbbbbbbbb#.",
     ".#bbbbbbbbbbb#..", ".#########bb#...", ".........#b#....", ".........##.....",
     ".........#......", "................", "................", "................"},
    {// Choose Font: a large A beside a small Hebrew alef.
     "................", "......##........", "......##........", ".....#..#.......",
     ".....#..#.......", "....#....#......", "....#....#......", "...########.....",
     "...#......#.....", "..#........#....", "..#........#.#.#", ".###......###.#.",
     "..............#.", ".............#.#", "................", "................"},
    {// Search: a magnifying glass.
     "................", "....#####.......", "...#BBBBB#......", "..#BwwBBBB#.....",
     "..#BwBBBBB#.....", "..#BBBBBBB#.....", "..#BBBBBBB#.....", "...#BBBBB#......",
     "....######......", "........###.....", ".........###....", "..........###...",
     "...........###..", "............##..", "................", "................"},
    {// Search Again: the glass with a small arrow going on.
     "................", "....#####.......", "...#BBBBB#......", "..#BwwBBBB#.....",
     "..#BwBBBBB#.....", "..#BBBBBBB#.....", "..#BBBBBBB#.....", "...#BBBBB#......",
     "....######......", "........###.....", ".........###.r..", "..........###rr.",
     "...........#rrrr", "............##rr", ".............r..", "................"},
    {// Choose Article: an outline list.
     "................", ".##############.", ".#wwwwwwwwwwww#.", ".#w##w#######w#.",
     ".#wwwwwwwwwwww#.", ".#wwww#w#####w#.", ".#wwwwwwwwwwww#.", ".#wwww#w#####w#.",
     ".#wwwwwwwwwwww#.", ".#w##w#######w#.", ".#wwwwwwwwwwww#.", ".#wwww#w#####w#.",
     ".#wwwwwwwwwwww#.", ".##############.", "................", "................"},
};

constexpr char kIcon32[1][32][33] = {{
    "................................", "................................",
    "................................", "................................",
    "..##########..........##########", "..#BBBBBBBBB#........#BBBBBBBBB#",
    "..#BwwwwwwwwB#......#BwwwwwwwwB#", "..#Bw######wwB#....#Bww######wB#",
    "..#BwwwwwwwwwwB#..#BwwwwwwwwwwB#", "..#Bw#######wwwB##Bwww#######wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#Bw########wwwBBwww########wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#Bw#######wwwwBBwwww#######wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#Bw########wwwBBwww########wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#Bw######wwwwwBBwwwww######wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#Bw########wwwBBwww########wB#",
    "..#BwwwwwwwwwwwwBBwwwwwwwwwwwwB#", "..#BbbbbbbbbbbbbBBbbbbbbbbbbbbB#",
    "..#bbbbbbbbbbbbbbbbbbbbbbbbbbbb#", "..##############################",
    "................................", "................................",
    "................................", "................................",
    "................................", "................................",
    "................................", "................................",
}};

constexpr char kIcon16[1][16][17] = {{
    "................", "................", ".#####....#####.", ".#BwwB#..#BwwB#.",
    ".#Bw#wB##Bw#wB#.", ".#BwwwwBBwwwwB#.", ".#Bw#wwBBww#wB#.", ".#BwwwwBBwwwwB#.",
    ".#Bw#wwBBww#wB#.", ".#BwwwwBBwwwwB#.", ".#bbbbbbbbbbbb#.", ".##############.",
    "................", "................", "................", "................",
}};

constexpr auto kToolPixels = pixel_art::Strip<16, 16, 7>(kTools);
constexpr auto kIcon32Pixels = pixel_art::Strip<32, 32, 1>(kIcon32);
constexpr auto kIcon16Pixels = pixel_art::Strip<16, 16, 1>(kIcon16);

constexpr plat::BitmapResource kIconImages[2] = {
    {32, 32, kIcon32Pixels.data()},
    {16, 16, kIcon16Pixels.data()},
};

}  // namespace

const plat::BitmapResource kToolBitmap = {16 * 7, 16, kToolPixels.data()};
const plat::IconResource kProgramIcon = {kIconImages, 2};
