// The article as plain lines of UTF-16 text, the first step of Copy and
// Append to ClipBoard.
//
// Each record becomes one line ended by CR LF, and a second CR LF when the
// record has a blank line after it:
//   separator, link or empty record: as many "-" as its layout byte gives
//     (b for b <= 160, else (b - 160) x 2), its caption not exported;
//   left-to-right text: its indent as spaces, then the text;
//   right-to-left text: the text mapped through the font's letter base, then
//     its indent as spaces. When the line comes out reversed (any letter
//     base but 97 with the Reverse flag set) it is put into reading order,
//     numbers and Latin words keeping their own order.
#pragma once

#include <cstdint>

// Size in bytes of a buffer that always holds the decoded text of the
// stream (its first `length` bytes at most, up to its end mark):
// (L + L / 2 + 2 x lines + dashes + indents + 1) x 2.
std::uint32_t ExportBufferSize(const std::uint8_t* stream, std::uint32_t length);

// Decodes the stream into `buffer` of `size` bytes, zero-terminated.
// Returns 0; 1 when the text does not fit (the message box
// "(obuf > (start + size))" is shown and nothing past the buffer is
// written) or when the conversion ran out of memory.
int DecodeArticleText(const std::uint8_t* stream, std::uint32_t length, char16_t* buffer,
                      std::uint32_t size);
