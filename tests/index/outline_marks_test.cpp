// The three 9 x 9 marks of the index are real one-bit pictures: a plus box,
// a minus box and a page with its corner folded.
#include <gtest/gtest.h>

#include <string>

#include "resources/ui_resources.h"

namespace {

// The picture as rows of '#' (black) and '.' (white); '?' for any other colour.
std::string Picture(const plat::BitmapResource& bitmap) {
    std::string rows;
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const plat::Colour c = bitmap.pixels[y * bitmap.width + x];
            rows += c == 0x000000 ? '#' : c == 0xFFFFFF ? '.' : '?';
        }
        rows += '\n';
    }
    return rows;
}

TEST(OutlineMarks, PlusMinusAndPage) {
    for (const plat::BitmapResource& bitmap : kOutlineBitmaps) {
        EXPECT_EQ(bitmap.width, 9);
        EXPECT_EQ(bitmap.height, 9);
    }
    EXPECT_EQ(Picture(kOutlineBitmaps[0]),
              "#########\n"
              "#.......#\n"
              "#...#...#\n"
              "#...#...#\n"
              "#.#####.#\n"
              "#...#...#\n"
              "#...#...#\n"
              "#.......#\n"
              "#########\n");
    EXPECT_EQ(Picture(kOutlineBitmaps[1]),
              "#########\n"
              "#.......#\n"
              "#.......#\n"
              "#.......#\n"
              "#.#####.#\n"
              "#.......#\n"
              "#.......#\n"
              "#.......#\n"
              "#########\n");
    // The page: columns 1 to 7, the top-right corner folded, three text lines.
    const std::string page = Picture(kOutlineBitmaps[2]);
    EXPECT_EQ(page.find('?'), std::string::npos);
    int textLines = 0;
    for (int y = 0; y < 9; ++y) {
        const std::string row = page.substr(std::size_t(y) * 10, 9);
        EXPECT_EQ(row[0], '.') << "row " << y;
        EXPECT_EQ(row[8], '.') << "row " << y;
        EXPECT_EQ(row[1], '#') << "row " << y;
        if (y >= 3 && y < 8 && row.substr(2, 5).find('#') != std::string::npos) ++textLines;
    }
    EXPECT_EQ(textLines, 3);
    EXPECT_EQ(page.substr(0, 9).find_last_of('#'), 5u);  // the fold cuts the corner
    EXPECT_EQ(page.substr(80, 9), ".#######.");
}

}  // namespace
