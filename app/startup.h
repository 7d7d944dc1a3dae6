// The program's entry point and its main window.
#pragma once

#include "platform/resources.h"
#include "platform/types.h"

// Runs the program: start-up, the message loop and the exit. Returns the
// exit code. `commandLine` is the program's arguments joined by spaces.
int TovanelMain(const plat::Module* instance, const char16_t* commandLine, int showCommand);

plat::LResult MainWindowProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam);
