#include "clipboard/reading_order.h"

#include <cstring>

#include "format/book_format.h"
#include "platform/memory.h"

namespace {

// Bidi classes of the stored code, as far as the resolution needs them.
enum : std::uint8_t {
    kR,   // Hebrew letter
    kL,   // Latin letter
    kEN,  // digit
    kES,  // plus, minus
    kET,  // number prefix or suffix: # $ % degree ...
    kCS,  // number separator: , . / : no-break space
    kON,  // anything else (spaces, punctuation, brackets)
};

std::uint8_t ClassOf(std::uint8_t b) {
    if (IsLetterCode(b)) return kR;
    if ((b >= 'A' && b <= 'Z') || b == 0xAA || b == 0xB5 || b == 0xBA ||
        (b >= 0xC0 && b != 0xD7 && b != 0xF7)) {
        return kL;
    }
    if ((b >= '0' && b <= '9') || b == 0xB2 || b == 0xB3 || b == 0xB9) return kEN;
    switch (b) {
        case '+':
        case '-': return kES;
        case '#':
        case '$':
        case '%':
        case 0xA2:
        case 0xA3:
        case 0xA4:
        case 0xA5:
        case 0xB0:
        case 0xB1: return kET;
        case ',':
        case '.':
        case '/':
        case ':':
        case kNoBreakSpace: return kCS;
        default: return kON;
    }
}

// Stored bracket bytes; in right-to-left text '{' has its own code.
int OpeningBracket(std::uint8_t b) {
    return b == '(' ? 1 : b == '[' ? 2 : b == kOpenBraceCode ? 3 : 0;
}
int ClosingBracket(std::uint8_t b) {
    return b == ')' ? 1 : b == ']' ? 2 : b == '}' ? 3 : 0;
}

// Numbers count as right-to-left where neutrals and brackets are resolved.
bool IsStrongRight(std::uint8_t c) { return c == kR || c == kEN; }

void ResolveWeakTypes(std::uint8_t* c, int n, bool numbersFollowLatin) {
    // A single separator between two digits joins them.
    for (int i = 1; i + 1 < n; ++i) {
        if ((c[i] == kES || c[i] == kCS) && c[i - 1] == kEN && c[i + 1] == kEN) c[i] = kEN;
    }
    // Prefixes and suffixes next to a number belong to it.
    for (int i = 0; i < n;) {
        if (c[i] != kET) {
            ++i;
            continue;
        }
        int end = i;
        while (end < n && c[end] == kET) ++end;
        if ((i > 0 && c[i - 1] == kEN) || (end < n && c[end] == kEN)) {
            for (int k = i; k < end; ++k) c[k] = kEN;
        }
        i = end;
    }
    for (int i = 0; i < n; ++i) {
        if (c[i] == kES || c[i] == kET || c[i] == kCS) c[i] = kON;
    }
    // A number that follows Latin text (nothing Hebrew between) is part of
    // it. Inside a left-to-right run the visual order is the reading order,
    // so "follows" looks to the left.
    std::uint8_t lastStrong = kR;
    for (int i = 0; numbersFollowLatin && i < n; ++i) {
        if (c[i] == kL || c[i] == kR) {
            lastStrong = c[i];
        } else if (c[i] == kEN && lastStrong == kL) {
            c[i] = kL;
        }
    }
}

// The strong class nearest to the left of `at`; the line's edge counts as
// right-to-left.
std::uint8_t StrongBefore(const std::uint8_t* c, int at) {
    for (int i = at - 1; i >= 0; --i) {
        if (c[i] == kL) return kL;
        if (IsStrongRight(c[i])) return kR;
    }
    return kR;
}

void ResolvePair(std::uint8_t* c, int open, int close, bool latinPairs) {
    bool left = false;
    bool right = false;
    for (int i = open + 1; i < close; ++i) {
        left = left || c[i] == kL;
        right = right || IsStrongRight(c[i]);
    }
    if (!left && !right) return;  // the neutrals' rule decides
    // Latin inside, nothing Hebrew, Latin before: the pair belongs to the
    // left-to-right run; otherwise it is part of the right-to-left line.
    const std::uint8_t side = (latinPairs && left && !right && StrongBefore(c, open) == kL) ? kL : kR;
    c[open] = side;
    c[close] = side;
}

void ResolveBrackets(const std::uint8_t* bytes, std::uint8_t* c, int n, bool latinPairs) {
    constexpr int kDepth = 63;
    int openAt[kDepth];
    int openKind[kDepth];
    int depth = 0;
    for (int i = 0; i < n; ++i) {
        if (c[i] != kON) continue;
        if (int kind = OpeningBracket(bytes[i]); kind != 0) {
            if (depth == kDepth) return;  // too deep: leave the rest to the neutrals
            openAt[depth] = i;
            openKind[depth] = kind;
            ++depth;
        } else if (int closing = ClosingBracket(bytes[i]); closing != 0) {
            for (int k = depth - 1; k >= 0; --k) {
                if (openKind[k] == closing) {
                    ResolvePair(c, openAt[k], i, latinPairs);
                    depth = k;
                    break;
                }
            }
        }
    }
}

// Neutrals between two Latin sides are Latin; all others follow the line.
void ResolveNeutrals(std::uint8_t* c, int n) {
    for (int i = 0; i < n;) {
        if (c[i] != kON) {
            ++i;
            continue;
        }
        int end = i;
        while (end < n && c[end] == kON) ++end;
        const bool latinBefore = i > 0 && c[i - 1] == kL;
        const bool latinAfter = end < n && c[end] == kL;
        const std::uint8_t side = latinBefore && latinAfter ? kL : kR;
        for (int k = i; k < end; ++k) c[k] = side;
        i = end;
    }
}

char16_t Mirrored(char16_t c) {
    switch (c) {
        case u'(': return u')';
        case u')': return u'(';
        case u'[': return u']';
        case u']': return u'[';
        case u'{': return u'}';
        case u'}': return u'{';
        case u'<': return u'>';
        case u'>': return u'<';
        case 0xAB: return 0xBB;
        case 0xBB: return 0xAB;
        default: return c;
    }
}

void ReverseMirrored(char16_t* text, int from, int to) {
    for (int i = from, j = to - 1; i < j; ++i, --j) {
        const char16_t t = text[i];
        text[i] = text[j];
        text[j] = t;
    }
    for (int i = from; i < to; ++i) text[i] = Mirrored(text[i]);
}

// A stored byte as its mirror image, for brackets that the compiler
// mirrored in right-to-left stretches.
std::uint8_t MirroredByte(std::uint8_t b) {
    switch (b) {
        case '(': return ')';
        case ')': return '(';
        case '[': return ']';
        case ']': return '[';
        case kOpenBraceCode: return '}';
        case '}': return kOpenBraceCode;
        case '<': return '>';
        case '>': return '<';
        case 0xAB: return 0xBB;
        case 0xBB: return 0xAB;
        default: return b;
    }
}

// Which rules a resolution applies: all of them in reading order; a first
// guess from the visual order may leave out those that look backwards.
// kRightToLeftPairs (a guess only) puts every bracket pair with letters or
// numbers inside into the right-to-left line.
enum : unsigned { kNumbersFollowLatin = 1, kBracketPairs = 2, kAllRules = 3, kRightToLeftPairs = 4 };

// The runs of a line of bytes: marks[i] becomes 1 for every byte that the
// rules put into a left-to-right run. In reading order these are the bidi
// algorithm's own rules for this code; applied to the visual order they are
// a guess.
void ResolveRuns(const std::uint8_t* bytes, int count, std::uint8_t* marks, unsigned rules) {
    for (int i = 0; i < count; ++i) marks[i] = ClassOf(bytes[i]);
    ResolveWeakTypes(marks, count, (rules & kNumbersFollowLatin) != 0);
    if (rules & (kBracketPairs | kRightToLeftPairs)) {
        ResolveBrackets(bytes, marks, count, (rules & kRightToLeftPairs) == 0);
    }
    ResolveNeutrals(marks, count);
    for (int i = 0; i < count; ++i) marks[i] = (marks[i] == kL || marks[i] == kEN) ? 1 : 0;
}

// Calls run(a, b) for each left-to-right run [a, b) that `marks` shows.
template <typename Run>
void ForEachRun(const std::uint8_t* marks, int count, Run run) {
    for (int a = 0; a < count;) {
        if (marks[a] == 0) {
            ++a;
            continue;
        }
        int b = a;
        while (b < count && marks[b] != 0) ++b;
        run(a, b);
        a = b;
    }
}

// The reading order a set of runs gives: at[i] is the stored position of
// the i-th character read, and logical[i] that byte as read (brackets
// outside the runs mirrored back).
void ToReadingOrder(const std::uint8_t* stored, const std::uint8_t* marks, int count, int* at,
                    std::uint8_t* logical) {
    for (int i = 0; i < count; ++i) at[i] = count - 1 - i;
    ForEachRun(marks, count, [&](int a, int b) {
        for (int k = a; k < b; ++k) at[count - b + (k - a)] = k;  // a run keeps its order
    });
    for (int i = 0; i < count; ++i) {
        logical[i] = marks[at[i]] != 0 ? stored[at[i]] : MirroredByte(stored[at[i]]);
    }
}

struct RunWork {
    int* at;
    std::uint8_t* logical;
    std::uint8_t* levels;
};

// Some rules look backwards in reading order (a number takes the side of
// the letters before it; brackets that of the text before them), which the
// visual order cannot show. So a guess is read in the order it gives and
// resolved again, until the runs found in that reading order are the runs
// it was read with: such a reading gives back exactly the stored line.
// Returns false when no such reading was reached.
bool SettleRuns(const std::uint8_t* stored, int count, std::uint8_t* marks, const RunWork& work) {
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        ToReadingOrder(stored, marks, count, work.at, work.logical);
        ResolveRuns(work.logical, count, work.levels, kAllRules);
        bool settled = true;
        for (int i = 0; i < count; ++i) settled = settled && work.levels[i] == marks[work.at[i]];
        if (settled) return true;
        for (int i = 0; i < count; ++i) marks[work.at[i]] = work.levels[i];
    }
    return false;
}

}  // namespace

