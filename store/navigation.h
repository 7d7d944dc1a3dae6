// Which lesson the reader looks at: opening a lesson by number (index,
// links, This Week, the back link), stepping to the previous or next lesson
// with wrap-around, and the one-level history behind the back link.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/types.h"

// Opens lesson `lesson` (0: this week's) at top line `position`; with
// `recordHistory` the lesson being left becomes the back link's target.
// 0 when the lesson is on screen; 1 when it could not be loaded (the old
// lesson stays, with the current lesson and flags restored).
int OpenLesson(plat::Window window, LessonNumber lesson, std::uint16_t position,
               bool recordHistory);

// The lesson before (-1) or after (+1) the current one; 262 wraps to 1.
int StepLesson(plat::Window window, int step);

// Loads the current lesson into the new view at the saved position; a lesson
// that cannot be loaded gives the "Resource not found" message.
void LoadInitialLesson(plat::Window window);
