// The article view on any stream: layout returns one of its codes and never
// reads outside the stream's bytes; painting, hit-testing and scrolling after
// it stay safe. The first bytes choose the view's size, font and flags.
#include <cstdint>
#include <cstring>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "view/article_view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    const int width = 1 + data[0] % 200;
    const int height = 1 + data[1] % 240;
    static const std::int32_t kBases[3] = {97, 224, 1488};
    FontDescription font{};
    font.FontSize = data[2] % 40;
    font.FontAsciiBase = kBases[data[3] % 3];
    AppState.Font = font;
    AppState.Flags = (data[4] & 1) ? AppFlags::Reverse : 0;
    const bool backLink = data[4] & 2;
    const std::size_t length = size - 5;

    // The stream in a block of exactly its size: any read past it faults.
    auto* stream = static_cast<std::uint8_t*>(plat::Allocate(length));
    std::memcpy(stream, data + 5, length);

    plat::Dc dc = plat::CreateImageDC(width + 10, height + 10);
    const plat::Rect rect{5, 5, 5 + width, 5 + height};
    ArticleView* view = CreateArticleView(dc, &rect, &font, data[4] % 3);
    if (backLink) view->viewFlags |= kBackLinkShown;
    const int status = LayoutArticle(view, stream, 1, std::uint32_t(length));
    if (status != 0 && status != -1 && status != -2 && status != -4) __builtin_trap();
    if (status != 0) plat::Free(stream);

    for (int step = 0; step < 4; ++step) {
        view->highlightStart = std::uint16_t(data[step] * 7);
        view->highlightEnd = std::uint16_t(view->highlightStart + data[step + 1] % 40);
        PaintArticleView(view, step & 1);
        HitTestLink(view, data[step] % (width + 20), data[step + 1] % (height + 20));
        ScrollArticleView(view, int(data[step]) - 128, step & 1, 1);
        ScrollToTextOffset(view, data[step] * 31);
    }
    SetViewSize(view, 1 + data[2] % 90, 1 + data[3] % 90);
    PaintArticleView(view, 1);
    ApplyFont(view, &font);
    DestroyArticleView(view, 1);
    plat::DeleteImageDC(dc);
    plat::headless::ClearDrawLog();
    return 0;
}
