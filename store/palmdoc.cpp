#include "store/palmdoc.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kMaxDistance = 2047;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 10;
constexpr std::size_t kMaxRun = 8;

inline void Copy8(std::uint8_t* to, const std::uint8_t* from) {
    std::uint64_t v;
    std::memcpy(&v, from, 8);
    std::memcpy(to, &v, 8);
}

// A byte that may stand as its own token.
inline bool IsPlainLiteral(std::uint8_t b) { return b == 0 || (b >= 0x09 && b <= 0x7F); }

}  // namespace

PalmDocDecodeResult PalmDocDecode(const std::uint8_t* in, std::size_t inLength, std::uint8_t* out,
                                  std::size_t outLength) {
    PalmDocDecodeResult result;
    const std::uint8_t* ip = in;
    const std::uint8_t* const inEnd = in + inLength;
    std::uint8_t* op = out;
    std::uint8_t* const outEnd = out + outLength;

    // Fast loop: while a whole token with an 8-byte literal run can be read
    // (token + 8 bytes) and 16 bytes can be written, copy in whole words and
    // let the next tokens overwrite what was copied past a token's end.
    if (inLength >= 9 && outLength >= 16) {
        const std::uint8_t* const inFast = inEnd - 9;
        std::uint8_t* const outFast = outEnd - 16;
        while (ip <= inFast && op <= outFast) {
            if constexpr (std::endian::native == std::endian::little) {
                // Bytes 0x09-0x7F stand for themselves: copy the leading
                // stretch of them among the next eight in one go.
                std::uint64_t v;
                std::memcpy(&v, ip, 8);
                const std::uint64_t high = 0x8080808080808080ull;
                const std::uint64_t special = (v | ~(v + 0x7777777777777777ull)) & high;
                const unsigned plain = special == 0 ? 8u : unsigned(std::countr_zero(special)) >> 3;
                if (plain != 0) {
                    Copy8(op, ip);
                    ip += plain;
                    op += plain;
                    // Fewer than eight: a token follows; take it now when
                    // the buffers still allow the fast path.
                    if (plain == 8 || ip > inFast || op > outFast) {
                        continue;
                    }
                }
            }
            const unsigned c = *ip++;
            if (c < 0x80) {
                if (c >= 0x01 && c <= 0x08) {
                    Copy8(op, ip);
                    ip += c;
                    op += c;
                } else {
                    *op++ = std::uint8_t(c);
                }
            } else if (c >= 0xC0) {
                op[0] = 0x20;
                op[1] = std::uint8_t(c ^ 0x80);
                op += 2;
            } else {
                const unsigned v = (c << 8) | *ip++;
                const std::size_t distance = (v >> 3) & 0x7FF;
                const std::size_t count = (v & 7) + 3;
                if (distance == 0 || distance > std::size_t(op - out)) {
                    result.status = PalmDocStatus::Corrupt;
                    result.written = std::size_t(op - out);
                    result.consumed = std::size_t(ip - in);
                    return result;
                }
                const std::uint8_t* src = op - distance;
                if (distance >= 8) {
                    Copy8(op, src);
                    Copy8(op + 8, src + 8);
                } else if (distance == 1) {
                    std::memset(op, src[0], 16);
                } else {
                    for (std::size_t k = 0; k < count; ++k) {
                        op[k] = src[k];
                    }
                }
                op += count;
            }
        }
    }

    // Careful loop for the last bytes of either buffer.
    while (op < outEnd && ip < inEnd) {
        const unsigned c = *ip++;
        if (c >= 0x01 && c <= 0x08) {
            const std::size_t n = std::min<std::size_t>(c, std::size_t(outEnd - op));
            if (n > std::size_t(inEnd - ip)) {
                result.status = PalmDocStatus::Corrupt;
                break;
            }
            std::memcpy(op, ip, n);
            ip += n;
            op += n;
        } else if (c < 0x80) {
            *op++ = std::uint8_t(c);
        } else if (c >= 0xC0) {
            *op++ = 0x20;
            if (op < outEnd) {
                *op++ = std::uint8_t(c ^ 0x80);
            }
        } else {
            if (ip >= inEnd) {
                result.status = PalmDocStatus::Corrupt;
                break;
            }
            const unsigned v = (c << 8) | *ip++;
            const std::size_t distance = (v >> 3) & 0x7FF;
            std::size_t count = (v & 7) + 3;
            if (distance == 0 || distance > std::size_t(op - out)) {
                result.status = PalmDocStatus::Corrupt;
                break;
            }
            count = std::min(count, std::size_t(outEnd - op));
            const std::uint8_t* src = op - distance;
            for (std::size_t k = 0; k < count; ++k) {
                op[k] = src[k];
            }
            op += count;
        }
    }

    result.written = std::size_t(op - out);
    result.consumed = std::size_t(ip - in);
    if (result.status != PalmDocStatus::Corrupt) {
        result.status = op == outEnd ? PalmDocStatus::Complete : PalmDocStatus::InputEnded;
    }
    return result;
}

