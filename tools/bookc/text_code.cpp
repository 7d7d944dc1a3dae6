#include "tools/bookc/text_code.h"

#include <fribidi.h>

#include <cstdio>

#include "format/book_format.h"

namespace bookc {

namespace {

std::string CodePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", unsigned(c));
    return buffer;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Hebrew points and cantillation marks: combining marks the code cannot hold.
bool IsHebrewMark(char32_t c) {
    return (c >= 0x0591 && c <= 0x05BD) || c == 0x05BF || c == 0x05C1 || c == 0x05C2 || c == 0x05C4 ||
           c == 0x05C5 || c == 0x05C7;
}

// Hebrew punctuation written with the look-alike the code has.
char32_t HebrewPunctuation(char32_t c) {
    switch (c) {
    case 0x05BE: return U'-';   // maqaf
    case 0x05C0: return U'|';   // paseq
    case 0x05C3: return U':';   // sof pasuq
    case 0x05F3: return U'\'';  // geresh
    case 0x05F4: return U'"';   // gershayim
    default: return c;
    }
}

// Characters that steer the bidi algorithm and are not stored.
bool IsBidiControl(char32_t c) {
    return c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

const char* Suggestion(char32_t c) {
    switch (c) {
    case 0x2018:
    case 0x2019:
    case 0x201A: return "; write ' instead";
    case 0x201C:
    case 0x201D:
    case 0x201E: return "; write \" instead";
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014: return "; write - instead";
    case 0x2026: return "; write ... instead";
    case 0x09: return "; use spaces, or indent= for an indent";
    default: return "";
    }
}

// The byte for a character in a record of this direction, or 0 when it
// cannot be held, with the reason.
unsigned char ByteFor(char32_t c, Direction direction, const char** reason) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        *reason = "a control character";
        return 0;
    }
    if (direction == Direction::RightToLeft) {
        if (IsUnicodeHebrewLetter(c)) {
            return LetterCodeOf(c);
        }
        if (c >= U'a' && c <= U'z') {
            *reason = "a lower-case Latin letter in right-to-left text (write it in upper case, or "
                      "make the paragraph ltr)";
            return 0;
        }
        if (c == U'{') {
            return kOpenBraceCode;
        }
        if (c == U'~') {
            *reason = "'~' in right-to-left text (its code shows '{' there)";
            return 0;
        }
        if (c <= 0xFF) {
            return (unsigned char)c;
        }
    } else {
        if (IsUnicodeHebrewLetter(c)) {
            *reason = "a Hebrew letter in left-to-right text (make the paragraph rtl)";
            return 0;
        }
        if (c <= 0xFF) {
            return (unsigned char)c;
        }
    }
    *reason = "not in the book's 8-bit code";
    return 0;
}

// The left-to-right stretches of a right-to-left paragraph in reading order:
// characters the bidi algorithm put above the paragraph's level 1. Bidi
// controls are not stored and neither start nor end a stretch.
void FindEmbeddedRuns(const std::vector<FriBidiChar>& logical, const std::vector<int>& columns,
                      const std::vector<FriBidiLevel>& levels, std::vector<EmbeddedRun>* runs) {
    bool open = false;
    int hyphen = 0;  // column of a hyphen that ends the run so far
    for (std::size_t i = 0; i < logical.size(); ++i) {
        const FriBidiChar c = logical[i];
        if (IsBidiControl(c)) {
            continue;
        }
        if (levels[i] <= 1) {
            open = false;
            continue;
        }
        if (!open) {
            runs->push_back(EmbeddedRun{columns[i], 0, 0, {}});
            open = true;
            hyphen = 0;
        }
        EmbeddedRun& run = runs->back();
        ++run.length;
        AppendUtf8(run.text, c);
        // A line may break after a hyphen; only inside the run does it matter.
        if (hyphen != 0 && run.hyphenColumn == 0) {
            run.hyphenColumn = hyphen;
        }
        hyphen = c == U'-' ? columns[i] : 0;
    }
}

}  // namespace

