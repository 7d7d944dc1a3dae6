// render --dialog index: the Choose Section dialog as it opens for the
// current lesson, the path to it revealed and the marks at the top.
#include "app/app_state.h"
#include "index/choose_section.h"
#include "tools/cli/render_dialog.h"

namespace {

void RunIndexDialog(plat::Window owner) {
    ChooseSection(AppState.Instance, owner, AppState.Lesson, &AppState.Font);
}

const RenderDialogEntry kIndexDialog("index", "Choose Section: the index with its Bookmarks",
                                     RunIndexDialog);

}  // namespace