bool PalmDocDecodedSize(const std::uint8_t* in, std::size_t inLength, std::size_t* size) {
    std::size_t total = 0;
    std::size_t i = 0;
    while (i < inLength) {
        const unsigned c = in[i++];
        if (c >= 0x01 && c <= 0x08) {
            if (c > inLength - i) {
                return false;
            }
            i += c;
            total += c;
        } else if (c < 0x80) {
            total += 1;
        } else if (c >= 0xC0) {
            total += 2;
        } else {
            if (i >= inLength) {
                return false;
            }
            const unsigned v = (c << 8) | in[i++];
            const std::size_t distance = (v >> 3) & 0x7FF;
            if (distance == 0 || distance > total) {
                return false;
            }
            total += (v & 7) + 3;
        }
    }
    if (size != nullptr) {
        *size = total;
    }
    return true;
}

namespace {

// Hash chains over 3-byte prefixes; finds the longest earlier match (within
// the 2047-byte window, up to 10 bytes) of the position asked for.
class MatchFinder {
public:
    MatchFinder(const std::uint8_t* data, std::size_t length, int maxChain)
        : data_(data), length_(length), maxChain_(maxChain), hashBits_(HashBitsFor(length)),
          head_(std::size_t(1) << hashBits_, -1), prev_(length, -1) {}

    // Longest match at `pos` against positions already inserted; adds `pos`.
    // Returns its length (0 when below 3) and sets *distance.
    std::size_t FindAndInsert(std::size_t pos, std::size_t* distance) {
        if (pos + kMinMatch > length_) {
            return 0;
        }
        const std::uint32_t h = Hash(pos);
        const std::size_t limit = std::min(kMaxMatch, length_ - pos);
        const std::uint8_t* const cur = data_ + pos;
        std::size_t best = 0;
        std::int32_t cand = head_[h];
        for (int depth = 0; cand >= 0 && depth < maxChain_; ++depth) {
            const std::size_t dist = pos - std::size_t(cand);
            if (dist > kMaxDistance) {
                break;
            }
            const std::uint8_t* const old = data_ + cand;
            if (old[best < limit ? best : limit - 1] == cur[best < limit ? best : limit - 1]) {
                std::size_t len = 0;
                if (limit == kMaxMatch && std::endian::native == std::endian::little) {
                    std::uint64_t a, b;
                    std::memcpy(&a, old, 8);
                    std::memcpy(&b, cur, 8);
                    const std::uint64_t diff = a ^ b;
                    len = diff != 0 ? std::size_t(std::countr_zero(diff)) >> 3 : 8;
                    if (len == 8) {
                        len += old[8] == cur[8] ? (old[9] == cur[9] ? 2 : 1) : 0;
                    }
                } else {
                    while (len < limit && old[len] == cur[len]) {
                        ++len;
                    }
                }
                if (len > best) {
                    best = len;
                    *distance = dist;
                    if (best == limit) {
                        break;
                    }
                }
            }
            cand = prev_[std::size_t(cand)];
        }
        prev_[pos] = head_[h];
        head_[h] = std::int32_t(pos);
        return best >= kMinMatch ? best : 0;
    }

    void Insert(std::size_t pos) {
        if (pos + kMinMatch > length_) {
            return;
        }
        const std::uint32_t h = Hash(pos);
        prev_[pos] = head_[h];
        head_[h] = std::int32_t(pos);
    }

private:
    // A table about twice the input, between 2^8 and 2^14 heads: short
    // lessons do not pay for clearing a large one.
    static int HashBitsFor(std::size_t length) {
        int bits = 8;
        while (bits < 14 && (std::size_t(1) << bits) < 2 * length) {
            ++bits;
        }
        return bits;
    }

    std::uint32_t Hash(std::size_t pos) const {
        const std::uint32_t v = std::uint32_t(data_[pos]) | (std::uint32_t(data_[pos + 1]) << 8) |
                                (std::uint32_t(data_[pos + 2]) << 16);
        return (v * 2654435761u) >> (32 - hashBits_);
    }

