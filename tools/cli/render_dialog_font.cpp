// render --dialog font: the Choose Font dialog as it opens for --font,
// --font-size and --base, with the desktop's font families.
#include "app/app_state.h"
#include "fonts/font_dialog.h"
#include "tools/cli/render_dialog.h"

namespace {

void RunChooseFont(plat::Window owner) {
    FontDescription description = AppState.Font;
    RunFontDialog(AppState.Instance, owner, &description);
}

const RenderDialogEntry kFontDialog("font", "Choose Font: faces, sizes, letter base and preview",
                                    RunChooseFont);

}  // namespace
