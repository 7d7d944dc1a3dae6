#include "tools/cli/listings/record_dump.h"

#include "app/app_state.h"
#include "clipboard/reading_order.h"
#include "format/book_format.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "store/article_store.h"
#include "store/palmdoc.h"

#include <cstdio>
#include <vector>

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string ToUtf8(const std::vector<char32_t>& s) {
    std::string out;
    for (char32_t c : s) {
        AppendUtf8(out, c);
    }
    return out;
}

void AppendFormat(std::string& out, const char* format, unsigned a, unsigned b = 0, unsigned c = 0,
                  unsigned d = 0) {
    char line[64];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    out += line;
}

const char* AlignmentWord(std::uint8_t flags) {
    switch (flags & kAlignMask) {
    case kAlignRight: return "right";
    case kAlignCentre: return "centre";
    default: return "left";
    }
}

void AppendStyle(std::string& out, unsigned key) {
    const unsigned size = key & kStyleMask;
    if (size == kStyleNormal) {
        out += " normal";
    } else if (size == kStyleSmall) {
        out += " small";
    } else if (size == kStyleLarge) {
        out += " large";
    } else {
        AppendFormat(out, " style=%u", size);
    }
    if (key & kStyleBold) {
        out += " bold";
    }
}

}  // namespace

std::string StoredTextToReadingOrder(const std::uint8_t* bytes, std::size_t count, bool rightToLeft) {
    std::vector<char32_t> s;
    s.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        s.push_back(MapStoredByte(bytes[i], rightToLeft ? kUnicodeLetterBase : kLatinLetterBase));
    }
    if (!rightToLeft) {
        return ToUtf8(s);
    }
    // Visual order back to reading order, as the clipboard export gives it.
    std::u16string text(s.begin(), s.end());
    PutIntoReadingOrder(text.data(), bytes, int(text.size()));
    s.assign(text.begin(), text.end());
    return ToUtf8(s);
}

namespace {

// What the Describe functions return when the stream ends inside a record.
constexpr std::size_t kCutShort = 0;

// Where the record's NUL-terminated text starting at `begin` ends (its NUL,
// or `length` when the stream ends first).
std::size_t TextEnd(const std::uint8_t* text, std::size_t length, std::size_t begin) {
    std::size_t end = begin;
    while (end < length && text[end] != 0) {
        ++end;
    }
    return end;
}

// The rest of a record's line from its text on; the position after the
// record, or kCutShort (said on the line) when the stream ends inside it.
std::size_t EndRecordLine(const std::uint8_t* text, std::size_t length, std::size_t begin,
                          std::size_t end, bool rightToLeft, std::string& out) {
    out += StoredTextToReadingOrder(text + begin, end - begin, rightToLeft);
    if (end >= length) {
        out += "  (cut by the end of the stream)\n";
        return kCutShort;
    }
    out += '\n';
    return end + 1;
}

// A link record at `pos`: its number, direction, alignment and caption.
std::size_t DescribeLink(const std::uint8_t* text, std::size_t length, std::size_t pos,
                         std::string& out) {
    const std::uint8_t flags = text[pos];
    std::uint32_t numberSize = 0;
    const unsigned number = DecodeLinkNumber(text[pos + 2], pos + 3 < length ? text[pos + 3] : 0, &numberSize);
    const std::size_t caption = pos + 2 + numberSize;
    if (number == kBackLink) {
        out += "back";
    } else {
        AppendFormat(out, number == 0 ? "link %u (ignored)" : "link %u", number);
    }
    const bool rtl = (flags & kRightToLeft) != 0;
    out += rtl ? " rtl " : " ltr ";
    out += AlignmentWord(flags);
    if (flags & kBlankLineAfter) {
        out += " blank";
    }
    out += ": ";
    return EndRecordLine(text, length, caption, TextEnd(text, length, caption), rtl, out);
}

// A special record at `pos`: an empty line, a rule or a link.
std::size_t DescribeSpecial(const std::uint8_t* text, std::size_t length, std::size_t pos,
                            std::string& out) {
    const std::uint8_t flags = text[pos];
    const std::uint8_t layout = text[pos + 1];
    if (layout != 0 && text[pos + 2] != 0) {
        return DescribeLink(text, length, pos, out);
    }
    if (layout == 0) {
        out += "empty";
    } else {
        if (layout <= kSeparatorPixelMax) {
            AppendFormat(out, "rule %upx", layout);
        } else {
            AppendFormat(out, "rule %u%%", unsigned(layout - kSeparatorPixelMax) * 2);
        }
        out += ' ';
        out += AlignmentWord(flags);
    }
    if (flags & kBlankLineAfter) {
        out += " blank";
    }
    out += '\n';
    return pos + 3;
}

// A text record at `pos`, the `record`th of the stream: title, subtitle or
// text, with its style, layout and text in reading order.
std::size_t DescribeText(const std::uint8_t* text, std::size_t length, std::size_t pos, int record,
                         bool* hasTitle, std::string& out) {
    const std::uint8_t flags = text[pos];
    const std::uint8_t layout = text[pos + 1];
    std::size_t begin = pos + 2;
    const std::size_t end = TextEnd(text, length, begin);
    const unsigned label = layout >> kLabelShift;
    const bool continuation = label != 0 && record > 0 && begin < end && text[begin] == 0x20;
    const std::uint8_t withoutDirection = std::uint8_t(flags & ~kRightToLeft);
    if (record == 0 && withoutDirection == kTitleFlags) {
        out += "title";
        *hasTitle = true;
    } else if (record == (*hasTitle ? 1 : 0) && withoutDirection == kSubtitleFlags) {
        out += "subtitle";
    } else {
        out += "text";
    }
    const bool rtl = (flags & kRightToLeft) != 0;
    out += rtl ? " rtl" : " ltr";
    AppendStyle(out, flags & (kStyleMask | kStyleBold));
    out += ' ';
    out += AlignmentWord(flags);
    if (layout & kIndentMask) {
        AppendFormat(out, " indent=%u", unsigned(layout & kIndentMask));
    }
    if (label != 0) {
        AppendFormat(out, " label=%u", label);
    }
    if (continuation) {
        out += " cont";
        ++begin;
    }
    if (flags & kBlankLineAfter) {
        out += " blank";
    }
    out += ": ";
    return EndRecordLine(text, length, begin, end, rtl, out);
}

}  // namespace

