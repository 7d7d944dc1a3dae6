#include "resources/ui_resources.h"

#include <iterator>

namespace {

const plat::ResourceEntry kEntries[] = {
    {RT_BITMAP, kBitmapSectionClosed, &kOutlineBitmaps[0], sizeof(plat::BitmapResource)},
    {RT_BITMAP, kBitmapSectionOpen, &kOutlineBitmaps[1], sizeof(plat::BitmapResource)},
    {RT_BITMAP, kBitmapArticle, &kOutlineBitmaps[2], sizeof(plat::BitmapResource)},
};

}  // namespace

const plat::ResourceTable& UiResourceTable() {
    static const plat::ResourceTable table{kEntries, std::size(kEntries)};
    return table;
}
