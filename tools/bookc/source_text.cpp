#include "tools/bookc/source_text.h"

#include <charconv>

namespace bookc {

std::vector<std::string_view> SplitLines(std::string_view source) {
    // Editors may start a UTF-8 file with a byte-order mark; it is not text
    // of the first line (which may be a comment).
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (source.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        source.remove_prefix(kByteOrderMark.size());
    }
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < source.size()) {
                lines.push_back(source.substr(start));
            }
            break;
        }
        lines.push_back(source.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int ColumnAt(std::string_view line, std::size_t offset) {
    int column = 1;
    for (std::size_t i = 0; i < offset && i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return column;
}

std::vector<Word> SplitWords(std::string_view line, std::size_t from, std::size_t to) {
    std::vector<Word> words;
    std::size_t i = from;
    while (i < to) {
        while (i < to && line[i] == ' ') {
            ++i;
        }
        const std::size_t start = i;
        while (i < to && line[i] != ' ') {
            ++i;
        }
        if (i > start) {
            words.push_back({line.substr(start, i - start), start});
        }
    }
    return words;
}

bool ParseNumber(std::string_view text, long* value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    *value = v;
    return true;
}

bool NumberAttribute(const Word& word, std::string_view name, long low, long high, std::string_view line,
                     const SourceSpot& spot, Diagnostics& diagnostics, long* value) {
    const std::string_view text = word.text.substr(name.size() + 1);
    if (!ParseNumber(text, value) || *value < low || *value > high) {
        diagnostics.Error(spot, ColumnAt(line, word.offset + name.size() + 1),
                          std::string(name) + " must be a number from " + std::to_string(low) + " to " +
                              std::to_string(high));
        return false;
    }
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

}  // namespace bookc
