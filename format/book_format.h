// The book's byte formats, defined once: the article container, the line
// records of an article stream with their link numbers, the index records and
// the 8-bit letter code of stored text. The reader, the dump listing and the
// book compiler all read and write through these names; nothing else spells
// the numbers. Standard C++ only, no state.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Resources and the article container
//
// Lesson n is the resource kArticleResourceBase + n; the index is resource
// kIndexResourceId, read through the article store as lesson kIndexLesson.
// Container (big-endian 16-bit numbers):
//   0  remainder length: resource size - 6
//   2  not read (the text length, by the book compiler)
//   4  not read (the text length, by the book compiler)
//   6  compressed length
//   8  text length, without the terminating NUL
//  10  compressed stream (PalmDOC), then 4 bytes not read

constexpr int kArticleResourceBase = 1000;
constexpr std::uint16_t kIndexResourceId = 32767;
constexpr std::uint16_t kIndexLesson = kIndexResourceId - kArticleResourceBase;

constexpr std::size_t kContainerRemainderAt = 0;
constexpr std::size_t kContainerCompressedAt = 6;
constexpr std::size_t kContainerTextLengthAt = 8;
constexpr std::size_t kContainerStreamAt = 10;
constexpr std::size_t kContainerTrailerSize = 4;
// Bytes before the part the remainder length counts.
constexpr std::size_t kContainerLeadSize = 6;
// A remainder shorter than this holds no stream.
constexpr std::uint32_t kContainerMinRemainder = 5;

inline std::uint32_t ReadBig16(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }

inline void WriteBig16(std::uint8_t* p, std::uint32_t value) {
    p[0] = std::uint8_t(value >> 8);
    p[1] = std::uint8_t(value & 0xFF);
}

// Fills the kContainerStreamAt header bytes of a container whose compressed
// stream is `compressedLength` bytes and whose text is `textLength` bytes.
void WriteContainerHeader(std::uint8_t* header, std::uint16_t compressedLength, std::uint16_t textLength);

struct ContainerHeader {
    std::uint32_t remainder;
    std::uint32_t compressedLength;
    std::uint32_t textLength;
};

// Reads the header of a container of `size` bytes and checks that the
// compressed stream lies inside it and that there is text to decode.
bool ReadContainerHeader(const std::uint8_t* bytes, std::uint32_t size, ContainerHeader* header);

// ---------------------------------------------------------------------------
// Article stream: a run of line records, one paragraph, separator or link
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

// Flag byte.
constexpr std::uint8_t kStyleMask = 0x07;
constexpr std::uint8_t kSpecialStyle = 0x07;
constexpr std::uint8_t kStyleNormal = 0x01;
constexpr std::uint8_t kStyleSmall = 0x02;
constexpr std::uint8_t kStyleLarge = 0x04;
constexpr std::uint8_t kStyleBold = 0x08;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kAlignMask = 0x60;
constexpr std::uint8_t kAlignLeft = 0x00;
constexpr std::uint8_t kAlignRight = 0x20;
constexpr std::uint8_t kAlignCentre = 0x40;
constexpr std::uint8_t kBlankLineAfter = 0x80;
// The bits that choose a record's font and colour.
constexpr std::uint8_t kStyleKeyMask = 0x1F;

// Titles and subtitles are known by these exact flag bytes (with or
// without kRightToLeft): a title is the first record, a subtitle the one
// right after it (or the first).
constexpr std::uint8_t kTitleFlags = kBlankLineAfter | kAlignCentre | kStyleBold | kStyleLarge;
constexpr std::uint8_t kSubtitleFlags = kBlankLineAfter | kAlignCentre | kStyleNormal;

// Layout byte of a text record.
constexpr std::uint8_t kIndentMask = 0x3F;
constexpr int kLabelShift = 6;
constexpr int kMaxLabelCode = 3;

// Layout byte of a separator: up to this many pixels it is the width itself;
// above, (byte - kSeparatorPixelMax) * 2 percent of the view's width.
constexpr int kSeparatorPixelMax = 160;

// Pixel width of a separator with this layout byte in a view `viewWidth`
// pixels wide (never wider than the view).
int SeparatorWidth(std::uint8_t layout, int viewWidth);

// The layout byte for a separator `percent` percent wide (even, 2 to 190).
constexpr std::uint8_t SeparatorPercentLayout(int percent) {
    return std::uint8_t(kSeparatorPixelMax + percent / 2);
}

// Link numbers: 14 bits in one or two bytes at offset 2. The first byte
// gives bits 0-6; a second byte with bit 7 set gives bits 7-13, and the
// caption follows it; otherwise the caption starts at the second byte.
constexpr std::uint16_t kBackLink = 0x3FFF;   // returns to the previous article
constexpr std::uint16_t kMaxLinkNumber = 0x3FFF;
constexpr std::uint8_t kLinkHighByteMark = 0x80;

