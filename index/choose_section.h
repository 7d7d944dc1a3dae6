// The Choose Section dialog: the index as an outline filling the window,
// the Bookmarks section at its top, the path to the current lesson open.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/resources.h"
#include "platform/types.h"

struct IndexView;

// Runs the dialog over `owner` and returns 0 (Cancel), `current` (OK, or a
// tap on the current lesson's own entry) or the lesson tapped. When the
// dialog cannot be run at all, `current`.
LessonNumber ChooseSection(const plat::Module* instance, plat::Window owner,
                           LessonNumber current, const FontDescription* font);

// The dialog's procedure (template 118).
std::intptr_t IndexDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                              plat::LParam lParam);

// The view of the open dialog, none while it is closed (for tests).
IndexView* OpenIndexView();
