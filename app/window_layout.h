// The main window's furniture: the menu bar with its tool buttons, the
// article view fitted inside the client area (bar band and gutter taken
// off), the vertical scroll bar, painting on request and taps on the text.
#pragma once

#include <cstdint>

#include "platform/types.h"

struct ArticleView;

void CreateMenuBar();
void CreateViewAndLoad(plat::Window window);
void ResizeView(plat::Window window, int width, int height);
void UpdateScrollBar(plat::Window window);
void PaintMainWindow(plat::Dc dc, plat::Window window, int options);
void RepaintView(plat::Window window, int options);
// 1 when the tap did something (a link, a page), 0 when not.
int TapView(plat::Window window, ArticleView* view, int x, int y);

// The menu that holds the check-marked items, reached through the bar.
plat::Menu MenuForChecks();
