// The book compiler's last steps: each stream compressed and wrapped in the
// article container, the whole book folder compiled lesson by lesson and
// the index checked against the lessons, and the C++ source of resources
// generated from the containers.
#include "tools/bookc/book_compiler.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "format/book_format.h"
#include "store/palmdoc.h"
#include "tools/bookc/source_text.h"

namespace bookc {

std::vector<std::uint8_t> MakeContainer(const std::vector<std::uint8_t>& text) {
    const std::vector<std::uint8_t> packed = PalmDocCompress(text.data(), text.size());
    std::vector<std::uint8_t> out;
    const std::size_t size = kContainerStreamAt + packed.size() + kContainerTrailerSize;
    // The remainder length (all but the lead) must fit its 16 bits.
    if (text.size() > kMaxStreamLength || size - kContainerLeadSize > 0xFFFF) {
        return out;
    }
    out.reserve(size);
    out.resize(kContainerStreamAt);
    WriteContainerHeader(out.data(), std::uint16_t(packed.size()), std::uint16_t(text.size()));
    out.insert(out.end(), packed.begin(), packed.end());
    out.insert(out.end(), kContainerTrailerSize, 0);
    return out;
}

namespace {

// Reads the source of `what` ("lesson 3", "index") whole, or reports why it
// cannot: missing, a folder in its place (which would read as empty), or
// unreadable.
bool ReadSource(const std::filesystem::path& path, const std::string& what, Diagnostics& diagnostics,
                std::string* text) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        diagnostics.Error({path.string(), 0}, 0, what + " is a folder, not a file");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        diagnostics.Error({path.string(), 0}, 0, "missing " + what);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    if (in.bad()) {
        diagnostics.Error({path.string(), 0}, 0, "cannot read " + what);
        return false;
    }
    return true;
}

std::string LessonFileName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.txt", n);
    return name;
}

std::string Ranges(const std::vector<int>& numbers) {
    std::string out;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) {
            ++j;
        }
        if (!out.empty()) {
            out += ", ";
        }
        out += std::to_string(numbers[i]);
        if (j > i) {
            out += '-' + std::to_string(numbers[j]);
        }
        i = j + 1;
    }
    return out;
}

}  // namespace

bool CompileBook(const std::filesystem::path& bookDir, const Options& options, Diagnostics& diagnostics,
                 std::vector<CompiledResource>* resources) {
    namespace fs = std::filesystem;
    const int errorsAtStart = diagnostics.ErrorCount();
    resources->clear();
    const fs::path lessonDir = bookDir / "lessons";

    // Every .txt file in lessons/ must be a lesson of this book.
    std::error_code ec;
    if (fs::is_directory(lessonDir, ec)) {
        std::vector<fs::path> names;
        for (const fs::directory_entry& item : fs::directory_iterator(lessonDir, ec)) {
            names.push_back(item.path());
        }
        std::sort(names.begin(), names.end());
        for (const fs::path& path : names) {
            if (path.extension() != ".txt") {
                continue;
            }
            const std::string stem = path.stem().string();
            long number = 0;
            if (stem.size() != 3 || !ParseNumber(stem, &number)) {
                diagnostics.Error({path.string(), 0}, 0,
                                  "a lesson file is named by its three-digit number, like 004.txt");
            } else if (number < 1 || number > options.lessonCount) {
                diagnostics.Error({path.string(), 1}, 1,
                                  "lesson number " + std::to_string(number) + " out of range 1-" +
                                      std::to_string(options.lessonCount));
            }
        }
    }

    for (int n = 1; n <= options.lessonCount; ++n) {
        const fs::path path = lessonDir / LessonFileName(n);
        std::string source;
        if (!ReadSource(path, "lesson " + std::to_string(n), diagnostics, &source)) {
            continue;
        }
        std::vector<std::uint8_t> stream;
        if (!CompileLesson(source, path.string(), options, diagnostics, &stream)) {
            continue;
        }
        CompiledResource resource;
        resource.id = std::uint16_t(kArticleResourceBase + n);
        resource.bytes = MakeContainer(stream);
        if (resource.bytes.empty()) {
            diagnostics.Error({path.string(), 0}, 0, "the compressed lesson does not fit its container");
            continue;
        }
        resources->push_back(std::move(resource));
    }

    const fs::path indexPath = bookDir / "index.txt";
    std::string source;
    if (ReadSource(indexPath, "index", diagnostics, &source)) {
        std::vector<std::uint8_t> stream;
        std::vector<int> listed;
        if (CompileIndex(source, indexPath.string(), options, diagnostics, &stream, &listed)) {
            std::set<int> seen(listed.begin(), listed.end());
            std::vector<int> absent;
            for (int n = 1; n <= options.lessonCount; ++n) {
                if (seen.count(n) == 0) {
                    absent.push_back(n);
                }
            }
            if (!absent.empty()) {
                diagnostics.Warning({indexPath.string(), 0}, 0,
                                    "lessons not listed (the Bookmarks section cannot name them): " + Ranges(absent));
            }
            CompiledResource resource;
            resource.id = kIndexResourceId;
            resource.bytes = MakeContainer(stream);
            if (resource.bytes.empty()) {
                diagnostics.Error({indexPath.string(), 0}, 0, "the compressed index does not fit its container");
            } else {
                resources->push_back(std::move(resource));
            }
        }
    }
    return diagnostics.ErrorCount() == errorsAtStart;
}

std::string GenerateResourceSource(const std::vector<CompiledResource>& resources, const std::string& origin) {
    std::string out;
    out += "// Generated by bookc from " + origin + "; do not edit.\n";
    out += "#include \"platform/types.h\"\n#include \"resources/book_resources.h\"\n\nnamespace {\n\n";
    for (const CompiledResource& resource : resources) {
        out += "const char kResource" + std::to_string(resource.id) + "[] =\n    \"";
        std::size_t column = 0;
        for (std::uint8_t b : resource.bytes) {
            if (column >= 96) {
                out += "\"\n    \"";
                column = 0;
            }
            if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\' && b != '?') {
                out += char(b);
                column += 1;
            } else {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\%03o", unsigned(b));
                out += escape;
                column += 4;
            }
        }
        out += "\";\n\n";
    }
    out += "const plat::ResourceEntry kEntries[] = {\n";
    for (const CompiledResource& resource : resources) {
        out += "    {RT_RCDATA, " + std::to_string(resource.id) + ", kResource" + std::to_string(resource.id) +
               ", " + std::to_string(resource.bytes.size()) + "},\n";
    }
    out += "};\n\n}  // namespace\n\n";
    out += "const plat::ResourceTable& BookResourceTable() {\n";
    out += "    static const plat::ResourceTable table{kEntries, sizeof kEntries / sizeof kEntries[0]};\n";
    out += "    return table;\n}\n";
    return out;
}

}  // namespace bookc
