// The book compiler: a book folder in the authoring format (book/README.md)
// becomes the article streams and the index stream, each compressed and
// wrapped in the article container, and finally a C++ source of resources.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "format/book_format.h"
#include "tools/bookc/diagnostics.h"

namespace bookc {

constexpr int kDefaultLessonCount = 262;

struct Options {
    int lessonCount = kDefaultLessonCount;  // lessons 1..lessonCount must all exist
    bool strict = false;                    // Hebrew points are errors, not warnings
};

// The LineRecord stream of one lesson (without the buffer's final NUL).
// Errors go to diagnostics under fileName; false when there were any.
bool CompileLesson(std::string_view source, const std::string& fileName, const Options& options,
                   Diagnostics& diagnostics, std::vector<std::uint8_t>* stream);

// The IndexRecord stream, ended by five zero bytes.
// `listed`, when given, receives the lesson numbers the index names.
bool CompileIndex(std::string_view source, const std::string& fileName, const Options& options,
                  Diagnostics& diagnostics, std::vector<std::uint8_t>* stream,
                  std::vector<int>* listed = nullptr);

// Compresses a stream and wraps it in the container header (big-endian):
// remainder, text length twice, compressed length, text length, the
// compressed bytes, four zero bytes.
std::vector<std::uint8_t> MakeContainer(const std::vector<std::uint8_t>& text);

struct CompiledResource {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> bytes;  // the container
};

// Reads BOOKDIR/index.txt and BOOKDIR/lessons/NNN.txt for every lesson.
// Resources come out in id order: lessons 1001.., then the index.
bool CompileBook(const std::filesystem::path& bookDir, const Options& options, Diagnostics& diagnostics,
                 std::vector<CompiledResource>* resources);

// A C++ source defining `const plat::ResourceTable& BookResourceTable()`.
std::string GenerateResourceSource(const std::vector<CompiledResource>& resources,
                                   const std::string& origin);

}  // namespace bookc
