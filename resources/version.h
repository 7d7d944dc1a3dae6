// The program's version as the About box and the update query show it. The
// build gives TOVANEL_VERSION from the project's version (CMakeLists.txt).
#pragma once

#ifndef TOVANEL_VERSION
#error "TOVANEL_VERSION comes from the build (CMakeLists.txt)"
#endif
#define TOVANEL_VERSION_TEXT u"" TOVANEL_VERSION