std::string DescribeArticleStream(const std::uint8_t* text, std::size_t length) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    std::size_t pos = 0;
    int record = 0;
    bool hasTitle = false;
    while (pos < length && text[pos] != 0) {
        const std::uint8_t flags = text[pos];
        if (pos + 2 >= length) {
            AppendFormat(out, "%5u  %02X     (record cut by the end of the stream)\n", unsigned(pos), flags);
            return out;
        }
        AppendFormat(out, "%5u  %02X %02X  ", unsigned(pos), flags, text[pos + 1]);
        pos = (flags & kStyleMask) == kSpecialStyle ? DescribeSpecial(text, length, pos, out)
                                                    : DescribeText(text, length, pos, record, &hasTitle, out);
        if (pos == kCutShort) {
            return out;
        }
        ++record;
    }
    return out;
}

std::string DescribeIndexStream(const std::uint8_t* data, std::size_t length) {
    std::string out;
    if (data == nullptr) {
        return out;
    }
    std::size_t pos = 0;
    while (pos + kIndexLevelAt < length && data[pos + kIndexFlagsAt] != 0) {
        const unsigned id = ReadIndexId(data + pos);
        const std::uint8_t flags = data[pos + kIndexFlagsAt];
        const unsigned level = data[pos + kIndexLevelAt];
        AppendFormat(out, "%5u  %04X %02X %02X  ", unsigned(pos), id, flags, level);
        for (unsigned k = 0; k < level && k < 16; ++k) {
            out += "  ";
        }
        const unsigned key = id & kEntryKeyMask;
        if ((id & (kSectionBit | kArticleBit)) == (kSectionBit | kArticleBit)) {
            AppendFormat(out, "section+article %u", key);
        } else if (id & kSectionBit) {
            AppendFormat(out, "section %u", key);
        } else if (id & kArticleBit) {
            AppendFormat(out, "article %u", key);
        } else {
            AppendFormat(out, "entry %u", key);
        }
        if (id & kSectionBit) {
            out += (flags & kExpandedBit) ? " open" : " closed";
        } else if (flags & kExpandedBit) {
            out += " open";
        }
        out += (flags & kVisibleBit) ? " shown" : " hidden";
        AppendStyle(out, flags & kIndexStyleMask);
        if (flags & kRightToLeft) {  // the style key's direction bit
            out += " key16";
        }
        const std::size_t textAt = pos + kIndexTextAt;
        std::size_t end = textAt;
        while (end < length && data[end] != 0) {
            ++end;
        }
        out += ": ";
        out += StoredTextToReadingOrder(data + textAt, end - textAt, true);
        if (end >= length) {
            out += "  (cut by the end of the stream)\n";
            return out;
        }
        out += '\n';
        pos = end + 1;
    }
    return out;
}

bool DescribeLesson(int lesson, std::string* listing, std::string* error) {
    const bool index = lesson == kIndexLesson;
    const std::string name = index ? std::string("the index") : "lesson " + std::to_string(lesson);
    if (lesson < 1 || lesson + kArticleResourceBase > 0xFFFF) {
        *error = name + " is not a lesson number";
        return false;
    }
    const plat::ResourceData resource =
        plat::FindResourceData(AppState.Instance, RT_RCDATA, std::uint16_t(kArticleResourceBase + lesson));
    if (!resource.found) {
        *error = name + " does not exist (no resource " + std::to_string(kArticleResourceBase + lesson) + ")";
        return false;
    }
    ContainerHeader container;
    if (!ReadContainerHeader(resource.bytes, resource.size, &container)) {
        *error = name + " has a damaged container";
        return false;
    }
    const std::uint32_t compressed = container.compressedLength;
    const std::uint32_t length = container.textLength;
    std::vector<std::uint8_t> check(length);
    if (PalmDocDecode(resource.bytes + kContainerStreamAt, compressed, check.data(), length).status !=
        PalmDocStatus::Complete) {
        *error = name + " has a damaged compressed stream";
        return false;
    }
    int code = 0;
    std::uint8_t* text = LoadArticle(lesson, &code);
    if (text == nullptr) {
        *error = name + " does not load (error " + std::to_string(code) + ")";
        return false;
    }
    char header[160];
    std::snprintf(header, sizeof header, "%s: %u bytes of text, %u compressed (%.1f%%), resource %d\n",
                  name.c_str(), unsigned(length), unsigned(compressed), 100.0 * compressed / length,
                  kArticleResourceBase + lesson);
    *listing = header;
    *listing += index ? DescribeIndexStream(text, length) : DescribeArticleStream(text, length);
    plat::Free(text);
    return true;
}
