// The index: an outline source becomes the stream of index records, with
// section numbers handed out and each entry shown or hidden as the sections
// above it are open or closed.
#include "tools/bookc/book_compiler.h"

#include <map>

#include "format/book_format.h"
#include "tools/bookc/source_text.h"
#include "tools/bookc/text_code.h"

namespace bookc {

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

// What reading the index's lines needs besides the line itself.
struct IndexReader {
    const Options& options;
    Diagnostics& diagnostics;
    std::map<long, int> sectionKeys;  // explicit section numbers -> line
};

// The indentation of a line: its level, or false (with an error when the
// indentation is wrong, silently for blank and comment lines).
bool ReadIndent(IndexReader& reader, const SourceSpot& spot, std::string_view line, std::size_t* at) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        if (line[i] == '\t') {
            reader.diagnostics.Error(spot, ColumnAt(line, i), "indent with spaces, two per level, not tabs");
            i = line.size();
            break;
        }
        ++i;
    }
    if (i >= line.size() || line[i] == '#') {
        return false;
    }
    if (i % 2 != 0) {
        reader.diagnostics.Error(spot, ColumnAt(line, i), "indent by two spaces per level");
        return false;
    }
    *at = i;
    return true;
}

// The entry's mark or lesson number at line[*at]; moves *at past it.
bool ReadEntryMark(IndexReader& reader, const SourceSpot& spot, std::string_view line, std::size_t* at,
                   IndexEntry* entry) {
    std::size_t i = *at;
    if (line[i] == '+' || line[i] == '-') {
        entry->kind = IndexEntry::Section;
        entry->open = line[i] == '+';
        entry->style = kStyleNormal | kStyleBold;
        ++i;
    } else if (line[i] == '=') {
        entry->kind = IndexEntry::Plain;
        entry->key = 0;
        entry->style = kStyleNormal;
        ++i;
    } else if (line[i] >= '0' && line[i] <= '9') {
        std::size_t end = i;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
            ++end;
        }
        long number = 0;
        if (!ParseNumber(line.substr(i, end - i), &number) || number < 1 || number > reader.options.lessonCount) {
            reader.diagnostics.Error(spot, ColumnAt(line, i),
                                     "lesson number " + std::string(line.substr(i, end - i)) + " out of range 1-" +
                                         std::to_string(reader.options.lessonCount));
            return false;
        }
        entry->kind = IndexEntry::Article;
        entry->key = number;
        entry->style = kStyleNormal;
        i = end;
    } else {
        reader.diagnostics.Error(spot, ColumnAt(line, i),
                                 "an index line starts with '+' (open section), '-' (closed section), a lesson "
                                 "number, or '=' (plain entry)");
        return false;
    }
    if (i < line.size() && line[i] != ' ' && line[i] != '{') {
        reader.diagnostics.Error(spot, ColumnAt(line, i), "put a space after the entry's mark or number");
        return false;
    }
    *at = i;
    return true;
}

// An explicit id= of a section or plain entry.
bool ReadEntryId(IndexReader& reader, const SourceSpot& spot, std::string_view line, const Word& word,
                 IndexEntry* entry) {
    const long low = entry->kind == IndexEntry::Section ? 1 : 0;
    long value = 0;
    if (!NumberAttribute(word, "id", low, kEntryKeyMask, line, spot, reader.diagnostics, &value)) {
        return false;
    }
    if (entry->kind == IndexEntry::Section && value == long(kBookmarkSectionKey)) {
        reader.diagnostics.Error(spot, ColumnAt(line, word.offset),
                                 "section number " + std::to_string(kBookmarkSectionKey) +
                                     " belongs to the reader's Bookmarks section");
        return false;
    }
    if (entry->kind == IndexEntry::Section && reader.sectionKeys.count(value) != 0) {
        reader.diagnostics.Error(spot, ColumnAt(line, word.offset),
                                 "section number " + std::to_string(value) + " is already used on line " +
                                     std::to_string(reader.sectionKeys[value]));
        return false;
    }
    entry->key = value;
    if (entry->kind == IndexEntry::Section) {
        reader.sectionKeys[value] = spot.line;
    }
    return true;
}

