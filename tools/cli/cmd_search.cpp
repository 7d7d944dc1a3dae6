// tovanel-cli search: every hit of a pattern in the book, one a line, found
// by the reader's own matcher.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "clipboard/reading_order.h"
#include "format/book_format.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "resources/book_resources.h"
#include "search/search.h"
#include "store/article_store.h"
#include "tools/cli/listings/record_dump.h"
#include "tools/cli/cli_command.h"
#include "tools/cli/search_pattern.h"
#include "format/book_format.h"

namespace {

void PrintSearchHelp() {
    std::printf(
        "usage: tovanel-cli search [--visual] PATTERN\n"
        "\n"
        "Lists every hit of PATTERN in the book, one a line:\n"
        "  lesson=N end=E length=L<TAB>the record's text in reading order, the hit in [ ]\n"
        "E is the stream offset of the hit's last byte. PATTERN holds Hebrew letters,\n"
        "spaces, '?' (any one byte), '*' (any run inside one record) and ASCII\n"
        "characters, which stand for their own byte. It is read in reading order and\n"
        "put into the stored order: reversed, with Latin words and numbers kept in\n"
        "their own order. With --visual it is taken as stored (as the Search\n"
        "dialog's box shows it). Lessons go from 1 to 262, records in stream\n"
        "order, and each record is scanned from its end backward, as the reader does.\n"
        "Exit code 0 when something was found, 1 when nothing was, 2 for a bad pattern.\n");
}

// The record text with the hit put in brackets, in reading order.
std::string MarkedText(const std::uint8_t* text, std::uint32_t count, std::uint32_t first,
                       std::uint32_t length, bool rightToLeft) {
    const std::string before = StoredTextToReadingOrder(text, first, rightToLeft);
    const std::string hit = StoredTextToReadingOrder(text + first, length, rightToLeft);
    const std::string after =
        StoredTextToReadingOrder(text + first + length, count - first - length, rightToLeft);
    if (rightToLeft) {
        return after + "[" + hit + "]" + before;
    }
    return before + "[" + hit + "]" + after;
}

// Prints the hits of one lesson's stream; returns how many.
int ListHits(int lesson, const std::uint8_t* text, std::uint32_t length, const std::string& pattern) {
    const auto* codes = reinterpret_cast<const std::uint8_t*>(pattern.data());
    int hits = 0;
    std::uint32_t record = 0;
    while (record + 2 < length && text[record] != 0) {
        const std::uint32_t begin = record + 2;
        const std::uint32_t end = FindTextEnd(text, length, begin);
        const bool rightToLeft = (text[record] & kRightToLeft) != 0;
        long scan = long(end) - 1;
        while (scan >= long(begin)) {
            int hitLength = 0;
            const std::uint8_t* last = MatchBackward(text + begin, codes, int(pattern.size()),
                                                     text + scan, &hitLength);
            if (last == nullptr) {
                break;
            }
            const std::uint32_t e = std::uint32_t(last - text);
            std::printf("lesson=%d end=%u length=%d\t%s\n", lesson, e, hitLength,
                        MarkedText(text + begin, end - begin, e + 1 - std::uint32_t(hitLength) - begin,
                                   std::uint32_t(hitLength), rightToLeft)
                            .c_str());
            ++hits;
            scan = long(e) - hitLength;
        }
        record = end + 1;
    }
    return hits;
}

int RunSearch(int argc, char** argv) {
    bool visual = false;
    const char* pattern = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintSearchHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--visual") == 0) {
            visual = true;
        } else if (pattern == nullptr) {
            pattern = argv[i];
        } else {
            std::fprintf(stderr, "usage: tovanel-cli search [--visual] PATTERN\n");
            return 2;
        }
    }
    if (pattern == nullptr) {
        std::fprintf(stderr, "usage: tovanel-cli search [--visual] PATTERN\n");
        return 2;
    }
    std::string codes;
    std::string error;
    if (!ParseSearchPattern(pattern, visual, &codes, &error)) {
        std::fprintf(stderr, "tovanel-cli search: %s\n", error.c_str());
        return 2;
    }
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    int hits = 0;
    for (int lesson = kFirstLesson; lesson <= kLastLesson; ++lesson) {
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        if (text == nullptr) {
            continue;
        }
        hits += ListHits(lesson, text, length, codes);
        plat::Free(text);
    }
    return hits > 0 ? 0 : 1;
}

const CliCommand kSearchCommand("search", "search [--visual] PATTERN",
                                "list every hit of a search pattern in the book", RunSearch);

}  // namespace

bool ParseSearchPattern(const std::string& utf8, bool visual, std::string* codes,
                        std::string* error) {
    codes->clear();
    for (char16_t ch : plat::Utf8ToUtf16(utf8)) {
        if (IsUnicodeHebrewLetter(ch)) {
            codes->push_back(char(LetterCodeOf(ch)));
        } else if (ch >= 0x20 && ch <= 0x7E) {
            codes->push_back(char(ch));
        } else {
            *error = "the pattern holds U+" + [ch] {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%04X", unsigned(ch));
                return std::string(hex);
            }() + ", which is neither a Hebrew letter nor an ASCII character";
            return false;
        }
    }
    if (codes->empty()) {
        *error = "the pattern is empty";
        return false;
    }
    if (codes->size() > std::size_t(kSearchPatternMaxLength)) {
        *error = "the pattern is longer than 33 codes";
        return false;
    }
    if (!visual) {
        // Into the order a right-to-left line is stored in: Latin words and
        // numbers inside it keep their own order. A space joined inside such
        // a run stays a plain space, which matches both.
        std::string stored(codes->size(), '\0');
        PutIntoStoredOrder(reinterpret_cast<const std::uint8_t*>(codes->data()), int(codes->size()),
                           reinterpret_cast<std::uint8_t*>(stored.data()));
        std::replace(stored.begin(), stored.end(), char(kNoBreakSpace), ' ');
        *codes = stored;
    }
    return true;
}
