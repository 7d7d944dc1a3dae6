#include "clipboard/rtf_writer.h"

#include <cstring>

const char kRtfHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}"
    "\\rtldoc\\pard\\rtlpar\\qr\\lang1033\\f0\\fs20\\uc0\r\n";
const char kRtfSeparator[] = "\\qc\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par\\qr\\fs20\\cf0\r\n";
const char kRtfLineBreak[] = "\\par\\par\r\n";
const char kRtfClosing[] = "}\r\n";

static_assert(sizeof kRtfHeader - 1 == 180);
static_assert(sizeof kRtfSeparator - 1 == 52);
static_assert(sizeof kRtfLineBreak - 1 == 10);
static_assert(sizeof kRtfClosing - 1 == 3);

namespace {

// After another program's document: right-to-left paragraphs again, and no
// fallback characters after "\u" escapes.
const char kForeignReset[] = "\\pard\\rtlpar\\qr\\uc0\r\n";

constexpr char kRtfStart[] = "{\\rtf";

// Writes into `out` when there is one; counts either way.
struct ByteSink {
    char* out;
    std::uint32_t length;

    void Put(char c) {
        if (out != nullptr) out[length] = c;
        ++length;
    }
    void Put(const char* text, std::uint32_t n) {
        if (out != nullptr) std::memcpy(out + length, text, n);
        length += n;
    }
    void Put(const char* text) { Put(text, std::uint32_t(std::strlen(text))); }
};

bool IsAsciiAlphanumeric(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// "\u" and the value as Rich Text's signed 16-bit number.
void PutUnicodeEscape(ByteSink& sink, char16_t c) {
    char digits[8];
    int n = 0;
    unsigned value = c;
    sink.Put("\\u", 2);
    if (value > 32767) {
        sink.Put('-');
        value = 65536 - value;
    }
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) sink.Put(digits[--n]);
}

bool IsBlank(std::uint8_t b) { return b == '\t' || b == '\n' || b == '\r' || b == ' '; }

}  // namespace

std::uint32_t WriteRtfBody(const char16_t* text, char* out) {
    ByteSink sink{out, 0};
    bool afterEscape = false;
    for (std::uint32_t i = 0; text != nullptr && text[i] != 0;) {
        const char16_t c = text[i];
        if (c == u' ') {
            if (afterEscape) sink.Put(' ');
            while (text[i] == u' ') {
                sink.Put(' ');
                ++i;
            }
            afterEscape = false;
        } else if (c == u'\r' || c == u'\n') {
            while (text[i] == u'\r' || text[i] == u'\n') ++i;
            sink.Put(kRtfLineBreak);
            afterEscape = false;
        } else if (c >= 0x21 && c <= 0x7E) {
            if (c == u'\\' || c == u'{' || c == u'}') {
                sink.Put('\\');
            } else if (afterEscape && IsAsciiAlphanumeric(c)) {
                sink.Put(' ');
            }
            sink.Put(char(c));
            afterEscape = false;
            ++i;
        } else {
            PutUnicodeEscape(sink, c);
            afterEscape = true;
            ++i;
        }
    }
    sink.Put(kRtfLineBreak);
    if (out != nullptr) out[sink.length] = 0;
    return sink.length;
}

PreviousRtf ExaminePreviousRtf(const std::uint8_t* data, std::uint32_t size) {
    PreviousRtf previous{nullptr, 0, false};
    if (data == nullptr) return previous;
    std::uint32_t length = 0;
    while (length < size && data[length] != 0) ++length;
    const std::uint32_t startLength = sizeof kRtfStart - 1;
    if (length < startLength || std::memcmp(data, kRtfStart, startLength) != 0) return previous;
    const std::uint32_t headerLength = sizeof kRtfHeader - 1;
    previous.foreign = length < headerLength || std::memcmp(data, kRtfHeader, headerLength) != 0;
    while (length > 0 && IsBlank(data[length - 1])) --length;
    if (length > 0 && data[length - 1] == '}') --length;
    previous.bytes = data;
    previous.length = length;
    return previous;
}

namespace {

// The document around the body; with no body (and no sink output) only counts.
void ComposeDocument(ByteSink& sink, const PreviousRtf& previous, const char* body,
                     std::uint32_t bodyLength) {
    if (previous.bytes == nullptr) {
        sink.Put(kRtfHeader);
    } else {
        sink.Put(reinterpret_cast<const char*>(previous.bytes), previous.length);
        sink.Put(kRtfSeparator);
        if (previous.foreign) sink.Put(kForeignReset);
    }
    if (body != nullptr) {
        sink.Put(body, bodyLength);
    } else {
        sink.length += bodyLength;
    }
    sink.Put(kRtfClosing);
}

}  // namespace

std::uint32_t RtfDocumentLength(const PreviousRtf& previous, std::uint32_t bodyLength) {
    ByteSink sink{nullptr, 0};
    ComposeDocument(sink, previous, nullptr, bodyLength);
    return sink.length;
}

void WriteRtfDocument(char* out, const PreviousRtf& previous, const char* body,
                      std::uint32_t bodyLength) {
    ByteSink sink{out, 0};
    ComposeDocument(sink, previous, body, bodyLength);
    out[sink.length] = 0;
}
