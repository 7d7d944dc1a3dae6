// Turning source text (UTF-8, reading order) into the book's 8-bit code.
//
// Right-to-left text: the Hebrew letters U+05D0-U+05EA are 0x61-0x7B, so
// lower-case Latin letters cannot be held; '{' is written as 0x7E and '~'
// cannot be held. The text is put into visual order (the order it is drawn
// in, left to right) by the Unicode bidi algorithm at right-to-left
// paragraph level, brackets mirrored. Left-to-right text is Latin-1 as it
// is, and cannot hold Hebrew letters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/bookc/diagnostics.h"

namespace bookc {

struct SourceChar {
    char32_t code;
    int column;  // 1-based, in characters of the source line
};

// Decodes UTF-8; an invalid sequence is reported and skipped.
std::vector<SourceChar> DecodeUtf8(std::string_view text, int firstColumn, const SourceSpot& spot,
                                   Diagnostics& diagnostics);

enum class Direction { RightToLeft, LeftToRight };

// Encodes text for a record of the given direction. Characters that cannot
// be held are errors at their column; Hebrew points and cantillation marks
// are dropped with a warning (an error when diagnostics are strict).
// Returns false when anything was an error.
bool EncodeText(const std::vector<SourceChar>& text, Direction direction, const SourceSpot& spot,
                Diagnostics& diagnostics, std::string* bytes);

}  // namespace bookc