// Number of a link whose number bytes are `first` and `second`; *size, when
// given, receives how many bytes the number takes (1 or 2).
inline std::uint16_t DecodeLinkNumber(std::uint8_t first, std::uint8_t second, std::uint32_t* size) {
    std::uint16_t number = first & 0x7F;
    std::uint32_t used = 1;
    if ((second & kLinkHighByteMark) != 0) {
        number = std::uint16_t(number | ((second & 0x7F) << 7));
        used = 2;
    }
    if (size != nullptr) {
        *size = used;
    }
    return number;
}

// Writes the number bytes of a link to `number` (1 to kMaxLinkNumber) whose
// caption begins with `captionFirst` into out[0..1]; returns how many. Two
// bytes are used whenever one would be misread: a number above 0x7F, or a
// caption whose first byte has bit 7 set.
int EncodeLinkNumber(std::uint16_t number, std::uint8_t captionFirst, std::uint8_t* out);

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

// Reads the record at `offset` of a stream of `length` readable bytes; a
// byte beyond the end reads as 0, so a stream cut short ends where its bytes
// do. Returns false (kind End) at the end mark or when no bytes are left.
bool ReadLineRecord(const std::uint8_t* stream, std::uint32_t length, std::uint32_t offset,
                    LineRecordInfo* record);

// Offset of the first NUL at or after `from`, or `length` when there is none.
std::uint32_t FindTextEnd(const std::uint8_t* stream, std::uint32_t length, std::uint32_t from);

// ---------------------------------------------------------------------------
// Index stream: a run of index records ended by one whose flags byte is 0
// (a writer ends it with kIndexEndMarkSize zero bytes).
//
//   offset 0  id, 16-bit little-endian: kSectionBit, kArticleBit, entry key
//   offset 2  flags: style key, kExpandedBit, kVisibleBit
//   offset 3  level (indentation)
//   offset 4  text in the letter code, display order, then NUL

constexpr std::uint16_t kSectionBit = 0x8000;   // a heading that opens and closes
constexpr std::uint16_t kArticleBit = 0x4000;   // a tap opens lesson entryKey
constexpr std::uint16_t kEntryKeyMask = 0x3FFF;  // lesson number, or the section's number
constexpr std::uint8_t kIndexStyleMask = 0x1F;
constexpr std::uint8_t kExpandedBit = 0x40;
constexpr std::uint8_t kVisibleBit = 0x80;
constexpr std::size_t kIndexIdAt = 0;
constexpr std::size_t kIndexFlagsAt = 2;
constexpr std::size_t kIndexLevelAt = 3;
constexpr std::size_t kIndexTextAt = 4;
constexpr std::size_t kIndexEndMarkSize = 5;
// The section number of the reader's own Bookmarks heading.
constexpr std::uint16_t kBookmarkSectionKey = 0x877;

inline std::uint16_t ReadIndexId(const std::uint8_t* record) {
    return std::uint16_t(record[kIndexIdAt] | (record[kIndexIdAt + 1] << 8));
}

inline void WriteIndexId(std::uint8_t* record, std::uint16_t id) {
    record[kIndexIdAt] = std::uint8_t(id & 0xFF);
    record[kIndexIdAt + 1] = std::uint8_t(id >> 8);
}

// ---------------------------------------------------------------------------
// The letter code of stored text: the 27 Hebrew letters (final forms
// included, in Unicode order) are the bytes 0x61..0x7B. A font carries its
// Hebrew letters at a letter base: 97 (the Latin lower-case positions, bytes
// drawn unchanged), 224 (the 8-bit Hebrew code pages) or 1488 (the Unicode
// Hebrew block). Under any base but 97 the byte 0x7E stands for the '{' that
// 0x7B no longer gives.

constexpr std::uint8_t kFirstLetterCode = 0x61;
constexpr int kLetterCount = 27;
constexpr std::uint8_t kLastLetterCode = kFirstLetterCode + kLetterCount - 1;
constexpr std::uint8_t kOpenBraceCode = 0x7E;
// A space inside a left-to-right run of right-to-left text: the view never
// breaks a line there and draws it as a space.
constexpr std::uint8_t kNoBreakSpace = 0xA0;

constexpr std::int32_t kLatinLetterBase = 97;
constexpr std::int32_t kCodePageLetterBase = 224;
constexpr std::int32_t kUnicodeLetterBase = 1488;

constexpr bool IsLetterCode(std::uint8_t b) { return b >= kFirstLetterCode && b <= kLastLetterCode; }

constexpr bool IsUnicodeHebrewLetter(char32_t c) {
    return c >= char32_t(kUnicodeLetterBase) && c < char32_t(kUnicodeLetterBase + kLetterCount);
}

// The stored byte of a Unicode Hebrew letter (IsUnicodeHebrewLetter).
constexpr std::uint8_t LetterCodeOf(char32_t letter) {
    return std::uint8_t(kFirstLetterCode + (letter - char32_t(kUnicodeLetterBase)));
}

// The character a stored byte shows in a font with this letter base.
constexpr char32_t MapStoredByte(std::uint8_t b, std::int32_t base) {
    if (base == kLatinLetterBase) {
        return b;
    }
    if (IsLetterCode(b)) {
        return char32_t(base + (b - kFirstLetterCode));
    }
    return b == kOpenBraceCode ? U'{' : char32_t(b);
}
