// The one global record of the running program, the shell globals beside it,
// the option bits of its Flags word, and allocation that ends the program
// when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/book_format.h"
#include "platform/resources.h"
#include "platform/types.h"

struct ArticleView;

using LessonNumber = std::uint16_t;
constexpr LessonNumber kFirstLesson = 1;
constexpr LessonNumber kLastLesson = 262;
// The index is read through the article store as lesson kIndexLesson
// (format/book_format.h).

struct FontDescription {
    char16_t FontName[32];
    std::int32_t FontSize;       // 0 = default
    std::int32_t FontAsciiBase;  // 97, 224 or 1488
};

struct ApplicationState {
    const plat::Module* Instance;
    FontDescription Font;
    std::uint16_t LastPosition;
    std::uint32_t Flags;
    LessonNumber Lesson;
    std::uint8_t SearchString[34];
    ArticleView* View;
    std::int32_t MenuBarOnBottom;
    std::int32_t MenuBarHeight;
    std::int32_t SurroundingGutter;
    plat::Window MenuBar;
    plat::Window MainWindow;
    plat::Bitmap OutlineBitmaps[3];
    LessonNumber PreviousLesson;
    std::uint16_t PreviousPosition;
    std::uint16_t BookmarkCount;
    LessonNumber* BookmarkList;
    std::uint16_t BookmarkPromptFlags;
    std::int32_t TodayRequested;
};

extern ApplicationState AppState;

// Shell globals, not cleared with AppState.
extern std::int32_t FullScreen;
extern std::int32_t IgnoreActivate;
extern std::int32_t AllowSipInHebrewSearch;  // starts as 1
extern plat::Window TaskBarWindow;
extern plat::Font AboutLinkFont;

// Bits of AppState.Flags.
namespace AppFlags {
constexpr std::uint32_t LessonPinned = 0x00000004;
constexpr std::uint32_t ScrollBarShown = 0x000000C0;
constexpr std::uint32_t Reverse = 0x00000800;
constexpr std::uint32_t KeyPageMode = 0x00700000;
constexpr int KeyPageModeShift = 20;
constexpr std::uint32_t TapPageMode = 0x07000000;
constexpr int TapPageModeShift = 24;
constexpr std::uint32_t TapSplitTopBottom = 0x10000000;
constexpr std::uint32_t TapPaging = 0x80000000;
constexpr std::uint32_t Default = 0xD1140040;
}  // namespace AppFlags

// Clears AppState (the first step of the entry point).
void ClearAppState();

// Allocates n bytes. When memory runs out: the message "There is not enough
// memory, aborting" (caption "Error"), the settings saved, the quit message
// posted, and nullptr returned; the caller abandons its operation.
void* AllocateOrAbort(std::size_t n);
