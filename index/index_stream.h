// Reading the records of an index stream (its format: format/book_format.h)
// without ever reading past the bytes a caller says may be read.
#pragma once

#include <cstdint>

#include "format/book_format.h"

// Bytes of a record besides its text: the header and the NUL.
constexpr std::uint32_t kIndexRecordOverhead = 5;
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
