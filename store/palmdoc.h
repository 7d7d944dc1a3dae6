// The PalmDOC LZ77 byte scheme: the decoder the article store runs on every
// lesson, and the two encoders the book compiler and the benchmarks use.
//
// Tokens of a stream:
//   0x00, 0x09-0x7F      the byte itself
//   0x01-0x08 (c)        the next c input bytes, copied as they are
//   0x80-0xBF, d         back reference: v = c * 256 + d, distance
//                        (v >> 3) & 0x7FF (1-2047), count (v & 7) + 3 (3-10)
//   0xC0-0xFF            a space followed by the byte c ^ 0x80 (0x40-0x7F)
//
// Standard C++ only: compiled into the engine and into the book compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class PalmDocStatus {
    Complete,    // the output was filled exactly
    InputEnded,  // the input ran out before the output was full
    Corrupt,     // a reference before the output start, or a token cut by the input end
};

struct PalmDocDecodeResult {
    PalmDocStatus status = PalmDocStatus::InputEnded;
    std::size_t written = 0;   // output bytes produced
    std::size_t consumed = 0;  // input bytes used
};

// Decodes until `outLength` bytes are written or the input ends; input bytes
// left after the output is full are ignored. Runs and references that would
// pass the output end are cut there. Never reads outside in[0, inLength) or
// before `out`, never writes outside out[0, outLength).
PalmDocDecodeResult PalmDocDecode(const std::uint8_t* in, std::size_t inLength, std::uint8_t* out,
                                  std::size_t outLength);

// The number of bytes a whole stream decodes to; false when it is corrupt.
bool PalmDocDecodedSize(const std::uint8_t* in, std::size_t inLength, std::size_t* size);

// Minimum-size encoding: every token sequence the scheme allows is weighed
// and the shortest is written (matches from a hash-chain search).
std::vector<std::uint8_t> PalmDocCompress(const std::uint8_t* data, std::size_t length);

// The classic greedy encoding (longest match first, then the space pair,
// then literals), kept as the reference for measurements.
std::vector<std::uint8_t> PalmDocCompressGreedy(const std::uint8_t* data, std::size_t length);
