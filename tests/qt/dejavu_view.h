// An article view in DejaVu Sans 16 on a device context, laid out from a
// hand-made line stream: what the Qt tests that page or scroll a real view
// start from.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/memory.h"
#include "view/article_view.h"

namespace qt_test {

// Clears the program state, chooses DejaVu Sans 16 with Hebrew letters from
// 1488, and lays `stream` out in `box` of `dc`. The view owns a copy of the
// stream. Null when the view could not be made or laid out.
inline ArticleView* LayOutDejaVuView(plat::Dc dc, const plat::Rect& box,
                                     const std::vector<std::uint8_t>& stream) {
    ClearAppState();
    const char16_t face[] = u"DejaVu Sans";
    std::memcpy(AppState.Font.FontName, face, sizeof face);
    AppState.Font.FontSize = 16;
    AppState.Font.FontAsciiBase = 1488;
    ArticleView* view = CreateArticleView(dc, &box, &AppState.Font, 100);
    if (view == nullptr) {
        return nullptr;
    }
    auto* text = static_cast<std::uint8_t*>(plat::Allocate(stream.size()));
    std::memcpy(text, stream.data(), stream.size());
    if (LayoutArticle(view, text, 1, std::uint32_t(stream.size())) != 0) {
        plat::Free(text);  // not taken by the view
        DestroyArticleView(view, 1);
        return nullptr;
    }
    return view;
}

}  // namespace qt_test
