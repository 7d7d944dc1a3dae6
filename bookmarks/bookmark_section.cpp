// The Bookmarks section of the index: a heading, open, and one entry per
// mark under the title the lesson has in the index.
#include <cstring>

#include "bookmarks/bookmarks.h"
#include "format/index_stream.h"
#include "platform/memory.h"

namespace {

// "Bookmarks" in the book's letter code, in display order.
constexpr std::uint8_t kHeadingText[] = {'j', 'i', 'y', 'u'};
constexpr std::uint8_t kHeadingFlags = kVisibleBit | kExpandedBit | kStyleNormal;
constexpr std::uint8_t kEntryFlags = kVisibleBit | kStyleNormal;
constexpr std::uint8_t kHeadingLevel = 1;
constexpr std::uint8_t kEntryLevel = 2;

// The first record of the index that is the article entry of `lesson`.
bool FindArticle(const std::uint8_t* data, std::uint32_t length, LessonNumber lesson,
                 IndexRecordRef* found) {
    const std::uint16_t id = std::uint16_t(lesson | kArticleBit);
    IndexRecordRef record;
    for (std::uint32_t offset = 0; ReadIndexRecord(data, length, offset, &record);
         offset = NextIndexRecord(record)) {
        if (record.id == id) {
            *found = record;
            return true;
        }
    }
    return false;
}

std::uint8_t* PutRecord(std::uint8_t* out, std::uint16_t id, std::uint8_t flags,
                        std::uint8_t level, const std::uint8_t* text, std::uint32_t length) {
    WriteIndexId(out, id);
    out[kIndexFlagsAt] = flags;
    out[kIndexLevelAt] = level;
    std::memcpy(out + kIndexTextAt, text, length);
    out[kIndexTextAt + length] = 0;
    return out + length + kIndexRecordOverhead;
}

}  // namespace

std::uint8_t* BuildBookmarkSection(const std::uint8_t* data, std::uint32_t length,
                                   std::uint32_t* sectionLength) {
    const LessonNumber* marks = AppState.BookmarkList;
    if (marks == nullptr) return nullptr;
    std::uint32_t size = sizeof kHeadingText + kIndexRecordOverhead;
    IndexRecordRef record;
    for (std::uint32_t i = 0; i < AppState.BookmarkCount; ++i) {
        if (FindArticle(data, length, marks[i], &record)) {
            size += record.textLength + kIndexRecordOverhead;
        }
    }
    if (size + kIndexEndMarkSize > kIndexStreamLimit) return nullptr;
    auto* section = static_cast<std::uint8_t*>(plat::Allocate(size + kIndexEndMarkSize));
    if (section == nullptr) return nullptr;
    std::uint8_t* out = PutRecord(section, kBookmarkSectionId, kHeadingFlags, kHeadingLevel,
                                  kHeadingText, sizeof kHeadingText);
    for (std::uint32_t i = 0; i < AppState.BookmarkCount; ++i) {
        if (FindArticle(data, length, marks[i], &record)) {
            out = PutRecord(out, record.id, kEntryFlags, kEntryLevel, data + record.textOffset,
                            record.textLength);
        }
    }
    std::memset(out, 0, kIndexEndMarkSize);
    *sectionLength = size + kIndexEndMarkSize;
    return section;
}

std::uint8_t* AppendIndexStream(std::uint8_t* first, std::uint32_t firstLength,
                                std::uint8_t* second, std::uint32_t secondLength,
                                std::uint32_t* length) {
    if (second == nullptr) {
        *length = firstLength;
        return first;
    }
    if (first == nullptr) {
        *length = secondLength;
        return second;
    }
    const std::uint32_t firstSize = IndexRecordsSize(first, firstLength);
    std::uint32_t secondSize = IndexRecordsSize(second, secondLength);
    // The joined stream keeps below the 16-bit offset limit: records of the
    // second that would pass it are left out.
    if (firstSize + secondSize + kIndexEndMarkSize > kIndexStreamLimit) {
        secondSize = 0;
        IndexRecordRef record;
        while (ReadIndexRecord(second, secondLength, secondSize, &record) &&
               firstSize + NextIndexRecord(record) + kIndexEndMarkSize <= kIndexStreamLimit) {
            secondSize = NextIndexRecord(record);
        }
    }
    const std::uint32_t total = firstSize + secondSize + kIndexEndMarkSize;
    auto* joined = static_cast<std::uint8_t*>(plat::Allocate(total));
    if (joined == nullptr) {
        plat::Free(first);
        *length = secondLength;
        return second;
    }
    std::memcpy(joined, first, firstSize);
    std::memcpy(joined + firstSize, second, secondSize);
    std::memset(joined + firstSize + secondSize, 0, kIndexEndMarkSize);
    plat::Free(first);
    plat::Free(second);
    *length = total;
    return joined;
}

std::uint8_t* PrependBookmarkSection(std::uint8_t* data, std::uint32_t* length) {
    if (AppState.BookmarkList == nullptr || AppState.BookmarkCount == 0) return data;
    std::uint32_t sectionLength = 0;
    std::uint8_t* section = BuildBookmarkSection(data, *length, &sectionLength);
    if (section == nullptr) return data;
    return AppendIndexStream(section, sectionLength, data, data != nullptr ? *length : 0, length);
}
