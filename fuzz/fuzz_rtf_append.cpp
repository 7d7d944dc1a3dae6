// Append to ClipBoard in Rich Text over whatever document the clipboard
// held before: the copy of the old data must stay inside the bytes the
// clipboard reports, the sizing pass must count exactly what is written,
// and the result must be one zero-terminated document. The text's bytes,
// taken as a stored right-to-left line, go through reading order too, and
// taken as a line in reading order, into the stored order.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/reading_order.h"
#include "clipboard/rtf_writer.h"
#include "format/book_format.h"
#include "platform/clipboard.h"
#include "platform/headless/headless.h"

// Brackets may come out as their partners.
char16_t OneOfPair(char16_t c) {
    switch (c) {
        case u')': return u'(';
        case u']': return u'[';
        case u'}': return u'{';
        case u'>': return u'<';
        case 0xBB: return 0xAB;
        default: return c;
    }
}

// The same for stored bytes, where '{' has a code of its own; a joined
// space counts as a space.
std::uint8_t OneOfStoredPair(std::uint8_t b) {
    switch (b) {
        case ')': return '(';
        case ']': return '[';
        case '}': return kOpenBraceCode;
        case '>': return '<';
        case 0xBB: return 0xAB;
        case kNoBreakSpace: return ' ';
        default: return b;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes split the input: the old document, then UTF-16 text.
    const std::size_t split = std::min<std::size_t>(size - 2, std::size_t(data[0]) << 8 | data[1]);
    const std::vector<std::uint8_t> previous(data + 2, data + 2 + split);
    std::u16string text((size - 2 - split) / 2, 0);
    if (!text.empty()) std::memcpy(text.data(), data + 2 + split, text.size() * 2);
    text = text.c_str();  // up to its first zero, as the decoded text is

    const std::uint32_t counted = WriteRtfBody(text.c_str(), nullptr);
    std::vector<char> body(std::size_t(counted) + 1);
    if (WriteRtfBody(text.c_str(), body.data()) != counted || body[counted] != 0) __builtin_trap();

    plat::headless::Reset();
    const std::uint32_t format = plat::RegisterClipboardFormat(kRichTextFormatName);
    plat::headless::SetClipboardBytes(format, previous);
    PutRtfOnClipboard(text.c_str(), true);
    const std::vector<std::uint8_t> out = plat::headless::ClipboardBytes(format);
    const PreviousRtf old = ExaminePreviousRtf(previous.data(), std::uint32_t(previous.size()));
    if (out.size() != std::size_t(RtfDocumentLength(old, counted)) + 1) __builtin_trap();
    if (std::memchr(out.data(), 0, out.size() - 1) != nullptr || out.back() != 0) __builtin_trap();
    if (out.size() < 5 || std::memcmp(out.data(), "{\\rtf", 5) != 0) __builtin_trap();
    if (std::memcmp(out.data() + out.size() - 4, "}\r\n", 3) != 0) __builtin_trap();

    // The same bytes as a stored right-to-left line: reading order moves
    // characters, never adds, drops or reads past them.
    const std::vector<std::uint8_t> line(data + 2 + split, data + size);
    std::u16string read(line.begin(), line.end());
    if (PutIntoReadingOrder(read.data(), line.data(), int(line.size())) == 0 && !line.empty()) {
        std::u16string sortedIn(line.begin(), line.end()), sortedOut = read;
        for (std::u16string* s : {&sortedIn, &sortedOut}) {
            for (char16_t& c : *s) c = OneOfPair(c);
        }
        std::sort(sortedIn.begin(), sortedIn.end());
        std::sort(sortedOut.begin(), sortedOut.end());
        if (sortedIn != sortedOut) __builtin_trap();
    }
    // And the other way, from reading order into the stored order: the same
    // bytes, brackets perhaps as their partners, spaces perhaps joined.
    std::vector<std::uint8_t> stored(line.size());
    if (PutIntoStoredOrder(line.data(), int(line.size()), stored.data()) == 0 && !line.empty()) {
        std::vector<std::uint8_t> sortedIn = line, sortedOut = stored;
        for (std::vector<std::uint8_t>* s : {&sortedIn, &sortedOut}) {
            for (std::uint8_t& b : *s) b = OneOfStoredPair(b);
        }
        std::sort(sortedIn.begin(), sortedIn.end());
        std::sort(sortedOut.begin(), sortedOut.end());
        if (sortedIn != sortedOut) __builtin_trap();
    }
    return 0;
}
