#include "platform/common/registry_file.h"

#include <cstdio>
#include <cstring>

#include "platform/types.h"
#include "platform/unicode.h"

namespace plat::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string with \\ and \" escapes starting at s[pos] == '"'.
// On success pos points past the closing quote.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\') {
            if (pos >= s.size()) return false;
            char e = s[pos++];
            if (e != '\\' && e != '"') return false;
            out.push_back(e);
        } else {
            out.push_back(c);
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
    out.clear();
    s = Trim(s);
    if (s.empty()) return true;
    std::size_t pos = 0;
    while (true) {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos + 2 > s.size()) return false;
        int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(std::uint8_t(hi * 16 + lo));
        pos += 2;
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos == s.size()) return true;
        if (s[pos] != ',') return false;
        ++pos;
    }
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text, bool terminate) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    if (terminate) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

// Text that reads back byte for byte: valid UTF-8 (anything else would come
// back changed, so such a line is kept as it was).
bool IsFaithfulUtf8(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
    }
    return true;
}

bool ParseValueData(std::string_view data, Value& value) {
    data = Trim(data);
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text) || !Trim(data.substr(pos)).empty()) return false;
        if (!IsFaithfulUtf8(text)) return false;
        value.type = REG_SZ;
        value.data = Utf16Bytes(Utf8ToUtf16(text), true);
        return true;
    }
    if (data.rfind("dword:", 0) == 0) {
        std::string_view digits = data.substr(6);
        if (digits.size() != 8) return false;
        std::uint32_t v = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return false;
            v = v * 16 + std::uint32_t(d);
        }
        value.type = REG_DWORD;
        value.data = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                      std::uint8_t(v >> 24)};
        return true;
    }
    if (data.rfind("hex:", 0) == 0) {
        value.type = REG_BINARY;
        return ParseHexBytes(data.substr(4), value.data);
    }
    if (data.rfind("hex(", 0) == 0) {
        std::size_t close = data.find("):");
        if (close == std::string_view::npos || close <= 4) return false;
        std::uint32_t type = 0;
        for (char c : data.substr(4, close - 4)) {
            int d = HexDigit(c);
            if (d < 0 || type > 0x0FFFFFFF) return false;
            type = type * 16 + std::uint32_t(d);
        }
        value.type = type;
        return ParseHexBytes(data.substr(close + 2), value.data);
    }
    return false;
}

bool ParseValueLine(std::string_view line, Value& value) {
    std::size_t pos = 0;
    if (line.empty()) return false;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else {
        std::string name;
        if (!ReadQuoted(line, pos, name) || !IsFaithfulUtf8(name)) return false;
        value.name = Utf8ToUtf16(name);
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    return ParseValueData(line.substr(pos + 1), value);
}

}  // namespace

bool IsWritableName(std::u16string_view name) {
    bool surrogates = false;
    for (char16_t c : name) {
        if (c == u'\n' || c == u'\r' || c == 0) return false;
        if (c >= 0xD800 && c <= 0xDFFF) surrogates = true;
    }
    // Unpaired surrogates would come back as U+FFFD.
    return !surrogates || Utf8ToUtf16(Utf16ToUtf8(name)) == name;
}

namespace {

// A REG_SZ that reads back the same from a quoted string on one line.
bool IsCleanString(const std::vector<std::uint8_t>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    std::size_t units = data.size() / 2;
    text.clear();
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
        if (i + 1 == units) return c == 0 && IsWritableName(text);
        if (c == 0) return false;
        text.push_back(c);
    }
    return false;
}

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (char c : Utf16ToUtf8(text)) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void AppendHex(std::string& out, const std::vector<std::uint8_t>& data) {
    static const char* digits = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i != 0) out.push_back(',');
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
}

}  // namespace


namespace {

std::u16string Folded(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    }
    return out;
}

// Brings the index up to date with `items` (new entries are appended; a
// shrunken list is indexed again) and finds `name` in it.
template <typename Item, typename NameOf>
std::size_t IndexedFind(NameIndex& index, const std::vector<Item>& items, NameOf nameOf,
                        std::u16string_view name) {
    if (index.covered > items.size()) {
        index.positions.clear();
        index.covered = 0;
    }
    for (; index.covered < items.size(); ++index.covered) {
        const std::u16string* itemName = nameOf(items[index.covered]);
        if (itemName != nullptr) index.positions.emplace(Folded(*itemName), index.covered);
    }
    auto it = index.positions.find(Folded(name));
    if (it == index.positions.end() || it->second >= items.size()) return items.size();
    const std::u16string* found = nameOf(items[it->second]);
    if (found == nullptr || !U16EqualNoCase(*found, name)) return items.size();
    return it->second;
}

const std::u16string* KeyName(const Key& key) {
    return key.keptHeader.empty() ? &key.path : nullptr;
}
const std::u16string* ValueName(const Value& value) { return &value.name; }

// One logical line: the joined text (continuations without their "\") and
// the physical lines it came from, as written (line ends but the last "\n"
// kept, so "\r" survives too).
struct LogicalLine {
    std::string text;
    std::string raw;
};

// Splits the text into logical lines in one pass.
template <typename Visit>
void ForEachLogicalLine(std::string_view text, Visit visit) {
    LogicalLine line;
    bool continuing = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view physical = text.substr(start, end - start);
        start = end + 1;
        std::string_view trimmed = Trim(physical);
        if (continuing && trimmed.empty()) {
            // An empty line ends a continuation (and is not part of it).
            continuing = false;
            visit(line);
            continue;
        }
        bool continues = !trimmed.empty() && trimmed.back() == '\\';
        if (continues) trimmed.remove_suffix(1);
        if (continuing) {
            line.text.append(trimmed);
            line.raw.push_back('\n');
            line.raw.append(physical);
        } else {
            line.text.assign(trimmed);
            line.raw.assign(physical);
        }
        continuing = continues;
        if (!continuing) visit(line);
    }
    if (continuing) visit(line);
}

