// The program's entry: start-up, the single running copy, the message loop
// and the exit.
#pragma once

#include "platform/resources.h"
#include "platform/types.h"

// Runs the program and returns its exit code. `commandLine` is what followed
// the program's name ("/today" asks for this week's lesson).
int TovanelMain(const plat::Module* instance, const char16_t* commandLine, int showCommand);

// The main window, or none when the program must end at once (another copy
// runs, or the window could not be made).
plat::Window CreateMainWindow(int showCommand);

// When another copy of the program runs: shows this week's lesson there if
// it is in front, else brings it forward, and returns true (this copy then
// ends). False when no other copy runs.
bool HandOverToRunningCopy();

// How the last start went, for the program's own report at exit.
enum class StartOutcome {
    Ran,         // the main window was made and the program ran
    HandedOver,  // another copy runs; the start was handed to it
    NoWindow,    // the main window could not be made
};
StartOutcome LastStartOutcome();

bool RegisterMainClass(const plat::Module* instance, const char16_t* className);

// The per-book settings and the bookmarks, read at start.
void LoadSettingsAndBookmarks();
// The orderly exit: the settings written, the view released, the bookmarks
// saved and freed, the quit message posted.
void SaveSettingsAndQuit();

// True for the command lines that ask for this week's lesson.
bool IsTodayCommandLine(const char16_t* commandLine);
