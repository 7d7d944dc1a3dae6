// The About box (template 103) with the maker's address as an underlined
// link, and the update check. Both hand their address to the desktop's
// browser; the program itself has no network code.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/resources.h"
#include "platform/types.h"

constexpr int kAboutLinkButton = 1025;
// Colour of the link text: pure blue.
constexpr plat::Colour kAboutLinkColour = 0x00FF0000;

// Runs the About box modally over `owner`; the code it ended with, -1 when
// the template is missing.
std::intptr_t RunAboutDialog(const plat::Module* module, plat::Window owner);
std::intptr_t AboutDialogProc(plat::Window dialog, std::uint32_t message, plat::WParam wParam,
                              plat::LParam lParam);

// Creates the bold, underlined link font, gives it to the link button and
// fits the button to its text; none when the font cannot be made.
plat::Font MakeLinkFont(plat::Window dialog);
void DrawLinkButton(plat::Window dialog, int controlId, const plat::DrawItemStruct* item);

void OpenHomePage(plat::Window owner);
// Opens the update query for this product and version.
void CheckForUpdates(plat::Window owner);
void OpenUrl(plat::Window owner, const char16_t* url);
