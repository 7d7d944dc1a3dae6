#include "index/index_stream.h"

bool ReadIndexRecord(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                     IndexRecordRef* record) {
    if (data == nullptr) return false;
    if (length > kIndexStreamLimit) length = kIndexStreamLimit;
    if (offset >= length || length - offset < kIndexRecordOverhead) return false;
    const std::uint8_t flags = data[offset + kIndexFlagsAt];
    if (flags == 0) return false;
    const std::uint32_t text = offset + kIndexTextAt;
    std::uint32_t end = text;
    while (end < length && data[end] != 0) ++end;
    if (end >= length) return false;  // no NUL inside the readable bytes
    record->offset = std::uint16_t(offset);
    record->id = ReadIndexId(data + offset);
    record->flags = flags;
    record->level = data[offset + kIndexLevelAt];
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