std::vector<SourceChar> DecodeUtf8(std::string_view text, int firstColumn, const SourceSpot& spot,
                                   Diagnostics& diagnostics) {
    std::vector<SourceChar> out;
    out.reserve(text.size());
    int column = firstColumn;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = (unsigned char)text[i];
        char32_t c = 0;
        std::size_t n = 0;
        if (b < 0x80) {
            c = b;
            n = 1;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            n = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            n = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            n = 4;
        }
        bool valid = n != 0 && i + n <= text.size();
        for (std::size_t k = 1; valid && k < n; ++k) {
            const unsigned char t = (unsigned char)text[i + k];
            if ((t & 0xC0) != 0x80) {
                valid = false;
            } else {
                c = (c << 6) | (t & 0x3F);
            }
        }
        static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (c < kMinimum[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            diagnostics.Error(spot, column, "invalid UTF-8");
            ++i;
            while (i < text.size() && ((unsigned char)text[i] & 0xC0) == 0x80) {
                ++i;
            }
        } else {
            if (c != 0xFEFF || column != 1) {  // a byte-order mark at the start is ignored
                out.push_back({c, column});
            }
            i += n;
        }
        ++column;
    }
    return out;
}

bool EncodeText(const std::vector<SourceChar>& text, Direction direction, const SourceSpot& spot,
                Diagnostics& diagnostics, std::string* bytes, std::vector<EmbeddedRun>* runs) {
    if (runs != nullptr) {
        runs->clear();
    }
    std::vector<FriBidiChar> kept;
    std::vector<int> keptColumns;
    kept.reserve(text.size());
    keptColumns.reserve(text.size());
    int droppedMarks = 0;
    int firstMarkColumn = 0;
    bool ok = true;
    for (const SourceChar& ch : text) {
        if (IsHebrewMark(ch.code)) {
            if (diagnostics.Strict()) {
                diagnostics.Error(spot, ch.column,
                                  "Hebrew point or cantillation mark " + CodePointName(ch.code) +
                                      " cannot be stored");
                ok = false;
            } else if (droppedMarks++ == 0) {
                firstMarkColumn = ch.column;
            }
            continue;
        }
        const char32_t c = HebrewPunctuation(ch.code);
        if (IsBidiControl(c)) {
            kept.push_back(c);
            keptColumns.push_back(ch.column);
            continue;
        }
        const char* reason = "";
        if (ByteFor(c, direction, &reason) == 0) {
            std::string shown;
            if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0)) {
                shown = " '";
                AppendUtf8(shown, c);
                shown += '\'';
            }
            diagnostics.Error(spot, ch.column,
                              "cannot store " + CodePointName(c) + shown + ": " + reason + Suggestion(c));
            ok = false;
            continue;
        }
        kept.push_back(c);
        keptColumns.push_back(ch.column);
    }
    if (droppedMarks > 0) {
        diagnostics.Warning(spot, firstMarkColumn,
                            std::to_string(droppedMarks) +
                                " Hebrew point(s) or cantillation mark(s) dropped: the book's code has none");
    }
    if (!ok) {
        return false;
    }

    std::vector<FriBidiChar> visual;
    std::vector<FriBidiStrIndex> visualToLogical;
    std::vector<FriBidiLevel> levels;
    if (direction == Direction::RightToLeft && !kept.empty()) {
        visual.resize(kept.size());
        visualToLogical.resize(kept.size());
        levels.resize(kept.size());
        FriBidiParType base = FRIBIDI_PAR_RTL;
        if (fribidi_log2vis(kept.data(), FriBidiStrIndex(kept.size()), &base, visual.data(), nullptr,
                            visualToLogical.data(), levels.data()) == 0) {
            diagnostics.Error(spot, text.empty() ? 0 : text.front().column,
                              "the bidi algorithm failed on this text");
            return false;
        }
        if (runs != nullptr) {
            FindEmbeddedRuns(kept, keptColumns, levels, runs);
        }
    } else {
        visual = kept;
    }

    bytes->clear();
    for (std::size_t i = 0; i < visual.size(); ++i) {
        const FriBidiChar c = visual[i];
        if (IsBidiControl(c)) {
            continue;
        }
        const char* reason = "";
        const unsigned char b = ByteFor(c, direction, &reason);
        if (b == 0) {
            // Mirroring gave a character the code lacks (it never does for
            // the brackets the code has).
            diagnostics.Error(spot, 0, "cannot store the mirrored form " + CodePointName(c));
            return false;
        }
        // A space inside a left-to-right stretch (above the paragraph's
        // level 1) must not break the line.
        const bool embedded = !levels.empty() && levels[std::size_t(visualToLogical[i])] > 1;
        bytes->push_back(char(b == ' ' && embedded ? kNoBreakSpace : b));
    }
    return true;
}

}  // namespace bookc
