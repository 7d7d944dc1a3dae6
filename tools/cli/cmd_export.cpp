// tovanel-cli export: what Copy or Append to ClipBoard would put on the
// clipboard for a lesson, written to a file or standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/rtf_writer.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "tools/cli/cli_command.h"

namespace {

void PrintExportHelp() {
    std::printf(
        "usage: tovanel-cli export LESSON [--rtf | --text] [--base 97|224|1488] [--reverse]\n"
        "                          [--out FILE] [--append]\n"
        "\n"
        "Writes exactly what Copy puts on the clipboard for lesson LESSON (1-262):\n"
        "the Rich Text document, or the Unicode text as UTF-8, without the\n"
        "terminating zero. Without --rtf or --text the letter base decides, as in\n"
        "the reader: Rich Text for 1488, Unicode text for 97 and 224.\n"
        "\n"
        "  --rtf        a Rich Text document\n"
        "  --text       Unicode text (UTF-8)\n"
        "  --base B     where the font's Hebrew letters lie: 97, 224 or 1488 (default)\n"
        "  --reverse    as with the reader's Reverse command on\n"
        "  --out FILE   write to FILE instead of standard output\n"
        "  --append     join to what FILE holds, as Append to ClipBoard joins to the\n"
        "               clipboard (needs --out; a missing FILE counts as empty)\n");
}

struct ExportOptions {
    int lesson = 0;
    int mode = 0;  // 0 by the base, 1 Rich Text, 2 Unicode text
    int base = 1488;
    bool reverse = false;
    bool append = false;
    const char* out = nullptr;
    bool help = false;
};

bool ParseExportArguments(int argc, char** argv, ExportOptions* o, std::string* error) {
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            o->help = true;
        } else if (a == "--rtf" || a == "--text") {
            const int mode = a == "--rtf" ? 1 : 2;
            if (o->mode != 0 && o->mode != mode) {
                *error = "--rtf and --text exclude each other";
                return false;
            }
            o->mode = mode;
        } else if (a == "--base" && i + 1 < argc) {
            const std::string b = argv[++i];
            if (b != "97" && b != "224" && b != "1488") {
                *error = "--base takes 97, 224 or 1488, not '" + b + "'";
                return false;
            }
            o->base = std::atoi(b.c_str());
        } else if (a == "--reverse") {
            o->reverse = true;
        } else if (a == "--append") {
            o->append = true;
        } else if (a == "--out" && i + 1 < argc) {
            o->out = argv[++i];
        } else if (!a.empty() && a[0] != '-' && o->lesson == 0) {
            char* end = nullptr;
            const long value = std::strtol(a.c_str(), &end, 10);
            if (*end != '\0' || value < kFirstLesson || value > kLastLesson) {
                *error = "'" + a + "' is not a lesson number (1-262)";
                return false;
            }
            o->lesson = int(value);
        } else {
            *error = "unexpected argument '" + a + "'";
            return false;
        }
    }
    if (o->help) return true;
    if (o->lesson == 0) {
        *error = "which lesson?";
        return false;
    }
    if (o->append && o->out == nullptr) {
        *error = "--append needs --out FILE";
        return false;
    }
    return true;
}

// The whole of FILE, or nothing when it does not exist.
bool ReadWholeFile(const char* path, std::string* bytes) {
    bytes->clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return true;
    char chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->append(chunk, n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// The Rich Text document for `text`, after the document in `previous`.
std::string RichTextExport(const char16_t* text, const std::string& previous) {
    const PreviousRtf old = ExaminePreviousRtf(
        reinterpret_cast<const std::uint8_t*>(previous.data()), std::uint32_t(previous.size()));
    std::vector<char> body(WriteRtfBody(text, nullptr) + 1);
    const std::uint32_t bodyLength = WriteRtfBody(text, body.data());
    const std::uint32_t length = RtfDocumentLength(old, bodyLength);
    std::vector<char> document(std::size_t(length) + 1);
    WriteRtfDocument(document.data(), old, body.data(), bodyLength);
    return std::string(document.data(), length);
}

// Unicode text as UTF-8, directly after the text in `previous` (up to a
// zero there, as the clipboard's text ends at its terminator).
std::string PlainTextExport(const char16_t* text, const std::string& previous) {
    return previous.substr(0, previous.find('\0')) + plat::Utf16ToUtf8(text);
}

int RunExport(int argc, char** argv) {
    ExportOptions o;
    std::string error;
    if (!ParseExportArguments(argc, argv, &o, &error)) {
        std::fprintf(stderr, "tovanel-cli export: %s\n", error.c_str());
        return 2;
    }
    if (o.help) {
        PrintExportHelp();
        return 0;
    }
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    AppState.Font.FontAsciiBase = o.base;
    AppState.Flags = o.reverse ? AppFlags::Reverse : 0;
    const bool richText = o.mode == 0 ? ExportsRichText() : o.mode == 1;

    std::uint32_t length = 0;
    std::uint8_t* stream = LoadArticle(o.lesson, nullptr, &length);
    if (stream == nullptr) {
        std::fprintf(stderr, "tovanel-cli export: lesson %d does not load\n", o.lesson);
        return 1;
    }
    char16_t* text = DecodeForExport(stream, length);
    plat::Free(stream);
    std::string previous;
    if (text == nullptr || (o.append && !ReadWholeFile(o.out, &previous))) {
        std::fprintf(stderr, "tovanel-cli export: %s\n",
                     text == nullptr ? "the text could not be decoded" : "cannot read the file");
        plat::Free(text);
        return 1;
    }
    const std::string bytes = richText ? RichTextExport(text, previous) : PlainTextExport(text, previous);
    plat::Free(text);

    std::FILE* file = o.out != nullptr ? std::fopen(o.out, "wb") : stdout;
    if (file == nullptr) {
        std::fprintf(stderr, "tovanel-cli export: cannot write %s\n", o.out);
        return 1;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (o.out != nullptr ? std::fclose(file) : std::fflush(file)) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "tovanel-cli export: writing failed\n");
        return 1;
    }
    return 0;
}

const CliCommand kExportCommand("export",
                                "export LESSON [--rtf|--text] [--base B] [--reverse] [--out FILE] [--append]",
                                "what Copy puts on the clipboard, to a file", RunExport);

}  // namespace
