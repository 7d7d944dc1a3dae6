// The book compiler on any lesson source: it either refuses it with
// diagnostics or makes a stream the reader's view lays out to its end.
#include <cstdint>
#include <string>
#include <vector>

#include "format/book_format.h"
#include "platform/memory.h"
#include "tools/bookc/book_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source(reinterpret_cast<const char*>(data), size);
    bookc::Diagnostics diagnostics;
    std::vector<std::uint8_t> stream;
    bookc::Options options;
    if (!bookc::CompileLesson(source, "fuzz.txt", options, diagnostics, &stream)) return 0;
    if (stream.size() > kMaxStreamLength) __builtin_trap();
    // Every record of the stream is whole and the walk ends at its end.
    LineRecordInfo record;
    std::uint32_t offset = 0;
    const auto length = std::uint32_t(stream.size());
    while (ReadLineRecord(stream.data(), length, offset, &record)) {
        if (record.next <= offset || record.next > length) __builtin_trap();
        offset = record.next;
    }
    if (offset != length) __builtin_trap();
    return 0;
}