// The attributes in braces, line[open] being '{'; *at moves past them and
// the spaces after them. False when anything was an error.
bool ReadEntryAttributes(IndexReader& reader, const SourceSpot& spot, std::string_view line, std::size_t open,
                         std::size_t* at, IndexEntry* entry) {
    const std::size_t close = line.find('}', open);
    if (close == std::string_view::npos) {
        reader.diagnostics.Error(spot, ColumnAt(line, open), "'{' without '}'");
        *at = std::string_view::npos;
        return false;
    }
    bool ok = true;
    unsigned size = 0;
    bool bold = false, styled = false;
    for (const Word& word : SplitWords(line, open + 1, close)) {
        const std::string_view w = word.text;
        long value = 0;
        if (w == "normal" || w == "small" || w == "large") {
            size = w == "normal" ? kStyleNormal : w == "small" ? kStyleSmall : kStyleLarge;
            styled = true;
        } else if (w == "bold") {
            bold = styled = true;
        } else if (w == "shown") {
            entry->shown = 1;
        } else if (w == "hidden") {
            entry->shown = 0;
        } else if (StartsWith(w, "level=")) {
            if (NumberAttribute(word, "level", 0, 255, line, spot, reader.diagnostics, &value)) {
                entry->level = int(value);
            } else {
                ok = false;
            }
        } else if (StartsWith(w, "id=") && entry->kind != IndexEntry::Article) {
            ok &= ReadEntryId(reader, spot, line, word, entry);
        } else {
            reader.diagnostics.Error(spot, ColumnAt(line, word.offset),
                                     "unknown attribute '" + std::string(w) +
                                         "' (allowed: normal small large bold shown hidden level=N" +
                                         (entry->kind == IndexEntry::Article ? ")" : " id=N)"));
            ok = false;
        }
    }
    if (styled) {
        entry->style = (size == 0 ? kStyleNormal : size) | (bold ? kStyleBold : 0u);
    }
    std::size_t i = close + 1;
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    *at = i;
    return ok;
}

// One line of the index: an entry, nothing (blank or comment), or errors.
bool ReadIndexLine(IndexReader& reader, const SourceSpot& spot, std::string_view line, IndexEntry* entry) {
    std::size_t i = 0;
    if (!ReadIndent(reader, spot, line, &i)) {
        return false;
    }
    entry->spot = spot;
    entry->level = int(i / 2) + 1;
    const std::size_t markAt = i;
    if (!ReadEntryMark(reader, spot, line, &i, entry)) {
        return false;
    }
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    bool ok = true;
    if (i < line.size() && line[i] == '{') {
        ok = ReadEntryAttributes(reader, spot, line, i, &i, entry);
        if (i == std::string_view::npos) {
            return false;
        }
    }
    // Text that was not UTF-8 has had its error; it is not also missing.
    const int errorsBefore = reader.diagnostics.ErrorCount();
    const std::vector<SourceChar> chars = DecodeUtf8(line.substr(i), ColumnAt(line, i), spot, reader.diagnostics);
    ok &= reader.diagnostics.ErrorCount() == errorsBefore;
    ok &= EncodeText(chars, Direction::RightToLeft, spot, reader.diagnostics, &entry->text);
    if (ok && entry->text.empty()) {
        reader.diagnostics.Error(spot, ColumnAt(line, markAt), "an index entry needs text");
        ok = false;
    }
    return ok;
}

// Section numbers not given are handed out in order, skipping those in use.
void AssignSectionKeys(const std::map<long, int>& sectionKeys, std::vector<IndexEntry>& entries) {
    long nextKey = 1;
    for (IndexEntry& entry : entries) {
        if (entry.kind == IndexEntry::Section && entry.key < 0) {
            while (sectionKeys.count(nextKey) != 0 || nextKey == long(kBookmarkSectionKey)) {
                ++nextKey;
            }
            entry.key = nextKey++;
        }
    }
}

// The records, each shown when every section above it is open and shown.
void WriteIndexStream(const std::vector<IndexEntry>& entries, Diagnostics& diagnostics,
                      std::vector<std::uint8_t>& out, std::vector<int>* listed) {
    struct Open {
        int level;
        bool childrenShown;
    };
    std::vector<Open> above;
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
}

}  // namespace

bool CompileIndex(std::string_view source, const std::string& fileName, const Options& options,
                  Diagnostics& diagnostics, std::vector<std::uint8_t>* stream, std::vector<int>* listed) {
    const int errorsAtStart = diagnostics.ErrorCount();
    IndexReader reader{options, diagnostics, {}};
    std::vector<IndexEntry> entries;
    const std::vector<std::string_view> lines = SplitLines(source);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        IndexEntry entry;
        if (ReadIndexLine(reader, SourceSpot{fileName, int(n + 1)}, TrimRight(lines[n]), &entry)) {
            entries.push_back(std::move(entry));
        }
    }
    if (entries.empty() && diagnostics.ErrorCount() == errorsAtStart) {
        diagnostics.Error({fileName, 0}, 0, "the index has no entries");
    }
    AssignSectionKeys(reader.sectionKeys, entries);
    WriteIndexStream(entries, diagnostics, *stream, listed);
    return diagnostics.ErrorCount() == errorsAtStart;
}

}  // namespace bookc
