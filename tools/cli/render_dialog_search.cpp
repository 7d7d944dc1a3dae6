// render --dialog search: the Search dialog as it opens, its box holding a
// sample pattern (the word "shalom", stored order) above the keyboard.
#include <cstring>

#include "app/app_state.h"
#include "search/search_dialog.h"
#include "tools/cli/render_dialog.h"

namespace {

void RunSearch(plat::Window owner) {
    if (AppState.SearchString[0] == 0) {
        std::memcpy(AppState.SearchString, "nfmz", 5);
    }
    RunSearchDialog(owner);
}

const RenderDialogEntry kSearchDialog("search", "Search: a sample word above the keyboard picture",
                                      RunSearch);

}  // namespace
