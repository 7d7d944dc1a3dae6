// Searching the whole book for a short pattern of stored bytes.
//
// A pattern holds up to 33 codes in the stored order of the article text:
// letters 0x61..0x7B, the space (which also finds the no-break space that
// joins the words of a Latin run), and two wildcards: "?" stands for any one
// byte, "*" for any run of bytes inside one record. A search continues from
// what the reader looks at: the rest of the shown article, every other lesson
// in turn (262 wraps to 1), then the shown article from its start. The first
// hit opens its article when needed, comes to the top of the page, is
// highlighted, and the article's title is shown in a banner.
#pragma once

#include <cstdint>

#include "platform/types.h"

struct ArticleView;

constexpr int kSearchPatternCapacity = 34;  // 33 codes and the NUL
constexpr int kSearchPatternMaxLength = kSearchPatternCapacity - 1;
constexpr std::uint8_t kAnyByte = '?';
constexpr std::uint8_t kAnyRun = '*';

// Runs the search with AppState.SearchString. 1 when a hit was found and
// shown; 0 for an empty pattern, without a view, or when nothing was found
// (then the message box "Not Found!" has been shown, owned by `owner`).
int SearchAgain(plat::Window owner);

// Offset in the shown article from which the search goes on: the end of the
// top line when the page moved away from the last hit, else just before the
// hit (65535 when there is none).
std::uint16_t SearchStartOffset();

// Offset of the last byte of the first hit of AppState.SearchString at or
// after `start` in a stream of `length` readable bytes, and the hit's length
// in *hitLength; 0 when there is no hit. The record holding `start` is
// scanned from `start` toward its beginning, each later record from its end.
std::uint16_t FindInArticle(const std::uint8_t* text, std::uint32_t length, std::uint16_t start,
                            int* hitLength);
// The same with an explicit pattern (NUL-terminated).
std::uint16_t FindPatternInArticle(const std::uint8_t* text, std::uint32_t length,
                                   std::uint16_t start, const std::uint8_t* pattern,
                                   int* hitLength);

// The nearest hit of `pattern` (`patternLength` bytes) that ends at or before
// `data` and lies wholly within [begin, data]: its last byte, its length in
// *hitLength; nullptr when there is none. The pattern's last byte is always
// compared exactly.
const std::uint8_t* MatchBackward(const std::uint8_t* begin, const std::uint8_t* pattern,
                                  int patternLength, const std::uint8_t* data, int* hitLength);

// Shows a hit ending at stream offset `last`: its line at the top of the
// page, the page painted with the hit highlighted, then the title banner.
void ShowSearchHit(ArticleView* view, std::uint16_t last, int hitLength);

// Draws the article's title and subtitle, red on yellow inside a red, white
// and blue frame, at the bottom of the view. Lasts until the next paint.
void ShowTitleBanner(ArticleView* view);
