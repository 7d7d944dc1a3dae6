// Lessons: a lesson source in the authoring format becomes the stream of
// line records the reader lays out, one record per paragraph, title,
// subtitle, rule, link or empty record.
#include "tools/bookc/book_compiler.h"

#include "format/book_format.h"
#include "tools/bookc/source_text.h"
#include "tools/bookc/text_code.h"

namespace bookc {

namespace {

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

// The narrowest view the reader is made for is the handheld's screen, 240
// pixels wide; a desktop window that narrow keeps about 210 pixels for the
// text beside its scroll bar and margins. Text inside right-to-left
// paragraphs holds no lower-case Latin, and capital letters and digits
// average about two thirds of the type's pixel height in the wider faces
// (10.7 pixels in a 16-pixel DejaVu Sans), bold about an eighth more. In the
// default type sizes (16 pixels, small 14, large 20) a narrow line then
// holds 19 characters of normal type, 17 bold, 22 and 19 small, 15 and 13
// large.
constexpr int kNarrowLinePixels = 210;

int NarrowLineCharacters(unsigned style) {
    int pixels = 16;
    if ((style & kStyleLarge) != 0) {
        pixels = 20;
    } else if ((style & kStyleSmall) != 0) {
        pixels = 14;
    }
    int hundredths = pixels * 67;  // the width of a capital letter
    if ((style & kStyleBold) != 0) {
        hundredths = hundredths * 9 / 8;
    }
    return kNarrowLinePixels * 100 / hundredths;
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

    // Encodes the text of a record set in type of this style (its size and
    // bold bits).
    bool Encode(std::string_view line, std::size_t from, bool rtl, unsigned style, std::string* bytes) {
        const std::vector<SourceChar> chars =
            DecodeUtf8(line.substr(from), ColumnAt(line, from), spot_, diagnostics_);
        std::vector<EmbeddedRun> runs;
        const bool ok = EncodeText(chars, rtl ? Direction::RightToLeft : Direction::LeftToRight, spot_,
                                   diagnostics_, bytes, &runs);
        for (const EmbeddedRun& run : runs) {
            CheckEmbeddedRun(run, style);
        }
        return ok;
    }

    // A left-to-right run inside right-to-left text is kept on one line; one
    // that a line of the narrowest view cannot hold is still cut, inside a
    // word, and then reads out of order. So is one the reader may break after
    // a hyphen.
    void CheckEmbeddedRun(const EmbeddedRun& run, unsigned style) {
        const int limit = NarrowLineCharacters(style);
        if (run.length > limit) {
            diagnostics_.Warning(spot_, run.column,
                                 "the left-to-right run \"" + run.text + "\" is " + std::to_string(run.length) +
                                     " characters; a line of the narrowest view holds about " +
                                     std::to_string(limit) +
                                     " in this type, and a run cut over two lines reads out of order");
        }
        if (run.hyphenColumn != 0) {
            diagnostics_.Warning(spot_, run.hyphenColumn,
                                 "a hyphen inside the left-to-right run \"" + run.text +
                                     "\": a line may break after it, and the run then reads out of order");
        }
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
        ok &= Encode(line, textStart, rtl, size | (bold ? kStyleBold : 0u), &bytes);
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
        ok &= Encode(line, textStart, rtl, title ? kTitleFlags : kSubtitleFlags, &bytes);
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
        ok &= Encode(line, textStart, rtl, kStyleSmall, &caption);
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

}  // namespace bookc
