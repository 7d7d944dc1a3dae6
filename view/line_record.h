// The article stream: a run of line records, one paragraph, separator or link
// each, ended by a record whose flag byte is 0.
//
//   offset 0  flag byte    bits 0-2 style (7 = special record), 3 bold,
//                          4 right-to-left, 5-6 alignment, 7 blank line after
//   offset 1  layout byte  text: bits 0-5 indent, 6-7 hanging label code;
//                          special: 0 empty record, else separator width or
//                          (for a link) any non-zero value
//   offset 2  text bytes and NUL; or NUL (separator, empty record); or link
//             number bytes, caption and NUL
//
// Right-to-left paragraphs are stored in visual order. Offsets into a stream
// are 16-bit, so a stream is shorter than 65,536 bytes.
//
// Everything here reads a stream within a known length and never past it: a
// byte beyond the end reads as 0, so a stream cut short simply ends where its
// bytes do.
#pragma once

#include <cstdint>

// Flag byte.
constexpr std::uint8_t kStyleMask = 0x07;
constexpr std::uint8_t kSpecialStyle = 0x07;
constexpr std::uint8_t kStyleSmall = 0x02;
constexpr std::uint8_t kStyleLarge = 0x04;
constexpr std::uint8_t kStyleBold = 0x08;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kAlignMask = 0x60;
constexpr std::uint8_t kAlignRight = 0x20;
constexpr std::uint8_t kAlignCentre = 0x40;
constexpr std::uint8_t kBlankLineAfter = 0x80;
constexpr std::uint8_t kStyleKeyMask = 0x1F;

// Layout byte of a text record.
constexpr std::uint8_t kIndentMask = 0x3F;
constexpr int kLabelShift = 6;

// Link numbers.
constexpr std::uint16_t kBackLink = 0x3FFF;

// Widest stream the view addresses.
constexpr std::uint32_t kMaxStreamLength = 0xFFFF;

enum class LineRecordKind : std::uint8_t {
    End,        // flag byte 0, or no bytes left
    Text,       // paragraph (possibly with empty text)
    Empty,      // special record with layout byte 0
    Separator,  // special record with a NUL at offset 2
    Link,       // special record with a number; number 0 shows nothing
};

struct LineRecordInfo {
    LineRecordKind kind;
    std::uint8_t flags;
    std::uint8_t layout;
    std::uint16_t linkNumber;  // Link only
    std::uint32_t offset;      // of the flag byte
    std::uint32_t textStart;   // text, or a link's caption; for others offset + 2
    std::uint32_t textLength;  // bytes before the NUL (or before the stream's end)
    std::uint32_t next;        // offset of the following record
};

// Reads the record at `offset` of a stream of `length` readable bytes.
// Returns false (kind End) at the end mark or when no bytes are left.
bool ReadLineRecord(const std::uint8_t* stream, std::uint32_t length, std::uint32_t offset,
                    LineRecordInfo* record);

// Offset of the first NUL at or after `from`, or `length` when there is none.
std::uint32_t FindTextEnd(const std::uint8_t* stream, std::uint32_t length, std::uint32_t from);
