// The main window's handler: messages, keys, scroll-bar actions and the
// commands of the menu and the tool buttons.
#pragma once

#include <cstdint>

#include "platform/types.h"

struct ArticleView;

plat::LResult MainWindowProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam);

// 0 when the command was handled, 1 when not.
int DispatchCommand(plat::Window window, std::uint16_t command);

// Lines a page step forward moves for a 3-bit paging mode: half the lines
// painted last for modes 2 and 4, otherwise one less than them; never less
// than one line.
int PageAmount(int mode, const ArticleView* view);
// The same for a step back. From a page that the end of the text leaves
// short, a step back counts the lines of a full window (those of the last
// full page) instead of the few painted.
int PageBackAmount(int mode, const ArticleView* view);

// Sets (kMenuCheckSet) or toggles (kMenuCheckToggle) the Reverse check mark
// and makes the Reverse bit of the flags match it.
void UpdateReverseCheck(plat::Window window, int mode);
