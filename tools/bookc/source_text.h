// Reading the book's source lines: splitting, trimming, columns for
// diagnostics, words and numeric attributes ("name=value").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/bookc/diagnostics.h"

namespace bookc {

// The lines of a source, without a UTF-8 byte-order mark at its start.
std::vector<std::string_view> SplitLines(std::string_view source);
// Without trailing spaces, tabs and carriage returns.
std::string_view TrimRight(std::string_view s);
// Column (1-based, in characters) of a byte offset in a UTF-8 line.
int ColumnAt(std::string_view line, std::size_t offset);

struct Word {
    std::string_view text;
    std::size_t offset;  // byte offset in the line
};

// The space-separated words of line[from, to).
std::vector<Word> SplitWords(std::string_view line, std::size_t from, std::size_t to);
// A decimal number of at most nine digits and nothing else.
bool ParseNumber(std::string_view text, long* value);
// "name=value" with a number in [low, high]; reports errors itself.
bool NumberAttribute(const Word& word, std::string_view name, long low, long high, std::string_view line,
                     const SourceSpot& spot, Diagnostics& diagnostics, long* value);
bool StartsWith(std::string_view s, std::string_view prefix);

}  // namespace bookc
