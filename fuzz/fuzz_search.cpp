// The matcher on any stream and pattern: a hit lies inside one record of the
// stream, nothing is read past its bytes, and the whole-article search (which
// finds its candidates through the pattern's literal tail) agrees with
// MatchBackward taken record by record. The first bytes choose the start
// offset and the pattern.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/memory.h"
#include "search/search.h"
#include "format/book_format.h"

namespace {

// The article search spelled out with MatchBackward, record by record.
std::uint16_t Reference(const std::uint8_t* text, std::uint32_t length, std::uint16_t start,
                        const std::uint8_t* pattern, int patternLength, int* hitLength) {
    std::uint32_t record = 0;
    while (record + 2 < length && text[record] != 0) {
        const std::uint32_t begin = record + 2;
        const std::uint32_t end = FindTextEnd(text, length, begin);
        if (end >= start && start + 1u != begin) {
            std::uint32_t scan = start >= begin ? start : end - 1;
            if (scan >= length) scan = length - 1;
            if (scan >= begin) {
                const std::uint8_t* hit =
                    MatchBackward(text + begin, pattern, patternLength, text + scan, hitLength);
                if (hit != nullptr) return std::uint16_t(hit - text);
            }
        }
        record = end + 1;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint16_t start = std::uint16_t(data[0] | (data[1] << 8));
    const std::size_t patternLength = std::min<std::size_t>(data[2] % 34, size - 3);
    std::uint8_t pattern[kSearchPatternCapacity] = {};
    std::memcpy(pattern, data + 3, patternLength);
    const std::size_t length = size - 3 - patternLength;

    // The stream in a block of exactly its size: any read past it faults.
    auto* stream = static_cast<std::uint8_t*>(plat::Allocate(length));
    if (length > 0) std::memcpy(stream, data + 3 + patternLength, length);
    int hitLength = 0;
    const std::uint16_t last =
        FindPatternInArticle(stream, std::uint32_t(length), start, pattern, &hitLength);
    int referenceLength = 0;
    const std::uint16_t reference = Reference(stream, std::uint32_t(length), start, pattern,
                                              int(std::strlen(reinterpret_cast<char*>(pattern))),
                                              &referenceLength);
    if (reference != last || (last != 0 && referenceLength != hitLength)) __builtin_trap();
    if (last != 0) {
        // The hit ends inside the stream, starts after its record's two
        // leading bytes and holds no NUL.
        if (last >= length || hitLength < 1 || hitLength > last - 1) __builtin_trap();
        for (int i = 0; i < hitLength; ++i) {
            if (stream[last - i] == 0) __builtin_trap();
        }
    }
    plat::Free(stream);
    return 0;
}
