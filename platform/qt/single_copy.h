// Which running copy a start hands over to: one with the same registry file
// on the same display. A run without a display (offscreen) has no display to
// share and never hands over.
#pragma once

#include <string>

namespace plat::qtb {

// The display a copy shows its windows on, as it names it: the platform and
// the display's name (":0" and ":0.0" are the same display). Empty for the
// offscreen platform, which is no display.
std::string DisplayIdentity(const std::string& platformName, const char* x11Display,
                            const char* waylandDisplay);

// The local socket of the running copy of a window class for a display and
// a registry file, or empty when there is no display.
std::string SingleCopyName(unsigned userId, const std::u16string& className,
                           const std::string& display, const std::string& registryFile);

}  // namespace plat::qtb

namespace plat::testing {
// Lets offscreen processes of the tests count as one shared display, so that
// the single-copy traffic between them can be tried without a display.
void ShareOffscreenDisplay(bool share);
}  // namespace plat::testing
