// The Rich Text document that Copy and Append to ClipBoard put on the
// clipboard: a right-to-left document in a Hebrew font, with a red centred
// line of asterisks between appended articles.
#pragma once

#include <cstdint>

// The fixed pieces, byte for byte.
extern const char kRtfHeader[];     // 180 bytes, ends in CR LF
extern const char kRtfSeparator[];  // 52 bytes
extern const char kRtfLineBreak[];  // "\par\par" CR LF
extern const char kRtfClosing[];    // "}" CR LF

// Writes the body of the document for the zero-terminated UTF-16 `text`:
//   a run of k spaces: k spaces, one more after a "\u" escape (that one is
//     the escape's delimiter and is not read as text);
//   0x21..0x7E: itself, except "\", "{" and "}", written "\\", "\{", "\}";
//     a digit or letter directly after a "\u" escape gets a delimiting
//     space first, so it is not read as part of the escape;
//   a run of CR and LF in any mix: "\par\par" CR LF once;
//   any other character: "\u" and its value in decimal (values above
//     32767 as the negative 16-bit number, as Rich Text wants);
// and "\par\par" CR LF after the text. With `out` the body and a zero go
// there; without, nothing is written. Both return the body's length, the
// zero not counted, and always the same length for the same text.
std::uint32_t WriteRtfBody(const char16_t* text, char* out);

// What an append finds on the clipboard in the Rich Text format.
struct PreviousRtf {
    const std::uint8_t* bytes;  // none when there is no document to join
    std::uint32_t length;       // kept bytes: trailing blanks and one "}" dropped
    bool foreign;               // not one of this program's exports
};

// Looks at `size` bytes of clipboard data: the bytes up to the first zero
// (never past `size`). Data that does not start as a Rich Text document
// ("{\rtf") gives no document: the export then starts a new one.
PreviousRtf ExaminePreviousRtf(const std::uint8_t* data, std::uint32_t size);

// Length of the document made of the previous one (or the header) and a
// body of `bodyLength` bytes, the terminating zero not counted.
std::uint32_t RtfDocumentLength(const PreviousRtf& previous, std::uint32_t bodyLength);

// Writes that document and a zero into `out` (RtfDocumentLength + 1
// bytes): the header, or the previous document followed by the separator;
// then the body and the closing "}" CR LF. After another program's document
// the separator is followed by "\pard\rtlpar\qr\uc0" CR LF, so the body
// reads as right-to-left paragraphs without fallback characters whatever
// that document set.
void WriteRtfDocument(char* out, const PreviousRtf& previous, const char* body,
                      std::uint32_t bodyLength);