int MarkLeftToRightRuns(const std::uint8_t* stored, int count, std::uint8_t* marks) {
    if (count <= 0) return 0;
    bool latinOrDigits = false;
    for (int i = 0; i < count && !latinOrDigits; ++i) {
        latinOrDigits = ClassOf(stored[i]) == kL || ClassOf(stored[i]) == kEN;
    }
    if (!latinOrDigits) {  // all right to left
        std::memset(marks, 0, std::size_t(count));
        return 0;
    }
    auto* at = static_cast<int*>(plat::Allocate(std::size_t(count) * sizeof(int)));
    auto* bytes = static_cast<std::uint8_t*>(plat::Allocate(std::size_t(count) * 2));
    if (at == nullptr || bytes == nullptr) {
        ResolveRuns(stored, count, marks, kAllRules);
        plat::Free(at);
        plat::Free(bytes);
        return -2;
    }
    const RunWork work{at, bytes, bytes + count};
    // Guesses in turn, the first that settles is kept; a line none settles
    // for (not met in real text) keeps the first guess.
    const unsigned guesses[] = {kAllRules,
                                kNumbersFollowLatin | kRightToLeftPairs,
                                kBracketPairs,
                                kNumbersFollowLatin,
                                kRightToLeftPairs,
                                0};
    bool settled = false;
    for (unsigned rules : guesses) {
        ResolveRuns(stored, count, marks, rules);
        settled = SettleRuns(stored, count, marks, work);
        if (settled) break;
    }
    if (!settled) ResolveRuns(stored, count, marks, kAllRules);
    plat::Free(at);
    plat::Free(bytes);
    return 0;
}

