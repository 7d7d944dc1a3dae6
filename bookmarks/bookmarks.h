// Bookmarks: the marked lessons (AppState.BookmarkList, in the order they
// were marked, then a 0), their registry value "Bookmarks" (REG_BINARY:
// the lessons as 16-bit little-endian numbers, then a 0), the Bookmark
// command, the Bookmark menu item's check mark, and the Bookmarks section
// put in front of the index each time the index opens.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "format/book_format.h"

// Reads "Bookmarks" (start-up). Entries are read up to the first 0 or the
// end of the value, whichever comes first; a missing value is no marks.
void LoadBookmarks();
// Writes "Bookmarks" (exit): the marks and a 0, or a single 0.
void SaveBookmarks();
void FreeBookmarks();

// 1 when the current lesson is marked.
int IsBookmarked();
// Marks the current lesson unless it is marked already.
void AddBookmark();
// Removes every mark of the current lesson.
void RemoveBookmark();
// Marks the current lesson, or (marked) asks "Remove Bookmark?" and
// removes it: Yes removes, No keeps, Cancel removes and stops asking until
// the program ends.
void ToggleBookmark(int isMarked);
// Sets (set mode) the Bookmark item's check mark to IsBookmarked.
void UpdateBookmarkCheck(int setMode);

// Id of the Bookmarks heading.
constexpr std::uint16_t kBookmarkSectionId = kSectionBit | kBookmarkSectionKey;

// The index data with the Bookmarks section in front when there are marks.
// Takes ownership of `data` (of `*length` readable bytes) and returns the
// stream to use, with its length in `*length`.
std::uint8_t* PrependBookmarkSection(std::uint8_t* data, std::uint32_t* length);
// The section alone as a new stream (ended by five zero bytes), or none.
std::uint8_t* BuildBookmarkSection(const std::uint8_t* data, std::uint32_t length,
                                   std::uint32_t* sectionLength);
// One new stream holding the records of `first`, then those of `second`;
// both are released. When one is none, the other is returned as it is.
std::uint8_t* AppendIndexStream(std::uint8_t* first, std::uint32_t firstLength,
                                std::uint8_t* second, std::uint32_t secondLength,
                                std::uint32_t* length);
