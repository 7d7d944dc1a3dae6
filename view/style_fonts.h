// The article view's font cache: one font per style key, made on first use
// with its metrics, for layout and painting. Only the view's own files use
// this.
#pragma once

#include <cstdint>

#include "view/article_view.h"

// The font metrics layout works with.
struct LineFont {
    std::int32_t height = 0;
    std::int32_t maxCharWidth = 0;
    std::int32_t aveCharWidth = 0;
};

// Selects a style's font for layout and gives its metrics; false when
// memory ran out.
bool SelectLayoutFont(ArticleView* view, int key, LineFont* font, plat::Font* previous, bool* selected);
