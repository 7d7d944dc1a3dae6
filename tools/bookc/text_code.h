// Turning source text (UTF-8, reading order) into the book's 8-bit code.
//
// Right-to-left text: the Hebrew letters U+05D0-U+05EA are 0x61-0x7B, so
// lower-case Latin letters cannot be held; '{' is written as 0x7E and '~'
// cannot be held. The text is put into visual order (the order it is drawn
// in, left to right) by the Unicode bidi algorithm at right-to-left
// paragraph level, brackets mirrored. Left-to-right text is Latin-1 as it
// is, and cannot hold Hebrew letters.
//
// Inside right-to-left text, a stretch that the bidi algorithm sets left to
// right (Latin words, numbers, an embedding) is drawn as one block. The
// reader breaks lines at spaces in reading order and draws each line as one
// stretch of the stored bytes, so a break inside such a block would show its
// words in the wrong order. The spaces inside it are therefore stored as
// no-break spaces (0xA0), which the reader never breaks at and draws as
// spaces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "format/book_format.h"
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

// A left-to-right stretch inside right-to-left text. A line can still be
// cut inside it where a word is wider than the line, or after a hyphen, and
// it then reads out of order.
struct EmbeddedRun {
    int column = 0;        // source column of its first character in reading order
    int length = 0;        // characters stored
    int hyphenColumn = 0;  // source column of a hyphen inside it, 0 when none
    std::string text;      // as written, UTF-8, for messages
};

// Encodes text for a record of the given direction. Characters that cannot
// be held are errors at their column; Hebrew points and cantillation marks
// are dropped with a warning (an error when diagnostics are strict).
// Right-to-left text gets its embedded left-to-right stretches joined with
// no-break spaces; `runs`, when given, receives them in reading order.
// Returns false when anything was an error.
bool EncodeText(const std::vector<SourceChar>& text, Direction direction, const SourceSpot& spot,
                Diagnostics& diagnostics, std::string* bytes, std::vector<EmbeddedRun>* runs = nullptr);

}  // namespace bookc
