// The index view on any stream: layout returns one of its codes and never
// reads outside the stream's bytes; painting, taps, toggling, revealing,
// scrolling and a new layout with the open sections kept stay safe, and the
// count of visible lines always matches the table. The first bytes choose
// the view's size, font and the actions.
#include <cstdint>
#include <cstring>

#include "app/app_state.h"
#include "index/index_view.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"

namespace {

void CheckVisibleCount(const IndexView* view) {
    if (view->lines == nullptr) return;
    int visible = 0;
    for (int i = 0; i < view->lineCount; ++i) visible += IsVisibleLine(view->lines[i]) ? 1 : 0;
    if (visible != view->visibleCount || view->lines[view->lineCount].id != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const int width = 1 + data[0] % 200;
    const int height = 1 + data[1] % 240;
    static const std::int32_t kBases[3] = {97, 224, 1488};
    FontDescription font{};
    font.FontSize = data[2] % 40;
    font.FontAsciiBase = kBases[data[3] % 3];
    AppState.Font = font;
    const std::size_t length = size - 6;

    // The stream in a block of exactly its size: any read past it faults.
    auto* stream = static_cast<std::uint8_t*>(plat::Allocate(length));
    std::memcpy(stream, data + 6, length);

    plat::Dc dc = plat::CreateImageDC(width + 10, height + 10);
    IndexView* view = CreateIndexView(dc, 5, 5, 5 + width, 5 + height, &font, data[4] % 3);
    const int status = LayoutIndex(view, stream, 1, std::uint32_t(length));
    if (status != 0 && status != -2 && status != -4) __builtin_trap();
    if (status == -4) plat::Free(stream);
    CheckVisibleCount(view);

    RevealLesson(view, LessonNumber(data[5] | ((data[4] & 1) << 8)));
    CheckVisibleCount(view);
    for (int step = 0; step < 6; ++step) {
        const std::uint8_t a = data[step];
        const std::uint8_t b = data[step + 1];
        PaintIndexView(view, step & 1);
        HitTestIndex(view, a % (width + 20), b % (height + 20));
        if (view->lineCount > 0) ToggleIndexEntry(view, (a * 7 + b) % view->lineCount);
        CheckVisibleCount(view);
        ScrollIndexView(view, int(a) - 128);
    }
    std::uint16_t* pairs = SaveExpansion(view);
    ResizeIndexView(view, 1 + data[2] % 150, 1 + data[3] % 150);
    RestoreExpansion(view, pairs);
    plat::Free(pairs);
    CheckVisibleCount(view);
    PaintIndexView(view, 1);
    DestroyIndexView(view, 1);
    plat::DeleteImageDC(dc);
    plat::headless::ClearDrawLog();
    return 0;
}
