// The "Bookmarks" value as stored and the index beside it: the marks are
// read up to the value's end, always end with their 0, are saved back in a
// form that reads the same, and the Bookmarks section built from them
// against any index never reads outside the index's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "bookmarks/bookmarks.h"
#include "format/index_stream.h"
#include "platform/memory.h"
#include "platform/registry.h"
#include "settings/registry_settings.h"

namespace {

void UseOwnRegistry() {
    static bool ready = false;
    if (ready) return;
    char pattern[] = "/tmp/tovanel-fuzz-bookmarks-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    const std::string path = std::string(pattern) + "/registry.reg";
    setenv("TOVANEL_REGISTRY", path.c_str(), 1);
    ready = true;
}

std::uint8_t* Copy(const std::uint8_t* data, std::size_t size) {
    auto* block = static_cast<std::uint8_t*>(plat::Allocate(size));
    if (size > 0) std::memcpy(block, data, size);
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    UseOwnRegistry();
    if (size < 1) return 0;
    const std::size_t valueSize = std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* value = data + 1;
    const std::uint8_t* index = value + valueSize;
    const std::size_t indexSize = size - 1 - valueSize;

    WriteBinary(u"Bookmarks", value, std::uint32_t(valueSize));
    LoadBookmarks();
    const std::uint16_t count = AppState.BookmarkCount;
    if (AppState.BookmarkList != nullptr && AppState.BookmarkList[count] != 0) __builtin_trap();
    SaveBookmarks();
    LessonNumber* first = AppState.BookmarkList;
    AppState.BookmarkList = nullptr;
    LoadBookmarks();
    if (AppState.BookmarkCount != count) __builtin_trap();
    for (int i = 0; i < count; ++i) {
        if (AppState.BookmarkList[i] != first[i]) __builtin_trap();
    }
    plat::Free(first);

    // The index in a block of exactly its size.
    std::uint32_t length = std::uint32_t(indexSize);
    std::uint8_t* original = Copy(index, indexSize);
    std::uint8_t* joined = PrependBookmarkSection(original, &length);
    if (joined != original && IndexRecordsSize(joined, length) + kIndexEndMarkSize > length) {
        __builtin_trap();  // a joined stream always ends with its terminator
    }
    plat::Free(joined);
    FreeBookmarks();
    return 0;
}
