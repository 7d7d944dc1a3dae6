#include "tools/bookc/book_compiler.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "store/palmdoc.h"
#include "tools/bookc/text_code.h"

namespace bookc {

namespace {

std::vector<std::string_view> SplitLines(std::string_view source) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < source.size()) {
                lines.push_back(source.substr(start));
            }
            break;
        }
        lines.push_back(source.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Column (1-based, in characters) of a byte offset in a UTF-8 line.
int ColumnAt(std::string_view line, std::size_t offset) {
    int column = 1;
    for (std::size_t i = 0; i < offset && i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return column;
}

struct Word {
    std::string_view text;
    std::size_t offset;  // byte offset in the line
};

std::vector<Word> SplitWords(std::string_view line, std::size_t from, std::size_t to) {
    std::vector<Word> words;
    std::size_t i = from;
    while (i < to) {
        while (i < to && line[i] == ' ') {
            ++i;
        }
        const std::size_t start = i;
        while (i < to && line[i] != ' ') {
            ++i;
        }
        if (i > start) {
            words.push_back({line.substr(start, i - start), start});
        }
    }
    return words;
}

bool ParseNumber(std::string_view text, long* value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    *value = v;
    return true;
}

// "name=value" with a number in [low, high]; reports errors itself.
bool NumberAttribute(const Word& word, std::string_view name, long low, long high, std::string_view line,
                     const SourceSpot& spot, Diagnostics& diagnostics, long* value) {
    const std::string_view text = word.text.substr(name.size() + 1);
    if (!ParseNumber(text, value) || *value < low || *value > high) {
        diagnostics.Error(spot, ColumnAt(line, word.offset + name.size() + 1),
                          std::string(name) + " must be a number from " + std::to_string(low) + " to " +
                              std::to_string(high));
        return false;
    }
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

enum class Align { Unset, Left, Right, Centre };

unsigned AlignBits(Align align, bool rtl, Align fallback) {
    if (align == Align::Unset) {
        align = fallback != Align::Unset ? fallback : (rtl ? Align::Right : Align::Left);
    }
    switch (align) {
    case Align::Right: return kAlignRight;
    case Align::Centre: return kAlignCentre;
    default: return kAlignLeft;
    }
}

bool AlignmentWord(std::string_view w, Align* align) {
    if (w == "right") {
        *align = Align::Right;
    } else if (w == "left") {
        *align = Align::Left;
    } else if (w == "centre" || w == "center") {
        *align = Align::Centre;
    } else {
        return false;
    }
    return true;
}

// Builds one lesson's stream record by record.
class LessonWriter {
public:
    LessonWriter(const std::string& file, const Options& options, Diagnostics& diagnostics,
                 std::vector<std::uint8_t>* stream)
        : file_(file), options_(options), diagnostics_(diagnostics), stream_(*stream) {
        stream_.clear();
    }

    void Line(int number, std::string_view raw) {
        spot_ = {file_, number};
        const std::string_view line = TrimRight(raw);
        std::size_t start = 0;
        while (start < line.size() && line[start] == ' ') {
            ++start;
        }
        if (start == line.size()) {
            // A blank line: the record before it is followed by a blank line.
            if (lastShown_ >= 0) {
                stream_[std::size_t(lastShown_)] |= kBlankLineAfter;
            }
            return;
        }
        if (line[start] == '#') {
            return;  // comment
        }
        if (line[start] == '@') {
            Directive(line, start);
            return;
        }
        if (line[start] == '\\') {
            ++start;  // the next character is text even if it is '@', '#' or '\'
        }
        Paragraph(line, start, {}, start);
    }

    bool Finish() {
        spot_ = {file_, 0};
        if (recordCount_ == 0 && diagnostics_.ErrorCount() == errorsAtStart_) {
            diagnostics_.Error(spot_, 0, "the lesson has no paragraphs");
        }
        return diagnostics_.ErrorCount() == errorsAtStart_;
    }

private:
    void Directive(std::string_view line, std::size_t at) {
        std::size_t i = at + 1;
        while (i < line.size() && line[i] >= 'a' && line[i] <= 'z') {
            ++i;
        }
        const std::string_view keyword = line.substr(at + 1, i - at - 1);
        if (i < line.size() && line[i] != ' ' && line[i] != ':') {
            diagnostics_.Error(spot_, ColumnAt(line, at), "a directive is '@' and a word, like @p or @title");
            return;
        }
        const std::size_t colon = line.find(':', i);
        const std::size_t attrEnd = colon == std::string_view::npos ? line.size() : colon;
        std::vector<Word> words = SplitWords(line, i, attrEnd);
        std::size_t textStart = line.size();
        if (colon != std::string_view::npos) {
            textStart = colon + 1;
            while (textStart < line.size() && line[textStart] == ' ') {
                ++textStart;
            }
        }
        const bool hasColon = colon != std::string_view::npos;
        if (keyword == "p") {
            Paragraph(line, textStart, words, at);
        } else if (keyword == "title" || keyword == "subtitle") {
            Heading(line, textStart, words, at, keyword == "title");
        } else if (keyword == "rule") {
            if (hasColon) {
                diagnostics_.Error(spot_, ColumnAt(line, colon), "a rule has no text");
                return;
            }
            Rule(line, words, at);
        } else if (keyword == "link" || keyword == "back") {
            Link(line, textStart, words, at, keyword == "back");
        } else if (keyword == "empty") {
            if (hasColon || !words.empty()) {
                diagnostics_.Error(spot_, ColumnAt(line, i), "@empty takes nothing");
                return;
            }
            const std::size_t start = stream_.size();
            stream_.insert(stream_.end(), {kSpecialStyle, 0x00, 0x00});
            Added(start, false);
        } else {
            diagnostics_.Error(spot_, ColumnAt(line, at),
                               "unknown directive '@" + std::string(keyword) +
                                   "' (known: @p @title @subtitle @rule @link @back @empty)");
        }
    }

    void UnknownWord(std::string_view line, const Word& word, const char* allowed) {
        diagnostics_.Error(spot_, ColumnAt(line, word.offset),
                           "unknown attribute '" + std::string(word.text) + "' (allowed: " + allowed + ")");
    }

    // Direction words; returns true when the word was one.
    static bool DirectionWord(std::string_view w, bool* rtl) {
        if (w == "rtl") {
            *rtl = true;
        } else if (w == "ltr") {
            *rtl = false;
        } else {
            return false;
        }
        return true;
    }

    bool Encode(std::string_view line, std::size_t from, bool rtl, std::string* bytes) {
        const std::vector<SourceChar> chars =
            DecodeUtf8(line.substr(from), ColumnAt(line, from), spot_, diagnostics_);
        return EncodeText(chars, rtl ? Direction::RightToLeft : Direction::LeftToRight, spot_, diagnostics_,
                          bytes);
    }

    void Paragraph(std::string_view line, std::size_t textStart, const std::vector<Word>& words,
                   std::size_t at) {
        bool rtl = true, bold = false, cont = false, blank = false;
        Align align = Align::Unset;
        unsigned size = kStyleNormal;
        long indent = 0, label = 0;
        bool ok = true;
        const Word* contWord = nullptr;
        for (const Word& word : words) {
            const std::string_view w = word.text;
            if (DirectionWord(w, &rtl) || AlignmentWord(w, &align)) {
            } else if (w == "normal") {
                size = kStyleNormal;
            } else if (w == "small") {
                size = kStyleSmall;
            } else if (w == "large") {
                size = kStyleLarge;
            } else if (w == "bold") {
                bold = true;
            } else if (w == "blank") {
                blank = true;
            } else if (w == "cont") {
                cont = true;
                contWord = &word;
            } else if (StartsWith(w, "indent=")) {
                ok &= NumberAttribute(word, "indent", 0, kIndentMask, line, spot_, diagnostics_, &indent);
            } else if (StartsWith(w, "label=")) {
                ok &= NumberAttribute(word, "label", 0, kMaxLabelCode, line, spot_, diagnostics_, &label);
            } else {
                UnknownWord(line, word,
                            "rtl ltr right left centre normal small large bold indent=N label=N cont blank");
                ok = false;
            }
        }
        if (cont && label == 0) {
            diagnostics_.Error(spot_, ColumnAt(line, contWord->offset),
                               "'cont' continues a labelled paragraph and needs label=1, 2 or 3");
            ok = false;
        }
        std::string bytes;
        ok &= Encode(line, textStart, rtl, &bytes);
        if (!ok) {
            return;
        }
        if (cont && recordCount_ == 0) {
            diagnostics_.Error(spot_, ColumnAt(line, contWord->offset), "the first paragraph cannot continue another");
            return;
        }
        if (bytes.empty() && recordCount_ == 0) {
            diagnostics_.Error(spot_, ColumnAt(line, at), "the first paragraph of a lesson needs text");
            return;
        }
        const unsigned flags = size | (bold ? kStyleBold : 0u) | (rtl ? kRightToLeft : 0u) |
                               AlignBits(align, rtl, Align::Unset) | (blank ? kBlankLineAfter : 0u);
        const unsigned layout = unsigned(indent) | (unsigned(label) << kLabelShift);
        if (cont) {
            bytes.insert(bytes.begin(), ' ');
        }
        TextRecord(flags, layout, bytes);
    }

    void Heading(std::string_view line, std::size_t textStart, const std::vector<Word>& words, std::size_t at,
                 bool title) {
        bool rtl = true;
        bool ok = true;
        for (const Word& word : words) {
            if (!DirectionWord(word.text, &rtl) && word.text != "blank") {
                UnknownWord(line, word, "rtl ltr");
                ok = false;
            }
        }
        std::string bytes;
        ok &= Encode(line, textStart, rtl, &bytes);
        if (!ok) {
            return;
        }
        if (bytes.empty()) {
            diagnostics_.Error(spot_, ColumnAt(line, at), title ? "a title needs text" : "a subtitle needs text");
            return;
        }
        if (title && recordCount_ != 0) {
            diagnostics_.Warning(spot_, ColumnAt(line, at),
                                 "only a title in the first record is shown as the lesson's title");
        }
        if (!title && recordCount_ != (titleFirst_ ? 1 : 0)) {
            diagnostics_.Warning(spot_, ColumnAt(line, at),
                                 "only a subtitle right after the title (or first) is shown as the subtitle");
        }
        if (title && recordCount_ == 0) {
            titleFirst_ = true;
        }
        // The search banner knows titles and subtitles by these exact bytes.
        const unsigned flags = (title ? kTitleFlags : kSubtitleFlags) | (rtl ? kRightToLeft : 0u);
        TextRecord(flags, 0, bytes);
    }

    void Rule(std::string_view line, const std::vector<Word>& words, std::size_t at) {
        Align align = Align::Unset;
        bool blank = false, ok = true;
        long width = -1;
        for (const Word& word : words) {
            const std::string_view w = word.text;
            long value = 0;
            if (AlignmentWord(w, &align)) {
            } else if (w == "blank") {
                blank = true;
            } else if (w.size() > 2 && w.substr(w.size() - 2) == "px" &&
                       ParseNumber(w.substr(0, w.size() - 2), &value)) {
                if (value < 1 || value > kSeparatorPixelMax) {
                    diagnostics_.Error(spot_, ColumnAt(line, word.offset), "a rule is 1 to 160 pixels wide");
                    ok = false;
                }
                width = value;
            } else if (w.size() > 1 && w.back() == '%' && ParseNumber(w.substr(0, w.size() - 1), &value)) {
                if (value < 2 || value > 190 || value % 2 != 0) {
                    diagnostics_.Error(spot_, ColumnAt(line, word.offset),
                                       "a rule's percentage is even, from 2% to 190%");
                    ok = false;
                }
                width = SeparatorPercentLayout(int(value));
            } else {
                UnknownWord(line, word, "Npx Npercent right left centre blank");
                ok = false;
            }
        }
        if (ok && width < 0) {
            diagnostics_.Error(spot_, ColumnAt(line, at), "a rule needs a width, like 80px or 50%");
            ok = false;
        }
        if (!ok) {
            return;
        }
        const std::size_t start = stream_.size();
        const unsigned flags = kSpecialStyle | AlignBits(align, false, Align::Centre) | (blank ? kBlankLineAfter : 0u);
        stream_.push_back(std::uint8_t(flags));
        stream_.push_back(std::uint8_t(width));
        stream_.push_back(0);
        Added(start, true);
    }

    void Link(std::string_view line, std::size_t textStart, const std::vector<Word>& words, std::size_t at,
              bool back) {
        bool rtl = true, blank = false, ok = true;
        Align align = Align::Unset;
        long number = back ? long(kBackLink) : -1;
        for (const Word& word : words) {
            const std::string_view w = word.text;
            long value = 0;
            if (DirectionWord(w, &rtl) || AlignmentWord(w, &align)) {
            } else if (w == "blank") {
                blank = true;
            } else if (!back && number < 0 && ParseNumber(w, &value)) {
                if (value < 1 || value > options_.lessonCount) {
                    diagnostics_.Error(spot_, ColumnAt(line, word.offset),
                                       "lesson number " + std::string(w) + " out of range 1-" +
                                           std::to_string(options_.lessonCount));
                    ok = false;
                }
                number = value;
            } else {
                UnknownWord(line, word, back ? "rtl ltr right left centre blank"
                                             : "a lesson number, rtl ltr right left centre blank");
                ok = false;
            }
        }
        if (ok && number < 0) {
            diagnostics_.Error(spot_, ColumnAt(line, at), "@link needs the number of the lesson it opens");
            ok = false;
        }
        std::string caption;
        ok &= Encode(line, textStart, rtl, &caption);
        if (ok && caption.empty()) {
            diagnostics_.Error(spot_, ColumnAt(line, at), "a link needs a caption after ':'");
            ok = false;
        }
        if (!ok) {
            return;
        }
        const std::size_t start = stream_.size();
        const unsigned flags = kSpecialStyle | (rtl ? kRightToLeft : 0u) | AlignBits(align, rtl, Align::Unset) |
                               (blank ? kBlankLineAfter : 0u);
        stream_.push_back(std::uint8_t(flags));
        stream_.push_back(1);  // any non-zero layout byte marks a link
        std::uint8_t numberBytes[2];
        const int numberSize =
            EncodeLinkNumber(std::uint16_t(number), static_cast<std::uint8_t>(caption[0]), numberBytes);
        stream_.insert(stream_.end(), numberBytes, numberBytes + numberSize);
        stream_.insert(stream_.end(), caption.begin(), caption.end());
        stream_.push_back(0);
        Added(start, true);
    }

    void TextRecord(unsigned flags, unsigned layout, const std::string& bytes) {
        const std::size_t start = stream_.size();
        stream_.push_back(std::uint8_t(flags));
        stream_.push_back(std::uint8_t(layout));
        stream_.insert(stream_.end(), bytes.begin(), bytes.end());
        stream_.push_back(0);
        Added(start, true);
    }

    void Added(std::size_t start, bool shown) {
        ++recordCount_;
        if (shown) {
            lastShown_ = long(start);
        }
        if (stream_.size() > kMaxStreamLength && !sizeReported_) {
            sizeReported_ = true;
            diagnostics_.Error(spot_, 1,
                               "the lesson's stream passes 65,535 bytes here (" + std::to_string(stream_.size()) +
                                   "); split the lesson");
        }
    }

    std::string file_;
    const Options& options_;
    Diagnostics& diagnostics_;
    std::vector<std::uint8_t>& stream_;
    SourceSpot spot_;
    int errorsAtStart_ = diagnostics_.ErrorCount();
    int recordCount_ = 0;
    long lastShown_ = -1;  // offset of the last record a blank line can follow
    bool titleFirst_ = false;
    bool sizeReported_ = false;
};

}  // namespace

bool CompileLesson(std::string_view source, const std::string& fileName, const Options& options,
                   Diagnostics& diagnostics, std::vector<std::uint8_t>* stream) {
    LessonWriter writer(fileName, options, diagnostics, stream);
    const std::vector<std::string_view> lines = SplitLines(source);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        writer.Line(int(i + 1), lines[i]);
    }
    return writer.Finish();
}

namespace {

struct IndexEntry {
    SourceSpot spot;
    enum Kind { Section, Article, Plain } kind = Plain;
    bool open = false;
    int level = 1;
    long key = -1;  // -1: a section number still to be given
    int keyColumn = 0;
    unsigned style = 0;
    int shown = -1;  // -1: from the sections above, 0 hidden, 1 shown
    std::string text;
};

}  // namespace

bool CompileIndex(std::string_view source, const std::string& fileName, const Options& options,
                  Diagnostics& diagnostics, std::vector<std::uint8_t>* stream, std::vector<int>* listed) {
    const int errorsAtStart = diagnostics.ErrorCount();
    std::vector<IndexEntry> entries;
    std::map<long, int> sectionKeys;  // explicit section numbers -> line
    const std::vector<std::string_view> lines = SplitLines(source);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const SourceSpot spot{fileName, int(n + 1)};
        const std::string_view line = TrimRight(lines[n]);
        std::size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            if (line[i] == '\t') {
                diagnostics.Error(spot, ColumnAt(line, i), "indent with spaces, two per level, not tabs");
                i = line.size();
                break;
            }
            ++i;
        }
        if (i >= line.size() || line[i] == '#') {
            continue;
        }
        if (i % 2 != 0) {
            diagnostics.Error(spot, ColumnAt(line, i), "indent by two spaces per level");
            continue;
        }
        IndexEntry entry;
        entry.spot = spot;
        entry.level = int(i / 2) + 1;
        const std::size_t markAt = i;
        if (line[i] == '+' || line[i] == '-') {
            entry.kind = IndexEntry::Section;
            entry.open = line[i] == '+';
            entry.style = kStyleNormal | kStyleBold;
            ++i;
        } else if (line[i] == '=') {
            entry.kind = IndexEntry::Plain;
            entry.key = 0;
            entry.style = kStyleNormal;
            ++i;
        } else if (line[i] >= '0' && line[i] <= '9') {
            std::size_t end = i;
            while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
                ++end;
            }
            long number = 0;
            if (!ParseNumber(line.substr(i, end - i), &number) || number < 1 || number > options.lessonCount) {
                diagnostics.Error(spot, ColumnAt(line, i),
                                  "lesson number " + std::string(line.substr(i, end - i)) + " out of range 1-" +
                                      std::to_string(options.lessonCount));
                continue;
            }
            entry.kind = IndexEntry::Article;
            entry.key = number;
            entry.style = kStyleNormal;
            i = end;
        } else {
            diagnostics.Error(spot, ColumnAt(line, i),
                              "an index line starts with '+' (open section), '-' (closed section), a lesson "
                              "number, or '=' (plain entry)");
            continue;
        }
        if (i < line.size() && line[i] != ' ' && line[i] != '{') {
            diagnostics.Error(spot, ColumnAt(line, i), "put a space after the entry's mark or number");
            continue;
        }
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        bool ok = true;
        if (i < line.size() && line[i] == '{') {
            const std::size_t close = line.find('}', i);
            if (close == std::string_view::npos) {
                diagnostics.Error(spot, ColumnAt(line, i), "'{' without '}'");
                continue;
            }
            unsigned size = 0;
            bool bold = false, styled = false;
            for (const Word& word : SplitWords(line, i + 1, close)) {
                const std::string_view w = word.text;
                long value = 0;
                if (w == "normal" || w == "small" || w == "large") {
                    size = w == "normal" ? kStyleNormal : w == "small" ? kStyleSmall : kStyleLarge;
                    styled = true;
                } else if (w == "bold") {
                    bold = styled = true;
                } else if (w == "shown") {
                    entry.shown = 1;
                } else if (w == "hidden") {
                    entry.shown = 0;
                } else if (StartsWith(w, "level=")) {
                    if (NumberAttribute(word, "level", 0, 255, line, spot, diagnostics, &value)) {
                        entry.level = int(value);
                    } else {
                        ok = false;
                    }
                } else if (StartsWith(w, "id=") && entry.kind != IndexEntry::Article) {
                    const long low = entry.kind == IndexEntry::Section ? 1 : 0;
                    if (!NumberAttribute(word, "id", low, kEntryKeyMask, line, spot, diagnostics, &value)) {
                        ok = false;
                    } else if (entry.kind == IndexEntry::Section && value == long(kBookmarkSectionKey)) {
                        diagnostics.Error(spot, ColumnAt(line, word.offset),
                                          "section number " + std::to_string(kBookmarkSectionKey) +
                                              " belongs to the reader's Bookmarks section");
                        ok = false;
                    } else if (entry.kind == IndexEntry::Section && sectionKeys.count(value) != 0) {
                        diagnostics.Error(spot, ColumnAt(line, word.offset),
                                          "section number " + std::to_string(value) + " is already used on line " +
                                              std::to_string(sectionKeys[value]));
                        ok = false;
                    } else {
                        entry.key = value;
                        if (entry.kind == IndexEntry::Section) {
                            sectionKeys[value] = spot.line;
                        }
                    }
                } else {
                    diagnostics.Error(spot, ColumnAt(line, word.offset),
                                      "unknown attribute '" + std::string(w) +
                                          "' (allowed: normal small large bold shown hidden level=N" +
                                          (entry.kind == IndexEntry::Article ? ")" : " id=N)"));
                    ok = false;
                }
            }
            if (styled) {
                entry.style = (size == 0 ? kStyleNormal : size) | (bold ? kStyleBold : 0u);
            }
            i = close + 1;
            while (i < line.size() && line[i] == ' ') {
                ++i;
            }
        }
        const std::vector<SourceChar> chars = DecodeUtf8(line.substr(i), ColumnAt(line, i), spot, diagnostics);
        ok &= EncodeText(chars, Direction::RightToLeft, spot, diagnostics, &entry.text);
        if (ok && entry.text.empty()) {
            diagnostics.Error(spot, ColumnAt(line, markAt), "an index entry needs text");
            ok = false;
        }
        if (ok) {
            entries.push_back(std::move(entry));
        }
    }
    if (entries.empty() && diagnostics.ErrorCount() == errorsAtStart) {
        diagnostics.Error({fileName, 0}, 0, "the index has no entries");
    }

    // Section numbers not given are handed out in order, skipping those in use.
    long nextKey = 1;
    for (IndexEntry& entry : entries) {
        if (entry.kind == IndexEntry::Section && entry.key < 0) {
            while (sectionKeys.count(nextKey) != 0 || nextKey == long(kBookmarkSectionKey)) {
                ++nextKey;
            }
            entry.key = nextKey++;
        }
    }

    // An entry is shown when every section above it is open and shown.
    struct Open {
        int level;
        bool childrenShown;
    };
    std::vector<Open> above;
    std::vector<std::uint8_t>& out = *stream;
    out.clear();
    for (const IndexEntry& entry : entries) {
        while (!above.empty() && above.back().level >= entry.level) {
            above.pop_back();
        }
        bool shown = above.empty() || above.back().childrenShown;
        if (entry.shown >= 0) {
            shown = entry.shown == 1;
        }
        above.push_back({entry.level, shown && (entry.kind != IndexEntry::Section || entry.open)});

        unsigned id = unsigned(entry.key);
        if (entry.kind == IndexEntry::Section) {
            id |= kSectionBit;
        } else if (entry.kind == IndexEntry::Article) {
            id |= kArticleBit;
            if (listed != nullptr) {
                listed->push_back(int(entry.key));
            }
        }
        const unsigned flags = entry.style | (entry.kind == IndexEntry::Section && entry.open ? kExpandedBit : 0u) |
                               (shown ? kVisibleBit : 0u);
        const std::size_t start = out.size();
        out.resize(start + kIndexTextAt);
        WriteIndexId(out.data() + start, std::uint16_t(id));
        out[start + kIndexFlagsAt] = std::uint8_t(flags);
        out[start + kIndexLevelAt] = std::uint8_t(entry.level);
        out.insert(out.end(), entry.text.begin(), entry.text.end());
        out.push_back(0);
        if (out.size() + kIndexEndMarkSize > kMaxStreamLength) {
            diagnostics.Error(entry.spot, 1, "the index stream passes 65,535 bytes here");
            break;
        }
    }
    out.insert(out.end(), kIndexEndMarkSize, 0);
    return diagnostics.ErrorCount() == errorsAtStart;
}

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

bool ReadFile(const std::filesystem::path& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return !in.bad();
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
        if (!ReadFile(path, &source)) {
            diagnostics.Error({path.string(), 0}, 0, "missing lesson " + std::to_string(n));
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
    if (!ReadFile(indexPath, &source)) {
        diagnostics.Error({indexPath.string(), 0}, 0, "missing index");
    } else {
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
