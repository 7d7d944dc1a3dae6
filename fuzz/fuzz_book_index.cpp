// The book compiler on any index source: it either refuses it with
// diagnostics that point inside the source, or makes a stream whose records
// walk to its end mark, with every section number usable by the reader and
// every lesson number in range and listed. An accepted source that makes a
// stream of 4 KB or more is also compiled many times over: up to just below
// the 64 KB a stream may hold, or (for sources of odd size) past it.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "format/book_format.h"
#include "format/index_stream.h"
#include "tools/bookc/book_compiler.h"

namespace {

int CountLines(const std::string& source) {
    int lines = 0;
    for (char c : source) lines += c == '\n' ? 1 : 0;
    return lines + 1;
}

// The diagnostics of a refused source: at least one error, each on a line
// of the source (0 for the file as a whole).
void CheckRefusal(const bookc::Diagnostics& diagnostics, const std::string& source) {
    if (diagnostics.ErrorCount() == 0) __builtin_trap();
    const int lines = CountLines(source);
    for (const bookc::Diagnostic& d : diagnostics.Items()) {
        if (d.line < 0 || d.line > lines || d.column < 0 || d.text.empty()) __builtin_trap();
    }
}

void CheckStream(const std::vector<std::uint8_t>& stream, const std::vector<int>& listed,
                 const bookc::Options& options) {
    if (stream.size() < kIndexEndMarkSize || stream.size() > kMaxStreamLength) __builtin_trap();
    const auto length = std::uint32_t(stream.size());
    const std::uint32_t records = length - std::uint32_t(kIndexEndMarkSize);
    std::set<unsigned> sections;
    std::size_t articles = 0;
    IndexRecordRef record;
    std::uint32_t offset = 0;
    while (ReadIndexRecord(stream.data(), length, offset, &record)) {
        const std::uint32_t next = NextIndexRecord(record);
        if (next <= offset || next > records) __builtin_trap();
        if ((record.flags & kIndexStyleMask) == 0) __builtin_trap();
        const unsigned key = record.id & kEntryKeyMask;
        if ((record.id & kSectionBit) != 0) {
            // The reader finds a section by its number: one each, never the
            // Bookmarks section's, and never both kinds at once.
            if ((record.id & kArticleBit) != 0 || key == 0 || key == kBookmarkSectionKey) __builtin_trap();
            if (!sections.insert(key).second) __builtin_trap();
        } else if ((record.id & kArticleBit) != 0) {
            if (key < 1 || int(key) > options.lessonCount) __builtin_trap();
            if (articles >= listed.size() || listed[articles] != int(key)) __builtin_trap();
            ++articles;
        } else if ((record.flags & kExpandedBit) != 0) {
            __builtin_trap();  // only a section opens
        }
        offset = next;
    }
    if (offset != records || articles != listed.size()) __builtin_trap();
    for (std::uint32_t i = records; i < length; ++i) {
        if (stream[i] != 0) __builtin_trap();
    }
}

void Compile(const std::string& source, bool repeatLarge) {
    bookc::Options options;
    bookc::Diagnostics diagnostics;
    std::vector<std::uint8_t> stream;
    std::vector<int> listed;
    if (!bookc::CompileIndex(source, "index.txt", options, diagnostics, &stream, &listed)) {
        CheckRefusal(diagnostics, source);
        return;
    }
    CheckStream(stream, listed, options);
    if (repeatLarge && stream.size() >= 4096) {
        std::string many;
        const std::size_t copies = kMaxStreamLength / stream.size() + (source.size() % 2) * 2;
        for (std::size_t i = 0; i < copies; ++i) many += source + "\n";
        Compile(many, false);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Compile(std::string(reinterpret_cast<const char*>(data), size), true);
    return 0;
}
