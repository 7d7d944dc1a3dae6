#include "format/book_format.h"

#include <cstring>

namespace {

std::uint8_t ByteAt(const std::uint8_t* stream, std::uint32_t length, std::uint32_t at) {
    return at < length ? stream[at] : 0;
}

}  // namespace

void WriteContainerHeader(std::uint8_t* header, std::uint16_t compressedLength, std::uint16_t textLength) {
    const std::uint32_t remainder = std::uint32_t(compressedLength) + (kContainerStreamAt - kContainerLeadSize) +
                                    kContainerTrailerSize;
    WriteBig16(header + kContainerRemainderAt, remainder);
    WriteBig16(header + 2, textLength);
    WriteBig16(header + 4, textLength);
    WriteBig16(header + kContainerCompressedAt, compressedLength);
    WriteBig16(header + kContainerTextLengthAt, textLength);
}

bool ReadContainerHeader(const std::uint8_t* bytes, std::uint32_t size, ContainerHeader* header) {
    *header = ContainerHeader{};
    if (bytes == nullptr || size <= kContainerStreamAt) {
        return false;
    }
    header->remainder = ReadBig16(bytes + kContainerRemainderAt);
    header->compressedLength = ReadBig16(bytes + kContainerCompressedAt);
    header->textLength = ReadBig16(bytes + kContainerTextLengthAt);
    const std::uint32_t lengthsSize = kContainerStreamAt - kContainerCompressedAt;
    return header->remainder <= size - kContainerLeadSize && header->remainder >= kContainerMinRemainder &&
           header->compressedLength != 0 && header->compressedLength <= header->remainder - lengthsSize &&
           header->textLength != 0;
}

int SeparatorWidth(std::uint8_t layout, int viewWidth) {
    const int b = layout;
    const int width = b <= kSeparatorPixelMax ? b : ((b - kSeparatorPixelMax) * viewWidth * 2) / 100;
    return width > viewWidth ? viewWidth : width;
}

int EncodeLinkNumber(std::uint16_t number, std::uint8_t captionFirst, std::uint8_t* out) {
    if (number <= 0x7F && (captionFirst & kLinkHighByteMark) == 0) {
        out[0] = std::uint8_t(number);
        return 1;
    }
    // The first byte carries bit 7 too, so it is never 0 (a separator).
    out[0] = std::uint8_t(kLinkHighByteMark | (number & 0x7F));
    out[1] = std::uint8_t(kLinkHighByteMark | ((number >> 7) & 0x7F));
    return 2;
}

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
        std::uint32_t size = 0;
        record->linkNumber = DecodeLinkNumber(third, ByteAt(stream, length, offset + 3), &size);
        textStart = offset + 2 + size;
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
