#include "index/index_stream.h"

bool ReadIndexRecord(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                     IndexRecordRef* record) {
    if (data == nullptr) return false;
    if (length > kIndexStreamLimit) length = kIndexStreamLimit;
    if (offset >= length || length - offset < kIndexRecordOverhead) return false;
    const std::uint8_t flags = data[offset + 2];
    if (flags == 0) return false;
    const std::uint32_t text = offset + 4;
    std::uint32_t end = text;
    while (end < length && data[end] != 0) ++end;
    if (end >= length) return false;  // no NUL inside the readable bytes
    record->offset = std::uint16_t(offset);
    record->id = std::uint16_t(data[offset] | (data[offset + 1] << 8));
    record->flags = flags;
    record->level = data[offset + 3];
    record->textOffset = std::uint16_t(text);
    record->textLength = std::uint16_t(end - text);
    return true;
}

std::uint32_t IndexRecordsSize(const std::uint8_t* data, std::uint32_t length) {
    std::uint32_t offset = 0;
    IndexRecordRef record;
    while (ReadIndexRecord(data, length, offset, &record)) offset = NextIndexRecord(record);
    return offset;
}
