// The article store: lessons and the index live in the program's resources
// as compressed streams inside a small container. Loading one gives a new,
// NUL-terminated text buffer that the caller owns (release with plat::Free).
// The container is described in format/book_format.h.
#pragma once

#include <cstdint>

#include "format/book_format.h"

// Codes stored through the optional error-code argument.
namespace ArticleError {
constexpr int NotFound = 1;       // no resource 1000 + n
constexpr int CannotLoad = 2;     // empty resource, or no memory for the text
constexpr int BadContainer = 3;   // container too short or inconsistent
constexpr int BadBlock = 4;       // no block, no input or no output length
constexpr int BufferError = 5;    // the stream ended early or is corrupt
}  // namespace ArticleError

struct CompressedBlock {
    const std::uint8_t* input;
    std::uint32_t inputLength;   // compressed length
    std::uint32_t outputLength;  // text length
};

// Text of lesson n (n >= 1) from AppState.Instance, or nullptr. n < 1 gives
// nullptr without a code. `bufferLength`, when given, receives the size of
// the returned buffer (text length + 2), so readers can stay inside it.
std::uint8_t* LoadArticle(int lesson, int* errorCode = nullptr,
                          std::uint32_t* bufferLength = nullptr);

// `bytes` is the container from offset 6 on and holds `remainderLength`
// readable bytes.
std::uint8_t* OpenContainer(const std::uint8_t* bytes, std::uint32_t remainderLength,
                            int* errorCode = nullptr);

// Decodes a block into a new buffer of outputLength + 2 bytes: the text, a
// NUL, one spare byte. A stream that ends early or is corrupt shows the
// "UnCompress() buffer error!" message box and gives nullptr (code 5).
std::uint8_t* UnCompress(const CompressedBlock* block, int* errorCode = nullptr);
