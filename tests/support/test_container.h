// Article containers built in tests: a compressed stream with the header the
// store reads, or any stream under a header that claims `textLength`.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/book_format.h"
#include "store/palmdoc.h"

namespace testsupport {

inline std::vector<std::uint8_t> ContainerAround(const std::vector<std::uint8_t>& stream,
                                                 std::uint32_t textLength) {
    std::vector<std::uint8_t> out(kContainerStreamAt + stream.size() + kContainerTrailerSize, 0);
    WriteContainerHeader(out.data(), std::uint16_t(stream.size()), std::uint16_t(textLength));
    std::copy(stream.begin(), stream.end(), out.begin() + std::ptrdiff_t(kContainerStreamAt));
    return out;
}

inline std::vector<std::uint8_t> CompressedContainer(const std::vector<std::uint8_t>& text) {
    return ContainerAround(PalmDocCompress(text.data(), text.size()), std::uint32_t(text.size()));
}

}  // namespace testsupport
