#include "bookmarks/bookmarks.h"

#include <cstring>

#include "app/window_layout.h"
#include "bookmarks/menu_check.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "settings/registry_settings.h"

namespace {

constexpr std::uint16_t kDontAsk = 0x0001;
constexpr std::uint32_t kMaxMarks = 0xFFFE;

}  // namespace

void LoadBookmarks() {
    FreeBookmarks();
    std::uint32_t size = 0;
    std::uint8_t* value = ReadBinary(u"Bookmarks", nullptr, &size);
    if (value == nullptr) return;
    // The value should end with its 0 entry; whatever it holds, nothing is
    // read past its size, and the list always gets its own 0.
    std::uint32_t count = 0;
    while (count < size / 2 && count < kMaxMarks &&
           (value[2 * count] | value[2 * count + 1]) != 0) {
        ++count;
    }
    auto* list = static_cast<LessonNumber*>(
        AllocateOrAbort(sizeof(LessonNumber) * (std::size_t(count) + 1)));
    if (list != nullptr) {
        for (std::uint32_t i = 0; i < count; ++i) {
            list[i] = LessonNumber(value[2 * i] | (value[2 * i + 1] << 8));
        }
        list[count] = 0;
        AppState.BookmarkList = list;
        AppState.BookmarkCount = std::uint16_t(count);
    }
    plat::Free(value);
}

void SaveBookmarks() {
    const std::uint32_t count = AppState.BookmarkList != nullptr ? AppState.BookmarkCount : 0;
    std::uint8_t single[2] = {0, 0};
    std::uint8_t* bytes = single;
    if (count > 0) {
        bytes = static_cast<std::uint8_t*>(plat::Allocate((std::size_t(count) + 1) * 2));
        if (bytes == nullptr) return;
        for (std::uint32_t i = 0; i <= count; ++i) {
            const LessonNumber lesson = i < count ? AppState.BookmarkList[i] : 0;
            bytes[2 * i] = std::uint8_t(lesson & 0xFF);
            bytes[2 * i + 1] = std::uint8_t(lesson >> 8);
        }
    }
    WriteBinary(u"Bookmarks", bytes, (count + 1) * 2);
    if (bytes != single) plat::Free(bytes);
}

void FreeBookmarks() {
    plat::Free(AppState.BookmarkList);
    AppState.BookmarkList = nullptr;
    AppState.BookmarkCount = 0;
}

int IsBookmarked() {
    if (AppState.BookmarkList == nullptr) return 0;
    for (std::uint32_t i = 0; i < AppState.BookmarkCount; ++i) {
        if (AppState.BookmarkList[i] == AppState.Lesson) return 1;
    }
    return 0;
}

void AddBookmark() {
    if (AppState.Lesson == 0 || IsBookmarked() || AppState.BookmarkCount >= kMaxMarks) return;
    const std::uint32_t count = AppState.BookmarkList != nullptr ? AppState.BookmarkCount : 0;
    auto* list = static_cast<LessonNumber*>(plat::Allocate(sizeof(LessonNumber) * (count + 2)));
    if (list == nullptr) return;
    if (count > 0) std::memcpy(list, AppState.BookmarkList, sizeof(LessonNumber) * count);
    plat::Free(AppState.BookmarkList);
    list[count] = AppState.Lesson;
    list[count + 1] = 0;
    AppState.BookmarkList = list;
    AppState.BookmarkCount = std::uint16_t(count + 1);
}

void RemoveBookmark() {
    LessonNumber* list = AppState.BookmarkList;
    if (list == nullptr) return;
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < AppState.BookmarkCount; ++i) {
        if (list[i] != AppState.Lesson) list[kept++] = list[i];
    }
    list[kept] = 0;
    AppState.BookmarkCount = std::uint16_t(kept);
}

void ToggleBookmark(int isMarked) {
    if (!isMarked) {
        AddBookmark();
        return;
    }
    if (AppState.BookmarkPromptFlags & kDontAsk) {
        RemoveBookmark();
        return;
    }
    const int answer = plat::MessageBox(AppState.MainWindow,
                                        u"Remove Bookmark?\n\nCancel - Don't ask again",
                                        u"Bookmark", MB_YESNOCANCEL);
    if (answer == IDYES) {
        RemoveBookmark();
    } else if (answer == IDCANCEL) {
        AppState.BookmarkPromptFlags |= kDontAsk;
        RemoveBookmark();
    }
}

void UpdateBookmarkCheck(int setMode) {
    SetMenuCheck(MenuForChecks(), setMode, Command::Bookmark, IsBookmarked());
}
