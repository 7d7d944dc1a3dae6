// Reading order for exported right-to-left text.
//
// Right-to-left paragraphs are stored in visual order: the book compiler ran
// the bidi algorithm over the paragraph at right-to-left level, so the
// paragraph as a whole is reversed while numbers and Latin words inside it
// (with what binds them: a decimal point, a hyphen between digits, the
// no-break space or space between the words of a Latin name, brackets
// around a Latin phrase) keep their own left-to-right order, and brackets in
// the right-to-left stretches are mirrored.
//
// Turning such a line back into reading order therefore reverses the whole
// line, un-mirroring its brackets, and then puts each left-to-right run back
// into its own order. The runs are found from the stored bytes with the
// rules of the bidi algorithm that matter for this code (weak types, neutral
// resolution, bracket pairs): guessed from the visual order, then settled by
// reading the line in the order the guess gives until the rules, applied in
// that reading order, find the same runs again. Such a reading, stored again
// by the book compiler, gives back exactly the stored line.
#pragma once

#include <cstdint>

// `text` holds `count` characters converted one for one from `stored` (a
// right-to-left record's bytes in storage order, in the book's letter
// code). Rearranges `text` in place into reading order. Reads no more
// than `count` stored bytes. Returns 0, or -2 when its working memory could
// not be had (the line is then simply reversed, brackets exchanged).
int PutIntoReadingOrder(char16_t* text, const std::uint8_t* stored, int count);

// The left-to-right runs of a stored right-to-left line: marks[i] becomes 1
// for every byte of `stored` (visual order) that belongs to a left-to-right
// run, else 0. Returns 0, or -2 when working memory could not be had (the
// marks are then a first guess from the visual order alone).
int MarkLeftToRightRuns(const std::uint8_t* stored, int count, std::uint8_t* marks);

// The other way: `reading` (a right-to-left line in reading order, in the
// book's letter code) as the book compiler stores it, into `stored`
// (`count` bytes; not `reading`). Returns 0, or -2 when working memory
// could not be had (the line is then simply reversed, brackets exchanged).
int PutIntoStoredOrder(const std::uint8_t* reading, int count, std::uint8_t* stored);
