// The Choose Section dialog: no controls; the whole client area is the
// index view, with the dialog's own vertical scroll bar beside it.
#include "resources/ui_resources.h"

const plat::DialogTemplate kChooseSectionDialog = {
    u"Choose Section",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_VSCROLL | DS_CENTER | DS_SETFONT,
    WS_EX_CAPTIONOKBTN,
    0,
    0,
    160,
    160,
    u"System",
    8,
    nullptr,
    0,
};