bool IsReadableHeader(std::string_view line) {
    return line.size() > 2 && line.front() == '[' && line.back() == ']' && line[1] != '-' &&
           IsFaithfulUtf8(line.substr(1, line.size() - 2));
}

void KeepLine(std::vector<KeptLine>& lines, std::size_t before, const std::string& raw) {
    lines.push_back(KeptLine{before, raw});
}

}  // namespace

namespace {
long g_parseCount = 0;
}  // namespace

long testing::ParseCount() { return g_parseCount; }

Document Parse(std::string_view text) {
    ++g_parseCount;
    Document document;
    if (text.size() >= 3 && std::memcmp(text.data(), "\xEF\xBB\xBF", 3) == 0) {
        text.remove_prefix(3);
    }
    constexpr std::size_t kNone = std::size_t(-1);
    std::size_t current = kNone;  // the key the lines belong to now
    ForEachLogicalLine(text, [&](const LogicalLine& logical) {
        std::string_view l = logical.text;
        if (l.empty()) return;
        if (l == kHeader) {
            document.hasHeader = true;
            return;
        }
        if (l.front() == '[') {
            if (IsReadableHeader(l)) {
                Key& key = FindOrAddKey(document, Utf8ToUtf16(l.substr(1, l.size() - 2)));
                current = std::size_t(&key - document.keys.data());
            } else {
                ++document.unreadableLines;
                Key kept;
                kept.keptHeader = logical.raw;
                document.keys.push_back(std::move(kept));
                current = document.keys.size() - 1;
            }
            return;
        }
        Key* key = current != kNone ? &document.keys[current] : nullptr;
        bool comment = l.front() == ';';
        Value value;
        if (!comment && key != nullptr && key->keptHeader.empty() && ParseValueLine(l, value)) {
            SetValue(*key, std::move(value));
            return;
        }
        if (!comment) ++document.unreadableLines;
        if (key != nullptr) {
            KeepLine(key->keptLines, key->values.size(), logical.raw);
        } else {
            KeepLine(document.preamble, 0, logical.raw);
        }
    });
    return document;
}

namespace {

// A kept line whose last line ends in "\" would swallow the next line when
// read again; an empty line after it ends the continuation as it did before.
void AppendKept(std::string& out, const KeptLine& line) {
    out += line.text;
    out += '\n';
    std::string_view trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed.back() == '\\') out += '\n';
}

void AppendValue(std::string& out, const Value& value) {
    out += value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    std::u16string text;
    if (value.type == REG_SZ && IsCleanString(value.data, text)) {
        out += Quote(text);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        char digits[16];
        std::uint32_t v = std::uint32_t(value.data[0]) | (std::uint32_t(value.data[1]) << 8) |
                          (std::uint32_t(value.data[2]) << 16) | (std::uint32_t(value.data[3]) << 24);
        std::snprintf(digits, sizeof digits, "dword:%08x", v);
        out += digits;
    } else if (value.type == REG_BINARY) {
        out += "hex:";
        AppendHex(out, value.data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        out += prefix;
        AppendHex(out, value.data);
    }
    out += '\n';
}

}  // namespace

std::string Serialize(const Document& document) {
    std::string out(kHeader);
    out += '\n';
    for (const KeptLine& line : document.preamble) AppendKept(out, line);
    for (const Key& key : document.keys) {
        out += '\n';
        if (key.keptHeader.empty()) {
            out += '[' + Utf16ToUtf8(key.path) + "]\n";
        } else {
            AppendKept(out, KeptLine{0, key.keptHeader});
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < key.values.size(); ++i) {
            while (kept < key.keptLines.size() && key.keptLines[kept].before <= i) {
                AppendKept(out, key.keptLines[kept++]);
            }
            AppendValue(out, key.values[i]);
        }
        while (kept < key.keptLines.size()) AppendKept(out, key.keptLines[kept++]);
    }
    return out;
}

Key* FindKey(Document& document, std::u16string_view path) {
    std::size_t at = IndexedFind(document.index, document.keys, KeyName, path);
    return at < document.keys.size() ? &document.keys[at] : nullptr;
}

const Key* FindKey(const Document& document, std::u16string_view path) {
    std::size_t at = IndexedFind(document.index, document.keys, KeyName, path);
    return at < document.keys.size() ? &document.keys[at] : nullptr;
}

Key& FindOrAddKey(Document& document, std::u16string_view path) {
    if (Key* key = FindKey(document, path)) return *key;
    Key key;
    key.path = std::u16string(path);
    document.keys.push_back(std::move(key));
    return document.keys.back();
}

const Value* FindValue(const Key& key, std::u16string_view name) {
    std::size_t at = IndexedFind(key.index, key.values, ValueName, name);
    return at < key.values.size() ? &key.values[at] : nullptr;
}

void SetValue(Key& key, const Value& value) { SetValue(key, Value(value)); }

void SetValue(Key& key, Value&& value) {
    std::size_t at = IndexedFind(key.index, key.values, ValueName, value.name);
    if (at < key.values.size()) {
        key.values[at].type = value.type;
        key.values[at].data = std::move(value.data);
        return;
    }
    key.values.push_back(std::move(value));
}

bool IsUnreadable(const Document& document) {
    return !document.hasHeader && document.keys.empty() && document.unreadableLines > 0;
}

}  // namespace plat::registry