int PutIntoReadingOrder(char16_t* text, const std::uint8_t* stored, int count) {
    if (count <= 0) return 0;
    ReverseMirrored(text, 0, count);
    auto* marks = static_cast<std::uint8_t*>(plat::Allocate(std::size_t(count)));
    if (marks == nullptr) return -2;
    const int result = MarkLeftToRightRuns(stored, count, marks);
    // A run at stored positions [a, b) now lies at [count - b, count - a).
    ForEachRun(marks, count, [&](int a, int b) { ReverseMirrored(text, count - b, count - a); });
    plat::Free(marks);
    return result;
}

int PutIntoStoredOrder(const std::uint8_t* reading, int count, std::uint8_t* stored) {
    if (count <= 0) return 0;
    // The line reversed, brackets mirrored ...
    for (int i = 0; i < count; ++i) stored[count - 1 - i] = MirroredByte(reading[i]);
    auto* marks = static_cast<std::uint8_t*>(plat::Allocate(std::size_t(count)));
    if (marks == nullptr) return -2;
    ResolveRuns(reading, count, marks, kAllRules);
    // ... except each left-to-right run, which keeps its order and its
    // brackets; a space inside one is joined, as the book compiler joins it.
    ForEachRun(marks, count, [&](int a, int b) {
        for (int k = a; k < b; ++k) {
            stored[count - b + (k - a)] = reading[k] == ' ' ? kNoBreakSpace : reading[k];
        }
    });
    plat::Free(marks);
    return 0;
}