    const std::uint8_t* data_;
    std::size_t length_;
    int maxChain_;
    int hashBits_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
};

void EmitPair(std::vector<std::uint8_t>& out, std::size_t distance, std::size_t count) {
    const unsigned v = 0x8000u | unsigned(distance << 3) | unsigned(count - kMinMatch);
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v & 0xFF));
}

void EmitRun(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t count) {
    out.push_back(std::uint8_t(count));
    out.insert(out.end(), bytes, bytes + count);
}

inline bool IsSpacePair(const std::uint8_t* data, std::size_t length, std::size_t pos) {
    return pos + 1 < length && data[pos] == 0x20 && data[pos + 1] >= 0x40 && data[pos + 1] <= 0x7F;
}

enum TokenKind : std::uint8_t { kLiteral, kSpacePair, kRun, kMatch };

}  // namespace

std::vector<std::uint8_t> PalmDocCompress(const std::uint8_t* data, std::size_t length) {
    std::vector<std::uint8_t> out;
    if (length == 0) {
        return out;
    }
    constexpr std::uint32_t kInfinite = std::numeric_limits<std::uint32_t>::max();
    // For every end position: the cheapest cost to get there and the token
    // that does it (its length, kind and, for matches, distance).
    std::vector<std::uint32_t> cost(length + 1, kInfinite);
    std::vector<std::uint8_t> tokenLength(length + 1, 0);
    std::vector<std::uint8_t> tokenKind(length + 1, kLiteral);
    std::vector<std::uint16_t> tokenDistance(length + 1, 0);
    cost[0] = 0;

    MatchFinder finder(data, length, 48);
    auto relax = [&](std::size_t to, std::uint32_t c, std::size_t len, TokenKind kind,
                     std::size_t distance) {
        if (c < cost[to]) {
            cost[to] = c;
            tokenLength[to] = std::uint8_t(len);
            tokenKind[to] = kind;
            tokenDistance[to] = std::uint16_t(distance);
        }
    };

    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t here = cost[i];
        std::size_t distance = 0;
        const std::size_t longest = finder.FindAndInsert(i, &distance);
        for (std::size_t len = longest; len >= kMinMatch; --len) {
            relax(i + len, here + 2, len, kMatch, distance);
        }
        if (IsSpacePair(data, length, i)) {
            relax(i + 2, here + 1, 2, kSpacePair, 0);
        }
        if (IsPlainLiteral(data[i])) {
            relax(i + 1, here + 1, 1, kLiteral, 0);
        } else {
            // A run only pays when it starts at a byte that needs one.
            const std::size_t most = std::min(kMaxRun, length - i);
            for (std::size_t len = 1; len <= most; ++len) {
                relax(i + len, here + 1 + std::uint32_t(len), len, kRun, 0);
            }
        }
    }

    // Walk back from the end to collect the chosen token ends.
    std::vector<std::uint32_t> ends;
    for (std::size_t pos = length; pos > 0; pos -= tokenLength[pos]) {
        ends.push_back(std::uint32_t(pos));
    }
    out.reserve(cost[length]);
    std::size_t pos = 0;
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const std::size_t end = *it;
        switch (tokenKind[end]) {
        case kLiteral:
            out.push_back(data[pos]);
            break;
        case kSpacePair:
            out.push_back(std::uint8_t(data[pos + 1] ^ 0x80));
            break;
        case kRun:
            EmitRun(out, data + pos, end - pos);
            break;
        case kMatch:
            EmitPair(out, tokenDistance[end], end - pos);
            break;
        }
        pos = end;
    }
    return out;
}

std::vector<std::uint8_t> PalmDocCompressGreedy(const std::uint8_t* data, std::size_t length) {
    std::vector<std::uint8_t> out;
    out.reserve(length);
    MatchFinder finder(data, length, int(kMaxDistance));
    std::size_t i = 0;
    while (i < length) {
        std::size_t distance = 0;
        const std::size_t len = finder.FindAndInsert(i, &distance);
        if (len >= kMinMatch) {
            EmitPair(out, distance, len);
            for (std::size_t k = 1; k < len; ++k) {
                finder.Insert(i + k);
            }
            i += len;
        } else if (IsSpacePair(data, length, i)) {
            out.push_back(std::uint8_t(data[i + 1] ^ 0x80));
            finder.Insert(i + 1);
            i += 2;
        } else if (IsPlainLiteral(data[i])) {
            out.push_back(data[i]);
            ++i;
        } else {
            // Gather the bytes that need escaping into one run.
            std::size_t n = 1;
            while (n < kMaxRun && i + n < length && !IsPlainLiteral(data[i + n])) {
                finder.Insert(i + n);
                ++n;
            }
            EmitRun(out, data + i, n);
            i += n;
        }
    }
    return out;
}
