// The dialogs `tovanel-cli render --dialog NAME` can draw. Each dialog adds
// one entry: a static RenderDialogEntry in a file of its own, naming the
// dialog and a function that runs it modally over the owner it is given.
// The command prepares AppState first (Instance, Font, Lesson, the marks,
// MainWindow and the outline bitmaps) and keeps a picture of the dialog as
// soon as it is drawn, then cancels it.
#pragma once

#include "platform/types.h"

using RenderDialogFunction = void (*)(plat::Window owner);

struct RenderDialogEntry {
    const char* name;
    const char* summary;  // one line: what the picture shows
    RenderDialogFunction run;
    RenderDialogEntry(const char* name, const char* summary, RenderDialogFunction run);
};

// `tovanel-cli render --dialog NAME ...` with all its arguments.
int RenderDialog(int argc, char** argv);
