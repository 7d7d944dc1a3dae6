// bookc: the book compiler.
//   bookc build BOOKDIR OUTPUT.cpp [--lessons N] [--strict]
//   bookc compress IN OUT      raw bytes -> bare PalmDOC stream
//   bookc decompress IN OUT    bare PalmDOC stream -> raw bytes
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "store/palmdoc.h"
#include "tools/bookc/book_compiler.h"

namespace {

void Usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: bookc build BOOKDIR OUTPUT.cpp [--lessons N] [--strict]\n"
                 "       bookc compress IN OUT\n"
                 "       bookc decompress IN OUT\n"
                 "\n"
                 "build       compile a book folder (index.txt, lessons/NNN.txt) into a C++ source\n"
                 "            of resources; --lessons sets how many lessons the book has (262),\n"
                 "            --strict makes Hebrew points and cantillation marks errors\n"
                 "compress    write a file as a bare PalmDOC stream (minimum-size parse)\n"
                 "decompress  decode a bare PalmDOC stream\n");
}

// A whole number with nothing after it ("5x" is refused, not read as 5).
bool ParseCount(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < low || v > high) {
        return false;
    }
    *value = v;
    return true;
}

bool ReadAll(const char* path, std::vector<std::uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    bytes->assign(text.begin(), text.end());
    return !in.bad();
}

// Writes through a temporary file, so a failed run leaves no half file.
bool WriteAll(const std::string& path, const void* data, std::size_t size) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(static_cast<const char*>(data), std::streamsize(size));
        if (!out) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

int Build(int argc, char** argv) {
    bookc::Options options;
    std::vector<const char*> positional;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--strict") == 0) {
            options.strict = true;
        } else if (std::strcmp(argv[i], "--lessons") == 0) {
            long count = 0;
            if (i + 1 >= argc) {
                std::fprintf(stderr, "bookc: --lessons needs a number from 1 to 16382\n");
                return 2;
            }
            if (!ParseCount(argv[++i], 1, 16382, &count)) {
                std::fprintf(stderr, "bookc: --lessons takes a number from 1 to 16382, not '%s'\n",
                             argv[i]);
                return 2;
            }
            options.lessonCount = int(count);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "bookc: unknown option '%s'\n", argv[i]);
            return 2;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() != 2) {
        Usage(stderr);
        return 2;
    }
    bookc::Diagnostics diagnostics(options.strict);
    std::vector<bookc::CompiledResource> resources;
    const bool ok = bookc::CompileBook(positional[0], options, diagnostics, &resources);
    std::fputs(diagnostics.Format().c_str(), stderr);
    if (!ok) {
        std::fprintf(stderr, "bookc: %d error(s); no output written\n", diagnostics.ErrorCount());
        return 1;
    }
    const std::string source = bookc::GenerateResourceSource(resources, positional[0]);
    if (!WriteAll(positional[1], source.data(), source.size())) {
        std::fprintf(stderr, "bookc: cannot write %s\n", positional[1]);
        return 1;
    }
    return 0;
}

int Raw(bool compress, int argc, char** argv) {
    if (argc != 2) {
        Usage(stderr);
        return 2;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(argv[0], ec)) {
        std::fprintf(stderr, "bookc: %s is a folder; %s takes a file\n", argv[0],
                     compress ? "compress" : "decompress");
        return 1;
    }
    std::vector<std::uint8_t> input;
    if (!ReadAll(argv[0], &input)) {
        std::fprintf(stderr, "bookc: cannot read %s\n", argv[0]);
        return 1;
    }
    std::vector<std::uint8_t> output;
    if (compress) {
        output = PalmDocCompress(input.data(), input.size());
    } else {
        std::size_t size = 0;
        if (!PalmDocDecodedSize(input.data(), input.size(), &size)) {
            std::fprintf(stderr, "bookc: %s is not a well-formed PalmDOC stream\n", argv[0]);
            return 1;
        }
        output.resize(size);
        const PalmDocDecodeResult result = PalmDocDecode(input.data(), input.size(), output.data(), size);
        if (result.status != PalmDocStatus::Complete && size != 0) {
            std::fprintf(stderr, "bookc: %s is not a well-formed PalmDOC stream\n", argv[0]);
            return 1;
        }
    }
    if (!WriteAll(argv[1], output.data(), output.size())) {
        std::fprintf(stderr, "bookc: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "build") == 0) {
        return Build(argc - 2, argv + 2);
    }
    if (std::strcmp(argv[1], "compress") == 0 || std::strcmp(argv[1], "decompress") == 0) {
        return Raw(argv[1][0] == 'c', argc - 2, argv + 2);
    }
    std::fprintf(stderr, "bookc: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
