// Program host: prepares the backend before the entry point runs and tells
// the program about itself.
#pragma once

namespace plat {

enum class HostStatus {
    Ready,      // windows can be shown
    Offscreen,  // no display: windows render to images only
    Failed,     // the backend cannot run; HostFailureText says why
};

// Prepares the backend for a program with a main window. `allowOffscreen`
// lets the backend fall back to offscreen rendering when there is no display.
HostStatus Initialise(int& argc, char** argv, bool allowOffscreen);
const char* HostFailureText();
void Shutdown();

// Full path of the running program file as UTF-16; empty when unknown.
const char16_t* GetModuleFileName();

// Name of the backend ("qt" or "headless").
const char* BackendName();

}  // namespace plat

#include "platform/types.h"
namespace plat {
// Writes the window's backing image (the whole window: bars and client) as
// a PNG; false when the backend keeps no pixels.
bool SaveWindowImage(Window window, const char* pngPath);

// For unattended runs without a display: the first time the message loop
// has nothing left to do while a top-level window is shown, the backend
// writes that window's image to pngPath and sends it WM_CLOSE, so the
// program ends the way it does when a person closes it.
void SnapshotWhenIdle(const char* pngPath);
// Whether that snapshot was written.
bool SnapshotWritten();

// Calls `callback(context)` once, the next time the message loop has
// nothing left to do (no message queued, nothing to paint). For tools and
// benchmarks that act on the program once it is drawn.
using IdleCallback = void (*)(void* context);
void CallWhenIdle(IdleCallback callback, void* context);

// Size of top-level windows created with CW_USEDEFAULT from now on; a side
// of 0 restores the backend's own choice.
void SetDefaultWindowSize(int width, int height);
}  // namespace plat
