// Display text: stored 8-bit article text turned into UTF-16 for the chosen
// font, and the four text primitives every painter of the program uses
// (measure, draw, draw in colours, fill a box).
//
// Stored text is in the book's letter code, and a font carries its Hebrew
// letters at one of three letter bases (format/book_format.h).
#pragma once

#include <cstdint>

#include "format/book_format.h"
#include "platform/types.h"

// The scratch through which conversions are made. `buffer` holds
// `capacity` + 1 units; it grows to the largest count ever converted and is
// never shrunk. The text a conversion returns stays valid until the next
// conversion through the same scratch.
struct DisplayTextBuffer {
    char16_t* buffer;
    std::int32_t capacity;    // characters, terminator not counted; 0 without buffer
    std::int32_t letterBase;  // next conversion: 97 identity, 0 the font's base,
                              // else the code point stored byte 0x61 becomes
};

// The shared scratch of every text painter. Starts with no buffer,
// capacity 0 and letter base 97.
extern DisplayTextBuffer TextBuffer;

// A rectangle given by its corner and size.
struct ViewBox {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

// Converts at most `count` stored bytes (fewer when a NUL comes first).
// With a scratch the result is the scratch's buffer and the letter base is
// the scratch's (its 0 meaning the current font's); without one the result
// is a new block of count + 1 units the caller frees with plat::Free, and the
// letter base is the current font's. Under any base other than 97 and with
// the Reverse flag set, the characters come out in reverse order with their
// brackets exchanged. `releaseAfter`, when given, is freed. Returns nullptr
// when memory runs out (a scratch then keeps no buffer).
char16_t* ConvertToDisplayText(const std::uint8_t* bytes, char16_t* releaseAfter,
                               DisplayTextBuffer* scratch, int count);

// Reverses `count` characters in place, exchanging ( ), [ ] and { } for
// their partners. Returns 0, or 1 when memory runs out (text unchanged).
int ReverseDisplayText(char16_t* text, int count);

// Measures stored text through TextBuffer, always in storage order (Reverse
// is suspended for the call). On entry *count is the number of bytes and
// *maxWidth the room in pixels; on return *count is how many leading
// characters fit and *maxWidth their width. Returns 0, or -2 when the
// conversion ran out of memory (then both become 0).
int MeasureText(plat::Dc dc, const std::uint8_t* bytes, int* maxWidth, int* count);

// Width and height of exactly `count` stored bytes, in storage order like
// MeasureText. Returns 0, or -2 when the conversion ran out of memory (then
// the size is 0 x 0).
int MeasureTextExtent(plat::Dc dc, const std::uint8_t* bytes, int count, plat::Size* extent);

// Draws `count` stored bytes centred in the box from (x, y) to
// (x + width, y + height), single line and clipped to the box, with the
// context's font, colours and background mode. Draws nothing when the
// conversion runs out of memory.
void DrawTextRun(plat::Dc dc, const std::uint8_t* bytes, int count, int x, int y, int width,
                 int height);

// DrawTextRun in the given text and background colours (0x00BBGGRR); the
// context's colours are restored afterwards (background first).
void DrawTextRunInColours(plat::Dc dc, const std::uint8_t* bytes, int count, int x, int y,
                          int width, int height, plat::Colour textColour,
                          plat::Colour backColour);

// Fills the box with a stock brush (WHITE_BRUSH .. NULL_BRUSH).
void FillViewBox(plat::Dc dc, const ViewBox& box, int stockBrush);

// The format DrawTextRun hands to the platform: centred both ways, single
// line, no prefix processing.
constexpr std::uint32_t kTextRunFormat = 0x825;
