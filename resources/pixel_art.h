// Bitmaps written as character pictures, one character a pixel.
#pragma once

#include <array>
#include <cstddef>

#include "platform/templates.h"

namespace pixel_art {

constexpr plat::Colour ColourOf(char c) {
    switch (c) {
        case '#': return 0x00000000;  // black
        case 'w': return 0x00FFFFFF;  // white
        case 'G': return 0x00808080;  // grey
        case 'g': return 0x00C0C0C0;  // light grey
        case 'b': return 0x00C05000;  // blue
        case 'B': return 0x00FFC080;  // light blue
        case 'r': return 0x000000C0;  // red
        case 'y': return 0x0000D0FF;  // yellow
        case 'n': return 0x00004080;  // brown
        default: return plat::kTransparentColour;
    }
}

// Lays `count` pictures of w x h side by side into one strip.
template <std::size_t W, std::size_t H, std::size_t N>
constexpr std::array<plat::Colour, W * H * N> Strip(const char (&pictures)[N][H][W + 1]) {
    std::array<plat::Colour, W * H * N> pixels{};
    for (std::size_t n = 0; n < N; ++n) {
        for (std::size_t y = 0; y < H; ++y) {
            for (std::size_t x = 0; x < W; ++x) {
                pixels[y * W * N + n * W + x] = ColourOf(pictures[n][y][x]);
            }
        }
    }
    return pixels;
}

}  // namespace pixel_art
