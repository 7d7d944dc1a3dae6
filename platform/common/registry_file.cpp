#include "platform/common/registry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/types.h"
#include "platform/unicode.h"

namespace plat::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
long g_failWriteAfter = -1;

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

bool ParseValueData(std::string_view data, Value& value) {
    data = Trim(data);
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text) || !Trim(data.substr(pos)).empty()) return false;
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
        if (!ReadQuoted(line, pos, name)) return false;
        value.name = Utf8ToUtf16(name);
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    return ParseValueData(line.substr(pos + 1), value);
}

// A REG_SZ that reads back the same from a quoted string.
bool IsCleanString(const std::vector<std::uint8_t>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    std::size_t units = data.size() / 2;
    text.clear();
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
        if (i + 1 == units) return c == 0;
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

bool WriteAll(int fd, const std::string& text) {
    std::size_t limit = text.size();
    bool cut = false;
    if (g_failWriteAfter >= 0 && std::size_t(g_failWriteAfter) < limit) {
        limit = std::size_t(g_failWriteAfter);
        cut = true;
    }
    std::size_t done = 0;
    while (done < limit) {
        ssize_t n = ::write(fd, text.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += std::size_t(n);
    }
    if (cut) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, std::string& out) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    std::fclose(f);
    return true;
}

void MakeParentDirectories(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        ::mkdir(path.substr(0, pos).c_str(), 0700);
    }
}

}  // namespace

// Splits the text into logical lines, joining a line that ends in "\" with
// the next one (wrapped hex data).
static std::vector<std::string> LogicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string pending;
    bool continuing = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        bool continues = !line.empty() && line.back() == '\\';
        if (continues) line.remove_suffix(1);
        if (continuing) {
            pending.append(line);
        } else {
            pending.assign(line);
        }
        continuing = continues;
        if (!continuing) lines.push_back(std::move(pending));
    }
    if (continuing) lines.push_back(std::move(pending));
    return lines;
}

Document Parse(std::string_view text) {
    Document document;
    if (text.size() >= 3 && std::memcmp(text.data(), "\xEF\xBB\xBF", 3) == 0) {
        text.remove_prefix(3);
    }
    Key* current = nullptr;
    for (const std::string& line : LogicalLines(text)) {
        std::string_view l = line;
        if (l.empty() || l.front() == ';') {
            continue;
        }
        if (l == kHeader) {
            document.hasHeader = true;
        } else if (l.front() == '[') {
            if (l.back() == ']' && l.size() > 2 && l[1] != '-') {
                current = &FindOrAddKey(document, Utf8ToUtf16(l.substr(1, l.size() - 2)));
            } else {
                current = nullptr;
                ++document.unreadableLines;
            }
        } else {
            Value value;
            if (current != nullptr && ParseValueLine(l, value)) {
                SetValue(*current, value);
            } else {
                ++document.unreadableLines;
            }
        }
    }
    return document;
}

std::string Serialize(const Document& document) {
    std::string out(kHeader);
    out += "\n";
    for (const Key& key : document.keys) {
        out += "\n[" + Utf16ToUtf8(key.path) + "]\n";
        for (const Value& value : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += "=";
            std::u16string text;
            if (value.type == REG_SZ && IsCleanString(value.data, text)) {
                out += Quote(text);
            } else if (value.type == REG_DWORD && value.data.size() == 4) {
                char digits[16];
                std::uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                  (std::uint32_t(value.data[3]) << 24);
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
            out += "\n";
        }
    }
    return out;
}

Key* FindKey(Document& document, std::u16string_view path) {
    for (Key& key : document.keys) {
        if (U16EqualNoCase(key.path, path)) return &key;
    }
    return nullptr;
}

const Key* FindKey(const Document& document, std::u16string_view path) {
    for (const Key& key : document.keys) {
        if (U16EqualNoCase(key.path, path)) return &key;
    }
    return nullptr;
}

Key& FindOrAddKey(Document& document, std::u16string_view path) {
    if (Key* key = FindKey(document, path)) return *key;
    document.keys.push_back(Key{std::u16string(path), {}});
    return document.keys.back();
}

const Value* FindValue(const Key& key, std::u16string_view name) {
    for (const Value& value : key.values) {
        if (U16EqualNoCase(value.name, name)) return &value;
    }
    return nullptr;
}

void SetValue(Key& key, const Value& value) {
    for (Value& existing : key.values) {
        if (U16EqualNoCase(existing.name, value.name)) {
            existing.type = value.type;
            existing.data = value.data;
            return;
        }
    }
    key.values.push_back(value);
}

bool IsUnreadable(std::string_view text, const Document& document) {
    if (document.hasHeader || !document.keys.empty()) return false;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return true;
    }
    return false;
}

Document Load(const std::string& path) {
    std::string text;
    if (!ReadFile(path, text)) return Document{};
    return Parse(text);
}

bool Save(const std::string& path, const std::vector<Change>& changes) {
    MakeParentDirectories(path);
    std::string lockPath = path + ".lock";
    int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0) return false;
    while (::flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lockFd);
            return false;
        }
    }
    bool ok = false;
    std::string text;
    bool existed = ReadFile(path, text);
    Document document = Parse(text);
    if (existed && IsUnreadable(text, document)) {
        std::string bad = path + ".bad";
        if (::rename(path.c_str(), bad.c_str()) != 0) {
            ::flock(lockFd, LOCK_UN);
            ::close(lockFd);
            return false;
        }
        document = Document{};
    }
    for (const Change& change : changes) {
        Key& key = FindOrAddKey(document, change.keyPath);
        for (const Value& value : change.values) SetValue(key, value);
    }
    std::string out = Serialize(document);
    std::string temp = path + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        bool written = WriteAll(fd, out) && ::fsync(fd) == 0;
        written = (::close(fd) == 0) && written;
        if (written && ::rename(temp.c_str(), path.c_str()) == 0) {
            ok = true;
        } else {
            ::unlink(temp.c_str());
        }
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    return ok;
}

namespace testing {
void FailWriteAfter(long bytes) { g_failWriteAfter = bytes; }
}  // namespace testing

}  // namespace plat::registry
