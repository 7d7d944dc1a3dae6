#include "view/line_record.h"

#include <cstring>

namespace {

std::uint8_t ByteAt(const std::uint8_t* stream, std::uint32_t length, std::uint32_t at) {
    return at < length ? stream[at] : 0;
}

}  // namespace

std::uint32_t FindTextEnd(const std::uint8_t* stream, std::uint32_t length, std::uint32_t from) {
    if (from >= length) {
        return length;
    }
    const void* nul = std::memchr(stream + from, 0, length - from);
    return nul != nullptr ? std::uint32_t(static_cast<const std::uint8_t*>(nul) - stream) : length;
}

bool ReadLineRecord(const std::uint8_t* stream, std::uint32_t length, std::uint32_t offset,
                    LineRecordInfo* record) {
    *record = LineRecordInfo{};
    record->kind = LineRecordKind::End;
    record->offset = offset;
    record->next = offset;
    if (stream == nullptr || offset >= length || stream[offset] == 0) {
        return false;
    }
    const std::uint8_t flags = stream[offset];
    const std::uint8_t layout = ByteAt(stream, length, offset + 1);
    const std::uint8_t third = ByteAt(stream, length, offset + 2);
    record->flags = flags;
    record->layout = layout;
    record->textStart = offset + 2;

    std::uint32_t textStart = offset + 2;
    if ((flags & kStyleMask) != kSpecialStyle) {
        record->kind = LineRecordKind::Text;
    } else if (layout == 0 || third == 0) {
        record->kind = layout == 0 ? LineRecordKind::Empty : LineRecordKind::Separator;
        record->next = offset + 3 < length ? offset + 3 : length;
        return true;
    } else {
        record->kind = LineRecordKind::Link;
        std::uint16_t number = third & 0x7F;
        const std::uint8_t fourth = ByteAt(stream, length, offset + 3);
        if ((fourth & 0x80) != 0) {
            number = std::uint16_t(number | ((fourth & 0x7F) << 7));
            textStart = offset + 4;
        } else {
            textStart = offset + 3;
        }
        record->linkNumber = number;
    }
    if (textStart > length) {
        textStart = length;
    }
    const std::uint32_t end = FindTextEnd(stream, length, textStart);
    record->textStart = textStart;
    record->textLength = end - textStart;
    record->next = end < length ? end + 1 : length;
    return true;
}
