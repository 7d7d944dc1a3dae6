// The index stream: a sequence of records, each
//   0  id, 16-bit little-endian: bit 15 a section heading that opens and
//      closes, bit 14 an article entry, bits 0-13 the lesson number of an
//      article entry or the section's own number
//   2  flags: bits 0-4 the style key, bit 6 open (headings), bit 7 shown
//      when the index opens
//   3  level of indentation
//   4  text in the book's letter code, in display order, then a NUL
// ending at the first record whose flags byte is 0 (writers end a stream
// with five zero bytes). Offsets into a stream are 16-bit.
#pragma once

#include <cstdint>

namespace IndexBits {
constexpr std::uint16_t Section = 0x8000;
constexpr std::uint16_t Article = 0x4000;
constexpr std::uint16_t KeyMask = 0x3FFF;
constexpr std::uint8_t StyleMask = 0x1F;
constexpr std::uint8_t Expanded = 0x40;
constexpr std::uint8_t Visible = 0x80;
}  // namespace IndexBits

// Bytes of a record besides its text: the header and the NUL.
constexpr std::uint32_t kIndexRecordOverhead = 5;
// The five zero bytes that end a stream.
constexpr std::uint32_t kIndexTerminatorSize = 5;
// A stream, its terminator included, stays below this many bytes.
constexpr std::uint32_t kIndexStreamLimit = 0x10000;

struct IndexRecordRef {
    std::uint16_t offset;      // of the record
    std::uint16_t id;
    std::uint8_t flags;
    std::uint8_t level;
    std::uint16_t textOffset;  // offset + 4
    std::uint16_t textLength;  // bytes before the NUL
};

// Reads the record at `offset` of a stream of which `length` bytes may be
// read. False at the end of the stream: a flags byte of 0, or a record that
// does not lie whole (NUL included) inside the readable bytes and below the
// 16-bit offset limit.
bool ReadIndexRecord(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                     IndexRecordRef* record);

// Offset of the record after this one.
inline std::uint32_t NextIndexRecord(const IndexRecordRef& record) {
    return std::uint32_t(record.textOffset) + record.textLength + 1;
}

// Bytes of the whole records of a stream, its terminator not counted.
std::uint32_t IndexRecordsSize(const std::uint8_t* data, std::uint32_t length);
