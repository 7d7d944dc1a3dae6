// Which lesson the reader looks at: opening a lesson by number (index,
// links, This Week, the back link), stepping to the previous or next lesson
// with wrap-around, and the one-level history behind the back link.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/types.h"

// Opens lesson `lesson` (0: this week's) at top line `position`; with
// `recordHistory` the lesson being left becomes the back link's target.
// 0 when the lesson is on screen; 1 when there is no view or the lesson
// could not be loaded or laid out: then nothing changes (the old text stays
// on screen, and the lesson, position, flags and history stay as they were).
int OpenLesson(plat::Window window, LessonNumber lesson, std::uint16_t position,
               bool recordHistory);

// The lesson before (-1) or after (+1) the current one; 262 wraps to 1.
int StepLesson(plat::Window window, int step);

// Stored lesson numbers outside the book count as none: the current lesson
// then follows the calendar, and a back link outside the book is dropped.
void DropUnusableStoredLessons();

// Loads the current lesson into the new view at the saved position. A pinned
// lesson the book cannot load gives way to this week's; when that cannot be
// loaded either, the "Resource not found" message.
void LoadInitialLesson(plat::Window window);
