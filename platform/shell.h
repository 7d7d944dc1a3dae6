// Shell service: full-screen and input-panel requests, dialog set-up,
// opening a URL in the desktop's browser.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

constexpr std::uint32_t SHFS_SHOWTASKBAR = 0x0001;
constexpr std::uint32_t SHFS_HIDETASKBAR = 0x0002;
constexpr std::uint32_t SHFS_SHOWSIPBUTTON = 0x0004;
constexpr std::uint32_t SHFS_HIDESIPBUTTON = 0x0008;
constexpr std::uint32_t SHFS_SHOWSTARTICON = 0x0010;
constexpr std::uint32_t SHFS_HIDESTARTICON = 0x0020;
// Hiding the task bar makes the window full screen on a desktop; showing it
// again brings the window back. The input-panel and start-icon requests do
// nothing on a desktop.
bool SHFullScreen(Window window, std::uint32_t state);

constexpr std::uint32_t SHIDIF_DONEBUTTON = 0x0001;
constexpr std::uint32_t SHIDIF_SIZEDLG = 0x0002;
constexpr std::uint32_t SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr std::uint32_t SHIDIF_SIPDOWN = 0x0008;
constexpr std::uint32_t SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
// Sizes the dialog as the flags ask (full screen: the owner's screen area)
// and sends it WM_SIZE; the Done flag shows an OK button in its caption.
bool SHInitDialog(Window dialog, std::uint32_t flags);

constexpr int SIP_UP = 0;
constexpr int SIP_DOWN = 1;
bool SHSipPreference(Window window, int state);  // nothing on a desktop
void SHHandleWMSettingChange(Window window, WParam wParam, LParam lParam, void* activateInfo);

// Opens the URL with the verb "Open" in the desktop's browser. mask 0x400:
// the shell shows no error of its own. No result is read by callers.
bool ShellExecuteOpen(Window owner, const char16_t* url, std::uint32_t mask);

}  // namespace plat
