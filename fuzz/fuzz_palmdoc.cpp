// The article decoder on any bytes: it must stay inside its buffers and
// either fill the output exactly or say the stream is bad; and anything the
// compressor makes must decode back to what it was given.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "store/article_store.h"
#include "store/palmdoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the text length the stream must produce.
    const std::uint32_t outputLength = std::uint32_t(data[0]) << 8 | data[1];
    std::vector<std::uint8_t> input(data + 2, data + size);  // exact size: reads past it fault
    CompressedBlock block{input.empty() ? nullptr : input.data(), std::uint32_t(input.size()),
                          outputLength};
    int code = 0;
    std::uint8_t* text = UnCompress(&block, &code);
    if (text != nullptr) {
        if (code != 0) __builtin_trap();
        if (text[outputLength] != 0) __builtin_trap();
        plat::Free(text);
    }
    plat::headless::ClearMessageBoxes();

    const std::vector<std::uint8_t> packed = PalmDocCompress(data, size);
    std::vector<std::uint8_t> unpacked(size);
    PalmDocDecodeResult result = PalmDocDecode(packed.data(), packed.size(), unpacked.data(), size);
    if (result.status != PalmDocStatus::Complete) __builtin_trap();
    if (std::memcmp(unpacked.data(), data, size) != 0) __builtin_trap();
    return 0;
}
