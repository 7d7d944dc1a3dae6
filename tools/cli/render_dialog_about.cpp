// render --dialog about: the About box with its picture and link.
#include "about/about_dialog.h"
#include "app/app_state.h"
#include "tools/cli/render_dialog.h"

namespace {

void RunAbout(plat::Window owner) { RunAboutDialog(AppState.Instance, owner); }

const RenderDialogEntry kAboutDialog("about", "About: version, picture and the maker's link",
                                     RunAbout);

}  // namespace
