#include "clipboard/export_text.h"

#include "app/app_state.h"
#include "clipboard/reading_order.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "format/book_format.h"
#include "view/display_text.h"

namespace {

// Dashes a special record exports for its layout byte: a separator's
// pixels, or twice its percent.
std::uint32_t DashCount(std::uint8_t layout) {
    return layout <= kSeparatorPixelMax ? layout : std::uint32_t(layout - kSeparatorPixelMax) * 2;
}

bool IsSpecial(const LineRecordInfo& record) {
    return (record.flags & kStyleMask) == kSpecialStyle;
}

// Appends to the decode buffer, never past its last unit, which is kept for
// the terminating zero.
struct TextWriter {
    char16_t* out;
    std::uint32_t room;  // units before the terminator's place
    std::uint32_t used;
    bool overflow;

    void Put(char16_t c, std::uint32_t times = 1) {
        if (overflow || times > room - used) {
            overflow = true;
            return;
        }
        for (std::uint32_t i = 0; i < times; ++i) out[used++] = c;
    }
    void Put(const char16_t* text, std::uint32_t n) {
        if (overflow || n > room - used) {
            overflow = true;
            return;
        }
        for (std::uint32_t i = 0; i < n; ++i) out[used++] = text[i];
    }
};

// The letter base a conversion through the scratch uses.
std::int32_t EffectiveBase(std::int32_t letterBase) {
    return letterBase != 0 ? letterBase : AppState.Font.FontAsciiBase;
}

// Converts a text record's bytes and writes them; false when the
// conversion ran out of memory.
bool WriteRecordText(const std::uint8_t* stream, const LineRecordInfo& record, TextWriter* writer) {
    const bool rightToLeft = (record.flags & kRightToLeft) != 0;
    const int count = int(record.textLength);
    const std::uint8_t* bytes = stream + record.textStart;
    TextBuffer.letterBase = rightToLeft ? AppState.Font.FontAsciiBase : kLatinLetterBase;
    const bool reversed = rightToLeft && count > 0 &&
                          EffectiveBase(TextBuffer.letterBase) != kLatinLetterBase &&
                          (AppState.Flags & AppFlags::Reverse) != 0;
    // Converted in storage order; a reversed line is then put into reading
    // order as a whole (a plain reversal would turn "54" into "45").
    const std::uint32_t savedFlags = AppState.Flags;
    AppState.Flags &= ~AppFlags::Reverse;
    char16_t* text = ConvertToDisplayText(bytes, nullptr, &TextBuffer, count);
    AppState.Flags = savedFlags;
    TextBuffer.letterBase = kLatinLetterBase;
    if (text == nullptr) return false;
    const int converted = int(plat::U16Length(text));
    if (reversed) PutIntoReadingOrder(text, bytes, converted);
    // The no-break spaces that keep a Latin run inside Hebrew on one line
    // were spaces in the text as written, and are copied out as such.
    for (int i = 0; i < converted; ++i) {
        if (text[i] == u'\u00A0') text[i] = u' ';
    }
    writer->Put(text, std::uint32_t(converted));
    return true;
}

}  // namespace

std::uint32_t ExportBufferSize(const std::uint8_t* stream, std::uint32_t length) {
    std::uint64_t lines = 0;
    std::uint64_t dashes = 0;
    std::uint64_t indents = 0;
    std::uint32_t at = 0;
    LineRecordInfo record;
    while (ReadLineRecord(stream, length, at, &record)) {
        lines += (record.flags & kBlankLineAfter) ? 2 : 1;
        if (IsSpecial(record)) {
            dashes += DashCount(record.layout);
        } else {
            indents += record.layout & kIndentMask;
        }
        at = record.next;
    }
    const std::uint64_t streamBytes = record.offset;  // where the end mark is (or would be)
    const std::uint64_t units = streamBytes + streamBytes / 2 + 2 * lines + dashes + indents + 1;
    return units * 2 > 0xFFFFFFFFu ? 0xFFFFFFFFu : std::uint32_t(units * 2);
}

int DecodeArticleText(const std::uint8_t* stream, std::uint32_t length, char16_t* buffer,
                      std::uint32_t size) {
    const std::uint32_t units = size / 2;
    if (buffer == nullptr || units == 0) return 1;
    TextWriter writer{buffer, units - 1, 0, false};
    std::uint32_t at = 0;
    LineRecordInfo record;
    while (!writer.overflow && ReadLineRecord(stream, length, at, &record)) {
        if (IsSpecial(record)) {
            writer.Put(u'-', DashCount(record.layout));
        } else {
            const bool rightToLeft = (record.flags & kRightToLeft) != 0;
            const std::uint32_t indent = record.layout & kIndentMask;
            if (!rightToLeft) writer.Put(u' ', indent);
            if (!WriteRecordText(stream, record, &writer)) return 1;
            if (rightToLeft) writer.Put(u' ', indent);
        }
        writer.Put(u"\r\n", 2);
        if (record.flags & kBlankLineAfter) writer.Put(u"\r\n", 2);
        at = record.next;
    }
    buffer[writer.used] = 0;
    if (writer.overflow) {
        plat::MessageBox(AppState.MainWindow, u"(obuf > (start + size))", nullptr, MB_OK);
        return 1;
    }
    return 0;
}
