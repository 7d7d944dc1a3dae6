// The program's version as the About box and the update query show it.
#pragma once

#define TOVANEL_VERSION_TEXT u"1.84a"
