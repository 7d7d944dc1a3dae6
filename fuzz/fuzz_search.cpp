// The matcher on any stream and pattern: a hit lies inside one record of the
// stream and never reads past its bytes. The first bytes choose the start
// offset and the pattern.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/memory.h"
#include "search/search.h"
#include "view/line_record.h"

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
